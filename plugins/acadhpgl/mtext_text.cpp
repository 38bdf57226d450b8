#include "plugins/acadhpgl/mtext_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace acadhpgl {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

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
// Caret notation, as DXF files write control characters in strings: "^ " is a caret, and '^'
// before '@' to '_' the control character that many places below it. A caret before anything
// else stands for itself (None).
enum class Caret { None, Caret, Tab, LineFeed, Control };

Caret CaretAt(std::string_view text, std::size_t i) {
    if (text[i] != '^' || i + 1 >= text.size()) return Caret::None;
    const char next = text[i + 1];
    if (next == ' ') return Caret::Caret;
    if (next == 'I') return Caret::Tab;
    if (next == 'J') return Caret::LineFeed;
    return next >= '@' && next <= '_' ? Caret::Control : Caret::None;
}

bool PercentCode(std::string_view text, std::size_t& i, std::string& out, CodePage page) {
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
            AppendUtf8(out, printable ? FromCodePage(page, static_cast<unsigned char>(value))
                                      : kReplacement);
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

std::string ValidUtf8(std::string_view raw, CodePage page) {
    if (IsValidUtf8(raw)) return std::string(raw);
    std::string out;
    out.reserve(raw.size() + raw.size() / 2);
    for (char c : raw) AppendUtf8(out, FromCodePage(page, static_cast<unsigned char>(c)));
    return out;
}

std::string PlainText(std::string_view raw, CodePage page) {
    const std::string text = ValidUtf8(raw, page);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '%' && PercentCode(text, i, out, page)) continue;
        if (text[i] == '\\' && (UnicodeEscape(text, i, out) || MultibyteEscape(text, i, out))) {
            continue;
        }
        // One line: a tab or a line feed shows as a space; other control characters go.
        if (const Caret caret = CaretAt(text, i); caret != Caret::None) {
            if (caret == Caret::Caret) out += '^';
            if (caret == Caret::Tab || caret == Caret::LineFeed) out += ' ';
            i += 2;
            continue;
        }
        out += text[i++];
    }
    return WithoutControls(std::move(out));
}

std::string PlainMText(std::string_view raw, CodePage page) {
    const std::string text = ValidUtf8(raw, page);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (c == '%' && PercentCode(text, i, out, page)) continue;
        // A tab shows as a space and a line feed breaks the line; other control characters go.
        if (const Caret caret = CaretAt(text, i); caret != Caret::None) {
            if (caret == Caret::Caret) out += '^';
            if (caret == Caret::Tab) out += ' ';
            if (caret == Caret::LineFeed) out += '\n';
            i += 2;
            continue;
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

namespace {

// What a character is drawn in.
struct GlyphStyle {
    double height = 1;
    double widthFactor = 1;
    double obliqueDegrees = 0;
    bool operator==(const GlyphStyle&) const = default;
};

// Indents in character heights of the text's own height.
struct ParagraphStyle {
    double first = 0;  // of the first line, from the left indent
    double left = 0;
    double right = 0;
    std::optional<LineAlignment> alignment;
};

struct Glyph {
    std::uint32_t offset = 0;  // its bytes in MTextParser::text
    std::uint32_t length = 0;
    std::uint32_t style = 0;  // index into MTextParser::styles
    bool space = false;
    bool breakable = false;  // a line may be broken here
};

struct Paragraph {
    std::size_t begin = 0;  // its glyphs
    std::size_t end = 0;
    ParagraphStyle style;
    double emptyHeight = 1;  // the height of its line when it holds no character
    bool newColumn = false;  // it starts the next column
};

// A number as a switch's value gives it ("2", "-1.5", "0.7x"), whatever the locale says.
std::optional<double> SwitchNumber(std::string_view body, bool& relative) {
    relative = !body.empty() && (body.back() == 'x' || body.back() == 'X');
    if (relative) body.remove_suffix(1);
    if (!body.empty() && body.front() == '+') body.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(body.data(), body.data() + body.size(), value);
    if (result.ec != std::errc() || result.ptr != body.data() + body.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// Splits paragraph text into glyphs and paragraphs, following the switches that change how
// the characters are drawn.
class MTextParser {
  public:
    explicit MTextParser(const MTextFormat& format) : format_(format) {
        style_.height = format.height;
    }

    void Parse(std::string_view text) {
        std::size_t i = 0;
        std::string piece;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '{') {
                if (stack_.size() < kDeepestGroup) stack_.push_back(style_);
                ++i;
                continue;
            }
            if (c == '}') {
                // Paragraph settings outlast the group: they belong to the paragraph, which
                // the group may end before it ends.
                if (!stack_.empty()) {
                    style_ = stack_.back();
                    stack_.pop_back();
                }
                ++i;
                continue;
            }
            piece.clear();
            if (c == '%' && PercentCode(text, i, piece, format_.codePage)) {
                Emit(piece);
                continue;
            }
            if (const Caret caret = CaretAt(text, i); caret != Caret::None) {
                if (caret == Caret::Caret) Emit("^");
                if (caret == Caret::Tab) EmitSpace(true);
                if (caret == Caret::LineFeed) Break(false);
                i += 2;
                continue;
            }
            if (c != '\\') {
                Emit(text.substr(i, 1));
                ++i;
                continue;
            }
            if (UnicodeEscape(text, i, piece) || MultibyteEscape(text, i, piece)) {
                Emit(piece);
                continue;
            }
            if (i + 1 >= text.size()) break;  // a lone backslash at the very end
            const char code = text[i + 1];
            i += 2;
            Switch(text, code, i);
        }
        Break(false);
    }

    std::string text;
    std::vector<Glyph> glyphs;
    std::vector<GlyphStyle> styles;
    std::vector<Paragraph> paragraphs;

  private:
    // Braces nest this deep at most; deeper ones only group.
    static constexpr std::size_t kDeepestGroup = 256;

    void Switch(std::string_view text, char code, std::size_t& i) {
        switch (code) {
            case 'P':
            case 'n':
            case 'X':  // the break between a dimension's text above and below its line
                Break(false);
                return;
            case 'N':
                Break(true);
                return;
            case '~':
                EmitSpace(false);
                return;
            case 'L':
            case 'l':
            case 'O':
            case 'o':
            case 'K':
            case 'k':
                return;
            default:
                break;
        }
        const bool valued =
            std::string_view("SfFHhCcAWwQqTtp").find(code) != std::string_view::npos;
        if (!valued) {
            Emit(std::string_view(&code,
                                  1));  // "\\", "\{", "\}" and unknown codes stand for themselves
            return;
        }
        const std::size_t end = SwitchEnd(text, i);
        // Without its ';' a switch is damaged: only the code letter goes, so no text is lost.
        if (end == std::string_view::npos) return;
        const std::string_view body = text.substr(i, end - i);
        i = end + 1;
        bool relative = false;
        switch (code) {
            case 'S': {
                std::string stacked;
                AppendStacked(body, stacked);
                Emit(stacked);
                return;
            }
            case 'H':
            case 'h':
                if (const auto value = SwitchNumber(body, relative); value && *value > 0) {
                    const double height = relative ? style_.height * *value : *value;
                    style_.height = std::clamp(height, format_.height * 1e-4, format_.height * 1e4);
                }
                return;
            case 'W':
            case 'w':
                if (const auto value = SwitchNumber(body, relative); value && *value > 0) {
                    const double factor = relative ? style_.widthFactor * *value : *value;
                    style_.widthFactor = std::clamp(factor, 0.01, 100.0);
                }
                return;
            case 'Q':
            case 'q':
                if (const auto value = SwitchNumber(body, relative)) {
                    style_.obliqueDegrees = std::clamp(*value, -85.0, 85.0);
                }
                return;
            case 'p':
                ParagraphSwitch(body);
                return;
            default:
                return;  // fonts, colours, tracking, alignment of stacked text
        }
    }

    // "\p" with its items: "x" (a marker), "i" first-line indent, "l" left, "r" right indent,
    // "q" and a letter for the alignment, "t" tab stops, "s..." spacing; "*" is the default.
    void ParagraphSwitch(std::string_view body) {
        std::size_t i = 0;
        while (i < body.size()) {
            const char item = body[i++];
            if (item == 'x' || item == ',') continue;
            if (item == 'q') {
                if (i < body.size()) {
                    const char how = body[i++];
                    if (how == 'c') paragraph_.alignment = LineAlignment::Centre;
                    if (how == 'r') paragraph_.alignment = LineAlignment::Right;
                    if (how == 'l' || how == 'j' || how == 'd') {
                        paragraph_.alignment = LineAlignment::Left;
                    }
                    if (how == '*') paragraph_.alignment.reset();
                }
                continue;
            }
            std::size_t end = body.find(',', i);
            if (end == std::string_view::npos) end = body.size();
            const std::string_view value = body.substr(i, end - i);
            i = end;
            double* target = item == 'i'   ? &paragraph_.first
                             : item == 'l' ? &paragraph_.left
                             : item == 'r' ? &paragraph_.right
                                           : nullptr;
            if (target == nullptr) {
                // Tab stops run on as bare numbers: "t3,6,9".
                while (
                    i < body.size() && body[i] == ',' && i + 1 < body.size() &&
                    (std::isdigit(static_cast<unsigned char>(body[i + 1])) || body[i + 1] == '.')) {
                    i = std::min(body.find(',', i + 1), body.size());
                }
                continue;
            }
            bool relative = false;
            if (value == "*") {
                *target = 0;
            } else if (const auto number = SwitchNumber(value, relative)) {
                *target = std::clamp(*number, -1e4, 1e4);
            }
        }
    }

    std::uint32_t StyleIndex() {
        if (styles.empty() || !(styles.back() == style_)) styles.push_back(style_);
        return static_cast<std::uint32_t>(styles.size() - 1);
    }

    void Emit(std::string_view bytes) {
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '\t') {
                EmitSpace(true);
            } else if (c == '\n') {
                Break(false);
            } else if (byte < 0x20 || byte == 0x7F) {
                continue;  // other control characters would end or garble a plotter's label
            } else if ((byte & 0xC0) == 0x80 && !glyphs.empty() &&
                       glyphs.back().offset + glyphs.back().length == text.size()) {
                ++glyphs.back().length;  // the rest of a UTF-8 sequence
                text += c;
            } else {
                glyphs.push_back(
                    {static_cast<std::uint32_t>(text.size()), 1, StyleIndex(), c == ' ', c == ' '});
                text += c;
            }
        }
    }

    void EmitSpace(bool breakable) {
        glyphs.push_back(
            {static_cast<std::uint32_t>(text.size()), 1, StyleIndex(), true, breakable});
        text += ' ';
    }

    void Break(bool newColumn) {
        Paragraph paragraph;
        paragraph.begin = begin_;
        paragraph.end = glyphs.size();
        paragraph.style = paragraph_;
        paragraph.emptyHeight = style_.height;
        paragraph.newColumn = newColumn_;
        paragraphs.push_back(paragraph);
        begin_ = glyphs.size();
        newColumn_ = newColumn;
    }

    const MTextFormat& format_;
    GlyphStyle style_;
    ParagraphStyle paragraph_;
    std::vector<GlyphStyle> stack_;
    std::size_t begin_ = 0;
    bool newColumn_ = false;
};

struct LaidLine {
    std::size_t begin = 0;  // its glyphs
    std::size_t end = 0;
    const Paragraph* paragraph = nullptr;
    double start = 0;  // where the indent puts its left end
    double width = 0;
    double height = 0;
    bool newColumn = false;
};

}  // namespace

MTextLayout LayOutMText(std::string_view raw, const MTextFormat& format) {
    MTextLayout out;
    if (!(format.height > 0) || !std::isfinite(format.height)) return out;
    MTextParser parser(format);
    parser.Parse(ValidUtf8(raw, format.codePage));
    const std::vector<Glyph>& glyphs = parser.glyphs;
    const auto style = [&](const Glyph& g) -> const GlyphStyle& { return parser.styles[g.style]; };
    const auto advance = [&](const Glyph& g) {
        return kCharacterWidth * style(g).height * style(g).widthFactor;
    };

    const bool columns =
        format.columns && format.columns->width > 0 && std::isfinite(format.columns->width);
    const double wrap = columns                                           ? format.columns->width
                        : format.width > 0 && std::isfinite(format.width) ? format.width
                                                                          : 0;
    const double unit = format.height;

    // Lines: each paragraph broken at its spaces where it would cross the wrap width less its
    // indents; a word longer than a whole line is broken where the line ends.
    std::vector<LaidLine> lines;
    double widest = 0;
    for (const Paragraph& paragraph : parser.paragraphs) {
        const double left = std::max(0.0, paragraph.style.left * unit);
        const double firstStart =
            std::max(0.0, (paragraph.style.left + paragraph.style.first) * unit);
        const double right = std::max(0.0, paragraph.style.right * unit);
        std::size_t position = paragraph.begin;
        bool first = true;
        do {
            LaidLine line;
            line.paragraph = &paragraph;
            line.newColumn = first && paragraph.newColumn;
            line.start = first ? firstStart : left;
            const double limit =
                wrap > 0 ? wrap - right - line.start : std::numeric_limits<double>::infinity();
            std::size_t i = position, lastBreak = SIZE_MAX;
            double width = 0;
            while (i < paragraph.end) {
                const Glyph& g = glyphs[i];
                const double w = advance(g);
                if (g.space && g.breakable) {
                    lastBreak = i;
                } else if (i > position && width + w > limit + 1e-9 * (std::fabs(limit) + w)) {
                    break;
                }
                width += w;
                ++i;
            }
            std::size_t end = i, next = i;
            if (i < paragraph.end) {
                if (lastBreak != SIZE_MAX && lastBreak > position) {
                    end = lastBreak;
                    next = lastBreak + 1;
                }
                while (end > position && glyphs[end - 1].space && glyphs[end - 1].breakable) --end;
                if (end == position) end = next = i;  // only spaces before the long word
                while (next < paragraph.end && glyphs[next].space && glyphs[next].breakable) ++next;
            }
            line.begin = position;
            line.end = end;
            line.height = paragraph.emptyHeight;
            bool any = false;
            for (std::size_t k = position; k < end; ++k) {
                line.width += advance(glyphs[k]);
                line.height =
                    any ? std::max(line.height, style(glyphs[k]).height) : style(glyphs[k]).height;
                any = true;
            }
            widest = std::max(widest, line.start + line.width);
            lines.push_back(line);
            position = next;
            first = false;
        } while (position < paragraph.end);
    }

    const double box = wrap > 0 ? wrap : widest;
    const double spacing = std::clamp(format.lineSpacing, 0.25, 4.0);
    const double pitch =
        columns ? format.columns->width + std::max(0.0, format.columns->gutter) : 0;
    std::size_t column = 0, inColumn = 0;
    double baseline = 0, previous = 0;
    for (const LaidLine& line : lines) {
        const double h = line.height;
        double step = inColumn == 0 ? h
                      : h == previous
                          ? kTextLineSpacing * h * spacing
                          : (h + (kTextLineSpacing - 1) * std::max(previous, h)) * spacing;
        if (columns && inColumn > 0) {
            const std::vector<double>& heights = format.columns->heights;
            const double limit =
                heights.empty() ? 0 : heights[std::min(column, heights.size() - 1)];
            if (line.newColumn || (limit > 0 && baseline - step < -limit * (1 + 1e-9))) {
                ++column;
                inColumn = 0;
                baseline = 0;
                step = h;
            }
        }
        baseline -= step;
        previous = h;
        ++inColumn;
        out.depth = std::max(out.depth, -baseline);

        const ParagraphStyle& paragraph = line.paragraph->style;
        const LineAlignment alignment = paragraph.alignment.value_or(format.alignment);
        const double room = box - std::max(0.0, paragraph.right * unit) - line.start - line.width;
        double x = static_cast<double>(column) * pitch + line.start;
        if (room > 0 && alignment == LineAlignment::Centre) x += room / 2;
        if (room > 0 && alignment == LineAlignment::Right) x += room;

        // Pieces: runs of one style, without the spaces at their ends (which only move x).
        std::size_t k = line.begin;
        while (k < line.end) {
            const GlyphStyle& runStyle = style(glyphs[k]);
            std::size_t runEnd = k;
            while (runEnd < line.end && style(glyphs[runEnd]) == runStyle) ++runEnd;
            std::size_t first = k, last = runEnd;
            while (first < last && glyphs[first].space) x += advance(glyphs[first++]);
            while (last > first && glyphs[last - 1].space) --last;
            if (first < last) {
                MTextPiece piece;
                piece.at = {x, baseline};
                piece.height = runStyle.height;
                piece.widthFactor = runStyle.widthFactor;
                piece.obliqueDegrees = runStyle.obliqueDegrees;
                const std::size_t from = glyphs[first].offset;
                piece.text = parser.text.substr(
                    from, glyphs[last - 1].offset + glyphs[last - 1].length - from);
                out.pieces.push_back(std::move(piece));
            }
            for (std::size_t g = first; g < runEnd; ++g) x += advance(glyphs[g]);
            k = runEnd;
        }
    }
    if (columns) {
        const std::size_t count = std::max<std::size_t>(column + 1, format.columns->count);
        out.width = static_cast<double>(count) * pitch - std::max(0.0, format.columns->gutter);
    } else {
        out.width = box;
    }
    return out;
}

}  // namespace acadhpgl
