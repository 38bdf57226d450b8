#include "shell/printer_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "platform/private_profile.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

// "a,b,c" as a list of names.
std::vector<std::string> Names(std::string_view list) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        names.emplace_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

std::vector<PrinterQueue> Queues(std::string_view names, std::string_view defaultName = {}) {
    std::vector<PrinterQueue> queues;
    for (std::string& name : Names(names)) {
        queues.push_back(PrinterQueue{name, PrinterQueue::Kind::Cups, {}, name == defaultName});
    }
    return queues;
}

std::vector<std::string> Checked(const PrinterSelection& selection) {
    return selection.CheckedPrinters();
}

class PrinterSelectionTest : public testing::Test {
  protected:
    PrinterSelectionTest() { settings.settingsFile = ini; }
    ~PrinterSelectionTest() override { profile::Forget(ini); }

    // What another program would find in the file now.
    std::string Stored(const std::string& key) {
        profile::Forget(ini);
        return profile::ReadString(ini, "Printer", key, "<missing>", 300);
    }

    void Rebuild(PrinterSelection& selection, std::vector<PrinterQueue> queues) {
        profile::Forget(ini);
        ASSERT_TRUE(selection.Rebuild(std::move(queues), ini));
    }

    test::TempFolder folder;
    fs::path ini = folder / "kestrum.ini";
    ProgramSettings settings;
};

TEST_F(PrinterSelectionTest, CheckMarksAreNumberedFromTheBottom) {
    PrinterSelection selection;
    Rebuild(selection, Queues("first,second,third"));
    ASSERT_TRUE(selection.SetChecked(0, true, settings));
    ASSERT_TRUE(selection.SetChecked(2, true, settings));

    EXPECT_EQ(Stored("PrinterCount"), "2");
    EXPECT_EQ(Stored("PrinterName1"), "third");
    EXPECT_EQ(Stored("PrinterName2"), "first");
    for (const char* key : {"PrinterPort1", "PrinterDriver1", "PrinterPort2", "PrinterDriver2"}) {
        EXPECT_EQ(Stored(key), "") << key;
    }
    EXPECT_EQ(settings.printerName, "third");
    EXPECT_EQ(settings.printerPort, "");
    EXPECT_EQ(settings.printerDriver, "");
    // The send visits them top to bottom.
    EXPECT_EQ(Checked(selection), (std::vector<std::string>{"first", "third"}));
}

TEST_F(PrinterSelectionTest, CheckMarksSurviveASaveAndARebuild) {
    const std::vector<std::vector<bool>> patterns = {
        {false, false, false, true}, {true, true, true, true}, {false, true, false, true}};
    const auto queues = Queues("a0-roll,a1-sheet,hot-folder,proof");
    for (const auto& pattern : patterns) {
        PrinterSelection before;
        Rebuild(before, queues);
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            ASSERT_TRUE(before.SetChecked(i, pattern[i], settings));
        }
        PrinterSelection after;
        Rebuild(after, queues);
        EXPECT_EQ(Checked(after), Checked(before)) << testing::PrintToString(pattern);
    }
}

TEST_F(PrinterSelectionTest, UncheckingAllKeepsTheProgramPrinterAndStaleKeys) {
    PrinterSelection selection;
    Rebuild(selection, Queues("a,b"));
    ASSERT_TRUE(selection.SetChecked(1, true, settings));
    ASSERT_TRUE(selection.SetChecked(1, false, settings));
    EXPECT_EQ(Stored("PrinterCount"), "0");
    EXPECT_EQ(Stored("PrinterName1"), "b");  // left behind, not read while the count is 0
    EXPECT_EQ(settings.printerName, "b");
}

struct RestoreRow {
    const char* name;
    const char* ini;  // the Printer section's lines
    const char* queues;
    const char* defaultQueue;
    const char* checked;
};

class RestoreTest : public PrinterSelectionTest, public testing::WithParamInterface<RestoreRow> {};

TEST_P(RestoreTest, ChecksWhatTheSettingsName) {
    const RestoreRow& row = GetParam();
    if (*row.ini != '\0') test::WriteFile(ini, std::string("[Printer]\n") + row.ini);
    PrinterSelection selection;
    Rebuild(selection, Queues(row.queues, row.defaultQueue));
    EXPECT_EQ(Checked(selection), Names(row.checked));
}

INSTANTIATE_TEST_SUITE_P(
    PrinterSelection, RestoreTest,
    testing::Values(
        RestoreRow{"defaultWhenNothingStored", "", "a,b,c", "b", "b"},
        RestoreRow{"noDefaultNothingChecked", "", "a,b", "", ""},
        // A longer-named queue listed first must not take the default's check mark.
        RestoreRow{"defaultIsTheFlaggedQueue", "", "plotter-big,plotter", "plotter", "plotter"},
        RestoreRow{"storedNamesOnly", "PrinterCount=2\nPrinterName1=c\nPrinterName2=a", "a,b,c",
                   "b", "a,c"},
        RestoreRow{"vanishedPrinterDropped", "PrinterCount=2\nPrinterName1=gone\nPrinterName2=b",
                   "a,b", "", "b"},
        // The queue of exactly the stored name wins over a longer one listed before it.
        RestoreRow{"equalNameWinsOverPrefix", "PrinterCount=1\nPrinterName1=Plot", "Plot 2,Plot",
                   "", "Plot"},
        RestoreRow{"equalNameAnyCase", "PrinterCount=1\nPrinterName1=PLOTTER",
                   "other,plotter-xl,plotter", "", "plotter"},
        // A name cut short by an older, shorter field still finds its queue.
        RestoreRow{"prefixChecksFirstLongerWhenNoneEqual", "PrinterCount=1\nPrinterName1=plot",
                   "other,plotter-xl,plotter", "", "plotter-xl"},
        RestoreRow{"keysAboveCountNotRead", "PrinterCount=1\nPrinterName1=a\nPrinterName2=b", "a,b",
                   "", "a"},
        RestoreRow{"missingKeyReadsDefault", "PrinterCount=2\nPrinterName1=a", "a,b,Default-queue",
                   "", "a,Default-queue"},
        RestoreRow{"leadingZeroKeyNotRead", "PrinterCount=1\nPrinterName01=a", "a,b", "", ""},
        RestoreRow{"hugeCountReadsExistingKeys",
                   "PrinterCount=99999999999\nPrinterName1=b\nPrinterName900000=c", "a,b,c", "",
                   "b,c"},
        RestoreRow{"emptyNameChecksNothing", "PrinterCount=1\nPrinterName1=", "a,b", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterSelectionTest, TheReservedQueueIsNeverListed) {
    PrinterSelection selection;
    Rebuild(selection, Queues("Rendering Subsystem,plotter,rendering subsystem"));
    ASSERT_EQ(selection.entries().size(), 2u);
    EXPECT_EQ(selection.entries()[0].queue.name, "plotter");
    EXPECT_EQ(selection.entries()[1].queue.name, "rendering subsystem");  // not exactly the name
}

TEST_F(PrinterSelectionTest, NoListFromTheSpoolerLeavesItEmptyAndWritesNothing) {
    test::WriteFile(ini, "[Printer]\nPrinterCount=1\nPrinterName1=a\n");
    PrinterSelection selection;
    Rebuild(selection, Queues("a,b"));
    ASSERT_EQ(Checked(selection), std::vector<std::string>{"a"});

    const auto rebuilt = selection.Rebuild(Fail("The scheduler cannot be reached."), ini);
    ASSERT_FALSE(rebuilt);
    EXPECT_EQ(rebuilt.error().message, "The scheduler cannot be reached.");
    EXPECT_TRUE(selection.entries().empty());
    EXPECT_EQ(test::ReadFile(ini), "[Printer]\nPrinterCount=1\nPrinterName1=a\n");
}

class PrinterTypeTest : public PrinterSelectionTest,
                        public testing::WithParamInterface<std::pair<PrinterType, int>> {};

TEST_P(PrinterTypeTest, ChoiceReachesEveryListenerInOrderAndIsWritten) {
    const auto [type, button] = GetParam();
    PrinterSelection selection;
    std::vector<std::pair<int, PrinterType>> heard;
    for (int page = 0; page < 5; ++page) {
        selection.AddPrinterTypeListener([&heard, page](PrinterType t) {
            heard.push_back({page, t});
        });
    }
    ASSERT_TRUE(selection.ChoosePrinterType(type, settings));

    EXPECT_EQ(settings.printerType, type);
    EXPECT_EQ(heard, (std::vector<std::pair<int, PrinterType>>{
                         {0, type}, {1, type}, {2, type}, {3, type}, {4, type}}));
    EXPECT_EQ(selection.chosenTypeButton(), button);
    EXPECT_EQ(Stored("PrinterType"), PrinterTypeName(type));
}

INSTANTIATE_TEST_SUITE_P(PrinterSelection, PrinterTypeTest,
                         testing::Values(std::pair{PrinterType::Generic, 1238},
                                         std::pair{PrinterType::Velmar, 1236},
                                         std::pair{PrinterType::Oce9400, 1237}));

TEST_F(PrinterSelectionTest, InitialiseAppliesTheStoredTypeOce9400Included) {
    settings.printerType = PrinterType::Oce9400;
    PrinterSelection selection;
    std::vector<PrinterType> heard;
    selection.AddPrinterTypeListener([&heard](PrinterType t) { heard.push_back(t); });
    ASSERT_TRUE(selection.Initialise(settings));
    EXPECT_EQ(heard, std::vector<PrinterType>{PrinterType::Oce9400});
    EXPECT_EQ(selection.chosenTypeButton(), PrinterSelection::kOce9400Button);
    EXPECT_EQ(Stored("PrinterType"), "Oce9400");
}

TEST_F(PrinterSelectionTest, AWriteThatFailsIsReportedAndTheChoiceStillHolds) {
    settings.settingsFile = folder / "missing-folder" / "kestrum.ini";
    PrinterSelection selection;
    int heard = 0;
    selection.AddPrinterTypeListener([&heard](PrinterType) { ++heard; });
    const auto chosen = selection.ChoosePrinterType(PrinterType::Generic, settings);
    ASSERT_FALSE(chosen);
    EXPECT_NE(chosen.error().message.find("missing-folder"), std::string::npos)
        << chosen.error().message;
    EXPECT_EQ(settings.printerType, PrinterType::Generic);
    EXPECT_EQ(heard, 1);

    ASSERT_TRUE(selection.Rebuild(Queues("a"), settings.settingsFile));
    EXPECT_FALSE(selection.SetChecked(0, true, settings));
    profile::Forget(settings.settingsFile);
}

}  // namespace
}  // namespace kestrum
