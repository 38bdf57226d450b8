// The Preferences model: every change written at once with the right word, the listeners told,
// the account file's folder made, and the folder browser's fallback and its listing rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/private_profile.h"
#include "shell/preferences.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

class PreferencesTest : public testing::Test {
  protected:
    void SetUp() override {
        settings.settingsFile = folder / "kestrum.ini";
        settings.plotFilesFolder = folder.path().string();
        settings.configFilesFolder = folder.path().string();
    }

    std::string Stored(const char* section, const char* key) {
        profile::Forget(settings.settingsFile);
        return profile::ReadString(settings.settingsFile, section, key, "<none>", 260);
    }

    test::TempFolder folder;
    ProgramSettings settings;
    CollectingMessageSink messages;
};

TEST_F(PreferencesTest, EachChangeIsWrittenAtOnceWithItsWord) {
    Preferences prefs(settings, messages);
    std::vector<std::string> told;
    Preferences::Listeners listeners;
    listeners.outputMode = [&](OutputMode m) {
        told.push_back(m == OutputMode::Ksl ? "ksl" : "dev");
    };
    listeners.unit = [&](Unit u) { told.push_back(u == Unit::Metric ? "mm" : "in"); };
    prefs.SetListeners(listeners);

    prefs.ChooseOutputMode(OutputMode::Ksl);
    prefs.ChooseUnit(Unit::Metric);
    prefs.SetAutoCad(true);
    prefs.SetJobTicket(true);
    prefs.SetHardwareOptions(true);
    EXPECT_EQ(Stored("General", "OutputMode"), "KSL");
    EXPECT_EQ(Stored("General", "Unit"), "Metric");
    EXPECT_EQ(Stored("General", "AutoCAD"), "Yes");
    EXPECT_EQ(Stored("General", "JobTicket"), "Yes");
    EXPECT_EQ(Stored("General", "HardwareOptions"), "Yes");
    EXPECT_EQ(told, (std::vector<std::string>{"ksl", "mm"}));
    // The account file is chosen in device mode only.
    EXPECT_FALSE(prefs.accountFileButtonEnabled());
    prefs.ChooseOutputMode(OutputMode::Device);
    EXPECT_TRUE(prefs.accountFileButtonEnabled());
    prefs.SetJobTicket(false);
    EXPECT_FALSE(prefs.accountFileButtonEnabled());
    EXPECT_EQ(Stored("General", "JobTicket"), "No");
}

TEST_F(PreferencesTest, InitialiseWritesEveryKeyButAutoCad) {
    Preferences prefs(settings, messages);
    prefs.Initialise();
    for (const char* key : {"OutputMode", "Unit", "JobTicket", "EOJNotification", "FolderOptions",
                            "HardwareOptions"}) {
        EXPECT_NE(Stored("General", key), "<none>") << key;
    }
    EXPECT_EQ(Stored("General", "AutoCAD"), "<none>");
}

TEST_F(PreferencesTest, AccountFileFolderIsMadeWhateverItsName) {
    Preferences prefs(settings, messages);
    const fs::path file = folder / "Accounts" / "plots" / "ledger.dat";
    EXPECT_TRUE(prefs.SetAccountFile(file));
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
    EXPECT_EQ(Stored("DefaultPath", "AccountFile"), file.string());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PreferencesTest, BrowserListsFoldersAndFilesAndSkipsUnshowableNames) {
    fs::create_directories(folder / "drawings");
    std::ofstream(folder / "a.plt") << "x";
    std::ofstream(folder / "bad\nname.plt") << "x";
    std::ofstream(folder / std::string("latin\xE9.plt")) << "x";
    Preferences prefs(settings, messages);
    ASSERT_TRUE(prefs.ListFolder(folder.path()));
    EXPECT_EQ(prefs.subFolders(), (std::vector<std::string>{"..", "drawings"}));
    EXPECT_EQ(prefs.files(), (std::vector<std::string>{"a.plt"}));
    ASSERT_TRUE(prefs.OpenSubFolder(1));
    EXPECT_EQ(prefs.browserFolder(), folder / "drawings");
    ASSERT_TRUE(prefs.OpenSubFolder(0));
    EXPECT_EQ(prefs.browserFolder(), folder.path());
}

TEST_F(PreferencesTest, BrowserSkipsWhatItCannotShowAndSurvivesVanishedFolders) {
    fs::create_directories(folder / "kept");
    fs::create_directories(folder / "two\nlines");
    fs::create_directories(folder / std::string("latin\xE9"));
    fs::create_directories(folder / "gone");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    fs::create_symlink(folder / "loop", folder / "loop");
    Preferences prefs(settings, messages);
    ASSERT_TRUE(prefs.ListFolder(folder.path()));
    EXPECT_EQ(prefs.subFolders(), (std::vector<std::string>{"..", "gone", "kept"}));
    EXPECT_TRUE(prefs.files().empty());

    // Removed between listing and opening: the working directory is listed instead and kept for
    // the next start, with nothing to answer.
    fs::remove(folder / "gone");
    ASSERT_TRUE(prefs.OpenSubFolder(1));
    EXPECT_EQ(prefs.browserFolder(), fs::current_path());
    EXPECT_EQ(Stored("DefaultPath", "PlotFiles"), fs::current_path().string());
    EXPECT_EQ(settings.plotFilesFolder, folder.path().string());
    EXPECT_FALSE(prefs.OpenSubFolder(prefs.subFolders().size()));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(PreferencesTest, SetMakesTheBrowserFolderTheChosenDefault) {
    fs::create_directories(folder / "cfg");
    Preferences prefs(settings, messages);
    std::string told;
    Preferences::Listeners listeners;
    listeners.configFilesFolder = [&](const std::string& f) { told = f; };
    prefs.SetListeners(listeners);
    prefs.ChooseFolderTarget(Preferences::kConfigFilesTarget);
    prefs.ListFolder(folder / "cfg");
    prefs.SetFolder();
    EXPECT_EQ(settings.configFilesFolder, (folder / "cfg").string());
    EXPECT_EQ(Stored("DefaultPath", "ConfigFiles"), (folder / "cfg").string());
    EXPECT_EQ(told, (folder / "cfg").string());
    // With no target chosen, Set does nothing.
    prefs.ChooseFolderTarget(Preferences::kNoTarget);
    prefs.ListFolder(folder.path());
    prefs.SetFolder();
    EXPECT_EQ(settings.configFilesFolder, (folder / "cfg").string());
}

TEST(BrowserPlaces, HomeRootAndMountedVolumes) {
    const auto places = BrowserPlaces("/home/u",
                                      "proc /proc proc rw 0 0\n"
                                      "/dev/sdb1 /media/u/USB vfat rw 0 0\n"
                                      "/dev/sdc1 /mnt/plots ext4 rw 0 0\n"
                                      "garbage\n");
    std::vector<std::string> labels;
    for (const auto& p : places) labels.push_back(p.label);
    EXPECT_EQ(labels.front(), "/home/u");
    EXPECT_EQ(labels[1], "/");
    EXPECT_NE(std::find(labels.begin(), labels.end(), "/media/u/USB"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "/mnt/plots"), labels.end());
    EXPECT_EQ(std::find(labels.begin(), labels.end(), "/proc"), labels.end());
}

TEST(ShowableName, ControlCharactersAndBadUtf8AreNot) {
    EXPECT_TRUE(IsShowableName("plan A0.plt"));
    EXPECT_TRUE(IsShowableName("Zeichnung-\xC3\xA4.plt"));
    EXPECT_FALSE(IsShowableName("two\nlines"));
    EXPECT_FALSE(IsShowableName("cut\xC3"));
    EXPECT_FALSE(IsShowableName("latin\xE9x"));
    EXPECT_FALSE(IsShowableName(""));
}

}  // namespace
}  // namespace kestrum
