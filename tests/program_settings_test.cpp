#include "shell/program_settings.h"

#include <gtest/gtest.h>

#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

class ProgramSettingsTest : public testing::Test {
  protected:
    ProgramSettings Load(SettingsWriteBack writeBack = SettingsWriteBack::Yes) {
        profile::Forget(ini);
        return LoadProgramSettings(ini, folder.path(), writeBack, messages);
    }
    std::string Stored(const char* section, const char* key) {
        profile::Forget(ini);
        return profile::ReadString(ini, section, key, "<missing>", 300);
    }

    test::TempFolder folder;
    std::filesystem::path ini = folder / "kestrum.ini";
    CollectingMessageSink messages;
};

TEST_F(ProgramSettingsTest, MissingFileGivesDefaultsAndWritesTheNormalisedKeys) {
    const ProgramSettings s = Load();
    EXPECT_EQ(s.outputMode, OutputMode::Device);
    EXPECT_FALSE(s.jobTicket);
    EXPECT_EQ(s.unit, Unit::English);
    EXPECT_FALSE(s.autoCad);
    EXPECT_EQ(s.plotFilesFolder, folder.path().string());
    EXPECT_EQ(s.configFilesFolder, folder.path().string());
    EXPECT_TRUE(s.accountFile.ends_with("KSAct/account.txt")) << s.accountFile;
    EXPECT_EQ(s.printerType, PrinterType::Velmar);
    EXPECT_EQ(s.printerName, "Default");
    EXPECT_EQ(s.printerPort, "Default");
    EXPECT_EQ(s.printerDriver, "Default");
    EXPECT_FALSE(s.eojNotification || s.folderOptions || s.hardwareOptions);
    EXPECT_EQ(s.defaultConfiguration, folder / "default.cfg");
    EXPECT_TRUE(messages.messages().empty());

    EXPECT_EQ(Stored("General", "OutputMode"), "DEVICE");
    EXPECT_EQ(Stored("General", "Unit"), "English");
    EXPECT_EQ(Stored("General", "AutoCAD"), "<missing>");
    EXPECT_EQ(Stored("DefaultPath", "PlotFiles"), folder.path().string());
    EXPECT_EQ(Stored("DefaultPath", "AccountFile"), s.accountFile);
    EXPECT_EQ(Stored("Printer", "PrinterDriver"), "Default");
}

TEST_F(ProgramSettingsTest, StoredValuesAreRead) {
    test::WriteFile(ini,
                    "[General]\nOutputMode=KSL\nJobTicket=" + test::SwapCase(Text(rid::kYesWord)) +
                        "\nUnit=Metric\nAutoCAD=" + Text(rid::kYesWord) + "\nEOJNotification=" +
                        Text(rid::kYesWord) + "\nHardwareOptions=" + Text(rid::kNoWord) +
                        "\n[DefaultPath]\nConfigFiles=/srv/configs\n"
                        "[Printer]\nPrinterType=vELMAR\nPrinterName=plotter-a0\n");
    const ProgramSettings s = Load();
    EXPECT_EQ(s.outputMode, OutputMode::Device);  // every start is in device mode
    EXPECT_TRUE(s.jobTicket);
    EXPECT_EQ(s.unit, Unit::Metric);
    EXPECT_TRUE(s.autoCad);
    EXPECT_TRUE(s.eojNotification);
    EXPECT_FALSE(s.hardwareOptions);
    EXPECT_EQ(s.configFilesFolder, "/srv/configs");
    EXPECT_EQ(s.printerType, PrinterType::Velmar);
    EXPECT_EQ(s.printerName, "plotter-a0");
    EXPECT_EQ(Stored("General", "OutputMode"), "DEVICE");
}

TEST_F(ProgramSettingsTest, UnitWordsFollowTheirCaseRules) {
    test::WriteFile(ini, "[General]\nUnit=eNGLISH\n");
    EXPECT_EQ(Load().unit, Unit::English);
    EXPECT_EQ(Stored("General", "Unit"), "English");
    // The metric word is compared exactly; anything else stays English and is left alone.
    test::WriteFile(ini, "[General]\nUnit=metric\n");
    EXPECT_EQ(Load().unit, Unit::English);
    EXPECT_EQ(Stored("General", "Unit"), "metric");
}

TEST_F(ProgramSettingsTest, PrinterTypes) {
    test::WriteFile(ini, "[Printer]\nPrinterType=Generic\nPrinterName=kept-away\n");
    ProgramSettings s = Load();
    EXPECT_EQ(s.printerType, PrinterType::Generic);
    EXPECT_EQ(s.printerName, "");  // not read for the generic type

    test::WriteFile(ini, "[Printer]\nPrinterType=Plotter2000\n");
    EXPECT_EQ(Load().printerType, PrinterType::Generic);

    // A stored Oce9400 survives the restart.
    test::WriteFile(ini, "[Printer]\nPrinterType=Oce9400\nPrinterName=roll-printer\n");
    s = Load();
    EXPECT_EQ(s.printerType, PrinterType::Oce9400);
    EXPECT_EQ(s.printerName, "roll-printer");
}

TEST_F(ProgramSettingsTest, ReadOnlyLoadWritesNothing) {
    Load(SettingsWriteBack::No);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(ProgramSettingsTest, NoSettingsFolderIsReportedAndDefaultsHold) {
    const ProgramSettings s =
        LoadProgramSettings(std::nullopt, folder.path(), SettingsWriteBack::Yes, messages);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kNoSettingsFolder);
    EXPECT_TRUE(s.settingsFile.empty());
    EXPECT_EQ(s.printerType, PrinterType::Velmar);
}

TEST_F(ProgramSettingsTest, SettingsThatCannotBeSavedAreReported) {
    std::filesystem::create_directory(ini);  // a folder where the file should be
    const ProgramSettings s = Load();
    EXPECT_EQ(s.printerType, PrinterType::Velmar);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(messages.messages()[0].text.find("kestrum.ini"), std::string::npos)
        << messages.messages()[0].text;
}

TEST_F(ProgramSettingsTest, WritesLeftPendingAreSavedAtExit) {
    ProgramSettings s = Load();
    EXPECT_TRUE(SaveProgramSettingsAtExit(s).ok());  // nothing pending
    ASSERT_TRUE(profile::WriteString(ini, "General", "Pending", "1").ok());
    EXPECT_TRUE(SaveProgramSettingsAtExit(s).ok());
    EXPECT_EQ(Stored("General", "Pending"), "1");
}

TEST_F(ProgramSettingsTest, LongPathsAreCutToTheirBuffers) {
    test::WriteFile(ini, "[DefaultPath]\nPlotFiles=/" + std::string(400, 'p') + "\n");
    EXPECT_EQ(Load().plotFilesFolder.size(), 259u);
}

}  // namespace
}  // namespace kestrum
