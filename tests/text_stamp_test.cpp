#include "options/text_stamp.h"
#include "options/text_stamp_page.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "compose/job_stream.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using Page = TextStampPage;

std::string Section() {
    return Text(rid::kStampSection);
}

struct TextRow {
    const char* name;
    const char* in;
    const char* out;
};

std::string RowName(const testing::TestParamInfo<TextRow>& info) {
    return info.param.name;
}

class InchesTest : public testing::TestWithParam<TextRow> {};

TEST_P(InchesTest, NormalisedToHundredths) {
    EXPECT_EQ(stamp::NormaliseInches(GetParam().in), GetParam().out);
}

const TextRow kInches[] = {
    {"twoDecimals", "1.25", "125"},
    {"whole", "2", "200"},
    {"oneDecimal", "1.5", "150"},
    {"thirdDecimalDropped", "1.256", "125"},
    {"empty", "", "00"},
    {"letters", "abc", "000"},
    {"negative", "-1.25", "000"},
    {"letterInFraction", "1.2x", "000"},
    {"onlyFraction", ".05", "05"},
    {"pointAtEnd", "7.", "700"},
    {"blankEndsNumber", "2 in", "200"},
    {"surroundingBlanks", "  1.25 ", "125"},
};
INSTANTIATE_TEST_SUITE_P(Rows, InchesTest, testing::ValuesIn(kInches), RowName);

class MillimetresTest : public testing::TestWithParam<TextRow> {};

TEST_P(MillimetresTest, RoundedToNearestHundredth) {
    EXPECT_EQ(stamp::MillimetresToHundredths(GetParam().in), GetParam().out);
}

const TextRow kMillimetres[] = {
    {"oneInch", "254", "1000"},
    {"roundsUp", "1", "4"},
    {"roundsDown", "25", "98"},
    {"empty", "", "0"},
    {"letters", "3x", "0"},
    {"negative", "-5", "0"},
    {"nineDigits", "999999999", "3937007870"},
};
INSTANTIATE_TEST_SUITE_P(Rows, MillimetresTest, testing::ValuesIn(kMillimetres), RowName);

TEST(StampUnitsTest, ConversionsStayWithinTheirRounding) {
    EXPECT_EQ(stamp::HundredthsToMillimetres("250"), "64");  // 63.5 mm: halves round up
    for (int mm = 0; mm <= 5000; ++mm) {
        ASSERT_EQ(
            stamp::HundredthsToMillimetres(stamp::MillimetresToHundredths(std::to_string(mm))),
            std::to_string(mm));
    }
    for (int h = 0; h <= 20000; ++h) {
        const std::string back =
            stamp::MillimetresToHundredths(stamp::HundredthsToMillimetres(std::to_string(h)));
        ASSERT_LE(std::abs(std::stoi(back) - h), 2) << h;
        ASSERT_EQ(stamp::MillimetresToHundredths(stamp::HundredthsToMillimetres(back)), back);
    }
}

class StampFileTest : public testing::Test {
  protected:
    // Exports the page, saves, loads into fresh values and shows them on a fresh page.
    TextStampValues SaveAndLoad(const Page& page, Page& shown) {
        TextStampValues values;
        page.Export(values);
        EXPECT_TRUE(SaveTextStamp(values, file, messages));
        TextStampValues loaded;
        LoadTextStamp(loaded, file);
        shown.Refresh(loaded);
        return loaded;
    }
    std::string Stored(int key) { return profile::ReadString(file, Section(), Text(key), "?", 99); }

    test::TempFolder folder;
    std::filesystem::path file = folder / "stamp.cfg";
    CollectingMessageSink messages;
};

struct PositionRow {
    const char* name;
    Unit unit;
    const char* typed;
    const char* stored;
    const char* shown;
};

class StampPositionTest : public StampFileTest, public testing::WithParamInterface<PositionRow> {};

TEST_P(StampPositionTest, SurvivesSaveAndLoad) {
    const PositionRow& row = GetParam();
    Page page(row.unit);
    page.CheckStamp(true);
    page.horizontal.text = row.typed;
    Page shown(row.unit);
    SaveAndLoad(page, shown);
    EXPECT_EQ(Stored(rid::kStampHorizontalKey), row.stored);
    EXPECT_EQ(shown.horizontal.text, row.shown);
}

const PositionRow kPositions[] = {
    {"englishTwoDecimals", Unit::English, "1.25", "125", "1.25"},
    {"englishWhole", Unit::English, "2", "200", "2.00"},
    {"englishInvalid", Unit::English, "1,5", "000", "0.00"},
    {"englishEmpty", Unit::English, "", "00", ".00"},
    {"metricWhole", Unit::Metric, "32", "126", "32"},
    {"metricLarge", Unit::Metric, "1189", "4681", "1189"},
    {"metricInvalid", Unit::Metric, "12mm", "0", "0"},
};
INSTANTIATE_TEST_SUITE_P(Rows, StampPositionTest, testing::ValuesIn(kPositions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StampFileTest, EnglishPositionShownInMetricComesBackExact) {
    Page english(Unit::English);
    english.CheckStamp(true);
    english.vertical.text = "1.25";
    Page metric(Unit::Metric);
    TextStampValues values = SaveAndLoad(english, metric);
    EXPECT_EQ(metric.vertical.text, "32");
    metric.Export(values);  // left alone, the field gives back the exact hundredths
    EXPECT_EQ(values.verticalPosition, "125");
    metric.ApplyUnit(Unit::English);
    EXPECT_EQ(metric.vertical.text, "1.25");
    EXPECT_EQ(metric.horizontalUnitLabel, Text(rid::kStampUnitEnglishHorizontal));

    // An edited field is converted from what it shows.
    metric.ApplyUnit(Unit::Metric);
    EXPECT_TRUE(metric.positionsDigitsOnly);
    metric.vertical.text = "40";
    metric.ApplyUnit(Unit::English);
    EXPECT_EQ(metric.vertical.text, "1.57");
}

TEST_F(StampFileTest, StampSwitchedOffKeepsTheOtherKeys) {
    Page page(Unit::English);
    page.CheckStamp(true);
    page.text.text = "DRAFT";
    page.gValue.selected = 50;
    page.hOption.checked = true;
    Page shown(Unit::English);
    SaveAndLoad(page, shown);
    page.CheckStamp(false);
    page.text.text = "changed";
    TextStampValues loaded = SaveAndLoad(page, shown);
    EXPECT_EQ(profile::ReadString(file, Section(), "", "?", 9), "");
    EXPECT_EQ(loaded.stampOn, 0);
    EXPECT_EQ(loaded.text, "DRAFT");
    EXPECT_EQ(loaded.gValue, "50");
    EXPECT_EQ(loaded.hSwitch, 1);
    EXPECT_FALSE(shown.stamp.checked || shown.text.enabled || shown.gValue.enabled);
}

TEST_F(StampFileTest, DefaultEntryRemovesItsKeyAndComposesG100) {
    Page page(Unit::English);
    page.CheckStamp(true);
    page.gValue.selected = 7;
    page.sValue.selected = 3;
    Page shown(Unit::English);
    SaveAndLoad(page, shown);
    ASSERT_EQ(Stored(rid::kStampGValueKey), "7");
    page.gValue.selected = 0;
    page.text.text = "X";
    page.ChooseAngle(Page::kAngle90Radio);
    SaveAndLoad(page, shown);
    EXPECT_EQ(Stored(rid::kStampGValueKey), "?");
    EXPECT_EQ(Stored(rid::kStampSValueKey), "2");

    CUserObject values = DefaultUserObject();
    shown.Export(values.stamp);
    MemoryPrintJob job;
    FixedClock clock{LocalTime{}};
    (void)JobStreamComposer(values, PrinterType::Velmar, clock).ComposeJobHeader(job);
    EXPECT_EQ(test::Visible(job.bytes()), "<ESC>.TEXT O90 P8 C0 L0 G100 S2:X<NUL>");
}

TEST_F(StampFileTest, GarbageLoadsCutAndHarmless) {
    test::WriteFile(file, "[" + Section() + "]\n=256\n" + Text(rid::kStampTextKey) + "=" +
                              std::string(10 << 20, 't') + "\n" + Text(rid::kStampAngleKey) +
                              "=-1\n" + Text(rid::kStampPointSizeKey) + "=300\n" +
                              Text(rid::kStampTimeKey) + "=ON\n" + Text(rid::kStampDateKey) +
                              "=Onward\n" + Text(rid::kStampHorizontalKey) + "=\x01\0\xff" +
                              "12345678901\n" + Text(rid::kStampGValueKey) + "=+3 sides\n");
    TextStampValues values;
    LoadTextStamp(values, file);
    EXPECT_EQ(values.stampOn, 1);
    EXPECT_EQ(values.text.size(), stamp::kTextCapacity);
    EXPECT_EQ(values.angle, 255);
    EXPECT_EQ(values.timeSwitch, 1);
    EXPECT_EQ(values.dateSwitch, 0);
    EXPECT_EQ(values.horizontalPosition.size(), stamp::kPositionCapacity);
    EXPECT_EQ(values.gValue, "+3 sides");
    for (Unit unit : {Unit::English, Unit::Metric}) {
        Page page(unit);
        page.Refresh(values);
        EXPECT_EQ(page.pointSize.SelectedText(), "44pt");  // 300 held in one byte
        EXPECT_EQ(page.angle.chosen, Page::kAngleOtherRadio);
        TextStampValues exported;
        page.Export(exported);
        EXPECT_EQ(exported.horizontalPosition, unit == Unit::English ? "000" : "0");
        EXPECT_EQ(exported.gValue, Text(rid::kStampDefaultEntry));
    }
}

TEST_F(StampFileTest, EveryFailedKeyIsReportedAndSavingGoesOn) {
    file = folder / "missing" / "stamp.cfg";
    TextStampValues values;
    values.stampOn = 1;
    values.sValue =
        "5";  // the G value is at its default: removing a key that is not there is no failure
    EXPECT_FALSE(SaveTextStamp(values, file, messages));
    ASSERT_EQ(messages.messages().size(), 10u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kStampWriteFailedMessage);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Stop);
    EXPECT_NE(messages.messages()[0].text.find(file.string()), std::string::npos);
}

TEST(StampPageTest, EnablingFollowsStampAngleAndPrinterType) {
    Page page(Unit::English);
    EXPECT_FALSE(page.text.enabled || page.angle.enabled || page.control1026Enabled);
    page.CheckStamp(true);
    EXPECT_TRUE(page.text.enabled && page.angle.enabled && page.control1026Enabled);
    EXPECT_FALSE(page.angleValue.enabled);
    page.ChooseAngle(Page::kAngleOtherRadio);
    EXPECT_TRUE(page.angleValue.enabled);
    EXPECT_EQ(page.angleIcon, Page::kIconAngleOther);
    page.angleValue.text = "300";
    TextStampValues values;
    page.Export(values);
    EXPECT_EQ(values.angle, 44);

    for (PrinterType type : {PrinterType::Generic, PrinterType::Oce9400}) {
        page.ApplyPrinterType(PrinterType::Velmar);
        page.CheckStamp(true);
        page.ApplyPrinterType(type);
        EXPECT_FALSE(page.stamp.checked || page.stamp.enabled || page.text.enabled);
        page.CheckStamp(true);  // a disabled box cannot be clicked
        page.Export(values);
        EXPECT_EQ(values.stampOn, 0);
    }
    page.ApplyPrinterType(PrinterType::Velmar);
    EXPECT_TRUE(page.stamp.enabled);
    EXPECT_FALSE(page.stamp.checked);
}

// A configuration loaded while a printer type without stamps is chosen shows its stamp checked in
// a disabled box; nothing that depends on it may be editable then, and what is exported (what
// the composer reads) stays as loaded.
TEST(TextStampPageTest, StampLoadedForATypeWithoutStampsLeavesEveryDependentControlDisabled) {
    using Page = TextStampPage;
    for (PrinterType type : {PrinterType::Generic, PrinterType::Oce9400}) {
        Page page(Unit::English);
        page.ApplyPrinterType(type);
        TextStampValues loaded;
        SetTextStampDefaults(loaded);
        loaded.stampOn = 1;
        loaded.angle = 45;
        loaded.text = "Approved";
        page.Refresh(loaded);
        EXPECT_TRUE(page.stamp.checked);
        EXPECT_FALSE(page.stamp.enabled);
        const std::vector<bool> dependents{
            page.angle.enabled,      page.angleValue.enabled, page.text.enabled,
            page.time.enabled,       page.date.enabled,       page.hOption.enabled,
            page.pointSize.enabled,  page.horizontal.enabled, page.vertical.enabled,
            page.gValue.enabled,     page.sValue.enabled,     page.anglePictureEnabled,
            page.control1025Enabled, page.control1026Enabled};
        EXPECT_EQ(dependents, std::vector<bool>(dependents.size(), false)) << PrinterTypeName(type);
        TextStampValues exported;
        page.Export(exported);
        EXPECT_EQ(exported.stampOn, 1);
        EXPECT_EQ(exported.angle, 45);
        EXPECT_EQ(exported.text, "Approved");

        page.ApplyPrinterType(PrinterType::Velmar);
        page.Refresh(loaded);
        EXPECT_TRUE(page.text.enabled && page.angleValue.enabled && page.gValue.enabled);
    }
}

}  // namespace
}  // namespace kestrum
