#pragma once

// The folders Kestrum keeps its files in, after the XDG base directory rules.

#include <filesystem>

#include "platform/result.h"

namespace kestrum {

// $XDG_CONFIG_HOME/kestrum, or ~/.config/kestrum; an error when neither variable gives an
// absolute folder.
Result<std::filesystem::path> ConfigFolder();

// $XDG_DATA_HOME/kestrum, or ~/.local/share/kestrum; an error as above.
Result<std::filesystem::path> DataFolder();

// The user's home folder ($HOME, else the password database); an error when neither is known.
Result<std::filesystem::path> HomeFolder();

// The settings file kestrum.ini in the configuration folder.
Result<std::filesystem::path> SettingsFilePath();

}  // namespace kestrum
