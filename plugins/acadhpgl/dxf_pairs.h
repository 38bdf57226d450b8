#pragma once

// A DXF file is a flat run of (group code, value) pairs. DxfPairReader walks that run in either
// of its two encodings without copying: values are views into the caller's buffer, which must
// outlive every pair read from it. Numbers in the ASCII form are parsed only when asked for, so
// the many values a drawing carries and the renderer ignores cost nothing beyond finding them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace acadhpgl {

// Longer string values are cut here: no text the renderer draws needs more, and a single
// runaway value cannot make the text of an entity huge.
inline constexpr std::size_t kMaxStringValue = 64 * 1024;

// The 22 bytes that open a binary drawing.
inline constexpr std::string_view kBinaryDxfSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

enum class DxfValueType { String, Real, Int16, Int32, Int64, Boolean, Chunk, Unknown };

// The type a group code's value has in the binary encoding; Unknown for codes no drawing uses,
// whose length a binary reader therefore cannot know.
DxfValueType ValueTypeOf(int code);

// 32 bytes: a record keeps all its pairs, and a polyline's record can hold millions.
struct DxfPair {
    // The value as text: the whole (trimmed) value line in the ASCII form; strings and binary
    // chunks in the binary form, empty for its numbers.
    std::string_view text;
    // A number the binary form has decoded already (its integers too: the renderer reads none
    // that a double cannot hold exactly).
    double number = 0;
    int code = 0;
    bool decoded = false;

    // The value as a number; nullopt when it is not one. Finite or not is the caller's concern.
    std::optional<double> Real() const;
    // The value as an integer; a real that is a whole number in range counts too.
    std::optional<std::int64_t> Integer() const;
};
static_assert(sizeof(DxfPair) <= 32);

enum class DxfStep { Pair, End, Damaged };

class DxfPairReader {
  public:
    // Takes the binary form when the bytes begin with its sentinel, the ASCII form otherwise.
    explicit DxfPairReader(std::string_view bytes);

    bool binary() const { return binary_; }
    // How many bytes are left to read.
    std::size_t remaining() const { return bytes_.size() - position_; }

    // The next pair, or End when the bytes are used up exactly at a pair's boundary, or
    // Damaged with `error` saying where (a pair cut in half, a code that is not a number).
    DxfStep Next(DxfPair& pair, std::string& error);

    // Where the pair last returned begins, for messages: "line 12" or "byte 3456".
    std::string Where() const;

  private:
    DxfStep NextAscii(DxfPair& pair, std::string& error);
    DxfStep NextBinary(DxfPair& pair, std::string& error);
    bool TakeLine(std::string_view& line);
    bool DetectCodeWidth(std::string& error);

    std::string_view bytes_;
    std::size_t position_ = 0;
    bool binary_ = false;
    bool wideCodes_ = true;  // binary: 2-byte group codes, else 1 byte with 255 as an escape
    bool widthKnown_ = false;
    bool started_ = false;       // ASCII: a pair has been read
    std::size_t line_ = 0;       // ASCII: lines consumed so far
    std::size_t pairStart_ = 0;  // line or byte offset of the last pair
};

}  // namespace acadhpgl
