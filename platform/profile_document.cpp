#include "platform/profile_document.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kestrum::profile::detail {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t EolSize(Eol eol) {
    switch (eol) {
        case Eol::kNone:
            return 0;
        case Eol::kLf:
        case Eol::kCr:
            return 1;
        case Eol::kCrLf:
            return 2;
    }
    return 0;
}

std::string_view EolText(Eol eol) {
    switch (eol) {
        case Eol::kNone:
            return {};
        case Eol::kLf:
            return "\n";
        case Eol::kCr:
            return "\r";
        case Eol::kCrLf:
            return "\r\n";
    }
    return {};
}

// The key of a key line: what stands before the first '=', trimmed.
std::string_view KeyOf(std::string_view text) {
    return TrimBlanks(text.substr(0, text.find('=')));
}

std::string_view ValueOf(std::string_view text) {
    return TrimBlanks(text.substr(text.find('=') + 1));
}

// Garbage below this is never worth a rewrite of the buffer.
constexpr std::size_t kCompactFloor = std::size_t{1} << 20;

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    std::size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::size_t NoCaseHash::operator()(std::string_view text) const noexcept {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char c : text) {
        hash ^= static_cast<unsigned char>(Lower(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

Document Document::Parse(std::string text) {
    Document doc;
    doc.buffer_ = std::move(text);
    doc.size_ = doc.buffer_.size();
    const char* data = doc.buffer_.data();
    const std::size_t total = doc.buffer_.size();

    // Counting first lets the line table be allocated once at its final size: a file of nothing
    // but line ends must not cost twice its table during growth.
    std::size_t lineCount = 0;
    for (const char* p = data; (p = static_cast<const char*>(std::memchr(
                                    p, '\n', static_cast<std::size_t>(data + total - p))));
         ++p) {
        ++lineCount;
    }
    doc.lines_.reserve(lineCount + 1);

    bool eolSeen = false;
    std::size_t begin = 0;
    while (begin < total) {
        const void* found = std::memchr(data + begin, '\n', total - begin);
        std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : total;
        Line line{static_cast<std::uint32_t>(begin), 0, Eol::kNone, Kind::kOther};
        std::size_t next = end;
        if (found) {
            line.eol = Eol::kLf;
            next = end + 1;
            if (end > begin && data[end - 1] == '\r') {
                line.eol = Eol::kCrLf;
                --end;
            }
        } else if (end > begin && data[end - 1] == '\r') {
            line.eol = Eol::kCr;
            --end;
        }
        line.size = static_cast<std::uint32_t>(end - begin);
        if (!eolSeen && (line.eol == Eol::kLf || line.eol == Eol::kCrLf)) {
            doc.defaultEol_ = line.eol;
            eolSeen = true;
        }

        std::string_view content = TrimBlanks(doc.Text(line));
        if (!content.empty() && content.front() == '[') {
            line.kind = Kind::kSection;
            doc.sections_.push_back(
                Section{static_cast<std::uint32_t>(doc.lines_.size()), nullptr});
        } else if (!content.empty() && content.front() == ';') {
            line.kind = Kind::kOther;
        } else if (content.find('=') != std::string_view::npos) {
            line.kind = Kind::kKey;
        }
        doc.lines_.push_back(line);
        begin = next;
    }
    doc.RebuildSectionIndex();
    return doc;
}

std::string_view Document::HeaderName(std::uint32_t section) const {
    // A header runs from its '[' to the first ']'; a header without ']' names the rest of its line,
    // so that a line starting with '[' always opens a section and is never read as a key.
    std::string_view text = TrimBlanks(Text(lines_[sections_[section].header]));
    text.remove_prefix(1);
    return TrimBlanks(text.substr(0, text.find(']')));
}

std::uint32_t Document::SectionEnd(std::uint32_t section) const {
    return section + 1 < sections_.size() ? sections_[section + 1].header
                                          : static_cast<std::uint32_t>(lines_.size());
}

void Document::RebuildSectionIndex() {
    sectionIndex_.clear();
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        std::string_view name = HeaderName(i);
        if (sectionIndex_.find(name) == sectionIndex_.end()) sectionIndex_.emplace(name, i);
    }
}

std::optional<std::uint32_t> Document::FindSection(std::string_view name) const {
    auto it = sectionIndex_.find(TrimBlanks(name));
    if (it == sectionIndex_.end()) return std::nullopt;
    return it->second;
}

const Document::KeyIndex& Document::Keys(std::uint32_t section) {
    Section& rec = sections_[section];
    if (!rec.keys) {
        auto keys = std::make_unique<KeyIndex>();
        const std::uint32_t end = SectionEnd(section);
        for (std::uint32_t i = rec.header + 1; i < end; ++i) {
            if (lines_[i].kind != Kind::kKey) continue;
            std::string_view name = KeyOf(Text(lines_[i]));
            if (keys->find(name) == keys->end()) keys->emplace(name, i - rec.header);
        }
        rec.keys = std::move(keys);
    }
    return *rec.keys;
}

std::optional<std::uint32_t> Document::FindKeyLine(std::uint32_t section, std::string_view key) {
    const KeyIndex& keys = Keys(section);
    auto it = keys.find(TrimBlanks(key));
    if (it == keys.end()) return std::nullopt;
    return sections_[section].header + it->second;
}

std::optional<std::string_view> Document::Find(std::string_view section, std::string_view key) {
    auto s = FindSection(section);
    if (!s) return std::nullopt;
    auto line = FindKeyLine(*s, key);
    if (!line) return std::nullopt;
    return ValueOf(Text(lines_[*line]));
}

bool Document::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

std::vector<std::string> Document::KeyNames(std::string_view section) {
    std::vector<std::string> names;
    auto s = FindSection(section);
    if (!s) return names;
    const KeyIndex& keys = Keys(*s);
    names.reserve(keys.size());
    const std::uint32_t header = sections_[*s].header;
    const std::uint32_t end = SectionEnd(*s);
    for (std::uint32_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind != Kind::kKey) continue;
        std::string_view name = KeyOf(Text(lines_[i]));
        // Only the first occurrence is in the index with this very line.
        if (keys.find(name)->second == i - header) names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> Document::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sectionIndex_.size());
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        std::string_view name = HeaderName(i);
        if (sectionIndex_.find(name)->second == i) names.emplace_back(name);
    }
    return names;
}

Document::Line Document::NewLine(std::string_view prefix, std::string_view middle,
                                 std::string_view suffix) {
    Line line{static_cast<std::uint32_t>(buffer_.size()),
              static_cast<std::uint32_t>(prefix.size() + middle.size() + suffix.size()),
              defaultEol_, Kind::kOther};
    buffer_.append(prefix).append(middle).append(suffix);
    return line;
}

std::size_t Document::EolRepairCost(std::size_t position) const {
    if (position == 0) return 0;
    const Line& before = lines_[position - 1];
    if (before.eol == Eol::kLf || before.eol == Eol::kCrLf) return 0;
    return EolSize(defaultEol_) - EolSize(before.eol);
}

void Document::RepairEol(std::size_t position) {
    if (position == 0) return;
    Line& before = lines_[position - 1];
    if (before.eol == Eol::kLf || before.eol == Eol::kCrLf) return;
    size_ += EolSize(defaultEol_) - EolSize(before.eol);
    before.eol = defaultEol_;
}

void Document::ShiftSections(std::uint32_t after, std::int64_t delta) {
    for (std::size_t j = after + std::size_t{1}; j < sections_.size(); ++j) {
        sections_[j].header = static_cast<std::uint32_t>(sections_[j].header + delta);
    }
}

void Document::InsertLine(std::uint32_t section, std::uint32_t position, Line line) {
    RepairEol(position);
    lines_.insert(lines_.begin() + position, line);
    size_ += line.size + EolSize(line.eol);
    ShiftSections(section, 1);
}

bool Document::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    const std::size_t eolSize = EolSize(defaultEol_);
    auto s = FindSection(section);

    if (!s) {
        const std::size_t position = lines_.size();
        const std::size_t lines =
            1 + section.size() + 1 + eolSize + key.size() + 1 + value.size() + eolSize;
        if (size_ + EolRepairCost(position) + lines > kMaxDocumentSize) return false;
        // Everything that can throw comes first, so that a failure leaves the document as it was.
        buffer_.reserve(buffer_.size() + lines);
        lines_.reserve(lines_.size() + 2);
        sections_.reserve(sections_.size() + 1);
        auto keys = std::make_unique<KeyIndex>();
        keys->emplace(key, 1);
        sectionIndex_.emplace(section, static_cast<std::uint32_t>(sections_.size()));

        RepairEol(position);
        Line header = NewLine("[", section, "]");
        header.kind = Kind::kSection;
        Line entry = NewLine(key, "=", value);
        entry.kind = Kind::kKey;
        sections_.push_back(Section{static_cast<std::uint32_t>(lines_.size()), std::move(keys)});
        lines_.push_back(header);
        lines_.push_back(entry);
        size_ += lines;
        return true;
    }

    if (auto found = FindKeyLine(*s, key)) {
        // Only the value changes: the key keeps its spelling and the blanks around '=' stay.
        Line& line = lines_[*found];
        std::string_view text = Text(line);
        std::size_t keep = text.find('=') + 1;
        if (!value.empty()) {
            while (keep < text.size() && IsBlank(text[keep])) ++keep;
        }
        const std::size_t newSize = keep + value.size();
        if (size_ - line.size + newSize > kMaxDocumentSize) return false;
        // Reserving first keeps the prefix, which lives in buffer_, in place while it is copied.
        buffer_.reserve(buffer_.size() + newSize);
        const auto begin = static_cast<std::uint32_t>(buffer_.size());
        buffer_.append(buffer_.data() + line.begin, keep).append(value);
        garbage_ += line.size;
        size_ = size_ - line.size + newSize;
        line.begin = begin;
        line.size = static_cast<std::uint32_t>(newSize);
        MaybeCompact();
        return true;
    }

    // A new key goes after the last key line, so that comments and blank lines that close the
    // section stay in front of the next one.
    const std::uint32_t header = sections_[*s].header;
    std::uint32_t position = header + 1;
    for (std::uint32_t i = SectionEnd(*s); i > header + 1; --i) {
        if (lines_[i - 1].kind == Kind::kKey) {
            position = i;
            break;
        }
    }
    const std::size_t growth = EolRepairCost(position) + key.size() + 1 + value.size() + eolSize;
    if (size_ + growth > kMaxDocumentSize) return false;
    buffer_.reserve(buffer_.size() + growth);
    lines_.reserve(lines_.size() + 1);
    // Every indexed key line lies before `position`, so the index only gains the new key.
    if (std::unique_ptr<KeyIndex>& keys = sections_[*s].keys) {
        keys->emplace(key, position - header);
    }
    Line entry = NewLine(key, "=", value);
    entry.kind = Kind::kKey;
    InsertLine(*s, position, entry);
    return true;
}

bool Document::EraseKey(std::string_view section, std::string_view key) {
    auto s = FindSection(section);
    if (!s) return false;
    auto found = FindKeyLine(*s, key);
    if (!found) return false;
    const Line& line = lines_[*found];
    garbage_ += line.size;
    size_ -= line.size + EolSize(line.eol);
    lines_.erase(lines_.begin() + *found);
    ShiftSections(*s, -1);
    // Offsets after the line moved, and a later duplicate of the key now comes first.
    sections_[*s].keys.reset();
    MaybeCompact();
    return true;
}

bool Document::EraseSection(std::string_view section) {
    auto s = FindSection(section);
    if (!s) return false;
    const std::uint32_t begin = sections_[*s].header;
    const std::uint32_t end = SectionEnd(*s);
    // The index is rebuilt before anything changes, so that running out of memory changes
    // nothing: ordinals after the section move down by one, and a later section of the same name
    // becomes the first.
    decltype(sectionIndex_) index;
    index.reserve(sectionIndex_.size());
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        if (i == *s) continue;
        std::string_view name = HeaderName(i);
        if (index.find(name) == index.end()) index.emplace(name, i < *s ? i : i - 1);
    }
    for (std::uint32_t i = begin; i < end; ++i) {
        garbage_ += lines_[i].size;
        size_ -= lines_[i].size + EolSize(lines_[i].eol);
    }
    lines_.erase(lines_.begin() + begin, lines_.begin() + end);
    ShiftSections(*s, -static_cast<std::int64_t>(end - begin));
    sections_.erase(sections_.begin() + *s);
    sectionIndex_.swap(index);
    MaybeCompact();
    return true;
}

std::string Document::Serialize() const {
    std::string out;
    out.reserve(size_);
    for (const Line& line : lines_) out.append(Text(line)).append(EolText(line.eol));
    return out;
}

void Document::MaybeCompact() {
    // Every write appends to the buffer; without this a program that rewrites one value in a
    // loop would grow it without bound. Re-parsing the document's own text gives the same lines.
    if (garbage_ < kCompactFloor || garbage_ < size_) return;
    try {
        const Eol eol = defaultEol_;
        *this = Parse(Serialize());
        defaultEol_ = eol;
    } catch (const std::bad_alloc&) {
        // Compacting is only an economy; the document is whole without it.
    }
}

}  // namespace kestrum::profile::detail
