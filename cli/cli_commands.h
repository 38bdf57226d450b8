#pragma once

// The commands of kestrum-cli, apart from parsing their arguments.

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/result.h"
#include "shell/printer_type.h"

namespace kestrum::cli {

// Exit codes: success, a failure while working, and input the command cannot take.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;

// Prints "kestrum-cli: <text>" on standard error.
void PrintError(const std::string& text);

// The numbered text with %1, %2, ... replaced by `details` in order; a placeholder without a
// detail is left as it stands.
std::string CliText(int resource, std::initializer_list<std::string_view> details = {});

int RunStrings(std::FILE* out);

// Succeeds when `path` names a file that can be opened for reading; the error names it as `what`.
Result<void> CheckReadableFile(const std::string& path, std::string_view what);

enum class ConfigChoice { CurrentSettings, NoConfiguration, File };

struct JobStreamOptions {
    ConfigChoice config = ConfigChoice::CurrentSettings;
    std::string configFile;
    std::optional<PrinterType> printerType;  // the settings file's when not given
    bool setCurrent = false;
    std::optional<LocalTime> now;
    std::string plotFile;  // empty: no plot data
};

int RunJobStream(const JobStreamOptions& options, std::FILE* out);

// "YYYY-MM-DDTHH:MM:SS" as a local time; an error naming the text otherwise.
Result<LocalTime> ParseLocalTime(const std::string& text);

// "generic", "velmar" or "oce9400", without regard to case.
Result<PrinterType> ParsePrinterTypeOption(const std::string& text);

}  // namespace kestrum::cli
