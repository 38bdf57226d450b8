#pragma once

// The Preferences page's model: every change of a preference takes effect at once. The field of
// ProgramSettings is set, its key is written to kestrum.ini and flushed, and the parts of the
// program that depend on it are told through the listeners. It also holds the folder browser that
// chooses the two default folders.
//
// Threads: user-interface thread only.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum {

class Preferences {
  public:
    static constexpr int kDeviceButton = 1144;
    static constexpr int kKslButton = 1143;
    static constexpr int kMetricButton = 1159;
    static constexpr int kEnglishButton = 1160;
    static constexpr int kAutoCadOnButton = 1239;
    static constexpr int kAutoCadOffButton = 1240;
    static constexpr int kJobTicketBox = 1287;
    static constexpr int kAccountFileButton = 1147;
    static constexpr int kEojNotificationBox = 1311;
    static constexpr int kFolderOptionsBox = 1315;
    static constexpr int kHardwareOptionsBox = 1322;
    static constexpr int kPlotFilesTarget = 1234;
    static constexpr int kConfigFilesTarget = 1235;
    static constexpr int kNoTarget = 1243;
    static constexpr int kPlacesList = 1157;
    static constexpr int kFolderLabel = 1245;
    static constexpr int kSubFolderList = 1246;
    static constexpr int kFileList = 1242;
    static constexpr int kSetButton = 1207;

    // Who is told of a change. Any may be left empty.
    struct Listeners {
        std::function<void(OutputMode)> outputMode;  // printer selection, main window, manager
        std::function<void(Unit)> unit;              // job options, AutoCAD options, text stamp
        std::function<void(const std::string&)> configFilesFolder;  // the configuration manager
        std::function<void(const std::string&)> plotFilesFolder;    // the launcher
    };

    // Holds references to both; they must outlive the model.
    Preferences(ProgramSettings& settings, MessageSink& messages);

    void SetListeners(Listeners listeners) { listeners_ = std::move(listeners); }

    // Once, when the page is created: every stored choice is applied as if the user had made it
    // (so each key is written again), then the plot-files folder is chosen and listed.
    void Initialise();

    void ChooseOutputMode(OutputMode mode);
    void ChooseUnit(Unit unit);
    void SetAutoCad(bool on);
    void SetJobTicket(bool on);
    void SetEojNotification(bool on);
    void SetFolderOptions(bool on);
    void SetHardwareOptions(bool on);

    // The account file chosen in the file dialog. Its folder is made when it is missing (the
    // default lies in a folder of its own that nothing else creates). False, with a message naming
    // the folder, when the folder cannot be made; the path is stored regardless, as chosen.
    bool SetAccountFile(const std::filesystem::path& file);

    // The folder browser. Choosing a target lists its folder (none: the list stays).
    void ChooseFolderTarget(int button);
    // Lists `folder`; one that cannot be listed falls back to the working directory, which is
    // then written to both default folders so the next start uses it. When that fails too,
    // message 59488 names the working directory and the browser keeps its previous lists.
    // Returns whether a folder was listed.
    bool ListFolder(const std::filesystem::path& folder);
    // A sub-folder double-clicked, by its index in subFolders().
    bool OpenSubFolder(std::size_t index);
    // A place chosen, by its index in places().
    bool OpenPlace(std::size_t index);
    // Set: the browser's folder becomes the chosen target's default folder.
    void SetFolder();

    bool jobTicketBox() const { return settings_.jobTicket; }
    bool accountFileButtonEnabled() const {
        return settings_.jobTicket && settings_.outputMode == OutputMode::Device;
    }
    bool eojNotification() const { return eojNotification_; }
    bool folderOptions() const { return folderOptions_; }
    bool hardwareOptions() const { return hardwareOptions_; }
    int folderTarget() const { return folderTarget_; }

    struct Place {
        std::string label;
        std::filesystem::path folder;
    };
    const std::vector<Place>& places() const { return places_; }
    int selectedPlace() const { return selectedPlace_; }
    const std::filesystem::path& browserFolder() const { return browserFolder_; }
    const std::vector<std::string>& subFolders() const { return subFolders_; }
    const std::vector<std::string>& files() const { return files_; }

    const ProgramSettings& settings() const { return settings_; }

  private:
    void Write(std::string_view section, std::string_view key, std::string_view value);
    void WriteYesNo(std::string_view key, bool on);
    bool TryList(const std::filesystem::path& folder);

    ProgramSettings& settings_;
    MessageSink& messages_;
    Listeners listeners_;
    bool eojNotification_ = false;
    bool folderOptions_ = false;
    bool hardwareOptions_ = false;
    bool writeFailureReported_ = false;
    int folderTarget_ = kPlotFilesTarget;

    std::vector<Place> places_;
    int selectedPlace_ = -1;
    std::filesystem::path browserFolder_;
    std::vector<std::string> subFolders_;
    std::vector<std::string> files_;
};

// The places a Linux user starts browsing from: the home folder, the filesystem root, the XDG
// user folders that exist and the mounted volumes below /media, /mnt and /run/media. `home` and
// `mountsTable` (the text of /proc/self/mounts) are parameters so tests can give their own.
std::vector<Preferences::Place> BrowserPlaces(const std::filesystem::path& home,
                                              const std::string& mountsTable);

// A name the browser can show: no control characters (a newline would break the list) and valid
// UTF-8. Other names are skipped rather than shown garbled.
bool IsShowableName(const std::string& name);

}  // namespace kestrum
