#include "shell/preferences.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/private_profile.h"
#include "platform/xdg_paths.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

// More entries than anyone browses through in a list box; a folder with millions of files must
// not stall the page or eat the memory.
constexpr std::size_t kMaxListed = 20000;

bool ValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        int follow = 0;
        if (byte < 0x80)
            follow = 0;
        else if ((byte & 0xE0) == 0xC0 && byte >= 0xC2)
            follow = 1;
        else if ((byte & 0xF0) == 0xE0)
            follow = 2;
        else if ((byte & 0xF8) == 0xF0 && byte <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow >= text.size() && follow > 0) return false;
        for (int k = 1; k <= follow; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += follow + 1;
    }
    return true;
}

// The XDG user folders named in user-dirs.dirs ("$HOME/Documents" and alike).
std::vector<fs::path> UserFolders(const fs::path& home) {
    std::vector<fs::path> folders;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const fs::path dirsFile =
        (configHome && *configHome ? fs::path(configHome) : home / ".config") / "user-dirs.dirs";
    std::ifstream in(dirsFile);
    std::string line;
    while (folders.size() < 16 && std::getline(in, line)) {
        if (line.rfind("XDG_", 0) != 0) continue;
        const auto open = line.find('"');
        const auto close = line.rfind('"');
        if (open == std::string::npos || close <= open) continue;
        std::string value = line.substr(open + 1, close - open - 1);
        if (value.rfind("$HOME", 0) == 0) value = home.string() + value.substr(5);
        if (value.empty() || value.front() != '/') continue;
        folders.emplace_back(value);
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace

bool IsShowableName(const std::string& name) {
    if (name.empty()) return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return ValidUtf8(name);
}

std::vector<Preferences::Place> BrowserPlaces(const fs::path& home,
                                              const std::string& mountsTable) {
    std::vector<Preferences::Place> places;
    std::error_code error;
    if (!home.empty()) places.push_back({home.string(), home});
    places.push_back({"/", "/"});
    for (const fs::path& folder : UserFolders(home)) {
        if (folder == home || !fs::is_directory(folder, error)) continue;
        places.push_back({folder.string(), folder});
    }
    std::istringstream mounts(mountsTable);
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        for (const char* root : {"/media/", "/mnt/", "/run/media/"}) {
            if (mountPoint.rfind(root, 0) == 0 && IsShowableName(mountPoint)) {
                places.push_back({mountPoint, mountPoint});
                break;
            }
        }
    }
    return places;
}

Preferences::Preferences(ProgramSettings& settings, MessageSink& messages)
    : settings_(settings), messages_(messages) {
    eojNotification_ = settings.eojNotification;
    folderOptions_ = settings.folderOptions;
    hardwareOptions_ = settings.hardwareOptions;
}

void Preferences::Write(std::string_view section, std::string_view key, std::string_view value) {
    if (settings_.settingsFile.empty()) return;
    Result<void> written = profile::WriteString(settings_.settingsFile, section, key, value);
    if (written) written = profile::Flush(settings_.settingsFile);
    // Once per run: a settings file that cannot be written would otherwise answer every click
    // with the same message. The choice holds in memory regardless.
    if (!written && !writeFailureReported_) {
        writeFailureReported_ = true;
        messages_.Show(Message{0,
                               "Cannot save the program settings in " +
                                   settings_.settingsFile.string() + ": " + written.error().message,
                               "Kestrum", MessageIcon::Exclamation});
    }
}

void Preferences::WriteYesNo(std::string_view key, bool on) {
    Write("General", key, LoadResourceString(on ? rid::kPrefsOnWord : rid::kPrefsOffWord));
}

void Preferences::Initialise() {
    ChooseOutputMode(settings_.outputMode);
    ChooseUnit(settings_.unit);
    SetJobTicket(settings_.jobTicket);
    SetEojNotification(settings_.eojNotification);
    SetFolderOptions(settings_.folderOptions);
    SetHardwareOptions(settings_.hardwareOptions);
    ChooseFolderTarget(kPlotFilesTarget);
}

void Preferences::ChooseOutputMode(OutputMode mode) {
    settings_.outputMode = mode;
    Write("General", "OutputMode", mode == OutputMode::Device ? "DEVICE" : "KSL");
    if (listeners_.outputMode) listeners_.outputMode(mode);
}

void Preferences::ChooseUnit(Unit unit) {
    settings_.unit = unit;
    Write("General", "Unit",
          LoadResourceString(unit == Unit::Metric ? rid::kMetricWord : rid::kEnglishWord));
    if (listeners_.unit) listeners_.unit(unit);
}

void Preferences::SetAutoCad(bool on) {
    settings_.autoCad = on;
    WriteYesNo("AutoCAD", on);
}

void Preferences::SetJobTicket(bool on) {
    settings_.jobTicket = on;
    WriteYesNo("JobTicket", on);
}

void Preferences::SetEojNotification(bool on) {
    eojNotification_ = settings_.eojNotification = on;
    WriteYesNo("EOJNotification", on);
}

void Preferences::SetFolderOptions(bool on) {
    folderOptions_ = settings_.folderOptions = on;
    WriteYesNo("FolderOptions", on);
}

void Preferences::SetHardwareOptions(bool on) {
    hardwareOptions_ = settings_.hardwareOptions = on;
    WriteYesNo("HardwareOptions", on);
}

bool Preferences::SetAccountFile(const fs::path& file) {
    settings_.accountFile = file.string();
    Write("DefaultPath", "AccountFile", settings_.accountFile);
    const fs::path folder = file.parent_path();
    if (folder.empty()) return true;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        messages_.Show(Message{0,
                               "Cannot create the folder of the account file " + folder.string() +
                                   ": " + error.message(),
                               "Kestrum", MessageIcon::Exclamation});
        return false;
    }
    return true;
}

void Preferences::ChooseFolderTarget(int button) {
    folderTarget_ = button;
    if (button == kPlotFilesTarget) ListFolder(settings_.plotFilesFolder);
    if (button == kConfigFilesTarget) ListFolder(settings_.configFilesFolder);
}

bool Preferences::TryList(const fs::path& folder) {
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return false;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error) return false;

    std::vector<std::string> subFolders;
    std::vector<std::string> files;
    // Entries that vanish or cannot be examined while listed are skipped, never fatal.
    for (; it != fs::directory_iterator() && subFolders.size() + files.size() < kMaxListed;
         it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (!IsShowableName(name)) continue;
        std::error_code statError;
        if (it->is_directory(statError))
            subFolders.push_back(name);
        else if (!statError)
            files.push_back(name);
    }
    std::sort(subFolders.begin(), subFolders.end());
    std::sort(files.begin(), files.end());
    const fs::path absolute = fs::absolute(folder, error).lexically_normal();
    if (absolute.has_parent_path() && absolute != absolute.root_path()) {
        subFolders.insert(subFolders.begin(), "..");
    }

    browserFolder_ = absolute;
    subFolders_ = std::move(subFolders);
    files_ = std::move(files);

    if (places_.empty()) {
        std::ifstream mountsFile("/proc/self/mounts");
        std::stringstream mounts;
        mounts << mountsFile.rdbuf();
        auto home = HomeFolder();
        places_ = BrowserPlaces(home ? home.value() : fs::path(), mounts.str());
    }
    // The place the folder lies in: the longest place that is a prefix of it.
    selectedPlace_ = -1;
    std::size_t best = 0;
    const std::string text = browserFolder_.string();
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const std::string place = places_[i].folder.string();
        const bool inside =
            text == place || place == "/" ||
            (text.rfind(place, 0) == 0 && text.size() > place.size() && text[place.size()] == '/');
        if (inside && place.size() >= best) {
            best = place.size();
            selectedPlace_ = static_cast<int>(i);
        }
    }
    return true;
}

bool Preferences::ListFolder(const fs::path& folder) {
    if (TryList(folder)) return true;
    std::error_code error;
    const fs::path working = fs::current_path(error);
    if (error || !TryList(working)) {
        messages_.Show(Message{rid::kPrefsFolderListFailedMessage,
                               std::string(LoadResourceString(rid::kPrefsFolderListFailedMessage)) +
                                   "\n" + (error ? std::string() : working.string()),
                               "Kestrum", MessageIcon::Exclamation});
        return false;
    }
    // The next start lists the working directory too; the folders held for this run stay.
    Write("DefaultPath", "PlotFiles", working.string());
    Write("DefaultPath", "ConfigFiles", working.string());
    return true;
}

bool Preferences::OpenSubFolder(std::size_t index) {
    if (index >= subFolders_.size()) return false;
    const fs::path target = subFolders_[index] == ".." ? browserFolder_.parent_path()
                                                       : browserFolder_ / subFolders_[index];
    return ListFolder(target);
}

bool Preferences::OpenPlace(std::size_t index) {
    if (index >= places_.size()) return false;
    return ListFolder(places_[index].folder);
}

void Preferences::SetFolder() {
    const std::string folder = browserFolder_.string();
    if (folder.empty()) return;
    if (folderTarget_ == kConfigFilesTarget) {
        settings_.configFilesFolder = folder;
        Write("DefaultPath", "ConfigFiles", folder);
        if (listeners_.configFilesFolder) listeners_.configFilesFolder(folder);
    } else if (folderTarget_ == kPlotFilesTarget) {
        settings_.plotFilesFolder = folder;
        Write("DefaultPath", "PlotFiles", folder);
        if (listeners_.plotFilesFolder) listeners_.plotFilesFolder(folder);
    }
}

}  // namespace kestrum
