#include "config/configuration_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/configuration_file.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

class ConfigurationManagerTest : public testing::Test {
  protected:
    ConfigurationManagerTest() {
        settings.configFilesFolder = folder.path().string();
        settings.defaultConfiguration = folder / "default.cfg";
        settings.printerName = "plotter-a0";
    }

    ConfigurationManager Manager(std::string entry = "queue,cups,socket://127.0.0.1:9100") {
        return ConfigurationManager(state, settings, messages, [entry] { return entry; });
    }

    std::string Stored(const std::filesystem::path& file, int section, int key) {
        profile::Forget(file);
        return profile::ReadString(file, Text(section), Text(key), "<missing>", 100);
    }

    test::TempFolder folder;
    ProgramSettings settings;
    OptionState state{Unit::English};
    CollectingMessageSink messages;
};

TEST_F(ConfigurationManagerTest, StartsUnnamedInTheConfigurationFolder) {
    ConfigurationManager manager = Manager();
    EXPECT_EQ(manager.currentConfiguration(), (folder / "config1.cfg").string());
    EXPECT_FALSE(manager.hasName());
    EXPECT_EQ(manager.Save().value(), ConfigurationManager::SaveOutcome::NeedsName);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(ConfigurationManagerTest, SetCurrentFlagFollowsTheOutputMode) {
    settings.outputMode = OutputMode::Ksl;
    ConfigurationManager manager = Manager();
    EXPECT_EQ(state.values.setCurrentFlag, 1);
    manager.ApplyDeviceMode();
    EXPECT_EQ(state.values.setCurrentFlag, 0);
}

TEST_F(ConfigurationManagerTest, SystemDefaultPrinterReplacesTheDefaultName) {
    settings.printerName = Text(rid::kSystemDefaultPrinterName);
    Manager("plotter,cups,socket://10.1.1.1");
    EXPECT_EQ(settings.printerName, "plotter");
    EXPECT_EQ(settings.printerDriver, "cups");
    EXPECT_EQ(settings.printerPort, "socket://10.1.1.1");
}

TEST_F(ConfigurationManagerTest, MalformedDefaultPrinterIsReportedAndUsedWhole) {
    settings.printerName = Text(rid::kSystemDefaultPrinterName);
    Manager(",,,");
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kDefaultPrinterIncompleteMessage);
    EXPECT_EQ(settings.printerName, ",,,");
    EXPECT_EQ(settings.printerPort, ",,,");
}

TEST(SplitPrinterEntryTest, Shapes) {
    PrinterEntryParts parts;
    EXPECT_TRUE(SplitPrinterEntry("name,driver,port", parts));
    EXPECT_EQ(parts.port, "port");
    EXPECT_TRUE(SplitPrinterEntry("name,driver, port", parts));
    EXPECT_EQ(parts.driver, "driver");
    EXPECT_EQ(parts.port, "port");
    EXPECT_FALSE(SplitPrinterEntry("name", parts));
    EXPECT_FALSE(SplitPrinterEntry("name,driver", parts));
    EXPECT_FALSE(SplitPrinterEntry(",driver,port", parts));
}

TEST_F(ConfigurationManagerTest, SaveAsReplacesTheFileAndSaveMergesIntoIt) {
    const auto file = folder / "site.cfg";
    test::WriteFile(file, "; kept by hand\n[Extra]\nNote=old\n[" + Text(rid::kJobOptionsSection) +
                              "]\n" + Text(rid::kMediaKey) + "=" + Text(rid::kMediaFilm) + "\n");
    ConfigurationManager manager = Manager();
    state.values.job.copies = 3;
    state.job.copies.selected = 3;
    ASSERT_TRUE(manager.SaveAs(file).ok());
    EXPECT_TRUE(manager.hasName());
    EXPECT_EQ(manager.currentConfiguration(), file.string());
    const std::string replaced = test::ReadFile(file);
    EXPECT_EQ(replaced.find("Extra"), std::string::npos) << replaced;
    EXPECT_EQ(Stored(file, rid::kJobOptionsSection, rid::kMediaKey), "<missing>");
    EXPECT_EQ(Stored(file, rid::kJobOptionsSection, rid::kControllerCopiesKey), "3");

    // Save onto the named file keeps what this save does not write.
    test::WriteFile(file, test::ReadFile(file) + "[Extra]\nNote=kept\n");
    profile::Forget(file);
    ASSERT_EQ(manager.Save().value(), ConfigurationManager::SaveOutcome::Saved);
    EXPECT_NE(test::ReadFile(file).find("Note=kept"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".saving"), std::string::npos);
    }
}

TEST_F(ConfigurationManagerTest, FailedSaveAsLeavesTheNameAndTheOldFile) {
    ConfigurationManager manager = Manager();
    const auto before = manager.currentConfiguration();
    const Result<void> saved = manager.SaveAs(folder / "missing-folder" / "x.cfg");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(manager.currentConfiguration(), before);
    EXPECT_FALSE(manager.hasName());
    // Shown once: either by the groups as they were refused, or by the caller from the error.
    EXPECT_EQ(saved.error().shown, !messages.messages().empty());
    EXPECT_EQ(saved.error().resource, rid::kCannotSaveConfiguration);
    EXPECT_EQ(saved.error().kind, ErrorKind::File);
}

TEST_F(ConfigurationManagerTest, OpenRefusesWhatCannotBeReadAndKeepsTheCurrentFile) {
    ConfigurationManager manager = Manager();
    const auto before = manager.currentConfiguration();
    const auto unreadable = folder / "locked.cfg";
    test::WriteFile(unreadable, "[x]\n");
    std::filesystem::permissions(unreadable, std::filesystem::perms::none);
    const bool root = ::geteuid() == 0;
    for (const auto& path : {folder.path(), unreadable}) {
        if (path == unreadable && root) continue;  // root reads anything
        const Result<void> opened = manager.Open(path);
        ASSERT_FALSE(opened.ok()) << path;
        EXPECT_EQ(opened.error().resource, rid::kCannotOpenConfiguration);
        EXPECT_NE(opened.error().message.find(path.string()), std::string::npos);
        EXPECT_EQ(manager.currentConfiguration(), before);
        EXPECT_FALSE(manager.hasName());
    }
    EXPECT_TRUE(manager.Open(folder / "new.cfg").ok());  // a new file loads as empty
    EXPECT_TRUE(manager.hasName());
}

TEST_F(ConfigurationManagerTest, NewRestoresDefaultsAndWritesNothing) {
    const auto file = folder / "site.cfg";
    test::WriteFile(file, "[" + Text(rid::kJobOptionsSection) + "]\n" +
                              Text(rid::kControllerCopiesKey) + "=7\n");
    ConfigurationManager manager = Manager();
    ASSERT_TRUE(manager.Open(file).ok());
    EXPECT_EQ(state.values.job.copies, 7);
    EXPECT_TRUE(manager.hasName());
    const OptionState fresh(Unit::English);
    manager.New();
    EXPECT_FALSE(manager.hasName());
    EXPECT_EQ(manager.currentConfiguration(), (folder / "config1.cfg").string());
    EXPECT_TRUE(state.values.job == fresh.values.job);
    EXPECT_TRUE(state.values.stamp == fresh.values.stamp);
    EXPECT_FALSE(std::filesystem::exists(folder / "config1.cfg"));
}

TEST_F(ConfigurationManagerTest, DefaultConfigurationLoadsAtStartUpWithoutAName) {
    ConfigurationManager manager = Manager();
    EXPECT_FALSE(manager.LoadDefaultConfiguration());
    test::WriteFile(settings.defaultConfiguration, "[" + Text(rid::kJobOptionsSection) + "]\n" +
                                                       Text(rid::kFileCopiesKey) + "=4\n");
    EXPECT_TRUE(manager.LoadDefaultConfiguration());
    EXPECT_EQ(state.values.job.fileCopies, 4);
    EXPECT_FALSE(manager.hasName());
    EXPECT_EQ(manager.Save().value(), ConfigurationManager::SaveOutcome::NeedsName);
}

TEST_F(ConfigurationManagerTest, DefaultConfigurationThatIsAPipeDoesNotHoldUpStartUp) {
    ConfigurationManager manager = Manager();
    ASSERT_EQ(::mkfifo(settings.defaultConfiguration.c_str(), 0600), 0);
    EXPECT_FALSE(manager.LoadDefaultConfiguration());
    EXPECT_FALSE(manager.hasName());
}

TEST_F(ConfigurationManagerTest, EveryGroupSurvivesSaveAndLoad) {
    ConfigurationManager manager = Manager();
    // Values changed as the pages would leave them after an export.
    state.values.stamp.stampOn = 1;
    state.values.stamp.text = "ISSUED FOR CONSTRUCTION";
    state.values.job.copies = 2;
    state.values.hpglPens[4].width = "7";
    state.values.calcompPens[9].grayLevel = "30";
    state.values.raster[9] = "90";
    state.values.colourTable[200].pen = "9";
    RefreshAll(state, messages);
    const auto file = folder / "all.cfg";
    ASSERT_TRUE(manager.SaveAs(file).ok());
    const CUserObject saved = state.values;

    manager.New();
    ASSERT_TRUE(manager.Open(file).ok());
    OptionStateExports(state).ExportForHeader();
    state.autocad.Export(state.values.autocad);
    EXPECT_TRUE(state.values.stamp == saved.stamp);
    EXPECT_TRUE(state.values.job == saved.job);
    EXPECT_TRUE(state.values.hpglPens == saved.hpglPens);
    EXPECT_TRUE(state.values.calcompPens == saved.calcompPens);
    EXPECT_TRUE(state.values.raster == saved.raster);
    EXPECT_TRUE(state.values.colourTable == saved.colourTable);
    EXPECT_TRUE(messages.messages().empty());
}

}  // namespace
}  // namespace kestrum
