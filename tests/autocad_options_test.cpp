#include "options/autocad_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "options/autocad_page.h"
#include "options/xref_list.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using Page = AutoCadPage;

std::string Section() {
    return Text(rid::kAcadSection);
}
std::string Key(int resource) {
    return Text(resource);
}

struct Group {
    AutoCadOptions values;
    ColourTable table;
    ReferenceList references;
    bool operator==(const Group&) const = default;
};

Group Defaults(Unit unit = Unit::English) {
    Group group;
    SetAutoCadDefaults(group.values, group.table, group.references, unit);
    return group;
}

// A group where every value differs from its default.
Group Changed() {
    Group group = Defaults();
    group.values.paperSize = "X2000 Y1000";
    group.values.marginA = "10";
    group.values.marginB = "20";
    group.values.marginC = "30";
    group.values.marginD = "40";
    group.values.plotChoice = "2";
    group.values.outputChoice = Text(rid::kAcadOutputAlternateEntry);
    group.values.areaChoice = Text(rid::kAcadAreaDisplayEntry);
    group.values.plotScale = "2:3";
    group.values.offsetX = "1.5";
    group.values.offsetY = "-2";
    group.references = {"/a", "/b", "/c", "/d", "/e"};
    group.table[9] = ACPenParms{"3", "500", "7"};
    return group;
}

Group Load(const std::filesystem::path& file, Unit unit = Unit::English) {
    profile::Forget(file);
    Group group = Changed();
    LoadAutoCad(group.values, group.table, group.references, file, unit);
    return group;
}

// Saves `first`, then `second` onto the same file, and loads the file.
struct SaveRow {
    const char* name;
    std::function<void(Group&)> change;
    std::function<Group()> expected;
};

class AutoCadSaveTest : public testing::TestWithParam<SaveRow> {};

TEST_P(AutoCadSaveTest, LoadsWhatWasSavedLast) {
    test::TempFolder folder;
    const auto file = folder / "acad.cfg";
    CollectingMessageSink messages;
    const Group first = Changed();
    ASSERT_TRUE(SaveAutoCad(first.values, first.table, first.references, file, messages));
    Group second = Changed();
    GetParam().change(second);
    ASSERT_TRUE(SaveAutoCad(second.values, second.table, second.references, file, messages));
    ASSERT_TRUE(profile::Flush(file));
    EXPECT_EQ(Load(file), GetParam().expected());
    EXPECT_TRUE(messages.messages().empty());
}

const SaveRow kSaves[] = {
    {"everyValueChanged", [](Group&) {}, [] { return Changed(); }},
    {"defaultsInForce", [](Group& g) { g = Defaults(); }, [] { return Defaults(); }},
    {"switchedOffLoadsOffWithDefaults", [](Group& g) { g.values.inForce = 0; },
     [] {
         // The colour table's sections stay as the earlier save left them.
         Group expected = Defaults();
         expected.values.inForce = 0;
         expected.table = Changed().table;
         return expected;
     }},
    {"emptiedValuesDoNotComeBack",
     [](Group& g) {
         g.values.marginB.clear();
         g.values.plotScale.clear();
         g.values.paperSize.clear();
     },
     [] {
         Group expected = Changed();
         expected.values.marginB = Text(rid::kAcadMarginBDefault);
         expected.values.plotScale = Text(rid::kAcadFitText);
         expected.values.paperSize = Text(rid::kAcadPaperDefaultEnglish);
         return expected;
     }},
    {"referencesShortenedFromFiveToTwo", [](Group& g) { g.references.resize(2); },
     [] {
         Group expected = Changed();
         expected.references.resize(2);
         return expected;
     }},
};
INSTANTIATE_TEST_SUITE_P(Rows, AutoCadSaveTest, testing::ValuesIn(kSaves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutoCadFileTest, SwitchedOffSectionHoldsOneEmptyKey) {
    test::TempFolder folder;
    const auto file = folder / "off.cfg";
    // The section twice, as a hand-edited file may have it, with a colour section between.
    test::WriteFile(file, "[" + Section() + "]\n" + Key(rid::kAcadMarginAKey) + "=1\n[" +
                              ColourSectionName(1) + "]\n" + Key(rid::kAcadColourPenKey) + "=5\n[" +
                              test::SwapCase(Section()) + "]\n" + Key(rid::kAcadMarginBKey) +
                              "=2\n");
    Group group = Changed();
    group.values.inForce = 0;
    CollectingMessageSink messages;
    ASSERT_TRUE(SaveAutoCad(group.values, group.table, group.references, file, messages));
    EXPECT_EQ(profile::KeyNames(file, Section()), std::vector<std::string>{""});
    ASSERT_TRUE(profile::Flush(file));
    const Group loaded = Load(file);
    EXPECT_EQ(loaded.values.inForce, 0);
    EXPECT_EQ(loaded.values.marginB, Text(rid::kAcadMarginBDefault));
    EXPECT_EQ(loaded.table[0].pen, "5");
}

TEST(AutoCadFileTest, ShortenedListRemovesTheOldFolderKeys) {
    test::TempFolder folder;
    const auto file = folder / "refs.cfg";
    test::WriteFile(file, "[" + Section() + "]\n" + Key(rid::kAcadXRefCountKey) + "=3\n" +
                              Key(rid::kAcadXRefEntryKeyPrefix) + "1=/x\n" +
                              Key(rid::kAcadXRefEntryKeyPrefix) + "7=/beyond the count\n");
    Group group = Defaults();
    group.references = {"/only"};
    CollectingMessageSink messages;
    ASSERT_TRUE(SaveAutoCad(group.values, group.table, group.references, file, messages));
    const auto keys = profile::KeyNames(file, Section());
    EXPECT_EQ(std::count_if(keys.begin(), keys.end(),
                            [](const std::string& key) {
                                return StartsWithNoCase(key, Key(rid::kAcadXRefEntryKeyPrefix)) &&
                                       key != Key(rid::kAcadXRefCountKey);
                            }),
              1);
}

TEST(AutoCadFileTest, GarbageLoadsWithoutHarm) {
    test::TempFolder folder;
    const auto file = folder / "garbage.cfg";
    test::WriteFile(file, "[" + Section() + "]\n" + Key(rid::kAcadXRefCountKey) + "=2147483647\n" +
                              Key(rid::kAcadPaperSizeKey) + "=X" + std::string(5000, '9') + " Y\n" +
                              Key(rid::kAcadMarginAKey) + "=1e308\n" + Key(rid::kAcadOffsetXKey) +
                              "=nan\n" + Key(rid::kAcadPlotScaleKey) +
                              "=inf:" + std::string(1, '\0') + "\n\xff\xfe garbage\n[" +
                              ColourSectionName(1) + "]\n" + Key(rid::kAcadColourWidthKey) +
                              "=-99999999999999999999\n");
    const Group group = Load(file, Unit::Metric);
    EXPECT_EQ(group.values.inForce, 1);
    EXPECT_EQ(group.values.paperSize.size(), autocad::kPaperSizeCapacity);
    EXPECT_LE(group.references.size(), 10u);  // bounded by the section's keys, not the count
    for (Unit unit : {Unit::Metric, Unit::English}) {
        Page page(unit);
        page.Refresh(group.values);
        AutoCadOptions exported;
        page.Export(exported);
        EXPECT_LE(exported.paperSize.size(), autocad::kPaperSizeCapacity);
        EXPECT_LE(exported.marginA.size(), autocad::kMarginCapacity);
        page.paperX.text = "1e999";
        page.paperY.text = "nan";
        page.marginA.text = std::string(400, '9');
        page.offsetX.text = "-inf";
        page.Export(exported);
        EXPECT_EQ(exported.paperSize, Text(unit == Unit::Metric ? rid::kAcadPaperDefaultMetric
                                                                : rid::kAcadPaperDefaultEnglish));
        EXPECT_EQ(exported.marginA, Text(rid::kAcadMarginADefault));
    }
}

TEST(AutoCadFileTest, FailedWritesAreReportedAndTheTableOnlyOnce) {
    test::TempFolder folder;
    const auto file = folder / "missing" / "acad.cfg";
    const Group group = Defaults();
    CollectingMessageSink messages;
    EXPECT_FALSE(SaveAutoCad(group.values, group.table, group.references, file, messages));
    // The count, the eleven values and one message for the colour table.
    ASSERT_EQ(messages.messages().size(), 13u);
    for (const Message& message : messages.messages()) {
        EXPECT_EQ(message.resource, rid::kAcadWriteFailedMessage);
        EXPECT_EQ(message.icon, MessageIcon::Stop);
        EXPECT_EQ(message.caption, "Kestrum");
        EXPECT_NE(message.text.find(file.string()), std::string::npos);
    }
}

// What the page stores for entries typed in each unit.
struct ExportRow {
    const char* name;
    Unit unit;
    std::function<void(Page&)> type;
    std::string AutoCadOptions::*value;
    std::string expected;
};

class AutoCadExportTest : public testing::TestWithParam<ExportRow> {};

TEST_P(AutoCadExportTest, StoresConvertedEntry) {
    Page page(GetParam().unit);
    GetParam().type(page);
    AutoCadOptions values;
    page.Export(values);
    EXPECT_EQ(values.*GetParam().value, GetParam().expected);
}

void Custom(Page& page, const char* x, const char* y) {
    page.ChoosePaperKind(Page::kCustomPaperRadio);
    page.paperX.text = x;
    page.paperY.text = y;
}

const ExportRow kExports[] = {
    {"metricCustomPaperCutNotRounded", Unit::Metric, [](Page& p) { Custom(p, "297", "210"); },
     &AutoCadOptions::paperSize, "X1169 Y826"},
    {"metricLongPaperKeepsAllDigits", Unit::Metric, [](Page& p) { Custom(p, "5000", "914"); },
     &AutoCadOptions::paperSize, "X19685 Y3598"},
    {"englishPaperPaddedToHundredths", Unit::English, [](Page& p) { Custom(p, "11", "8.5"); },
     &AutoCadOptions::paperSize, "X1100 Y850"},
    {"englishPaperThirdDecimalCut", Unit::English, [](Page& p) { Custom(p, "36.129", ".5"); },
     &AutoCadOptions::paperSize, "X3612 Y50"},
    {"namedPaperFromTable", Unit::English, [](Page& p) { p.paperList.selected = 4; },
     &AutoCadOptions::paperSize, "X" + Text(rid::kAcadPaperXE) + " Y" + Text(rid::kAcadPaperYE)},
    {"paperFollowsLimits", Unit::English,
     [](Page& p) {
         p.SetFit(false);
         p.ChoosePaperKind(Page::kPaperFollowsAreaRadio);
         p.areaChoice.selected = 1;
     },
     &AutoCadOptions::paperSize, Text(rid::kAcadAreaLimitsEntry)},
    {"paperFollowsDisplayMeansLimits", Unit::English,
     [](Page& p) {
         p.SetFit(false);
         p.ChoosePaperKind(Page::kPaperFollowsAreaRadio);
         p.areaChoice.selected = 2;
     },
     &AutoCadOptions::paperSize, Text(rid::kAcadAreaLimitsEntry)},
    {"englishMarginInHundredths", Unit::English, [](Page& p) { p.marginA.text = ".75"; },
     &AutoCadOptions::marginA, "75"},
    {"englishMarginNotANumberTakesDefault", Unit::English, [](Page& p) { p.marginC.text = "1/2"; },
     &AutoCadOptions::marginC, Text(rid::kAcadMarginCDefault)},
    {"metricMarginFiveDigits", Unit::Metric, [](Page& p) { p.marginB.text = "10"; },
     &AutoCadOptions::marginB, "39.37"},
    {"metricOffsetTwoDigits", Unit::Metric, [](Page& p) { p.offsetX.text = "30"; },
     &AutoCadOptions::offsetX, "1.2"},
    {"metricLargeOffsetHasNoExponent", Unit::Metric, [](Page& p) { p.offsetY.text = "10000"; },
     &AutoCadOptions::offsetY, "394"},
    {"englishOffsetAsTyped", Unit::English, [](Page& p) { p.offsetY.text = "-0.125"; },
     &AutoCadOptions::offsetY, "-0.125"},
    {"fitIsTheTextTheExportRecognises", Unit::English, [](Page& p) { p.SetFit(true); },
     &AutoCadOptions::plotScale, Text(rid::kAcadExportFitText)},
    {"metricScaleConvertsPlottedOnly", Unit::Metric,
     [](Page& p) {
         p.SetFit(false);
         p.plottedUnits.text = "254";
         p.drawingUnits.text = "100";
     },
     &AutoCadOptions::plotScale, "10:100"},
};
INSTANTIATE_TEST_SUITE_P(Rows, AutoCadExportTest, testing::ValuesIn(kExports),
                         [](const auto& info) { return std::string(info.param.name); });

// What the page shows for stored values.
struct RefreshRow {
    const char* name;
    Unit unit;
    std::function<void(AutoCadOptions&)> store;
    EditControl Page::*edit;
    const char* shown;
};

class AutoCadRefreshTest : public testing::TestWithParam<RefreshRow> {};

TEST_P(AutoCadRefreshTest, ShowsInPageUnit) {
    Group group = Defaults(GetParam().unit);
    GetParam().store(group.values);
    Page page(GetParam().unit);
    page.Refresh(group.values);
    EXPECT_EQ((page.*GetParam().edit).text, GetParam().shown);
}

const RefreshRow kRefreshes[] = {
    {"englishCustomPaper", Unit::English, [](AutoCadOptions& v) { v.paperSize = "x1250 y905"; },
     &Page::paperX, "12.50"},
    {"englishShortMarginPaddedInFront", Unit::English, [](AutoCadOptions& v) { v.marginA = "5"; },
     &Page::marginA, ".05"},
    {"metricMarginWholeMillimetres", Unit::Metric, [](AutoCadOptions& v) { v.marginD = "50"; },
     &Page::marginD, "12"},
    {"metricCustomPaper", Unit::Metric, [](AutoCadOptions& v) { v.paperSize = "X2000 Y1000"; },
     &Page::paperY, "254"},
    {"metricOffsetInMillimetres", Unit::Metric, [](AutoCadOptions& v) { v.offsetX = "2"; },
     &Page::offsetX, "50"},
    {"drawingPartAsStored", Unit::Metric, [](AutoCadOptions& v) { v.plotScale = "1:48"; },
     &Page::drawingUnits, "48"},
};
INSTANTIATE_TEST_SUITE_P(Rows, AutoCadRefreshTest, testing::ValuesIn(kRefreshes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutoCadPageTest, UntouchedMetricPageExportsWhatWasStored) {
    Group group = Changed();
    group.values.offsetX = "0.94";
    Page page(Unit::Metric);
    page.Refresh(group.values);
    AutoCadOptions exported;
    page.Export(exported);
    EXPECT_EQ(exported, group.values);

    // A changed edit is converted; the others keep their stored text.
    page.offsetX.text = "25.4";
    page.Export(exported);
    EXPECT_EQ(exported.offsetX, "1");
    EXPECT_EQ(exported.paperSize, group.values.paperSize);
}

TEST(AutoCadPageTest, RefreshChoosesThePaperKind) {
    Page page(Unit::Metric);
    AutoCadOptions values = Defaults(Unit::Metric).values;
    values.paperSize = test::SwapCase(Text(rid::kAcadAreaExtentsEntry));
    values.plotScale = "1:1";
    page.Refresh(values);
    EXPECT_EQ(page.paperKind.chosen, Page::kPaperFollowsAreaRadio);
    EXPECT_FALSE(page.paperList.enabled || page.paperX.enabled);

    values.paperSize = "X" + Text(rid::kAcadPaperXA2) + " Y" + Text(rid::kAcadPaperYA2);
    page.Refresh(values);
    EXPECT_EQ(page.paperKind.chosen, Page::kNamedPaperRadio);
    EXPECT_EQ(page.paperList.SelectedText(), Text(rid::kSizeA2));

    // An English size is not in the metric list: it shows as a custom size.
    values.paperSize = Text(rid::kAcadPaperDefaultEnglish);
    page.Refresh(values);
    EXPECT_EQ(page.paperKind.chosen, Page::kCustomPaperRadio);
    EXPECT_TRUE(page.paperX.enabled && !page.paperList.enabled);
}

TEST(AutoCadPageTest, FitAndInForceEnableTheControls) {
    Page page(Unit::English);
    page.SetFit(false);
    page.ChoosePaperKind(Page::kPaperFollowsAreaRadio);
    EXPECT_EQ(page.plottedUnits.text, Text(rid::kAcadPlottedUnitsDefault));

    page.SetFit(true);
    EXPECT_EQ(page.paperKind.chosen, Page::kNamedPaperRadio);
    EXPECT_FALSE(page.paperFollowsAreaEnabled || page.plottedUnits.enabled);
    EXPECT_EQ(page.drawingUnits.text, "");
    page.ChoosePaperKind(Page::kPaperFollowsAreaRadio);
    EXPECT_EQ(page.paperKind.chosen, Page::kNamedPaperRadio);

    page.SetInForce(false);
    EXPECT_FALSE(page.paperKind.enabled || page.paperList.enabled || page.marginA.enabled ||
                 page.areaChoice.enabled || page.fit.enabled || page.offsetY.enabled ||
                 page.buttonsEnabled);
    AutoCadOptions values;
    page.Export(values);
    EXPECT_EQ(values.inForce, 0);
}

TEST(AutoCadPageTest, UnitChangeResetsTheNumericEdits) {
    Page page(Unit::English);
    page.Refresh(Changed().values);
    page.ApplyUnit(Unit::Metric);
    EXPECT_EQ(page.paperList.SelectedText(), Text(rid::kSizeA4));
    EXPECT_EQ(page.unitLabels[0], Text(rid::kAcadUnitLabel1Metric));
    EXPECT_TRUE(page.digitsOnly);
    page.ChoosePaperKind(Page::kCustomPaperRadio);
    AutoCadOptions values;
    page.Export(values);
    EXPECT_EQ(values.paperSize, "X1169 Y826");
    EXPECT_EQ(values.marginA, "0");
    EXPECT_EQ(values.offsetX, "0");

    page.ApplyUnit(Unit::English);
    EXPECT_EQ(page.paperList.SelectedText(), Text(rid::kAcadPaperA));
    EXPECT_FALSE(page.digitsOnly);
    page.Export(values);
    EXPECT_EQ(values.paperSize, "X1100 Y850");
    EXPECT_EQ(values.marginD, "50");
    EXPECT_EQ(values.plotScale, "1:1");
}

TEST(MasterReferencesTest, ShortenedListWritesCountAndLeavesStaleKeys) {
    test::TempFolder folder;
    const auto ini = folder / "kestrum.ini";
    ReferenceList working;
    ASSERT_TRUE(WriteMasterReferences(ini, {"/1", "/2", "/3", "/4", "/5"}, working));
    ReferenceListDialog dialog(ini);
    EXPECT_EQ(dialog.caption, Text(rid::kXRefDialogCaption));
    EXPECT_EQ(dialog.entries.size(), 5u);
    dialog.entries.resize(2);

    CollectingMessageSink messages;
    dialog.editingInPlace = true;
    EXPECT_EQ(dialog.Ok(working, messages), ReferenceListDialog::OkResult::StillEditing);
    EXPECT_EQ(working.size(), 5u);
    dialog.editingInPlace = false;
    EXPECT_EQ(dialog.Ok(working, messages), ReferenceListDialog::OkResult::Closed);
    EXPECT_EQ(working, (ReferenceList{"/1", "/2"}));

    profile::Forget(ini);
    EXPECT_EQ(profile::ReadString(ini, xref::kSection, xref::kCountKey, "", 10), "2");
    EXPECT_EQ(profile::ReadString(ini, xref::kSection, "XRefEntry4", "", 10), "/5");
    EXPECT_EQ(ReadMasterReferences(ini), working);
    EXPECT_TRUE(messages.messages().empty());
}

TEST(MasterReferencesTest, MissingOrDamagedSectionReadsBounded) {
    test::TempFolder folder;
    const auto ini = folder / "kestrum.ini";
    EXPECT_TRUE(ReadMasterReferences(ini).empty());
    test::WriteFile(ini, "[XRef]\nXRefCount=99999999999\nXRefEntry0=" + std::string(300, 'p') +
                             "\nXRefEntry1=/q\n");
    profile::Forget(ini);
    const ReferenceList list = ReadMasterReferences(ini);
    ASSERT_EQ(list.size(), 3u);  // as many as the section has keys
    EXPECT_EQ(list[0], std::string(xref::kEntryCapacity, 'p'));
    EXPECT_EQ(list[2], "");
}

}  // namespace
}  // namespace kestrum
