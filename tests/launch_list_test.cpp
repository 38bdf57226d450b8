#include "launch/launch_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launch_file.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

// The list's file names in order, e.g. "ABC" for /p/A, /p/B, /p/C.
std::string Order(const LaunchList& list) {
    std::string order;
    for (std::size_t i = 0; i < list.size(); ++i) order += list.entry(i).filePath.substr(3);
    return order;
}

LaunchList ListOf(std::string_view names) {
    LaunchList list;
    for (char name : names) list.AddEntry("/p/" + std::string(1, name));
    return list;
}

struct ApplyRow {
    const char* name;
    OutputMode mode;
    PrinterType type;
    bool apply;
};

class LaunchListApplyTest : public testing::TestWithParam<ApplyRow> {};

TEST_P(LaunchListApplyTest, OnlyDeviceGenericTurnsThemOff) {
    EXPECT_EQ(ConfigurationsApply(GetParam().mode, GetParam().type), GetParam().apply);
}

const ApplyRow kApplyRows[] = {
    {"deviceGeneric", OutputMode::Device, PrinterType::Generic, false},
    {"deviceVelmar", OutputMode::Device, PrinterType::Velmar, true},
    {"deviceOce", OutputMode::Device, PrinterType::Oce9400, true},
    {"kslGeneric", OutputMode::Ksl, PrinterType::Generic, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchListApplyTest, testing::ValuesIn(kApplyRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct LineRow {
    const char* name;
    const char* path;
    const char* configuration;
    const char* line;
};

class LaunchLineTest : public testing::TestWithParam<LineRow> {};

TEST_P(LaunchLineTest, NamesAfterLastSeparator) {
    PlotFileEntry entry;
    entry.filePath = GetParam().path;
    entry.configuration = GetParam().configuration;
    EXPECT_EQ(LaunchLine(entry), GetParam().line);
}

const LineRow kLines[] = {
    {"linuxPaths", "/plots/a/plan.plt", "/cfg/a0.cfg", "plan.plt\ta0.cfg"},
    {"windowsPaths", "C:\\plots\\plan.plt", "D:\\cfg\\a0.cfg", "plan.plt\ta0.cfg"},
    {"mixedTakesLastOfEither", "/mnt/c\\old\\x.plt", "C:\\a/b.cfg", "x.plt\tb.cfg"},
    {"markerShownWhole", "/p/x.plt", "<Current settings>", "x.plt\t<Current settings>"},
    {"emptyConfiguration", "/p/x.plt", "", "x.plt\t"},
    {"bareName", "x.plt", "c.cfg", "x.plt\tc.cfg"},
    {"trailingSeparatorLeavesNothing", "/p/", "/c/", "\t"},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchLineTest, testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchList, AddedEntryIsMarkedSelectedAndGetsNewEntryConfiguration) {
    LaunchList list([](const std::string& path) { return path.ends_with(".dwg"); });
    EXPECT_FALSE(list.CanSend());
    list.AddEntry("/p/plan.dwg");
    list.AddEntry("/p/plan.plt");

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.entry(0).isDrawing, 1);
    EXPECT_EQ(list.entry(1).isDrawing, 0);
    EXPECT_EQ(list.entry(1).configuration, Text(rid::kNewEntryConfiguration));
    EXPECT_EQ(list.entry(1).savedSettings, CUserObject{});
    EXPECT_TRUE(list.entry(1).savedReferences->empty());
    EXPECT_EQ(list.line(1), "plan.plt\t" + Text(rid::kNewEntryConfiguration));
    EXPECT_EQ(list.selection(), 1u);
    EXPECT_EQ(list.SelectedPath(), "/p/plan.plt");
    EXPECT_FALSE(list.SelectedIsDrawing());
    list.Select(0);
    EXPECT_TRUE(list.SelectedIsDrawing());
    EXPECT_TRUE(list.CanSend());
}

TEST(LaunchList, WithoutDrawingTestNothingIsADrawing) {
    LaunchList list;
    list.AddEntry("/p/plan.dwg");
    EXPECT_EQ(list.entry(0).isDrawing, 0);
}

struct RemoveRow {
    const char* name;
    const char* names;
    std::optional<std::size_t> selected;
    const char* left;
    std::optional<std::size_t> selectionAfter;
};

class LaunchListRemoveTest : public testing::TestWithParam<RemoveRow> {};

TEST_P(LaunchListRemoveTest, SelectsTheEntryTakingItsPlace) {
    const RemoveRow& row = GetParam();
    LaunchList list = ListOf(row.names);
    list.Select(row.selected);
    list.RemoveSelected();
    EXPECT_EQ(Order(list), row.left);
    EXPECT_EQ(list.selection(), row.selectionAfter);
    EXPECT_EQ(list.SelectedPath(),
              row.selectionAfter ? list.entry(*row.selectionAfter).filePath : "");
}

const RemoveRow kRemovals[] = {
    {"firstSelectsNewFirst", "ABC", 0, "BC", 0},
    {"middleSelectsNext", "ABC", 1, "AC", 1},
    {"lastSelectsNewLast", "ABC", 2, "AB", 1},
    {"onlyLeavesNothingSelected", "A", 0, "", std::nullopt},
    {"nothingSelectedRemovesNothing", "AB", std::nullopt, "AB", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchListRemoveTest, testing::ValuesIn(kRemovals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchList, ClearEmptiesAndDisablesSend) {
    LaunchList list = ListOf("ABC");
    list.Clear();
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.CanSend());
    EXPECT_EQ(list.selection(), std::nullopt);
    EXPECT_EQ(list.SelectedPath(), "");
}

struct MoveRow {
    const char* name;
    std::size_t from;
    std::size_t dropOn;
    const char* order;
    std::optional<std::size_t> selection;
};

class LaunchListMoveTest : public testing::TestWithParam<MoveRow> {};

TEST_P(LaunchListMoveTest, MovesInFrontOfTheDropTarget) {
    const MoveRow& row = GetParam();
    LaunchList list = ListOf("ABCD");
    list.MoveBefore(row.from, row.dropOn);
    EXPECT_EQ(Order(list), row.order);
    EXPECT_EQ(list.selection(), row.selection);
    // Each line travels with its entry.
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.line(i), LaunchLine(list.entry(i)));
}

const MoveRow kMoves[] = {
    {"upToFront", 2, 0, "CABD", 0},
    {"upByOne", 2, 1, "ACBD", 1},
    {"downInFrontOfLast", 0, 3, "BCAD", 2},
    {"downToEnd", 1, 4, "ACDB", 3},
    {"onItselfStays", 1, 1, "ABCD", 1},
    {"onNextStays", 1, 2, "ABCD", 1},
    {"fromOutOfRangeIgnored", 4, 0, "ABCD", 3},
    {"dropOutOfRangeIgnored", 0, 5, "ABCD", 3},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchListMoveTest, testing::ValuesIn(kMoves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchList, ConfigurationsOffEmptiesAndShowsFullPathsThenTheAssignmentsComeBack) {
    LaunchList list = ListOf("AB");
    list.Select(0);
    ASSERT_TRUE(list.AssignConfiguration("/c/a.cfg").ok());
    const std::vector<std::string> lines{list.line(0), list.line(1)};
    const std::vector<PlotFileEntry> assigned = list.Entries();

    list.SetConfigurationsApply(false);
    list.SetConfigurationsApply(false);  // a second switch-off must not lose what is kept
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.entry(i).configuration, "");
        EXPECT_EQ(list.line(i), list.entry(i).filePath);
    }
    // A send meanwhile takes the entries without configurations.
    for (const PlotFileEntry& entry : list.Entries()) EXPECT_EQ(entry.configuration, "");

    list.AddEntry("/p/C");  // added while off: nothing to bring back
    list.SetConfigurationsApply(true);
    EXPECT_EQ(list.entry(0).configuration, "/c/a.cfg");
    EXPECT_EQ(list.entry(1).configuration, assigned[1].configuration);
    EXPECT_EQ(list.line(0), lines[0]);
    EXPECT_EQ(list.line(1), lines[1]);
    EXPECT_EQ(list.entry(2).configuration, "");
    list.AddEntry("/p/D");
    EXPECT_EQ(list.line(3), "D\t" + Text(rid::kNewEntryConfiguration));
}

TEST(LaunchList, WhileConfigurationsDoNotApplyNewEntriesHaveNoneAndAssigningDoesNothing) {
    LaunchList list;
    list.SetConfigurationsApply(false);
    list.AddEntry("/p/A");
    EXPECT_EQ(list.entry(0).configuration, "");
    EXPECT_EQ(list.line(0), "A\t");
    EXPECT_TRUE(list.AssignConfiguration("/c/a.cfg").ok());
    list.Select(std::nullopt);
    EXPECT_TRUE(list.AssignConfiguration("/c/a.cfg").ok());  // not even the selection message
    EXPECT_EQ(list.entry(0).configuration, "");
}

TEST(LaunchList, AssigningRebuildsTheLineAndKeepsTheSelection) {
    LaunchList list = ListOf("AB");
    list.Select(0);
    ASSERT_TRUE(list.AssignConfiguration("C:\\cfg\\a0.cfg").ok());
    EXPECT_EQ(list.entry(0).configuration, "C:\\cfg\\a0.cfg");
    EXPECT_EQ(list.line(0), "A\ta0.cfg");
    EXPECT_EQ(list.selection(), 0u);

    ASSERT_TRUE(list.AssignMarker(ConfigurationMarker::NoConfiguration).ok());
    EXPECT_EQ(list.entry(0).configuration, Text(rid::kNoConfigurationMarker));
    EXPECT_EQ(list.line(0), "A\t" + Text(rid::kNoConfigurationMarker));
    EXPECT_EQ(list.line(1), "B\t" + Text(rid::kNewEntryConfiguration));
}

TEST(LaunchList, AssigningWithNothingSelectedIsRefused) {
    LaunchList list = ListOf("A");
    list.Select(std::nullopt);
    Result<void> assigned = list.AssignConfiguration("/c/a.cfg");
    ASSERT_FALSE(assigned.ok());
    EXPECT_EQ(assigned.error().message, Text(rid::kNoEntrySelectedMessage));
    EXPECT_EQ(list.entry(0).configuration, Text(rid::kNewEntryConfiguration));
}

TEST(LaunchList, AssignmentDialogChoices) {
    const std::string current = Text(rid::kCurrentSettingsChoice);
    const std::string none = Text(rid::kNoConfigurationChoice);
    EXPECT_EQ(ChoiceFor(current), ConfigurationChoice::CurrentSettings);
    EXPECT_EQ(ChoiceFor(test::SwapCase(none)), ConfigurationChoice::NoConfiguration);
    EXPECT_EQ(ChoiceFor("/c/a.cfg"), ConfigurationChoice::File);
    EXPECT_EQ(ChoiceFor(""), ConfigurationChoice::File);
    EXPECT_EQ(FileChoiceText(current), "");
    EXPECT_EQ(FileChoiceText(none), "");
    EXPECT_EQ(FileChoiceText("/c/a.cfg"), "/c/a.cfg");
    // The new-entry text must be one the dialog and the worker recognise.
    EXPECT_NE(ChoiceFor(Text(rid::kNewEntryConfiguration)), ConfigurationChoice::File);
    EXPECT_EQ(ChoiceFor(MarkerText(ConfigurationMarker::CurrentSettings)),
              ConfigurationChoice::CurrentSettings);
    EXPECT_EQ(ChoiceFor(MarkerText(ConfigurationMarker::NoConfiguration)),
              ConfigurationChoice::NoConfiguration);
}

struct NameRow {
    const char* name;
    const char* fileName;
    bool accepted;
};

class LaunchListDrawingNameTest : public testing::TestWithParam<NameRow> {};

TEST_P(LaunchListDrawingNameTest, EndingFromFirstFullStop) {
    Result<void> checked = CheckDrawingName(GetParam().fileName);
    EXPECT_EQ(checked.ok(), GetParam().accepted);
    if (!checked.ok()) {
        EXPECT_EQ(checked.error().message,
                  std::string(GetParam().fileName) + "\n\n" + Text(rid::kNotADrawingNameMessage));
    }
}

const NameRow kNames[] = {
    {"dwg", "plan.dwg", true},          {"dxfCapitals", "PLAN.DXF", true},
    {"noFullStop", "plan", false},      {"twoFullStops", "plan.old.dwg", false},
    {"otherEnding", "plan.plt", false}, {"longerEnding", "plan.dwgx", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, LaunchListDrawingNameTest, testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

class LaunchListFiles : public testing::Test {
  protected:
    // Three entries with different configurations, one of them a drawing.
    LaunchList Filled() {
        LaunchList list([](const std::string& path) { return path.ends_with(".dwg"); });
        list.AddEntry("/p/a.plt");
        list.AddEntry("/p/b.dwg");
        list.AddEntry("/p/c.plt");
        list.Select(0);
        EXPECT_TRUE(list.AssignConfiguration("/c/a0.cfg").ok());
        list.Select(2);
        EXPECT_TRUE(list.AssignMarker(ConfigurationMarker::NoConfiguration).ok());
        list.Select(1);
        return list;
    }

    static void ExpectSame(const LaunchList& a, const LaunchList& b) {
        EXPECT_EQ(a.Entries(), b.Entries());
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a.line(i), b.line(i));
        EXPECT_EQ(a.selection(), b.selection());
    }

    test::TempFolder folder_;
};

TEST_F(LaunchListFiles, SaveAndOpenGiveTheSameListWithTheLastSelected) {
    const LaunchList saved = Filled();
    ASSERT_TRUE(saved.Save(folder_ / "l.lch").ok());

    LaunchList opened;
    opened.AddEntry("/p/old.plt");
    opened.SetConfigurationsApply(false);  // a read entry is taken exactly as stored all the same
    ASSERT_TRUE(opened.Open(folder_ / "l.lch").ok());
    EXPECT_EQ(opened.Entries(), saved.Entries());
    for (std::size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(opened.line(i), saved.line(i));
    EXPECT_EQ(opened.selection(), 2u);
    EXPECT_EQ(opened.SelectedPath(), "/p/c.plt");
}

TEST_F(LaunchListFiles, ZeroEntryFileEmptiesTheList) {
    ASSERT_TRUE(LaunchList().Save(folder_ / "empty.lch").ok());
    LaunchList list = Filled();
    ASSERT_TRUE(list.Open(folder_ / "empty.lch").ok());
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.selection(), std::nullopt);
    EXPECT_FALSE(list.CanSend());
}

TEST_F(LaunchListFiles, FileWithAnotherSignatureClearsTheList) {
    test::WriteFile(folder_ / "x.lch", "\x0cthis is bad\0\0\0\0");
    LaunchList list = Filled();
    Result<void> opened = list.Open(folder_ / "x.lch");
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().message, "\"" + (folder_ / "x.lch").string() + "\"\n\n" +
                                          Text(rid::kLaunchFileInvalidMessage));
    EXPECT_TRUE(list.empty());
}

TEST_F(LaunchListFiles, DamagedOrMissingFileLeavesTheListExactlyAsItWas) {
    LaunchList other = Filled();
    other.AddEntry("/p/d.plt");
    ASSERT_TRUE(other.Save(folder_ / "good.lch").ok());
    const std::string whole = test::ReadFile(folder_ / "good.lch");
    test::WriteFile(folder_ / "cut.lch", whole.substr(0, whole.size() - 1));

    for (const char* name : {"cut.lch", "missing.lch"}) {
        LaunchList list = Filled();
        const LaunchList before = Filled();
        Result<void> opened = list.Open(folder_ / name);
        ASSERT_FALSE(opened.ok()) << name;
        EXPECT_NE(opened.error().message.find((folder_ / name).string()), std::string::npos);
        EXPECT_TRUE(opened.error().message.ends_with(" The launch list is unchanged."));
        ExpectSame(list, before);
    }
}

TEST_F(LaunchListFiles, FailedSaveNamesTheFile) {
    Result<void> saved = Filled().Save(folder_ / "none" / "l.lch");
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(saved.error().message.find((folder_ / "none" / "l.lch").string()), std::string::npos);
}

}  // namespace
}  // namespace kestrum
