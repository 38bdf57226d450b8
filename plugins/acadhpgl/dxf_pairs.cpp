#include "plugins/acadhpgl/dxf_pairs.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace acadhpgl {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool OnlyWhitespace(std::string_view text) {
    for (char c : text) {
        if (!IsBlank(c) && c != '\n') return false;
    }
    return true;
}

// A short, printable quotation of what was found where a group code belongs.
std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text.substr(0, 32)) {
        const auto byte = static_cast<unsigned char>(c);
        out += (byte >= 0x20 && byte < 0x7f) ? c : '?';
    }
    if (text.size() > 32) out += "...";
    return out + "\"";
}

// Group codes are short decimal numbers; this is the hottest parse of all, kept simple.
bool ParseCode(std::string_view text, int& code) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 6) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    code = negative ? -value : value;
    return true;
}

// The first '\n' from `at`, or `end`. Lines are mostly a few characters long, where a call to
// memchr costs more than the search: eight bytes are looked at a time instead, by the
// classic test for a zero byte in a word.
const char* FindNewline(const char* at, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighBits = 0x8080808080808080;
        constexpr std::uint64_t kNewlines = kOnes * '\n';
        while (end - at >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, at, sizeof word);
            const std::uint64_t x = word ^ kNewlines;  // zero where a byte is '\n'
            const std::uint64_t zeros = (x - kOnes) & ~x & kHighBits;
            if (zeros != 0) return at + std::countr_zero(zeros) / 8;
            at += 8;
        }
    }
    while (at != end && *at != '\n') ++at;
    return at;
}

std::uint64_t LittleEndian(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

std::string_view CutString(std::string_view text) {
    return text.substr(0, kMaxStringValue);
}

}  // namespace

DxfValueType ValueTypeOf(int code) {
    using T = DxfValueType;
    if (code < 0) return T::Unknown;
    if (code <= 9) return T::String;
    if (code <= 59) return T::Real;
    if (code <= 79) return T::Int16;
    if (code <= 89) return T::Unknown;
    if (code <= 99) return T::Int32;
    if (code <= 109) return T::String;
    if (code <= 149) return T::Real;
    if (code <= 159) return T::Unknown;
    if (code <= 169) return T::Int64;
    if (code <= 179) return T::Int16;
    if (code <= 209) return T::Unknown;
    if (code <= 239) return T::Real;
    if (code <= 269) return T::Unknown;
    if (code <= 289) return T::Int16;
    if (code <= 299) return T::Boolean;
    if (code <= 309) return T::String;
    if (code <= 319) return T::Chunk;
    if (code <= 369) return T::String;
    if (code <= 389) return T::Int16;
    if (code <= 399) return T::String;
    if (code <= 409) return T::Int16;
    if (code <= 419) return T::String;
    if (code <= 429) return T::Int32;
    if (code <= 439) return T::String;
    if (code <= 459) return T::Int32;
    if (code <= 469) return T::Real;
    if (code <= 481) return T::String;
    if (code == 999) return T::String;
    if (code == 1004) return T::Chunk;
    if (code >= 1000 && code <= 1009) return T::String;
    if (code >= 1010 && code <= 1059) return T::Real;
    if (code >= 1060 && code <= 1070) return T::Int16;
    if (code == 1071) return T::Int32;
    return T::Unknown;
}

std::optional<double> DxfPair::Real() const {
    if (decoded) return number;
    std::string_view digits = TrimBlanks(text);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // Out of range (beyond about 1e308 either way) counts as not a number: such a value cannot
    // be drawn, and from_chars leaves no value to fall back on.
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> DxfPair::Integer() const {
    if (!decoded) {
        std::string_view digits = TrimBlanks(text);
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        std::int64_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size()) {
            return value;
        }
    }
    // Some writers put "1.0" where an integer belongs; take it when it is a whole number that
    // an int64 can hold (the bounds are powers of two, so the comparison is exact).
    const std::optional<double> value = Real();
    if (!value || !(*value >= -9223372036854775808.0 && *value < 9223372036854775808.0) ||
        std::trunc(*value) != *value) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

DxfPairReader::DxfPairReader(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.substr(0, kBinaryDxfSentinel.size()) == kBinaryDxfSentinel) {
        binary_ = true;
        position_ = kBinaryDxfSentinel.size();
    } else if (bytes_.starts_with("\xEF\xBB\xBF")) {
        position_ = 3;  // a byte order mark some editors put before the first code
    }
}

std::string DxfPairReader::Where() const {
    return (binary_ ? "byte " : "line ") + std::to_string(pairStart_);
}

DxfStep DxfPairReader::Next(DxfPair& pair, std::string& error) {
    pair = DxfPair{};
    return binary_ ? NextBinary(pair, error) : NextAscii(pair, error);
}

bool DxfPairReader::TakeLine(std::string_view& line) {
    if (position_ >= bytes_.size()) return false;
    const char* start = bytes_.data() + position_;
    const char* end = bytes_.data() + bytes_.size();
    const char* newline = FindNewline(start, end);
    const auto length = static_cast<std::size_t>(newline - start);
    line = std::string_view(start, length);
    position_ += length + (newline != end ? 1 : 0);
    ++line_;
    return true;
}

DxfStep DxfPairReader::NextAscii(DxfPair& pair, std::string& error) {
    std::string_view codeLine;
    for (;;) {
        if (!TakeLine(codeLine)) {
            pairStart_ = line_;
            return DxfStep::End;
        }
        pairStart_ = line_;
        codeLine = TrimBlanks(codeLine);
        if (!codeLine.empty()) break;
        // Blank lines are tolerated before the first pair and after the last one only. The
        // rest is looked at once, when the first blank line after a pair turns up, so that
        // any number of blank lines costs linear time.
        if (!started_) continue;
        if (OnlyWhitespace(bytes_.substr(position_))) return DxfStep::End;
        error = Where() + ": a group code was expected, found an empty line";
        return DxfStep::Damaged;
    }
    started_ = true;
    int code = 0;
    if (!ParseCode(codeLine, code)) {
        error = Where() + ": a group code was expected, found " + Quote(codeLine);
        return DxfStep::Damaged;
    }
    std::string_view value;
    if (!TakeLine(value)) {
        error = Where() + ": the drawing is cut off after group code " + std::to_string(code);
        return DxfStep::Damaged;
    }
    pair.code = code;
    if (code == 3) {
        // The pieces of a long text: a piece may end between two words, and its space counts.
        if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
        pair.text = CutString(value);
    } else {
        pair.text = CutString(TrimTrailingBlanks(value));
    }
    return DxfStep::Pair;
}

bool DxfPairReader::DetectCodeWidth(std::string& error) {
    constexpr std::string_view kSection{"SECTION\0", 8};
    const std::string_view rest = bytes_.substr(position_);
    if (rest.size() >= 2 + kSection.size() && rest[0] == 0 && rest[1] == 0 &&
        rest.substr(2, kSection.size()) == kSection) {
        wideCodes_ = true;
    } else if (rest.size() >= 1 + kSection.size() && rest[0] == 0 &&
               rest.substr(1, kSection.size()) == kSection) {
        wideCodes_ = false;
    } else {
        error = Where() + ": the binary drawing does not begin with a section";
        return false;
    }
    widthKnown_ = true;
    return true;
}

DxfStep DxfPairReader::NextBinary(DxfPair& pair, std::string& error) {
    pairStart_ = position_;
    if (position_ >= bytes_.size()) return DxfStep::End;
    if (!widthKnown_ && !DetectCodeWidth(error)) return DxfStep::Damaged;

    const std::size_t size = bytes_.size();
    const char* data = bytes_.data();
    auto cutOff = [&] {
        error = Where() + ": the drawing is cut off";
        return DxfStep::Damaged;
    };
    auto take = [&](std::size_t count, const char*& at) {
        if (size - position_ < count) return false;
        at = data + position_;
        position_ += count;
        return true;
    };

    const char* at = nullptr;
    if (wideCodes_) {
        if (!take(2, at)) return cutOff();
        pair.code = static_cast<int>(LittleEndian(at, 2));
    } else {
        if (!take(1, at)) return cutOff();
        pair.code = static_cast<unsigned char>(*at);
        if (pair.code == 255) {
            if (!take(2, at)) return cutOff();
            pair.code = static_cast<int>(LittleEndian(at, 2));
        }
    }

    switch (ValueTypeOf(pair.code)) {
        case DxfValueType::String: {
            const void* zero = std::memchr(data + position_, 0, size - position_);
            if (zero == nullptr) return cutOff();
            const auto length =
                static_cast<std::size_t>(static_cast<const char*>(zero) - (data + position_));
            pair.text = CutString(std::string_view(data + position_, length));
            position_ += length + 1;
            return DxfStep::Pair;
        }
        case DxfValueType::Chunk: {
            if (!take(1, at)) return cutOff();
            const std::size_t length = static_cast<unsigned char>(*at);
            if (!take(length, at)) return cutOff();
            pair.text = std::string_view(at, length);
            return DxfStep::Pair;
        }
        case DxfValueType::Real: {
            if (!take(8, at)) return cutOff();
            const std::uint64_t bits = LittleEndian(at, 8);
            std::memcpy(&pair.number, &bits, sizeof pair.number);
            pair.decoded = true;
            return DxfStep::Pair;
        }
        case DxfValueType::Int16:
        case DxfValueType::Int32:
        case DxfValueType::Int64:
        case DxfValueType::Boolean: {
            const DxfValueType type = ValueTypeOf(pair.code);
            const int width = type == DxfValueType::Boolean ? 1
                              : type == DxfValueType::Int16 ? 2
                              : type == DxfValueType::Int32 ? 4
                                                            : 8;
            if (!take(static_cast<std::size_t>(width), at)) return cutOff();
            const std::uint64_t bits = LittleEndian(at, width);
            // Sign-extend through the signed type of the same width: no shift of a negative.
            std::int64_t value = 0;
            switch (width) {
                case 1:
                    value = static_cast<std::int8_t>(bits);
                    break;
                case 2:
                    value = static_cast<std::int16_t>(bits);
                    break;
                case 4:
                    value = static_cast<std::int32_t>(bits);
                    break;
                default:
                    value = static_cast<std::int64_t>(bits);
                    break;
            }
            pair.number = static_cast<double>(value);
            pair.decoded = true;
            return DxfStep::Pair;
        }
        case DxfValueType::Unknown:
            break;
    }
    error = Where() + ": group code " + std::to_string(pair.code) +
            " has no value type the binary form knows";
    return DxfStep::Damaged;
}

}  // namespace acadhpgl
