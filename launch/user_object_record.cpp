#include "launch/user_object_record.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kestrum {

namespace {

constexpr std::uint8_t kLongTextByte = 0xFF;
constexpr std::uint16_t kWideTextWord = 0xFFFE;
constexpr std::uint16_t kLongerWord = 0xFFFF;

// One field list for writing, reading and sizing. `Record` is CUserObject when reading and
// const CUserObject otherwise, so the archive's overloads see the right constness.
template <typename Archive, typename Record>
void Transfer(Archive& ar, Record& r) {
    ar.Word(r.recordTag);

    auto& stamp = r.stamp;
    ar.Byte(stamp.stampOn);
    ar.Byte(stamp.pointSize);
    ar.Byte(stamp.angle);
    ar.Text(stamp.verticalPosition);
    ar.Text(stamp.horizontalPosition);
    ar.Byte(stamp.timeSwitch);
    ar.Byte(stamp.dateSwitch);
    ar.Byte(stamp.hSwitch);
    ar.Text(stamp.gValue);
    ar.Text(stamp.sValue);
    ar.Fixed(stamp.text, TextStampValues::kTextField);

    auto& job = r.job;
    ar.Byte(job.copies);
    ar.Byte(job.fileCopies);
    ar.Text(job.media);
    ar.Fixed(job.tray, JobOptionsValues::kTrayField);
    ar.Fixed(job.pageSize, JobOptionsValues::kPageSizeField);
    ar.Fixed(job.pageScale, JobOptionsValues::kPageScaleField);
    ar.Fixed(job.format, JobOptionsValues::kFormatField);
    ar.Fixed(job.rasterMode, JobOptionsValues::kRasterModeField);

    ar.Text(r.currentConfiguration);
    ar.Long(r.setCurrentFlag);
    ar.Byte(r.kind);

    auto& hpgl = r.hpgl;
    ar.Fixed(hpgl.plotterModel, HpglSettings::kSettingField);
    ar.Fixed(hpgl.rotation, HpglSettings::kSettingField);
    ar.Fixed(hpgl.pen0Handling, HpglSettings::kSettingField);
    ar.Fixed(hpgl.terminatorHandling, HpglSettings::kSettingField);
    ar.Fixed(hpgl.trailer, HpglSettings::kTrailerField);

    // The line-join field is 12 bytes in memory, but only its first 10 ever reached a file.
    constexpr std::size_t kStoredLineJoin = 10;
    auto pens = [&](auto& table) {
        for (auto& pen : table) {
            ar.Text(pen.width);
            ar.Text(pen.lineEnd);
            ar.Fixed(pen.lineJoin, kStoredLineJoin);
            ar.Text(pen.grayLevel);
            ar.Text(pen.opaque);
            ar.Text(pen.lineUpper);
        }
    };
    pens(r.hpglPens);

    auto& cc = r.calcomp;
    ar.Text(cc.plotUnit);
    ar.Text(cc.trailer);
    ar.Text(cc.pen0Switch);
    ar.Text(cc.switch1186);
    ar.Fixed(cc.step1187, CalCompSettings::kFixedField);
    ar.Text(cc.handshake);
    ar.Text(cc.checksum);
    ar.Text(cc.syncCount);
    ar.Fixed(cc.syncCharacter, CalCompSettings::kFixedField);
    ar.Fixed(cc.endOfMessageCharacter, CalCompSettings::kFixedField);
    pens(r.calcompPens);

    for (auto& value : r.raster) ar.Text(value);

    auto& acad = r.autocad;
    ar.Byte(acad.inForce);
    ar.Text(acad.paperSize);
    ar.Text(acad.marginA);
    ar.Text(acad.marginB);
    ar.Text(acad.marginD);
    ar.Text(acad.marginC);
    ar.Text(acad.plotChoice);
    ar.Text(acad.outputChoice);
    ar.Text(acad.areaChoice);
    ar.Text(acad.plotScale);
    ar.Text(acad.offsetX);
    ar.Text(acad.offsetY);
    ar.Text(acad.reserved);

    for (auto& colour : r.colourTable) {
        ar.Text(colour.pen);
        ar.Text(colour.width);
        ar.Text(colour.style);
    }

    // The folding selection belongs to the job options but was stored beside the check box.
    ar.Long(r.statusCheckBox);
    ar.Long(job.folding);
    ar.Raw(r.unusedField);
}

}  // namespace

void RecordWriter::Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void RecordWriter::Long(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void RecordWriter::Text(std::string_view text) {
    if (text.size() < kLongTextByte) {
        Byte(static_cast<std::uint8_t>(text.size()));
    } else if (text.size() < kWideTextWord) {
        Byte(kLongTextByte);
        Word(static_cast<std::uint16_t>(text.size()));
    } else if (text.size() <= std::numeric_limits<std::uint32_t>::max()) {
        Byte(kLongTextByte);
        Word(kLongerWord);
        Long(static_cast<std::uint32_t>(text.size()));
    } else {
        ok_ = false;
        return;
    }
    bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void RecordWriter::Fixed(std::string_view text, std::size_t size) {
    if (size == 0) return;
    const std::size_t keep = std::min(text.size(), size - 1);
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(keep));
    bytes_.insert(bytes_.end(), size - keep, 0);
}

void RecordWriter::Texts(const std::vector<std::string>& texts) {
    if (texts.size() < kLongerWord) {
        Word(static_cast<std::uint16_t>(texts.size()));
    } else if (texts.size() <= std::numeric_limits<std::uint32_t>::max()) {
        Word(kLongerWord);
        Long(static_cast<std::uint32_t>(texts.size()));
    } else {
        ok_ = false;
        return;
    }
    for (const std::string& text : texts) Text(text);
}

void RecordWriter::Raw(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void RecordReader::Refuse(RecordProblem problem, std::uint64_t declared) {
    if (problem_ != RecordProblem::None) return;
    problem_ = problem;
    declared_ = declared;
}

bool RecordReader::Take(std::size_t count, const std::uint8_t*& start) {
    if (!ok()) return false;
    if (count > remaining()) {
        Refuse(RecordProblem::EndsEarly);
        return false;
    }
    start = bytes_.data() + position_;
    position_ += count;
    return true;
}

void RecordReader::Byte(std::uint8_t& value) {
    const std::uint8_t* p = nullptr;
    if (Take(1, p)) value = p[0];
}

void RecordReader::Byte(ConfigurationKind& kind) {
    // Any byte is kept as found, so a record read and written again is the same record.
    const std::uint8_t* p = nullptr;
    if (Take(1, p)) kind = static_cast<ConfigurationKind>(p[0]);
}

void RecordReader::Word(std::uint16_t& value) {
    const std::uint8_t* p = nullptr;
    if (Take(2, p)) value = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void RecordReader::Long(std::uint32_t& value) {
    const std::uint8_t* p = nullptr;
    if (!Take(4, p)) return;
    value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void RecordReader::Long(std::int32_t& value) {
    std::uint32_t bits = 0;
    Long(bits);
    if (ok()) value = static_cast<std::int32_t>(bits);
}

void RecordReader::Text(std::string& text) {
    std::uint8_t first = 0;
    Byte(first);
    std::uint64_t length = first;
    if (ok() && first == kLongTextByte) {
        std::uint16_t word = 0;
        Word(word);
        length = word;
        if (ok() && word == kWideTextWord) Refuse(RecordProblem::UnknownTextEncoding);
        if (ok() && word == kLongerWord) {
            std::uint32_t longLength = 0;
            Long(longLength);
            length = longLength;
        }
    }
    if (!ok()) return;
    // Checked before the string is sized, so a damaged length never reserves memory.
    if (length > remaining()) {
        Refuse(RecordProblem::TextTooLong, length);
        return;
    }
    const std::uint8_t* p = nullptr;
    if (Take(static_cast<std::size_t>(length), p)) {
        text.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
    }
}

void RecordReader::Fixed(std::string& text, std::size_t size) {
    if (size == 0) return;
    const std::uint8_t* p = nullptr;
    if (!Take(size, p)) return;
    const auto* chars = reinterpret_cast<const char*>(p);
    text.assign(chars, strnlen(chars, size - 1));
}

void RecordReader::Texts(std::vector<std::string>& texts) {
    std::uint16_t word = 0;
    Word(word);
    std::uint64_t count = word;
    if (ok() && word == kLongerWord) {
        std::uint32_t longCount = 0;
        Long(longCount);
        count = longCount;
    }
    if (!ok()) return;
    // Every text takes at least its length byte.
    if (count > remaining()) {
        Refuse(RecordProblem::ListTooLong, count);
        return;
    }
    for (std::uint64_t i = 0; i < count && ok(); ++i) {
        std::string text;
        Text(text);
        if (ok()) texts.push_back(std::move(text));
    }
}

void RecordReader::Raw(std::span<std::uint8_t> bytes) {
    const std::uint8_t* p = nullptr;
    if (Take(bytes.size(), p)) std::memcpy(bytes.data(), p, bytes.size());
}

void TransferUserObject(RecordWriter& out, const CUserObject& record) {
    Transfer(out, record);
}

void TransferUserObject(RecordReader& in, CUserObject& record) {
    // Into a fresh record first, so a damaged record leaves the caller's untouched.
    CUserObject read;
    Transfer(in, read);
    if (in.ok()) record = std::move(read);
}

void TransferUserObject(RecordSizer& sizer, const CUserObject& record) {
    Transfer(sizer, record);
}

}  // namespace kestrum
