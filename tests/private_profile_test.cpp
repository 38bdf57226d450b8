#include "platform/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/temp_folder.h"

namespace kestrum::profile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace std::string_view_literals;

using test::ReadFile;
using test::WriteFile;

// Every test works in a folder of its own, so cache entries of one test never meet another's.
class ProfileTest : public testing::Test {
  protected:
    ~ProfileTest() override {
        for (const fs::path& file : used_) Forget(file);
    }

    fs::path File(const std::string& name = "test.cfg") {
        used_.push_back(folder_ / name);
        return used_.back();
    }
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& item : fs::recursive_directory_iterator(folder_)) {
            std::string name = item.path().filename().string();
            if (name.rfind(".kestrum-", 0) == 0) names.push_back(name);
        }
        return names;
    }

    test::TempFolder temp_;
    const fs::path folder_ = temp_.path();
    std::vector<fs::path> used_;
};

// Test rows print as their names in failure messages.
template <typename Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// ---------------------------------------------------------------------------------------------
// Reading

const char* const kReadSample[] = {
    "; leading comment",
    "orphan=before any section",
    "[General]",
    "Name = Plotter One  ",
    "name=second spelling never wins",
    "=empty key value",
    "  Indented = yes",
    "Tab\t=\ttabbed\t",
    "NoEquals line",
    "; Hidden=comment",
    "Spaces In Key = kept inside",
    "[general]",
    "Late=from a duplicate section",
    "[ Padded ]",
    "k=v",
};

struct ReadCase {
    const char* name;
    std::string_view section;
    std::string_view key;
    std::string_view expected;
};

const ReadCase kReads[] = {
    {"NamesIgnoreCase", "GENERAL", "nAME", "Plotter One"},
    {"FirstDuplicateKeyWins", "General", "Name", "Plotter One"},
    {"DuplicateSectionIgnored", "General", "Late", "<default>"},
    {"EmptyKeyIsAKey", "General", "", "empty key value"},
    {"IndentedKey", "General", "indented", "yes"},
    {"TabsTrimmed", "General", "Tab", "tabbed"},
    {"CommentIsNoKey", "General", "; Hidden", "<default>"},
    {"LineWithoutEqualsIsNoKey", "General", "NoEquals line", "<default>"},
    {"KeyBeforeAnySectionUnreachable", "", "orphan", "<default>"},
    {"InnerBlanksKept", "General", "spaces in key", "kept inside"},
    {"HeaderTrimmed", "Padded", "k", "v"},
    {"RequestedNamesTrimmed", " padded\t", " k ", "v"},
    {"MissingSection", "Nowhere", "Name", "<default>"},
};

class ReadTest : public ProfileTest,
                 public testing::WithParamInterface<std::tuple<ReadCase, const char*>> {};

TEST_P(ReadTest, FindsFirstMatchingValue) {
    const auto& [row, eol] = GetParam();
    std::string text;
    for (const char* line : kReadSample) text += line + std::string(eol);
    const fs::path file = File();
    WriteFile(file, text);
    EXPECT_EQ(ReadString(file, row.section, row.key, "<default>", 256), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadTest,
                         testing::Combine(testing::ValuesIn(kReads), testing::Values("\n", "\r\n")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param)[0] == '\r' ? "_CrLf" : "_Lf");
                         });

struct TruncationCase {
    const char* name;
    std::string_view key;
    std::size_t size;
    std::string_view expected;
};

const TruncationCase kTruncations[] = {
    {"SizeZeroGivesNothing", "k", 0, ""},
    {"SizeOneGivesNothing", "k", 1, ""},
    {"CutToSizeMinusOne", "k", 3, "He"},
    {"ExactFit", "k", 6, "Hello"},
    {"DefaultIsCutToo", "missing", 4, "Def"},
    {"NoHalfCharacter", "utf8", 3, "a"},
    {"WholeCharacterKept", "utf8", 4, "a\xC3\x84"},
};

class TruncationTest : public ProfileTest, public testing::WithParamInterface<TruncationCase> {};

TEST_P(TruncationTest, HoldsAtMostSizeMinusOne) {
    const fs::path file = File();
    WriteFile(file,
              "[S]\nk=Hello\nutf8=a\xC3\x84"
              "b\n");
    EXPECT_EQ(ReadString(file, "S", GetParam().key, "Default", GetParam().size),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, TruncationTest, testing::ValuesIn(kTruncations),
                         [](const auto& info) { return std::string(info.param.name); });

struct IntCase {
    const char* name;
    std::string_view text;
    int expected;
};

const IntCase kInts[] = {
    {"Plain", "42", 42},
    {"Negative", "-17", -17},
    {"Plus", "+5", 5},
    {"TrailingText", "12abc", 12},
    {"LeadingBlank", " 7", 7},
    {"NoDigits", "abc", -1},

    {"SignOnly", "-", -1},
    {"BlankAfterSign", "- 5", -1},

    {"Largest", "2147483647", INT_MAX},
    {"Smallest", "-2147483648", INT_MIN},
    {"OverflowSaturates", "99999999999999999999999", INT_MAX},
    {"UnderflowSaturates", "-2147483649", INT_MIN},
};

class IntTest : public ProfileTest, public testing::WithParamInterface<IntCase> {};

TEST_P(IntTest, ParsesLeadingDecimal) {
    const fs::path file = File();
    WriteFile(file, "[S]\nv=" + std::string(GetParam().text) + "\n");
    EXPECT_EQ(ReadInt(file, "S", "v", -1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, IntTest, testing::ValuesIn(kInts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileTest, NulBytesAreOrdinaryCharacters) {
    const fs::path file = File();
    WriteFile(file, "[A\0B]\nk\0=v\0x\n[A]\nk=1\n"s);
    EXPECT_EQ(ReadString(file, "A\0B"sv, "k\0"sv, "", 99), "v\0x"s);
    EXPECT_EQ(ReadString(file, "A", "k", "", 99), "1");
    EXPECT_EQ(SectionNames(file), (std::vector<std::string>{"A\0B"s, "A"}));
}

TEST_F(ProfileTest, NamesInFileOrderFirstSpellingOnce) {
    const fs::path file = File();
    WriteFile(file, "[A]\nb=1\nA=2\n; c=3\nB=4\n=5\nodd\n[B]\n[a]\nz=1\n[ C ]\n");
    EXPECT_EQ(KeyNames(file, "a"), (std::vector<std::string>{"b", "A", ""}));
    EXPECT_EQ(SectionNames(file), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(KeyNames(file, "Missing").empty());

    ASSERT_TRUE(WriteString(file, "a", "new", "1"));
    ASSERT_TRUE(WriteString(file, "D", "k", "1"));
    EXPECT_EQ(KeyNames(file, "A"), (std::vector<std::string>{"b", "A", "", "new"}));
    EXPECT_EQ(SectionNames(file), (std::vector<std::string>{"A", "B", "C", "D"}));
}

// ---------------------------------------------------------------------------------------------
// Editing: the whole file is compared, so any line changed by accident shows.

struct Op {
    enum Kind { kWrite, kDeleteKey, kDeleteSection } kind;
    std::string_view section;
    std::string_view key = {};
    std::string_view value = {};
};

struct EditCase {
    const char* name;
    std::string before;
    std::vector<Op> ops;
    std::string after;
};

const EditCase kEdits[] = {
    {"ReplaceKeepsOtherLines",
     "; top\n\n[A]\n; about x\n  x = 1  \nodd line\ny=2\n\n[B]\nx=3\n",
     {{Op::kWrite, "a", "X", "9"}},
     "; top\n\n[A]\n; about x\n  x = 9\nodd line\ny=2\n\n[B]\nx=3\n"},
    {"ReplaceWithEmpty", "[A]\nx = 1\n", {{Op::kWrite, "A", "x", ""}}, "[A]\nx =\n"},
    {"NewKeyAfterLastKey",
     "[A]\nx=1\n; closing comment\n\n[B]\n",
     {{Op::kWrite, "A", "n", "v"}},
     "[A]\nx=1\nn=v\n; closing comment\n\n[B]\n"},
    {"NewKeyInSectionWithoutKeys",
     "[A]\n\n[B]\n",
     {{Op::kWrite, "A", "k", "v"}},
     "[A]\nk=v\n\n[B]\n"},
    {"NewSectionAtEnd", "[A]\nx=1\n", {{Op::kWrite, "New", "k", "v"}}, "[A]\nx=1\n[New]\nk=v\n"},
    {"NoFinalLineEnd", "[A]\nx=1", {{Op::kWrite, "A", "y", "2"}}, "[A]\nx=1\ny=2\n"},
    {"CrLfKept",
     "[A]\r\nx=1\r\n",
     {{Op::kWrite, "A", "y", "2"}, {Op::kWrite, "New", "k", "v"}},
     "[A]\r\nx=1\r\ny=2\r\n[New]\r\nk=v\r\n"},
    {"MixedLineEndsKept",
     "[A]\r\nx=1\n; c\r\n",
     {{Op::kWrite, "A", "x", "5"}},
     "[A]\r\nx=5\n; c\r\n"},
    {"EmptyKeyAndValue", "", {{Op::kWrite, "S", "", ""}}, "[S]\n=\n"},
    {"WritesFirstDuplicate",
     "[A]\nk=1\nk=2\n[a]\nk=3\n",
     {{Op::kWrite, "A", "K", "9"}},
     "[A]\nk=9\nk=2\n[a]\nk=3\n"},
    {"NamesTrimmed", "[A]\nk=1\n", {{Op::kWrite, " A\t", " k ", "v"}}, "[A]\nk=v\n"},
    {"InsertedKeysFoundAgain",
     "[A]\nk=1\n\n[B]\n",
     {{Op::kWrite, "A", "n", "1"}, {Op::kWrite, "A", "m", "2"}, {Op::kWrite, "A", "n", "3"}},
     "[A]\nk=1\nn=3\nm=2\n\n[B]\n"},
    {"LaterSectionsFoundAfterInsert",
     "[A]\na=1\n[B]\nb=1\n",
     {{Op::kWrite, "A", "x", "1"}, {Op::kWrite, "B", "b", "2"}},
     "[A]\na=1\nx=1\n[B]\nb=2\n"},
    {"DeleteKeyThenDuplicateShows",
     "[A]\nk=1\nK=2\nj=3\n",
     {{Op::kDeleteKey, "A", "k"}, {Op::kWrite, "A", "k", "9"}},
     "[A]\nK=9\nj=3\n"},
    {"DeleteSectionUpToNextHeader",
     "; top\n[A]\nk=1\n; c\n\n[B]\nj=2\n",
     {{Op::kDeleteSection, "a"}},
     "; top\n[B]\nj=2\n"},
    {"DeleteSectionFirstOnly",
     "[A]\nk=1\n[B]\n[a]\nk=2\n",
     {{Op::kDeleteSection, "A"}, {Op::kWrite, "A", "x", "1"}},
     "[B]\n[a]\nk=2\nx=1\n"},
    {"DeleteAbsentChangesNothing",
     "[A]\nk=1\n",
     {{Op::kDeleteKey, "A", "zz"}, {Op::kDeleteKey, "Q", "k"}, {Op::kDeleteSection, "Q"}},
     "[A]\nk=1\n"},
};

// Every section, key and value as the cache answers them.
std::string Snapshot(const fs::path& file) {
    std::string out;
    for (const std::string& section : SectionNames(file)) {
        out += "[" + section + "]";
        for (const std::string& key : KeyNames(file, section)) {
            out += key + "=" + ReadString(file, section, key, "?", 999) + ";";
        }
    }
    return out;
}

class EditTest : public ProfileTest, public testing::WithParamInterface<EditCase> {};

TEST_P(EditTest, ChangesOnlyItsLines) {
    const fs::path file = File();
    WriteFile(file, GetParam().before);
    for (const Op& op : GetParam().ops) {
        Result<void> done = op.kind == Op::kWrite ? WriteString(file, op.section, op.key, op.value)
                            : op.kind == Op::kDeleteKey ? DeleteKey(file, op.section, op.key)
                                                        : DeleteSection(file, op.section);
        ASSERT_TRUE(done) << done.error().message;
    }
    const std::string cached = Snapshot(file);
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), GetParam().after);
    Forget(file);
    EXPECT_EQ(Snapshot(file), cached) << "the cache and the file it wrote disagree";
}

INSTANTIATE_TEST_SUITE_P(Rows, EditTest, testing::ValuesIn(kEdits),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

const RefusalCase kRefusals[] = {
    {"SectionWithBracket", "a]b", "k", "v"},   {"SectionWithLf", "a\nb", "k", "v"},
    {"KeyWithEquals", "A", "a=b", "v"},        {"KeyStartingBracket", "A", "[k", "v"},
    {"KeyStartingSemicolon", "A", " ;k", "v"}, {"ValueWithLf", "A", "k", "1\n[X]"},
    {"ValueWithCr", "A", "k", "1\r2"},
};

class RefusalTest : public ProfileTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, ChangesNothing) {
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    Result<void> written = WriteString(file, GetParam().section, GetParam().key, GetParam().value);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().message.find(file.string()), std::string::npos);
    EXPECT_EQ(ReadString(file, "A", "k", "", 99), "1");
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, RefusalTest, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The file on disk

TEST_F(ProfileTest, WritesStayInCacheUntilFlush) {
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    fs::permissions(file, static_cast<fs::perms>(0600));
    ASSERT_TRUE(WriteString(file, "A", "k", "2"));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n");
    EXPECT_EQ(ReadInt(file, "A", "k", 0), 2);
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=2\n");
    EXPECT_EQ(fs::status(file).permissions(), static_cast<fs::perms>(0600));
    EXPECT_TRUE(Leftovers().empty());

    struct stat before, after;
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_TRUE(DeleteKey(file, "A", "absent"));
    ASSERT_TRUE(Flush(file));
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "a flush with nothing pending rewrote the file";

    const fs::path fresh = File("new.cfg");
    ASSERT_TRUE(WriteString(fresh, "S", "k", "v"));
    EXPECT_FALSE(fs::exists(fresh));
    ASSERT_TRUE(Flush(fresh));
    EXPECT_EQ(ReadFile(fresh), "[S]\nk=v\n");
    EXPECT_EQ(fs::status(fresh).permissions(), static_cast<fs::perms>(0644));
}

TEST_F(ProfileTest, RereadsFileChangedOnDisk) {
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    EXPECT_EQ(ReadString(file, "A", "k", "", 9), "1");
    WriteFile(file, "[A]\nk=2\n");  // same size and inode; coarse timestamps may keep the mtime
    EXPECT_EQ(ReadString(file, "A", "k", "", 9), "2");
    WriteFile(file, "[A]\nk=333\n");
    EXPECT_EQ(ReadString(file, "A", "k", "", 9), "333");
    const fs::path other = File("other.cfg");
    WriteFile(other, "[A]\nk=444\n");
    fs::rename(other, file);
    EXPECT_EQ(ReadString(file, "A", "k", "", 9), "444");
    fs::remove(file);
    EXPECT_EQ(ReadString(file, "A", "k", "gone", 9), "gone");
}

TEST_F(ProfileTest, PendingWritesWinOverChangesOnDiskUntilForgotten) {
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    ASSERT_TRUE(WriteString(file, "A", "j", "x"));
    WriteFile(file, "[A]\nk=changed elsewhere\n");
    EXPECT_EQ(ReadString(file, "A", "k", "", 99), "1");
    Forget(file);
    EXPECT_EQ(ReadString(file, "A", "k", "", 99), "changed elsewhere");
    EXPECT_EQ(ReadString(file, "A", "j", "dropped", 99), "dropped");

    ASSERT_TRUE(WriteString(file, "A", "j", "y"));
    WriteFile(file, "[A]\nk=2\n");
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=changed elsewhere\nj=y\n");
}

TEST_F(ProfileTest, FailedFlushKeepsOldFileAndPendingWrites) {
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    ASSERT_TRUE(WriteString(file, "A", "k", "2"));
    fs::remove(file);
    fs::create_directory(file);  // rename() cannot replace a folder, not even as root
    Result<void> flushed = Flush(file);
    ASSERT_FALSE(flushed);
    EXPECT_EQ(flushed.error().message.rfind("Cannot write \"" + file.string() + "\": ", 0), 0u)
        << flushed.error().message;
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_TRUE(Leftovers().empty());
    EXPECT_EQ(ReadString(file, "A", "k", "", 9), "2");
    fs::remove(file);
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=2\n");

    // A folder that vanished after the write was accepted.
    ASSERT_TRUE(WriteString(file, "A", "k", "3"));
    fs::remove_all(folder_);
    flushed = Flush(file);
    ASSERT_FALSE(flushed);
    EXPECT_EQ(flushed.error().message,
              "Cannot write \"" + file.string() + "\": the folder does not exist.");
    fs::create_directory(folder_);
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=3\n");
}

TEST_F(ProfileTest, ReadOnlyFolderOrFileRefusesWrites) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes where permissions forbid it";
    const fs::path file = File();
    WriteFile(file, "[A]\nk=1\n");
    ASSERT_TRUE(WriteString(file, "A", "k", "2"));
    fs::permissions(folder_, static_cast<fs::perms>(0555));
    EXPECT_FALSE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n");
    EXPECT_TRUE(Leftovers().empty());
    Forget(file);
    Result<void> written = WriteString(file, "A", "k", "3");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message,
              "Cannot write \"" + file.string() + "\": the folder is not writable.");

    fs::permissions(folder_, static_cast<fs::perms>(0755));
    fs::permissions(file, static_cast<fs::perms>(0444));
    written = WriteString(file, "A", "k", "3");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message,
              "Cannot write \"" + file.string() + "\": the file is read-only.");
}

// Files that cannot be written: reads give defaults, writes fail naming the file and the cause,
// and nothing on disk changes.
struct TargetCase {
    const char* name;
    const char* file;
    void (*prepare)(const fs::path& file);
    const char* why;
    bool rootIgnores = false;
};

const TargetCase kTargets[] = {
    {"FolderInPlaceOfFile", "test.cfg", [](const fs::path& f) { fs::create_directory(f); },
     "it is a folder."},
    {"MissingFolder", "nope/x.cfg", [](const fs::path&) {}, "the folder does not exist."},
    {"OversizedFile", "test.cfg",
     [](const fs::path& f) {
         std::ofstream(f) << "[A]\nk=1\n";
         fs::resize_file(f, 17 << 20);  // beyond the cap; the tail is NUL bytes
     },
     "it is larger than 16 MiB."},
    {"UnreadableFile", "test.cfg",
     [](const fs::path& f) {
         std::ofstream(f) << "[A]\nk=1\n";
         fs::permissions(f, fs::perms::owner_write);
     },
     "it cannot be read (Permission denied).", true},
};

class TargetTest : public ProfileTest, public testing::WithParamInterface<TargetCase> {};

TEST_P(TargetTest, GivesDefaultsAndRefusesWrites) {
    if (GetParam().rootIgnores && ::geteuid() == 0) GTEST_SKIP() << "root ignores permissions";
    const fs::path file = File(GetParam().file);
    GetParam().prepare(file);
    auto size = [&file] { return fs::is_regular_file(file) ? fs::file_size(file) : 0; };
    const auto before = size();
    EXPECT_EQ(ReadString(file, "A", "k", "default", 99), "default");
    EXPECT_EQ(ReadInt(file, "A", "k", 5), 5);
    EXPECT_TRUE(SectionNames(file).empty());
    Result<void> written = WriteString(file, "A", "k", "1");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, "Cannot write \"" + file.string() + "\": " + GetParam().why);
    // A missing file holds no section to remove; any other may hold one that cannot be removed.
    EXPECT_EQ(DeleteSection(file, "A").ok(), !fs::exists(file));
    EXPECT_TRUE(Flush(file));
    EXPECT_EQ(size(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, TargetTest, testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileTest, RefusesToGrowBeyondCap) {
    const fs::path file = File();
    EXPECT_FALSE(WriteString(file, "A", "k", std::string(17 << 20, 'v')));
    EXPECT_TRUE(Flush(file));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ProfileTest, WritesThroughSymbolicLink) {
    const fs::path real = File("real.cfg");
    const fs::path link = File("link.cfg");
    WriteFile(real, "[A]\nk=1\n");
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteString(link, "A", "k", "2"));
    ASSERT_TRUE(Flush(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[A]\nk=2\n");
}

// ---------------------------------------------------------------------------------------------
// Size and robustness

TEST_F(ProfileTest, TenMegabyteLine) {
    const fs::path file = File();
    const std::string big(10 << 20, 'x');
    WriteFile(file, "[A]\nbig=" + big + "\nk=1\n");
    EXPECT_EQ(ReadString(file, "A", "big", "", 20 << 20), big);
    EXPECT_EQ(ReadInt(file, "A", "k", 0), 1);
    ASSERT_TRUE(WriteString(file, "A", "k", "2"));
    ASSERT_TRUE(Flush(file));
    EXPECT_TRUE(ReadFile(file) == "[A]\nbig=" + big + "\nk=2\n");
}

TEST_F(ProfileTest, ManyLinesAndRepeatedRewrites) {
    const fs::path file = File();
    std::string text;
    for (int s = 0; s < 20000; ++s) {
        text += "[S" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 10; ++k)
            text += "k" + std::to_string(k) + "=" + std::to_string(s) + "\r\n";
    }
    WriteFile(file, text);
    EXPECT_EQ(ReadInt(file, "s19999", "K9", -1), 19999);
    // Enough rewritten text to make the document drop its dead lines at least once.
    const std::string filler(4000, 'f');
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(WriteString(file, "S0", "k0", filler + std::to_string(i)));
    ASSERT_TRUE(WriteString(file, "S0", "new", "1"));
    ASSERT_TRUE(Flush(file));
    std::string expected = text;
    expected.replace(expected.find("k0=0\r\n"), 6, "k0=" + filler + "1999\r\n");
    expected.insert(expected.find("k9=0\r\n") + 6, "new=1\r\n");
    EXPECT_TRUE(ReadFile(file) == expected);
    EXPECT_EQ(ReadInt(file, "S19999", "k9", -1), 19999);
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
    const fs::path file = File();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&file, t] {
            for (int i = 0; i < 200; ++i) {
                const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                if (!WriteString(file, "S", key, std::to_string(i))) return;
                if (ReadInt(file, "S", key, -1) != i) return;
                if (i % 50 == 0 && !Flush(file)) return;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    ASSERT_TRUE(Flush(file));
    Forget(file);
    EXPECT_EQ(KeyNames(file, "S").size(), 800u);
}

// What another thread reads of `key` meanwhile.
std::string ReadElsewhere(const fs::path& file, const char* key) {
    std::string value;
    std::thread([&] { value = ReadString(file, "S", key, "<none>", 64); }).join();
    return value;
}

TEST_F(ProfileTest, BatchIsSeenByOtherThreadsOnlyWhenCommitted) {
    const fs::path file = File();
    WriteFile(file, "[S]\na=old\nb=old\n");
    {
        Batch batch(file);
        ASSERT_TRUE(WriteString(file, "S", "a", "new"));
        ASSERT_TRUE(DeleteKey(file, "S", "b"));
        // This thread reads its own writes; nested batches of the file share them.
        EXPECT_EQ(ReadString(file, "S", "a", "", 64), "new");
        {
            Batch inner(file);
            EXPECT_EQ(ReadString(file, "S", "b", "<none>", 64), "<none>");
        }
        EXPECT_EQ(ReadElsewhere(file, "a"), "old");
        EXPECT_EQ(ReadElsewhere(file, "b"), "old");
        ASSERT_TRUE(batch.Commit());
        EXPECT_EQ(ReadElsewhere(file, "a"), "new");
        EXPECT_EQ(ReadElsewhere(file, "b"), "<none>");
        // After the commit this thread works on the cache again.
        ASSERT_TRUE(WriteString(file, "S", "c", "after"));
        EXPECT_EQ(ReadElsewhere(file, "c"), "after");
    }
    ASSERT_TRUE(Flush(file));
    EXPECT_EQ(ReadFile(file), "[S]\na=new\nc=after\n");
}

TEST_F(ProfileTest, UncommittedBatchIsASnapshotAndChangesNothing) {
    const fs::path file = File();
    WriteFile(file, "[S]\na=1\n");
    {
        const Batch snapshot(file);
        std::thread([&] {
            ASSERT_TRUE(WriteString(file, "S", "a", "2"));
            ASSERT_TRUE(Flush(file));
        }).join();
        EXPECT_EQ(ReadInt(file, "S", "a", 0), 1);
        ASSERT_TRUE(WriteString(file, "S", "b", "dropped"));
    }
    EXPECT_EQ(ReadInt(file, "S", "a", 0), 2);
    EXPECT_EQ(ReadString(file, "S", "b", "<none>", 64), "<none>");
    EXPECT_EQ(ReadFile(file), "[S]\na=2\n");
}

TEST_F(ProfileTest, BatchRefusesWhatTheCacheRefuses) {
    const fs::path folder = File("sub");
    fs::create_directory(folder);
    Batch batch(folder);
    EXPECT_FALSE(WriteString(folder, "S", "a", "1"));
    EXPECT_FALSE(WriteString(File(), "S", "k", "line\nbreak"));
    ASSERT_TRUE(batch.Commit());
    EXPECT_TRUE(Leftovers().empty());
}

}  // namespace
}  // namespace kestrum::profile
