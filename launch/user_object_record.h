#pragma once

// The binary record of a CUserObject as launch files hold it, and the encoding it is made of:
// little-endian integers, counted texts, fixed text fields and counted lists of texts.
//
// Writing, reading and sizing walk one field list, so the three can never disagree on the order.
//
// Counted text: a length byte below 255; else 0xFF and a 16-bit length below 0xFFFE; else 0xFF,
// 0xFFFF and a 32-bit length; then the bytes, without a terminator. A 16-bit 0xFFFE after 0xFF
// marks a wide-character text elsewhere; it is never written and is refused when read.
//
// Fixed field of N bytes: the text cut to N - 1 bytes, then zeros up to N, so a zero always ends
// it. Reading keeps the bytes before the first zero, at most N - 1 of them; the last byte is
// taken as the terminator whatever it holds, so a field read and written again stays the same.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options/user_object.h"

namespace kestrum {

class RecordWriter {
  public:
    void Byte(std::uint8_t value) { bytes_.push_back(value); }
    void Byte(ConfigurationKind kind) { Byte(static_cast<std::uint8_t>(kind)); }
    void Word(std::uint16_t value);
    void Long(std::uint32_t value);
    void Long(std::int32_t value) { Long(static_cast<std::uint32_t>(value)); }
    void Text(std::string_view text);
    void Fixed(std::string_view text, std::size_t size);
    void Texts(const std::vector<std::string>& texts);
    void Raw(std::span<const std::uint8_t> bytes);

    // False when a text or list was too long for its 32-bit count; what was written is then
    // unusable.
    bool ok() const { return ok_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
    bool ok_ = true;
};

// Why a read stopped. The first problem sticks: every later read does nothing.
enum class RecordProblem {
    None,
    EndsEarly,            // a number or fixed field runs past the end
    TextTooLong,          // a counted text declares more bytes than are left
    ListTooLong,          // a counted list declares more texts than could be left
    UnknownTextEncoding,  // a text marked as wide characters
};

class RecordReader {
  public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    void Byte(std::uint8_t& value);
    void Byte(ConfigurationKind& kind);
    void Word(std::uint16_t& value);
    void Long(std::uint32_t& value);
    void Long(std::int32_t& value);
    void Text(std::string& text);
    void Fixed(std::string& text, std::size_t size);
    // Appends to `texts`.
    void Texts(std::vector<std::string>& texts);
    void Raw(std::span<std::uint8_t> bytes);

    bool ok() const { return problem_ == RecordProblem::None; }
    RecordProblem problem() const { return problem_; }
    // The length or count that was declared when the problem is TextTooLong or ListTooLong.
    std::uint64_t declared() const { return declared_; }
    std::size_t remaining() const { return bytes_.size() - position_; }

  private:
    bool Take(std::size_t count, const std::uint8_t*& start);
    void Refuse(RecordProblem problem, std::uint64_t declared = 0);

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    RecordProblem problem_ = RecordProblem::None;
    std::uint64_t declared_ = 0;
};

// Counts the fewest bytes a record can take: every counted text and list empty.
class RecordSizer {
  public:
    void Byte(std::uint8_t) { size_ += 1; }
    void Byte(ConfigurationKind) { size_ += 1; }
    void Word(std::uint16_t) { size_ += 2; }
    void Long(std::uint32_t) { size_ += 4; }
    void Long(std::int32_t) { size_ += 4; }
    void Text(std::string_view) { size_ += 1; }
    void Fixed(std::string_view, std::size_t size) { size_ += size; }
    void Texts(const std::vector<std::string>&) { size_ += 2; }
    void Raw(std::span<const std::uint8_t> bytes) { size_ += bytes.size(); }

    std::size_t size() const { return size_; }

  private:
    std::size_t size_ = 0;
};

// The CUserObject record in its stored order. Reading replaces every value of `record`.
void TransferUserObject(RecordWriter& out, const CUserObject& record);
void TransferUserObject(RecordReader& in, CUserObject& record);
void TransferUserObject(RecordSizer& sizer, const CUserObject& record);

}  // namespace kestrum
