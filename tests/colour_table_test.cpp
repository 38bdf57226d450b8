#include "options/colour_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

struct WidthRow {
    const char* name;
    const char* in;
    const char* out;
};

class WidthDisplayTest : public testing::TestWithParam<WidthRow> {};

TEST_P(WidthDisplayTest, ShowsThousandthsWithPoint) {
    EXPECT_EQ(WidthDisplay(GetParam().in), GetParam().out);
}

const WidthRow kDisplays[] = {
    {"fourDigitsSplit", "1000", "1.000"},      {"threeDigitsAllDecimal", "250", ".250"},
    {"oneDigitPadded", "5", ".005"},           {"emptyIsZero", "", ".000"},
    {"longKeepsAllDigits", "12345", "12.345"},
};
INSTANTIATE_TEST_SUITE_P(Rows, WidthDisplayTest, testing::ValuesIn(kDisplays),
                         [](const auto& info) { return std::string(info.param.name); });

class WidthEntryTest : public testing::TestWithParam<WidthRow> {};

TEST_P(WidthEntryTest, StoresThousandths) {
    EXPECT_EQ(WidthFromEntry(GetParam().in), GetParam().out);
}

const WidthRow kEntries[] = {
    {"oneDecimalPadded", "1.5", "1500"},
    {"leadingPoint", ".25", "250"},
    {"wholeNumber", "2", "2000"},
    {"zeroPointTwoDecimals", "0.35", "350"},
    {"fourthDecimalDropped", "1.2345", "1234"},
    {"trailingPoint", "1.", "1000"},
    {"blanksAround", " 1.5 ", "1500"},
    {"lettersAfterFraction", "1.2mm", "1200"},
    {"emptyIsZero", "", "0"},
    {"lettersAreZero", "abc", "0"},
    {"negativeIsZero", "-1.5", "0"},
    {"negativeFractionIsZero", "-.5", "0"},
    {"hugeSaturates", "99999999999999999999999", "32767"},
    {"largestKept", "32.767", "32767"},
    {"justAboveLargest", "32.768", "32767"},
};
INSTANTIATE_TEST_SUITE_P(Rows, WidthEntryTest, testing::ValuesIn(kEntries),
                         [](const auto& info) { return std::string(info.param.name); });

ColourTable ResetTable() {
    ColourTable table;
    ResetColourTable(table);
    return table;
}

TEST(ColourTableTest, EveryRowAndFieldIsSavedAndLoadsBack) {
    test::TempFolder folder;
    const auto file = folder / "table.cfg";
    ColourTable table = ResetTable();
    table[0] = ACPenParms{"", "", ""};
    table[41] = ACPenParms{"7", "350", "8"};
    table[255].width = std::string(50, '9');
    CollectingMessageSink messages;
    ASSERT_TRUE(SaveColourTable(table, file, messages));
    ASSERT_TRUE(profile::Flush(file));
    profile::Forget(file);

    // Empty fields have their keys too.
    EXPECT_EQ(profile::KeyNames(file, ColourSectionName(1)).size(), 3u);
    EXPECT_EQ(profile::SectionNames(file).size(), std::size_t{kColourCount});
    ColourTable loaded;
    LoadColourTable(loaded, file);
    EXPECT_EQ(loaded, table);
    EXPECT_TRUE(messages.messages().empty());
}

TEST(ColourTableTest, MissingSectionsLoadEmptyAndFieldsAreCut) {
    test::TempFolder folder;
    const auto file = folder / "partial.cfg";
    test::WriteFile(file, "[" + ColourSectionName(3) + "]\n" + Text(rid::kAcadColourPenKey) + "=" +
                              std::string(40, '1') + "\n" + Text(rid::kAcadColourWidthKey) + "=" +
                              std::string(1000, '2') + "\n");
    ColourTable table = ResetTable();
    LoadColourTable(table, file);
    EXPECT_EQ(table[0], (ACPenParms{"", "", ""}));
    EXPECT_EQ(table[2].pen, std::string(colour::kPenCapacity, '1'));
    EXPECT_EQ(table[2].width, std::string(colour::kWidthCapacity, '2'));
    EXPECT_EQ(table[2].style, "");
}

TEST(ColourTableTest, UnwritableFileIsReportedOnceForTheWholeTable) {
    test::TempFolder folder;
    CollectingMessageSink messages;
    EXPECT_FALSE(SaveColourTable(ResetTable(), folder / "missing" / "t.cfg", messages));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kAcadWriteFailedMessage);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Stop);
}

TEST(ColourTableEditorTest, OpensOnRowOneWithBothLists) {
    ColourTable table = ResetTable();
    table[0].style = "not a style";
    ColourTableEditor editor(table);
    EXPECT_EQ(editor.penList.entries.size(), 256u);
    EXPECT_EQ(editor.styleList.entries.back(), "8");
    EXPECT_EQ(editor.rowNumberEdit.text, "1");
    EXPECT_EQ(editor.penList.SelectedText(), "1");
    EXPECT_EQ(editor.styleList.selected, -1);
    EXPECT_EQ(editor.widthEdit.text, WidthDisplay(table[0].width));
    EXPECT_TRUE(editor.rowSelected[0]);
    EXPECT_EQ(editor.rowLines[9], "    10\t         10\t\t   " + table[9].style + "\t        " +
                                      WidthDisplay(table[9].width));
}

TEST(ColourTableEditorTest, PenOfFiveSelectedRowsChangesExactlyThose) {
    const ColourTable table = ResetTable();
    ColourTableEditor editor(table);
    const std::vector<int> chosen = {2, 3, 4, 100, 255};
    editor.SelectRows(chosen);
    editor.ChoosePen(11);  // pen "12"
    editor.ChooseStyle(4);
    ColourTable edited;
    editor.Ok(edited);
    for (int i = 0; i < kColourCount; ++i) {
        SCOPED_TRACE(i);
        const bool selected = std::find(chosen.begin(), chosen.end(), i) != chosen.end();
        const auto row = static_cast<std::size_t>(i);
        EXPECT_EQ(editor.rowSelected[row], selected);
        EXPECT_EQ(edited[row].pen, selected ? "12" : table[row].pen);
        EXPECT_EQ(edited[row].style, selected ? "4" : table[row].style);
        EXPECT_EQ(editor.rowLines[row], ColourRowLine(i + 1, edited[row]));
    }
}

TEST(ColourTableEditorTest, WidthIsTakenOnLeavingOrOnOk) {
    ColourTable table = ResetTable();
    {
        ColourTableEditor editor(table);
        const int rows[] = {5, 6};
        editor.SelectRows(rows);
        editor.Focus(ColourTableEditor::kWidthEdit);
        editor.widthEdit.text = "0.35";
        editor.Focus(ColourTableEditor::kPenList);
        EXPECT_EQ(editor.rows()[5].width, "350");
        EXPECT_EQ(editor.rows()[6].width, "350");
        EXPECT_EQ(editor.rows()[7].width, table[7].width);

        // Typed and OK pressed without leaving the edit: OK takes it.
        editor.Focus(ColourTableEditor::kWidthEdit);
        editor.widthEdit.text = "2";
        editor.Ok(table);
    }
    EXPECT_EQ(table[5].width, "2000");
    EXPECT_EQ(WidthDisplay(table[6].width), "2.000");
}

TEST(ColourTableEditorTest, CancelLeavesTheTableUnchanged) {
    const ColourTable before = ResetTable();
    ColourTable table = before;
    {
        ColourTableEditor editor(table);
        const int rows[] = {0, 1, 2};
        editor.SelectRows(rows);
        editor.ChoosePen(200);
        editor.Focus(ColourTableEditor::kWidthEdit);
        editor.widthEdit.text = "9";
        editor.Focus(ColourTableEditor::kRowList);
    }
    EXPECT_EQ(table, before);
}

}  // namespace
}  // namespace kestrum
