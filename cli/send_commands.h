#pragma once

// kestrum-cli's delivery commands: printers, send and send-config.

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "shell/printer_type.h"

namespace kestrum::cli {

int RunPrinters(std::FILE* out);

struct SendOptions {
    std::vector<std::string> printers;
    int copies = 1;  // JobCopies, 1 to 100
    bool reverse = false;
    bool collated = false;
    std::optional<int> pauseMs;  // replaces both pauses after each copy
    std::optional<PrinterType> printerType;
    std::string launchFile;
    ConfigChoice config = ConfigChoice::NoConfiguration;
    std::string configFile;
    std::vector<std::string> plotFiles;
    // After the send: follow each printer's job until it is done or this many seconds passed.
    std::optional<int> waitSeconds;
};

int RunSend(const SendOptions& options);

struct SendConfigOptions {
    std::string configFile;
    std::string printer;
    bool ksl = false;        // --mode ksl
    bool queueKind = false;  // --kind queue
    bool setCurrent = false;
};

int RunSendConfig(const SendConfigOptions& options);

}  // namespace kestrum::cli
