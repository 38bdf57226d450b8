#include "launch/launch_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace kestrum {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The layout written out by hand, field by field, independently of the code under test.
class Expected {
  public:
    Expected& U8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Expected& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    Expected& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Expected& Raw(std::string_view s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Expected& Counted(std::string_view s) {  // only short texts here
        return U8(static_cast<std::uint8_t>(s.size())).Raw(s);
    }
    Expected& Fixed(std::string_view s, std::size_t n) {
        Raw(s);
        bytes.insert(bytes.end(), n - s.size(), 0);
        return *this;
    }
    Bytes bytes;
};

std::string N(const char* prefix, int i) {
    return prefix + std::to_string(i);
}

// Every field set to a value of its own, so a field written in the wrong place shows.
CUserObject DistinctRecord() {
    CUserObject r;
    r.recordTag = 0x1234;
    r.stamp.stampOn = 1;
    r.stamp.pointSize = 2;
    r.stamp.angle = 3;
    r.stamp.verticalPosition = "vp";
    r.stamp.horizontalPosition = "hp";
    r.stamp.timeSwitch = 4;
    r.stamp.dateSwitch = 5;
    r.stamp.hSwitch = 6;
    r.stamp.gValue = "g";
    r.stamp.sValue = "s";
    r.stamp.text = "stamp";
    r.job.copies = 7;
    r.job.fileCopies = 8;
    r.job.media = "media";
    r.job.tray = "TRAY";
    r.job.pageSize = "A0";
    r.job.pageScale = "1:1";
    r.job.format = "HP";
    r.job.rasterMode = "raster";
    r.job.folding = 0x0A0B0C0D;
    r.currentConfiguration = "/c/a.cfg";
    r.setCurrentFlag = 1;
    r.kind = ConfigurationKind::Queue;
    r.hpgl = {"model", "rot", "pen0", "term", "trailer"};
    for (int i = 0; i < kPenCount; ++i) {
        r.hpglPens[i] = {N("w", i), N("e", i), N("j", i), N("g", i), N("o", i), N("l", i)};
        r.calcompPens[i] = {N("W", i), N("E", i), N("J", i), N("G", i), N("O", i), N("L", i)};
    }
    r.calcomp = {"unit", "ctr", "p0", "s86", "STEP", "hand", "sum", "sync#", "syn", "eom"};
    for (int i = 0; i < kRasterValueCount; ++i) r.raster[i] = N("r", i);
    r.autocad = {1,     "paper", "mA",    "mB", "mD", "mC", "plot",
                 "out", "area",  "scale", "ox", "oy", ""};
    for (int i = 0; i < kColourCount; ++i) r.colourTable[i] = {N("p", i), N("x", i), N("y", i)};
    r.statusCheckBox = -2;
    for (std::size_t i = 0; i < r.unusedField.size(); ++i) r.unusedField[i] = 0xA0 + i;
    return r;
}

Bytes DistinctRecordBytes() {
    Expected b;
    b.U16(0x1234);
    b.U8(1).U8(2).U8(3).Counted("vp").Counted("hp").U8(4).U8(5).U8(6);
    b.Counted("g").Counted("s").Fixed("stamp", 81);
    b.U8(7).U8(8).Counted("media").Fixed("TRAY", 20).Fixed("A0", 16).Fixed("1:1", 11);
    b.Fixed("HP", 10).Fixed("raster", 25);
    b.Counted("/c/a.cfg").U32(1).U8(2);
    b.Fixed("model", 11).Fixed("rot", 11).Fixed("pen0", 11).Fixed("term", 11).Fixed("trailer", 16);
    for (int i = 0; i < kPenCount; ++i) {
        b.Counted(N("w", i)).Counted(N("e", i)).Fixed(N("j", i), 10);
        b.Counted(N("g", i)).Counted(N("o", i)).Counted(N("l", i));
    }
    b.Counted("unit").Counted("ctr").Counted("p0").Counted("s86").Fixed("STEP", 11);
    b.Counted("hand").Counted("sum").Counted("sync#").Fixed("syn", 11).Fixed("eom", 11);
    for (int i = 0; i < kPenCount; ++i) {
        b.Counted(N("W", i)).Counted(N("E", i)).Fixed(N("J", i), 10);
        b.Counted(N("G", i)).Counted(N("O", i)).Counted(N("L", i));
    }
    for (int i = 0; i < kRasterValueCount; ++i) b.Counted(N("r", i));
    b.U8(1);
    for (const char* t :
         {"paper", "mA", "mB", "mD", "mC", "plot", "out", "area", "scale", "ox", "oy", ""}) {
        b.Counted(t);
    }
    for (int i = 0; i < kColourCount; ++i)
        b.Counted(N("p", i)).Counted(N("x", i)).Counted(N("y", i));
    b.U32(static_cast<std::uint32_t>(-2)).U32(0x0A0B0C0D);
    for (int i = 0; i < 31; ++i) b.U8(0xA0 + i);
    return b.bytes;
}

Bytes Encode(const std::vector<PlotFileEntry>& entries) {
    Result<Bytes> bytes = EncodeLaunchFile(entries);
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : Bytes{};
}

Bytes Signature() {
    return Bytes(kLaunchFileSignature.begin(), kLaunchFileSignature.end());
}

PlotFileEntry Entry(std::string path) {
    PlotFileEntry entry;
    entry.filePath = std::move(path);
    return entry;
}

TEST(LaunchFileLayout, ZeroEntriesAreSignatureAndZeroCount) {
    Bytes expected = Signature();
    expected.insert(expected.end(), 4, 0);
    EXPECT_EQ(Encode({}), expected);
    EXPECT_EQ(expected.size(), 17u);
}

TEST(LaunchFileLayout, EntryRecordFieldByField) {
    PlotFileEntry entry;
    entry.filePath = "/p/plan.plt";
    entry.isDrawing = 1;
    entry.renderedFile = "/tmp/kslAB";
    entry.configuration = "/c/b.cfg";
    entry.savedSettings = DistinctRecord();
    entry.savedReferences = ReferenceList{"/x1", "/x2", "/x3"};

    Expected b;
    b.Raw(kLaunchFileSignature).U32(1);
    b.Counted("/p/plan.plt").U32(1).Counted("/tmp/kslAB").Counted("/c/b.cfg");
    const Bytes record = DistinctRecordBytes();
    b.bytes.insert(b.bytes.end(), record.begin(), record.end());
    b.U16(3).Counted("/x1").Counted("/x2").Counted("/x3");

    const Bytes written = Encode({entry});
    ASSERT_EQ(written.size(), b.bytes.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        ASSERT_EQ(written[i], b.bytes[i]) << "first difference at byte " << i;
    }
}

struct LengthRow {
    const char* name;
    std::size_t length;
    Bytes prefix;
};

class LaunchFileCountedTextTest : public testing::TestWithParam<LengthRow> {};

TEST_P(LaunchFileCountedTextTest, LengthPrefixThenRoundTrip) {
    const LengthRow& row = GetParam();
    const PlotFileEntry entry = Entry(std::string(row.length, 'p'));
    const Bytes written = Encode({entry});
    const Bytes prefix(written.begin() + 17, written.begin() + 17 + row.prefix.size());
    EXPECT_EQ(prefix, row.prefix);
    EXPECT_EQ(written[17 + row.prefix.size()], 'p');
    LaunchFileReading read = DecodeLaunchFile(written, "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].filePath.size(), row.length);
}

const LengthRow kLengths[] = {
    {"oneByteLargest", 254, {0xFE}},
    {"oneByteLimitGoesLong", 255, {0xFF, 0xFF, 0x00}},
    {"path300", 300, {0xFF, 0x2C, 0x01}},
    {"wordLargest", 0xFFFD, {0xFF, 0xFD, 0xFF}},
    {"wordLimitGoesLonger", 0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    {"beyondWord", 70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchFileCountedTextTest, testing::ValuesIn(kLengths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchFileLayout, ReferenceCountBeyondWordUsesLongCount) {
    PlotFileEntry entry;
    entry.savedReferences.edit().assign(0xFFFF, "");
    const Bytes written = Encode({entry});
    const Bytes tail(written.end() - 0xFFFF - 6, written.end() - 0xFFFF);
    EXPECT_EQ(tail, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    LaunchFileReading read = DecodeLaunchFile(written, "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.entries[0].savedReferences->size(), 0xFFFFu);
}

struct FixedRow {
    const char* name;
    std::string tray;      // a 20-byte field
    std::string lineJoin;  // a 10-byte field
    std::string trayRead;
    std::string lineJoinRead;
};

class LaunchFileFixedFieldTest : public testing::TestWithParam<FixedRow> {};

TEST_P(LaunchFileFixedFieldTest, KeepsAtMostSizeLessOne) {
    const FixedRow& row = GetParam();
    PlotFileEntry entry;
    entry.savedSettings.edit().job.tray = row.tray;
    entry.savedSettings.edit().hpglPens[0].lineJoin = row.lineJoin;
    LaunchFileReading read = DecodeLaunchFile(Encode({entry}), "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.entries[0].savedSettings->job.tray, row.trayRead);
    EXPECT_EQ(read.entries[0].savedSettings->hpglPens[0].lineJoin, row.lineJoinRead);
    // Once cut, a value stays as it is however often it is saved again.
    EXPECT_EQ(DecodeLaunchFile(Encode(read.entries), "t.lch").entries, read.entries);
}

const FixedRow kFixed[] = {
    {"empty", "", "", "", ""},
    {"fillsAllButTerminator", std::string(19, 'T'), std::string(9, 'J'), std::string(19, 'T'),
     std::string(9, 'J')},
    {"oneTooLongIsCut", std::string(20, 'T'), std::string(10, 'J'), std::string(19, 'T'),
     std::string(9, 'J')},
    {"muchTooLongIsCut", std::string(300, 'T'), std::string(12, 'J'), std::string(19, 'T'),
     std::string(9, 'J')},
    {"zeroInsideEndsIt", std::string("AB\0CD", 5), std::string("J\0K", 3), "AB", "J"},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchFileFixedFieldTest, testing::ValuesIn(kFixed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchFileLayout, FixedFieldWithoutZeroReadsAllButLastByte) {
    PlotFileEntry entry;
    entry.savedSettings.edit().job.tray = "TRAYMARK";
    Bytes bytes = Encode({entry});
    const std::string_view mark = "TRAYMARK";
    const auto tray = std::search(bytes.begin(), bytes.end(), mark.begin(), mark.end());
    ASSERT_NE(tray, bytes.end());
    std::fill(tray, tray + 20, 'Z');
    LaunchFileReading read = DecodeLaunchFile(bytes, "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.entries[0].savedSettings->job.tray, std::string(19, 'Z'));
}

std::vector<PlotFileEntry> VariedEntries(int count) {
    std::vector<PlotFileEntry> entries;
    for (int i = 0; i < count; ++i) {
        PlotFileEntry entry;
        entry.filePath = "/plots/" + std::string(i % 400, 'n') + N("f", i) + ".plt";
        entry.isDrawing = i % 3 == 0 ? 1 : (i % 7 == 0 ? -5 : 0);
        entry.renderedFile = i % 5 == 0 ? N("/tmp/ksl", i) : "";
        entry.configuration = i % 2 == 0 ? N("C:\\cfg\\c", i) + ".cfg" : "<Current settings>";
        entry.savedSettings = i % 4 == 0 ? DistinctRecord() : CUserObject{};
        CUserObject& record = entry.savedSettings.edit();
        record.recordTag = static_cast<std::uint16_t>(i);
        record.kind = static_cast<ConfigurationKind>(i % 256);
        record.unusedField[i % 31] = static_cast<std::uint8_t>(i);
        record.stamp.gValue = std::string("nul\0inside", 10);
        for (int r = 0; r < i % 4; ++r) entry.savedReferences.edit().push_back(N("/xref/", r));
        entries.push_back(std::move(entry));
    }
    return entries;
}

TEST(LaunchFileRoundTrip, EntriesWithTheSameRecordShareOneCopy) {
    std::vector<PlotFileEntry> entries = VariedEntries(3);
    for (PlotFileEntry& entry : entries) {
        entry.savedSettings = DistinctRecord();
        entry.savedReferences = ReferenceList{"/x"};
    }
    entries[2].savedSettings.edit().job.tray = "OTHER";
    LaunchFileReading read = DecodeLaunchFile(Encode(entries), "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.entries, entries);
    EXPECT_TRUE(read.entries[0].savedSettings.SharesWith(read.entries[1].savedSettings));
    EXPECT_FALSE(read.entries[0].savedSettings.SharesWith(read.entries[2].savedSettings));
    EXPECT_TRUE(read.entries[0].savedReferences.SharesWith(read.entries[2].savedReferences));

    // Changing one entry's record leaves the others' alone.
    read.entries[1].savedSettings.edit().job.tray = "CHANGED";
    EXPECT_EQ(read.entries[0].savedSettings->job.tray, entries[0].savedSettings->job.tray);
}

TEST(LaunchFileRoundTrip, ThreeHundredEntriesComeBackEqual) {
    const std::vector<PlotFileEntry> entries = VariedEntries(300);
    test::TempFolder folder;
    const auto file = folder / "list.lch";
    ASSERT_TRUE(WriteLaunchFile(file, entries).ok());
    Result<std::vector<PlotFileEntry>> read = ReadLaunchFile(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    ASSERT_EQ(read.value().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(read.value()[i], entries[i]) << "entry " << i;
    }
}

TEST(LaunchFileRoundTrip, BytesAfterTheLastEntryAreIgnored) {
    const std::vector<PlotFileEntry> entries = VariedEntries(2);
    Bytes bytes = Encode(entries);
    bytes.insert(bytes.end(), {'x', 'y', 0xFF});
    LaunchFileReading read = DecodeLaunchFile(bytes, "t.lch");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.entries, entries);
}

TEST(LaunchFileRefusal, EveryTruncationIsRefusedWithTheFileName) {
    // Two entries, so a cut between them shows too; every kind of field is in each.
    std::vector<PlotFileEntry> entries = VariedEntries(3);
    entries.erase(entries.begin());  // the first has the long record, which only costs time
    const Bytes whole = Encode(entries);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        LaunchFileReading read = DecodeLaunchFile(std::span(whole.data(), size), "/x/list.lch");
        ASSERT_FALSE(read.ok()) << "cut at " << size;
        EXPECT_EQ(read.fault,
                  size < 13 ? LaunchFileFault::NotALaunchFile : LaunchFileFault::Damaged)
            << "cut at " << size;
        EXPECT_TRUE(read.entries.empty());
        EXPECT_EQ(read.message.rfind("\"/x/list.lch\" ", 0), 0u) << read.message;
    }
}

struct DamageRow {
    const char* name;
    // Applied to a valid file of one entry with an empty path, a rendered file and no references.
    void (*damage)(Bytes&);
    LaunchFileFault fault;
    const char* message;
};

class LaunchFileDamageTest : public testing::TestWithParam<DamageRow> {};

TEST_P(LaunchFileDamageTest, RefusedWithClearMessage) {
    PlotFileEntry entry;
    entry.renderedFile = "/tmp/kslAB";  // longer than the least an entry takes
    Bytes bytes = Encode({entry});
    GetParam().damage(bytes);
    LaunchFileReading read = DecodeLaunchFile(bytes, "/x/list.lch");
    EXPECT_EQ(read.fault, GetParam().fault);
    EXPECT_EQ(read.message, GetParam().message);
    EXPECT_TRUE(read.entries.empty());
}

void ReplaceAt(Bytes& bytes, std::size_t at, std::size_t length, Bytes with) {
    bytes.erase(bytes.begin() + at, bytes.begin() + at + length);
    bytes.insert(bytes.begin() + at, with.begin(), with.end());
}

const DamageRow kDamages[] = {
    {"emptyFile", [](Bytes& b) { b.clear(); }, LaunchFileFault::NotALaunchFile,
     "\"/x/list.lch\" is not a launch file."},
    {"signatureInOtherCase", [](Bytes& b) { b[1] = 'T'; }, LaunchFileFault::NotALaunchFile,
     "\"/x/list.lch\" is not a launch file."},
    {"signatureLengthWrong", [](Bytes& b) { b[0] = 13; }, LaunchFileFault::NotALaunchFile,
     "\"/x/list.lch\" is not a launch file."},
    {"countMissing", [](Bytes& b) { b.resize(15); }, LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: it ends before its number of entries."},
    {"countOneTooMany", [](Bytes& b) { b[13] = 2; }, LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: it declares 2 entries, more than the rest of the file holds."},
    {"countHuge",
     [](Bytes& b) {
         ReplaceAt(b, 13, 4, {0xFF, 0xFF, 0xFF, 0xFF});
     },
     LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: it declares 4294967295 entries, more than the rest of the file "
     "holds."},
    {"pathLengthHuge",
     [](Bytes& b) {
         ReplaceAt(b, 17, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
     },
     LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: entry 1 declares a text of 4294967295 bytes, more than the rest "
     "of the file holds."},
    {"wideText",
     [](Bytes& b) {
         ReplaceAt(b, 17, 1, {0xFF, 0xFE, 0xFF, 0x00});
     },
     LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: entry 1 holds a text in wide characters, which Kestrum does not "
     "read."},
    {"referenceCountHuge",
     [](Bytes& b) {
         ReplaceAt(b, b.size() - 2, 2, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
     },
     LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: entry 1 declares 4294967295 reference folders, more than the "
     "rest of the file holds."},
    {"lastByteMissing", [](Bytes& b) { b.pop_back(); }, LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: it ends inside entry 1."},
    {"secondEntryCutShort",
     [](Bytes& b) {
         const Bytes entry(b.begin() + 17, b.end());
         b[13] = 2;
         b.insert(b.end(), entry.begin(), entry.end() - 1);
     },
     LaunchFileFault::Damaged, "\"/x/list.lch\" is damaged: it ends inside entry 2."},
    {"renderedFileLongerThanTheRest",
     [](Bytes& b) {
         ReplaceAt(b, 22, 1, {0xFF, 0xF0, 0xFF});
     },
     LaunchFileFault::Damaged,
     "\"/x/list.lch\" is damaged: entry 1 declares a text of 65520 bytes, more than the rest of "
     "the file holds."},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchFileDamageTest, testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchFileRefusal, FilesThatCannotBeReadNameTheFile) {
    test::TempFolder folder;
    const auto missing = folder / "missing.lch";
    Result<std::vector<PlotFileEntry>> read = ReadLaunchFile(missing);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().message, "Cannot read \"" + missing.string() + "\": it does not exist.");

    read = ReadLaunchFile(folder.path());
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().message.find("it is a folder."), std::string::npos);

    // A pipe with no writer is refused at once, not waited on.
    const auto pipe = folder / "pipe.lch";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    read = ReadLaunchFile(pipe);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().message.find("it is not a regular file."), std::string::npos);

    // Sparse, so the test costs no disk space; refused before any byte is read.
    const auto huge = folder / "huge.lch";
    test::WriteFile(huge, std::string(kLaunchFileSignature) + std::string(4, '\0'));
    std::filesystem::resize_file(huge, kMaxLaunchFileSize + 1);
    LaunchFileReading reading = ReadLaunchFileWithCause(huge);
    EXPECT_EQ(reading.fault, LaunchFileFault::CannotRead);
    EXPECT_NE(reading.message.find("larger than 64 MiB"), std::string::npos) << reading.message;
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LaunchFileWrite, ReplacesWholeKeepingModeAndLeavingNoTemporaryFile) {
    test::TempFolder folder;
    const auto file = folder / "list.lch";
    test::WriteFile(file, std::string(100000, 'o'));  // longer than the new content
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);

    ASSERT_TRUE(WriteLaunchFile(file, {Entry("/p/a.plt")}).ok());
    const Bytes expected = Encode({Entry("/p/a.plt")});
    EXPECT_EQ(test::ReadFile(file), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"list.lch"});
}

TEST(LaunchFileWrite, ThroughALinkReplacesTheFileLinkedTo) {
    test::TempFolder folder;
    const auto target = folder / "real.lch";
    const auto link = folder / "link.lch";
    test::WriteFile(target, "old");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(WriteLaunchFile(link, {}).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(target).size(), 17u);
}

TEST(LaunchFileWrite, FailureLeavesTheOldFileAndNamesTheFile) {
    test::TempFolder folder;
    const auto inMissingFolder = folder / "no" / "list.lch";
    Result<void> written = WriteLaunchFile(inMissingFolder, {});
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().message,
              "Cannot write \"" + inMissingFolder.string() + "\": the folder does not exist.");

    written = WriteLaunchFile(folder.path(), {});
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().message.find("it is a folder."), std::string::npos);

    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const auto file = folder / "list.lch";
    test::WriteFile(file, "old content");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0500), 0);
    written = WriteLaunchFile(file, {Entry("/p/a.plt")});
    ::chmod(folder.path().c_str(), 0700);
    EXPECT_FALSE(written.ok());
    EXPECT_EQ(test::ReadFile(file), "old content");
    EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"list.lch"});
}

}  // namespace
}  // namespace kestrum
