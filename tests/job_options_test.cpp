#include "options/job_options.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "compose/job_stream.h"
#include "options/job_options_page.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using namespace job_page;
using test::Text;

// Failing rows are named rather than dumped as bytes.
template <typename Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

const auto kRowName = [](const auto& info) { return std::string(info.param.name); };

JobOptionsValues Defaults() {
    JobOptionsValues values;
    SetJobOptionsDefaults(values);
    return values;
}

JobOptionsValues EveryOptionSet() {
    return {.folding = 7,
            .copies = 3,
            .fileCopies = 100,
            .media = "Vellum",
            .tray = "ROLL 2",
            .pageSize = "A0",
            .pageScale = "A0 A4",
            .format = "HP-GL",
            .rasterMode = "Enable"};
}

JobOptionsValues AtTheirWidths() {
    return {.media = "ABCDEFGH",
            .tray = std::string(19, 'T'),
            .pageSize = "12345mm 12345mm",
            .pageScale = "0123456789",
            .format = "ABCDEFGHI",
            .rasterMode = std::string(24, 'R')};
}

class JobOptionsFileTest : public testing::Test {
  protected:
    ~JobOptionsFileTest() override { profile::Forget(file); }

    JobOptionsValues Loaded() {
        JobOptionsValues values;
        LoadJobOptions(values, file);
        return values;
    }

    test::TempFolder folder;
    std::filesystem::path file = folder / "job.cfg";
    CollectingMessageSink messages;
};

struct RoundTripRow {
    const char* name;
    JobOptionsValues (*values)();
};

class JobOptionsRoundTrip : public JobOptionsFileTest,
                            public testing::WithParamInterface<RoundTripRow> {};

TEST_P(JobOptionsRoundTrip, LoadGivesBackWhatWasSaved) {
    const JobOptionsValues saved = GetParam().values();
    ASSERT_TRUE(SaveJobOptions(saved, file, messages));
    EXPECT_EQ(Loaded(), saved);
    ASSERT_TRUE(profile::Flush(file));
    profile::Forget(file);
    EXPECT_EQ(Loaded(), saved);
}

INSTANTIATE_TEST_SUITE_P(Rows, JobOptionsRoundTrip,
                         testing::Values(RoundTripRow{"defaults", Defaults},
                                         RoundTripRow{"everyOptionSet", EveryOptionSet},
                                         RoundTripRow{"valuesAtTheirWidths", AtTheirWidths}),
                         kRowName);

TEST_F(JobOptionsFileTest, ValuesSetBackToTheirDefaultsDoNotComeBack) {
    ASSERT_TRUE(SaveJobOptions(EveryOptionSet(), file, messages));
    JobOptionsValues reset = Defaults();
    reset.tray = Text(rid::kJobDefaultText);  // the default in any case is still the default
    ASSERT_TRUE(SaveJobOptions(reset, file, messages));
    EXPECT_EQ(Loaded(), Defaults());

    ASSERT_TRUE(profile::Flush(file));
    const std::string text = test::ReadFile(file);
    for (int key : {rid::kMediaKey, rid::kTrayKey, rid::kPageSizeKey, rid::kPageScaleKey,
                    rid::kFormatKey, rid::kRasterModeKey}) {
        EXPECT_EQ(text.find(Text(key) + "="), std::string::npos) << Text(key) << " in\n" << text;
    }
}

TEST_F(JobOptionsFileTest, EveryFailedKeyIsReportedAndSavingGoesOn) {
    file = folder / "no such folder" / "job.cfg";
    EXPECT_FALSE(SaveJobOptions(EveryOptionSet(), file, messages));
    ASSERT_EQ(messages.messages().size(), 9u);
    for (const Message& message : messages.messages()) {
        EXPECT_EQ(message.resource, rid::kJobOptionsWriteFailedMessage);
        EXPECT_EQ(message.caption, Text(rid::kJobOptionsCaption));
        EXPECT_EQ(message.icon, MessageIcon::Stop);
        EXPECT_NE(message.text.find(file.string()), std::string::npos);
    }
}

struct GarbageRow {
    const char* name;
    std::string (*content)();
    JobOptionsValues (*expected)();
};

class JobOptionsGarbage : public JobOptionsFileTest,
                          public testing::WithParamInterface<GarbageRow> {};

TEST_P(JobOptionsGarbage, LoadsDefaultsOrCutValues) {
    test::WriteFile(file, GetParam().content());
    EXPECT_EQ(Loaded(), GetParam().expected());
}

std::string SignsBlanksLettersAndRanges() {
    return "[printer]\nfolding=257\nControllerCopies=+7x\nCopies=  12  \n"
           "[Printer]\nFolding=-3\n";
}

std::string OverCapacity() {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "[S" + std::to_string(i) + "]\nk=v\n";
    return text + "[Printer]\nMedia=" + std::string(30, 'm') + "\nTray=roll 1 and more" +
           std::string(20, 'x') + "\nPageSize=" + std::string(10'000'000, '9') +
           "\nPageScale=A0 A4 and beyond\nFormat=PostScript level 3\n";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JobOptionsGarbage,
    testing::Values(
        GarbageRow{"binaryBytes",
                   [] { return std::string("\x00\xff[Printer\x00]\x01=\x02\n\xfe\xfd", 12); },
                   Defaults},
        GarbageRow{"numbersWithSignsBlanksLettersAndOutOfRange", SignsBlanksLettersAndRanges,
                   [] {
                       JobOptionsValues v = Defaults();
                       v.copies = 7;
                       v.fileCopies = 12;
                       return v;
                   }},
        GarbageRow{"textsOverCapacityAreCut", OverCapacity,
                   [] {
                       JobOptionsValues v = Defaults();
                       v.media = std::string(8, 'm');
                       v.tray = "ROLL 1 AND MOREXXXX";
                       v.pageSize = std::string(15, '9');
                       v.pageScale = "A0 A4 and ";
                       v.format = "PostScrip";
                       return v;
                   }}),
    kRowName);

class JobOptionsPageTest : public testing::Test {
  protected:
    JobOptionsValues Shown(Unit unit, JobOptionsValues values) {
        page = JobOptionsPage(unit);
        page.Refresh(values, messages);
        return values;
    }

    std::string Header(const JobOptionsValues& job, PrinterType type) {
        CUserObject record = DefaultUserObject();
        record.job = job;
        FixedClock clock{LocalTime{2026, 1, 2, 3, 4, 5}};
        MemoryPrintJob printJob;
        JobStreamComposer composer(record, type, clock);
        EXPECT_TRUE(composer.ComposeJobHeader(printJob));
        return test::Visible(printJob.bytes());
    }

    JobOptionsPage page{Unit::Metric};
    CollectingMessageSink messages;
};

TEST_F(JobOptionsPageTest, NewConfigurationSendsNoJobCommands) {
    JobOptionsValues values = Shown(Unit::Metric, Defaults());
    page.Export(values);
    EXPECT_EQ(values, Defaults());
    EXPECT_EQ(Header(values, PrinterType::Velmar), "");
    EXPECT_EQ(Header(values, PrinterType::Oce9400), "");
}

TEST_F(JobOptionsPageTest, ExportedTextsAreWhatTheHeaderRecognises) {
    JobOptionsValues values = Shown(Unit::Metric, EveryOptionSet());
    page.folding.selected = 2;
    page.Export(values);
    JobOptionsValues expected = EveryOptionSet();
    expected.folding = 2;
    EXPECT_EQ(values, expected);
    EXPECT_EQ(Header(values, PrinterType::Velmar),
              "<ESC>.COPY3:<ESC>.FORMAT HP:<ESC>.PRMODE RAS:<ESC>.TRAY 2:<ESC>.MEDIA VELLUM:"
              "<ESC>.PGSCALE A0A4:<ESC>.PAGESIZE A0:<ESC>.FOLDER ON:<ESC>.FOLDER 1:");
}

TEST_F(JobOptionsPageTest, NumbersOutsideTheListsExportTheDefaultEntry) {
    JobOptionsValues values = Defaults();
    values.copies = 200;  // a launch file is not cut to the lists
    values.folding = -4;
    Shown(Unit::English, values);
    page.Export(values);
    EXPECT_EQ(values, Defaults());
}

struct ScaleRow {
    const char* name;
    Unit unit;
    const char* stored;
    int kind;           // 0: scaling shown off
    const char* value;  // after Refresh, and exported
    int message;        // 0: none
};

class PageScaleTest : public JobOptionsPageTest, public testing::WithParamInterface<ScaleRow> {};

TEST_P(PageScaleTest, ShowsStoredScale) {
    const ScaleRow& row = GetParam();
    JobOptionsValues values = Defaults();
    values.pageScale = row.stored;
    values = Shown(row.unit, values);
    EXPECT_EQ(values.pageScale, row.value);
    EXPECT_EQ(page.pageScaleSet.checked, row.kind != 0);
    EXPECT_EQ(page.pageScaleKind.chosen, row.kind);
    ASSERT_EQ(messages.messages().size(), row.message == 0 ? 0u : 1u);
    if (row.message != 0) {
        EXPECT_EQ(messages.messages()[0].resource, row.message);
        EXPECT_EQ(messages.messages()[0].caption, "");
    }
    if (row.kind == kScaleFromToRadio) {
        page.Export(values);
        EXPECT_EQ(values.pageScale, row.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageScaleTest,
    testing::Values(
        ScaleRow{"noBlankRewritten", Unit::Metric, "A0A4", kScaleFromToRadio, "A0 A4", 0},
        ScaleRow{"noBlankLowerCaseRewritten", Unit::English, "bd", kScaleFromToRadio, "B D", 0},
        ScaleRow{"withBlankKept", Unit::Metric, "A2 A3", kScaleFromToRadio, "A2 A3", 0},
        ScaleRow{"automaticAnyCase", Unit::English, "aUTO", kScaleAutomaticRadio, "aUTO", 0},
        ScaleRow{"fromSizeOfOtherUnit", Unit::English, "A0 A4", 0, "A0 A4",
                 rid::kScaleFromMissingMessage},
        ScaleRow{"toSizeMissing", Unit::Metric, "A0", 0, "A0", rid::kScaleToMissingMessage}),
    kRowName);

struct SizeRow {
    const char* name;
    Unit unit;
    const char* stored;
    int kind;
    const char* width;
    const char* exported;
};

class PageSizeTest : public JobOptionsPageTest, public testing::WithParamInterface<SizeRow> {};

TEST_P(PageSizeTest, ShowsStoredSize) {
    const SizeRow& row = GetParam();
    JobOptionsValues values = Defaults();
    values.pageSize = row.stored;
    values = Shown(row.unit, values);
    EXPECT_EQ(page.pageSizeKind.chosen, row.kind);
    EXPECT_EQ(page.pageSizeList.enabled, row.kind == kNamedSizeRadio);
    EXPECT_EQ(page.customWidth.enabled, row.kind == kCustomSizeRadio);
    EXPECT_EQ(page.customWidth.text, row.width);
    page.Export(values);
    EXPECT_EQ(values.pageSize, row.exported);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageSizeTest,
    testing::Values(
        SizeRow{"notSet", Unit::Metric, "", 0, "", ""},
        SizeRow{"namedAnyCase", Unit::Metric, "a3", kNamedSizeRadio, "", "A3"},
        SizeRow{"wholeNameNotPrefix", Unit::English, "A", kNamedSizeRadio, "", "A"},
        SizeRow{"customEqualToA3", Unit::Metric, "297mm 420mm", kNamedSizeRadio, "", "A3"},
        SizeRow{"customEqualToA4", Unit::Metric, "210mm 297mm", kNamedSizeRadio, "", "A4"},
        SizeRow{"customEqualToLetterA", Unit::English, "8.5in 11in", kNamedSizeRadio, "", "A"},
        SizeRow{"sizeOfOtherUnitStaysCustom", Unit::English, "297mm 420mm", kCustomSizeRadio, "297",
                "297in 420in"}),
    kRowName);

TEST_F(JobOptionsPageTest, FormatTheRadiosCannotShowIsCleared) {
    JobOptionsValues values = Defaults();
    values.format = "PostScrip";
    values = Shown(Unit::Metric, values);
    EXPECT_FALSE(page.formatSet.checked);
    EXPECT_EQ(values.format, "");

    page.ClickFormatCheck(true, values);
    EXPECT_EQ(page.formatKind.chosen, kFormatARadio);
    EXPECT_EQ(values.format, Text(rid::kFormatA));
}

TEST_F(JobOptionsPageTest, PrinterWithoutCommandsKeepsFormatRadiosDisabled) {
    page.ApplyPrinterType(PrinterType::Generic);
    JobOptionsValues values = Defaults();
    values.format = "hp-gl";
    page.Refresh(values, messages);
    EXPECT_EQ(page.formatKind.chosen, kFormatHpglRadio);
    EXPECT_FALSE(page.formatKind.enabled);
}

}  // namespace
}  // namespace kestrum
