#include "options/raster_settings.h"
#include "options/raster_settings_page.h"

#include <gtest/gtest.h>

#include "compose/job_stream.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using Page = RasterSettingsPage;

std::string Section() {
    return Text(rid::kRasterSection);
}

// The raster block the composer sends for these values.
std::string RasterBlock(const RasterValues& raster) {
    CUserObject values = DefaultUserObject();
    values.raster = raster;
    MemoryPrintJob job;
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{}};
    (void)JobStreamComposer(values, PrinterType::Velmar, clock).ComposeJobHeader(job);
    return test::Visible(job.bytes());
}

// Every entry a list offers must be one the composer recognises.
struct EntryRow {
    const char* name;
    ListControl Page::*list;
    int entry;
    const char* block;
};

class RasterEntryTest : public testing::TestWithParam<EntryRow> {};

TEST_P(RasterEntryTest, ComposerSendsItsCode) {
    Page page;
    (page.*GetParam().list).selected = GetParam().entry;
    RasterValues values;
    page.Export(values);
    EXPECT_EQ(RasterBlock(values), GetParam().block);
}

const EntryRow kEntries[] = {
    {"setting1Normal", &Page::setting1, 1, "<ESC>.GIINZ"},
    {"setting1Reverse", &Page::setting1, 2, "<ESC>.GIIRZ"},
    {"setting2Reverse", &Page::setting2, 2, "<ESC>.GIYRZ"},
    {"setting3Normal", &Page::setting3, 1, "<ESC>.GD4Z"},
    {"setting3Auto", &Page::setting3, 2, "<ESC>.GDSZ"},
    {"setting3D2", &Page::setting3, 3, "<ESC>.GD2Z"},
    {"setting3DR", &Page::setting3, 4, "<ESC>.GDRZ"},
    {"setting3DP50", &Page::setting3, 5, "<ESC>.GDP50Z"},
    {"setting3Disable", &Page::setting3, 6, "<ESC>.GDDZ"},
    {"setting4Normal", &Page::setting4, 1, "<ESC>.GIPNZ"},
    {"setting5Enable", &Page::setting5, 1, "<ESC>.GIMEZ"},
    {"setting5Disable", &Page::setting5, 2, "<ESC>.GIMDZ"},
    {"setting9Enable", &Page::setting9, 1, "<ESC>.GICEZ"},
    {"setting9Disable", &Page::setting9, 2, "<ESC>.GICDZ"},
    {"rotation0", &Page::rotation, 1, "<ESC>.GR0Z"},
    {"rotation90", &Page::rotation, 2, "<ESC>.GR9Z"},
    {"notSetSendsNothing", &Page::setting3, 0, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, RasterEntryTest, testing::ValuesIn(kEntries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RasterPageTest, CompressionRadioStoresAtOnceAndExportLeavesIt) {
    Page page;
    RasterValues values;
    page.ChooseCompression(Page::kCompressionTG4, values);
    EXPECT_EQ(values[raster::kSetting8], Text(rid::kCompressionTG4));
    EXPECT_EQ(RasterBlock(values), "<ESC>.GTG4:");
    page.Export(values);
    EXPECT_EQ(values[raster::kSetting8], Text(rid::kCompressionTG4));
    page.ChooseCompression(4711, values);
    EXPECT_EQ(page.compression.chosen, Page::kCompressionTG4);
    page.ChooseCompression(Page::kCompressionNone, values);
    EXPECT_EQ(values[raster::kSetting8], "");
}

TEST(RasterPageTest, RefreshShowsByPrefixAndHoldsCompressionAsTheComposerSpellsIt) {
    Page page;
    RasterValues values;
    values[raster::kSetting1] = test::SwapCase(Text(rid::kRasterReverseEntry)).substr(0, 3);
    values[raster::kSetting3] = "no such entry";
    values[raster::kSetting8] = test::SwapCase(Text(rid::kRasterCompressionC4Radio));
    page.Refresh(values);
    EXPECT_EQ(page.setting1.selected, 2);
    EXPECT_EQ(page.setting3.selected, 0);
    EXPECT_EQ(page.compression.chosen, Page::kCompressionC4);
    EXPECT_EQ(values[raster::kSetting8], Text(rid::kCompressionC4));

    // A compression word of no button leaves the buttons alone.
    values[raster::kSetting8] = "LZW";
    page.Refresh(values);
    EXPECT_EQ(page.compression.chosen, Page::kCompressionC4);

    page.Export(values);
    EXPECT_EQ(values[raster::kSetting1], Text(rid::kRasterReverseEntry));
    EXPECT_EQ(values[raster::kSetting3], "");
}

TEST(RasterPageTest, OnlyVelmarEnablesTheControls) {
    Page page;
    page.ApplyPrinterType(PrinterType::Oce9400);
    EXPECT_FALSE(page.setting3.enabled || page.setting6.enabled || page.compression.enabled ||
                 page.rotation.enabled);
    page.ApplyPrinterType(PrinterType::Velmar);
    EXPECT_TRUE(page.setting3.enabled && page.setting6.enabled && page.compression.enabled &&
                page.rotation.enabled);
}

// Saved over a file that had every setting, the values load back exactly, and the file holds a
// key for each set value only.
struct SaveRow {
    const char* name;
    std::vector<std::pair<std::size_t, std::string>> set;
};

class RasterSaveTest : public testing::TestWithParam<SaveRow> {};

TEST_P(RasterSaveTest, LoadsWhatWasSaved) {
    test::TempFolder folder;
    const auto file = folder / "raster.cfg";
    CollectingMessageSink messages;
    RasterValues everything;
    for (std::size_t i = 0; i < everything.size(); ++i) everything[i] = std::to_string(i + 1);
    ASSERT_TRUE(SaveRaster(everything, file, messages));

    RasterValues values;
    SetRasterDefaults(values);
    for (const auto& [index, text] : GetParam().set) values[index] = text;
    ASSERT_TRUE(SaveRaster(values, file, messages));
    ASSERT_TRUE(profile::Flush(file));
    profile::Forget(file);

    RasterValues loaded = everything;
    LoadRaster(loaded, file);
    EXPECT_EQ(loaded, values);
    EXPECT_EQ(profile::KeyNames(file, Section()).size(), GetParam().set.size());
    EXPECT_TRUE(messages.messages().empty());
}

const SaveRow kSaves[] = {
    {"nothingSetLeavesNoKeys", {}},
    {"settingReturnedToNotSet", {{raster::kRotation, "90"}}},
    {"widthAndCompression", {{raster::kSetting6, "0"}, {raster::kSetting8, "TG4"}}},
};
INSTANTIATE_TEST_SUITE_P(Rows, RasterSaveTest, testing::ValuesIn(kSaves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RasterFileTest, GarbageLoadsCutToCapacity) {
    test::TempFolder folder;
    const auto file = folder / "garbage.cfg";
    test::WriteFile(file, "[" + Section() + "]\n" + Text(rid::kRasterSetting1Key) + "=" +
                              std::string(10 << 20, 'x') + "\n" + Text(rid::kRasterSetting3Key) +
                              "=" + std::string(30, 'd') + "\n" + Text(rid::kRasterRotationKey) +
                              "=90" + std::string(1, '\0') + "\xff\n\x01\x02garbage\n");
    RasterValues values;
    LoadRaster(values, file);
    EXPECT_EQ(values[raster::kSetting1], std::string(10, 'x'));
    EXPECT_EQ(values[raster::kSetting3], std::string(20, 'd'));
    EXPECT_EQ(values[raster::kRotation], std::string("90\0\xff", 4));
    // A value no entry begins with is shown, and taken back, as not set.
    Page page;
    page.Refresh(values);
    page.Export(values);
    EXPECT_EQ(values[raster::kRotation], "");
}

TEST(RasterFileTest, EveryFailedKeyIsReportedAndSavingGoesOn) {
    test::TempFolder folder;
    const auto file = folder / "missing" / "raster.cfg";
    RasterValues values;
    values[raster::kSetting2] = "x";
    values[raster::kSetting8] = "y";
    CollectingMessageSink messages;
    EXPECT_FALSE(SaveRaster(values, file, messages));
    // Removing the keys of the unset values finds nothing to remove, which is no failure.
    ASSERT_EQ(messages.messages().size(), 2u);
    const Message& first = messages.messages().front();
    EXPECT_EQ(first.resource, rid::kRasterWriteFailedMessage);
    EXPECT_EQ(first.icon, MessageIcon::Stop);
    EXPECT_EQ(first.caption, "Kestrum");
    EXPECT_NE(first.text.find(file.string()), std::string::npos);
}

}  // namespace
}  // namespace kestrum
