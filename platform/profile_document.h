#pragma once

// The in-memory form of one INI file, private to private_profile.cpp.
//
// The document keeps the file's bytes and a table of lines pointing into them, so an edit touches
// only the lines it concerns and everything else is written back byte for byte. Names are found
// through hash indexes (first occurrence of a section, and, built on first use, first occurrence of
// each key of a section), so a lookup costs the same in a 10-line file and in a 100,000-line one.
//
// Not thread safe: the caller serialises access.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrum::profile::detail {

// The largest file, and so the largest document, that is read or written. Configuration files are
// a few kilobytes; the cap keeps a stray multi-gigabyte file from being loaded whole, bounds the
// memory of the line table (a few times the file size in the worst case), and keeps every offset
// within 32 bits.
inline constexpr std::size_t kMaxDocumentSize = std::size_t{16} * 1024 * 1024;

// Blanks and tabs, the only characters trimmed around names and values.
std::string_view TrimBlanks(std::string_view text);

// Hashing and comparison of names without regard to ASCII case; transparent so that a
// std::string_view finds a std::string key without a copy.
struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// Line ends as found. kCr only occurs on the last line (a lone CR before the end of the file); a CR
// elsewhere that is not followed by LF is an ordinary character of its line.
enum class Eol : std::uint8_t { kNone, kLf, kCrLf, kCr };

class Document {
  public:
    // An empty document (a missing file); new lines end in LF.
    Document() = default;
    Document(Document&&) noexcept = default;
    Document& operator=(Document&&) noexcept = default;

    // Precondition: text.size() <= kMaxDocumentSize (the loader refuses larger files).
    static Document Parse(std::string text);

    // The trimmed value of the first `key` in the first `section`. Names are compared after
    // trimming. The view is valid until the next change to the document.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key);
    bool HasSection(std::string_view section) const;

    std::vector<std::string> KeyNames(std::string_view section);
    std::vector<std::string> SectionNames() const;

    // The callers have checked that the names and the value fit in an INI line (no line break, no
    // ']' in the section, no '=' in the key and no leading '[' or ';'). Returns false, changing
    // nothing, when the document would grow beyond kMaxDocumentSize.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Each returns false when there was nothing to remove.
    bool EraseKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);

    std::string Serialize() const;
    std::size_t size() const { return size_; }

  private:
    enum class Kind : std::uint8_t { kOther, kSection, kKey };

    struct Line {
        std::uint32_t begin;  // into buffer_
        std::uint32_t size;   // without the line end
        Eol eol;
        Kind kind;
    };

    // Lower-cased-equal key name -> line offset from the section header, first occurrence.
    using KeyIndex = std::unordered_map<std::string, std::uint32_t, NoCaseHash, NoCaseEqual>;

    struct Section {
        std::uint32_t header;  // index into lines_
        // Built on first use; dropped when a key line of the section is removed. Inserts keep it
        // valid because a new key always goes after the last key line of its section.
        std::unique_ptr<KeyIndex> keys;
    };

    std::string_view Text(const Line& line) const {
        return std::string_view(buffer_).substr(line.begin, line.size);
    }
    std::string_view HeaderName(std::uint32_t section) const;
    std::uint32_t SectionEnd(std::uint32_t section) const;
    std::optional<std::uint32_t> FindSection(std::string_view name) const;
    const KeyIndex& Keys(std::uint32_t section);
    std::optional<std::uint32_t> FindKeyLine(std::uint32_t section, std::string_view key);
    void RebuildSectionIndex();

    // Appends `text` to the buffer and returns a line for it that ends in the default line end.
    Line NewLine(std::string_view prefix, std::string_view middle, std::string_view suffix);
    // Gives the last line a line end before a line is added after it.
    std::size_t EolRepairCost(std::size_t position) const;
    void RepairEol(std::size_t position);
    void InsertLine(std::uint32_t section, std::uint32_t position, Line line);
    void ShiftSections(std::uint32_t after, std::int64_t delta);
    void MaybeCompact();

    std::string buffer_;  // the file as read, then the text of every line written since
    std::vector<Line> lines_;
    std::vector<Section> sections_;  // in file order
    std::unordered_map<std::string, std::uint32_t, NoCaseHash, NoCaseEqual> sectionIndex_;
    std::size_t size_ = 0;     // bytes Serialize() would produce
    std::size_t garbage_ = 0;  // bytes of buffer_ no line refers to any more
    Eol defaultEol_ = Eol::kLf;
};

}  // namespace kestrum::profile::detail
