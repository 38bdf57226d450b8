#include "plugins/acadhpgl/mtext_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace acadhpgl {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code page 1252 differs from Latin-1 only in 0x80-0x9F; the holes become U+FFFD.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC,       kReplacement, 0x201A, 0x0192, 0x201E, 0x2026,       0x2020, 0x2021,
    0x02C6,       0x2030,       0x0160, 0x2039, 0x0152, kReplacement, 0x017D, kReplacement,
    kReplacement, 0x2018,       0x2019, 0x201C, 0x201D, 0x2022,       0x2013, 0x2014,
    0x02DC,       0x2122,       0x0161, 0x203A, 0x0153, kReplacement, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t FromWindows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
    return byte;
}

// What a UTF-8 lead byte promises: the sequence's length and the range its first continuation
// byte must lie in (narrower after some leads, which rules out overlong forms, surrogates and
// anything above U+10FFFF). Length 0 for a byte that cannot lead.
struct Utf8Lead {
    std::size_t length;
    unsigned char low;
    unsigned char high;
};

Utf8Lead ClassifyLead(unsigned char lead) {
    if (lead < 0x80) return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Lead lead = ClassifyLead(static_cast<unsigned char>(text[i]));
        if (lead.length == 0 || text.size() - i < lead.length) return false;
        for (std::size_t k = 1; k < lead.length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            const unsigned char low = k == 1 ? lead.low : 0x80;
            const unsigned char high = k == 1 ? lead.high : 0xBF;
            if (next < low || next > high) return false;
        }
        i += lead.length;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "\U+XXXX" at text[i] (the backslash): appends the character and advances past it.
bool UnicodeEscape(std::string_view text, std::size_t& i, std::string& out) {
    if (text.size() - i < 7 || text[i + 1] != 'U' || text[i + 2] != '+') return false;
    char32_t c = 0;
    for (std::size_t k = 3; k < 7; ++k) {
        const int digit = HexDigit(text[i + k]);
        if (digit < 0) return false;
        c = c * 16 + static_cast<char32_t>(digit);
    }
    AppendUtf8(out, c);
    i += 7;
    return true;
}

// "\M+nXXXX" at text[i]: a double-byte character of an Asian code page, which the renderer
// cannot map without that code page's tables; it is drawn as a replacement character.
bool MultibyteEscape(std::string_view text, std::size_t& i, std::string& out) {
    if (text.size() - i < 8 || text[i + 1] != 'M' || text[i + 2] != '+') return false;
    for (std::size_t k = 4; k < 8; ++k) {
        if (HexDigit(text[i + k]) < 0) return false;
    }
    AppendUtf8(out, kReplacement);
    i += 8;
    return true;
}

// A "%%" code at text[i]: appends what it stands for and advances past it. False leaves the
// percent sign to be copied as it is.
bool PercentCode(std::string_view text, std::size_t& i, std::string& out) {
    if (text.size() - i < 3 || text[i + 1] != '%') return false;
    const char code = text[i + 2];
    switch (code) {
        case 'd':
        case 'D':
            AppendUtf8(out, 0x00B0);
            break;
        case 'p':
        case 'P':
            AppendUtf8(out, 0x00B1);
            break;
        case 'c':
        case 'C':
            AppendUtf8(out, 0x2300);
            break;
        case '%':
            out += '%';
            break;
        case 'u':
        case 'U':
        case 'o':
        case 'O':
        case 'k':
        case 'K':
            break;
        default: {
            if (code < '0' || code > '9') return false;
            std::size_t k = i + 2;
            unsigned value = 0;
            while (k < text.size() && k < i + 5 && text[k] >= '0' && text[k] <= '9') {
                value = value * 10 + static_cast<unsigned>(text[k] - '0');
                ++k;
            }
            const bool printable = value >= 0x20 && value <= 0xFF;
            AppendUtf8(
                out, printable ? FromWindows1252(static_cast<unsigned char>(value)) : kReplacement);
            i = k;
            return true;
        }
    }
    i += 3;
    return true;
}

// Control characters would reach the plotter inside a label, where some of them end the label
// or start a command; only the line break has a meaning here, and a tab becomes a space.
std::string WithoutControls(std::string text) {
    std::size_t kept = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            text[kept++] = ' ';
        } else if ((byte >= 0x20 && byte != 0x7F) || c == '\n') {
            text[kept++] = c;
        }
    }
    text.resize(kept);
    return text;
}

// The ';' that ends a switch's value. Values are short (the longest are font names), so the
// search stops after kSwitchReach bytes: a text full of unterminated switches stays linear.
constexpr std::size_t kSwitchReach = 1024;

std::size_t SwitchEnd(std::string_view text, std::size_t from) {
    const std::size_t end = text.substr(from, kSwitchReach).find(';');
    return end == std::string_view::npos ? std::string_view::npos : from + end;
}

// The body of "\S...;": a numerator and a denominator around '^', '/' or '#'.
void AppendStacked(std::string_view body, std::string& out) {
    const std::size_t split = body.find_first_of("^/#");
    if (split == std::string_view::npos) {
        out += body;
        return;
    }
    const std::string_view top = body.substr(0, split);
    const std::string_view bottom = body.substr(split + 1);
    out += top;
    if (!top.empty() && !bottom.empty()) out += '/';
    out += bottom;
}

}  // namespace

std::string ValidUtf8(std::string_view raw) {
    if (IsValidUtf8(raw)) return std::string(raw);
    std::string out;
    out.reserve(raw.size() + raw.size() / 2);
    for (char c : raw) AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(c)));
    return out;
}

std::string PlainText(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '%' && PercentCode(text, i, out)) continue;
        if (text[i] == '\\' && (UnicodeEscape(text, i, out) || MultibyteEscape(text, i, out))) {
            continue;
        }
        out += text[i++];
    }
    return WithoutControls(std::move(out));
}

std::string PlainMText(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (c == '%' && PercentCode(text, i, out)) continue;
        if (c == '^' && i + 1 < text.size()) {
            // Caret notation for control characters: ^I a tab, ^J a line break, "^ " a caret.
            const char next = text[i + 1];
            if (next == 'I' || next == 'J' || next == 'M' || next == ' ') {
                if (next == 'I') out += ' ';
                if (next == 'J') out += '\n';
                if (next == ' ') out += '^';
                i += 2;  // ^M, a carriage return, goes
                continue;
            }
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (UnicodeEscape(text, i, out) || MultibyteEscape(text, i, out)) continue;
        if (i + 1 >= text.size()) break;  // a lone backslash at the very end
        const char code = text[i + 1];
        i += 2;
        switch (code) {
            case 'P':
            case 'n':
            case 'N':  // a new column
            case 'X':  // the break between a dimension's text above and below its line
                out += '\n';
                break;
            case '~':
                out += ' ';
                break;
            case 'L':
            case 'l':
            case 'O':
            case 'o':
            case 'K':
            case 'k':
                break;
            case 'S': {
                const std::size_t end = SwitchEnd(text, i);
                if (end == std::string_view::npos) break;  // damaged: the text stays
                AppendStacked(std::string_view(text).substr(i, end - i), out);
                i = end + 1;
                break;
            }
            case 'f':
            case 'F':
            case 'H':
            case 'h':
            case 'C':
            case 'c':
            case 'A':
            case 'W':
            case 'w':
            case 'Q':
            case 'q':
            case 'T':
            case 't':
            case 'p': {
                // A switch with a value up to ';'. Without the ';' it is damaged: only the
                // code letter goes, so no text is lost.
                const std::size_t end = SwitchEnd(text, i);
                if (end != std::string_view::npos) i = end + 1;
                break;
            }
            default:
                out += code;  // "\\", "\{", "\}" and anything unknown stand for themselves
                break;
        }
    }
    return WithoutControls(std::move(out));
}

TextExtent MeasureText(std::string_view plain) {
    TextExtent extent;
    std::size_t current = 0;
    for (char c : plain) {
        if (c == '\n') {
            ++extent.lines;
            current = 0;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++current;  // count characters, not the continuation bytes of UTF-8
        }
        if (current > extent.widestLine) extent.widestLine = current;
    }
    return extent;
}

double EstimatedWidth(std::size_t characters, double height, double widthFactor) {
    return static_cast<double>(characters) * height * kCharacterWidth * widthFactor;
}

std::size_t EstimatedCharacters(double width, double height) {
    const double fits = std::floor(width / (height * kCharacterWidth) + 1e-9);
    if (!(fits >= 1)) return 1;
    return fits > 1e6 ? 1'000'000 : static_cast<std::size_t>(fits);
}

std::string WrapText(std::string_view plain, std::size_t columns) {
    columns = std::max<std::size_t>(columns, 1);
    std::string out;
    out.reserve(plain.size() + plain.size() / columns + 1);
    const auto isLead = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
    for (std::size_t start = 0; start <= plain.size();) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string_view::npos) end = plain.size();
        std::string_view line = plain.substr(start, end - start);
        for (;;) {
            // The byte where the line's columns+1-th character begins, or its end.
            std::size_t cut = 0, counted = 0;
            while (cut < line.size() && !(isLead(line[cut]) && counted++ == columns)) ++cut;
            if (cut >= line.size()) break;
            std::size_t space = line.rfind(' ', cut);
            std::size_t next = 0;
            if (space != std::string_view::npos && space > 0) {
                next = space + 1;
                while (space > 0 && line[space - 1] == ' ') --space;
                if (space == 0) space = cut, next = cut;
            } else {
                space = cut;  // one word longer than the line
                next = cut;
            }
            out.append(line.substr(0, space));
            out += '\n';
            while (next < line.size() && line[next] == ' ') ++next;
            line.remove_prefix(next);
        }
        out.append(line);
        if (end >= plain.size()) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

}  // namespace acadhpgl
