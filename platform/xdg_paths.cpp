#include "platform/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kestrum {
namespace {

namespace fs = std::filesystem;

// XDG variables that are unset, empty or relative are to be ignored.
bool UsableFolder(const char* value) {
    return value != nullptr && value[0] == '/';
}

Result<fs::path> XdgFolder(const char* variable, const char* homeRelative) {
    if (const char* value = std::getenv(variable); UsableFolder(value)) {
        return fs::path(value) / "kestrum";
    }
    auto home = HomeFolder();
    if (!home) {
        return Fail(std::string("Cannot find Kestrum's folder: neither ") + variable +
                    " nor the home folder is set.");
    }
    return home.value() / homeRelative / "kestrum";
}

}  // namespace

Result<fs::path> HomeFolder() {
    if (const char* home = std::getenv("HOME"); UsableFolder(home)) return fs::path(home);
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && UsableFolder(entry->pw_dir)) {
        return fs::path(entry->pw_dir);
    }
    return Fail("Cannot find the home folder: HOME is not set.");
}

Result<fs::path> ConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

Result<fs::path> DataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

Result<fs::path> SettingsFilePath() {
    auto folder = ConfigFolder();
    if (!folder) return folder.error();
    return folder.value() / "kestrum.ini";
}

}  // namespace kestrum
