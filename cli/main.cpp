// kestrum-cli: Kestrum without a window, for scripts and other programs.

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/cli_commands.h"

namespace {

using namespace kestrum::cli;

struct JobStreamArguments {
    JobStreamOptions options;
    bool currentSettings = false;
    bool noConfig = false;
    std::string printerType;
    std::string now;
};

void AddJobStreamCommand(CLI::App& app, JobStreamArguments& args) {
    JobStreamOptions& options = args.options;
    CLI::App* command = app.add_subcommand(
        "jobstream",
        "Write to standard output exactly the bytes the delivery worker writes for one copy of "
        "one launch-list entry: header blocks, the plot file's bytes, trailer blocks.");
    auto* config = command->add_option(
        "--config", options.configFile,
        "Load this configuration file (.cfg) as the entry's configuration, as the delivery "
        "worker does.");
    auto* current = command->add_flag(
        "--current-settings", args.currentSettings,
        "Use the current settings (the default): default.cfg in the working directory when it "
        "exists, else every option group's defaults.");
    auto* none = command->add_flag("--no-config", args.noConfig,
                                   "No configuration: the plot file's bytes alone, no header "
                                   "and no trailer.");
    config->excludes(current)->excludes(none);
    current->excludes(none);
    command->add_option("--printer-type", args.printerType,
                        "generic (no header), velmar (controller commands) or oce9400 (RCH "
                        "document); default: the printer type of the settings file.");
    command->add_flag("--set-current", options.setCurrent,
                      "Set the set-current flag: commands end with \"!\" instead of \":\".");
    command->add_option("--now", args.now,
                        "Fix the local time of the text stamp, as YYYY-MM-DDTHH:MM:SS.");
    command->add_option("PLOTFILE", options.plotFile,
                        "The plot file whose bytes follow the header; none without it.");
    command->callback([&args, config] {
        if (*config) args.options.config = ConfigChoice::File;
        if (args.noConfig) args.options.config = ConfigChoice::NoConfiguration;
    });
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"kestrum-cli: send plot files and compose job streams without a window."};
    app.require_subcommand(1);
    app.add_subcommand("strings",
                       "Print every language string, one per line: the number, a tab, the text.");

    JobStreamArguments args;
    AddJobStreamCommand(app, args);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "kestrum-cli: %s\nRun 'kestrum-cli --help' for the commands.\n",
                     error.what());
        return kExitBadInput;
    }

    if (app.got_subcommand("strings")) return RunStrings(stdout);

    JobStreamOptions& jobStream = args.options;
    if (!args.printerType.empty()) {
        auto type = ParsePrinterTypeOption(args.printerType);
        if (!type) {
            std::fprintf(stderr, "kestrum-cli: %s\n", type.error().message.c_str());
            return kExitBadInput;
        }
        jobStream.printerType = type.value();
    }
    if (!args.now.empty()) {
        auto time = ParseLocalTime(args.now);
        if (!time) {
            std::fprintf(stderr, "kestrum-cli: %s\n", time.error().message.c_str());
            return kExitBadInput;
        }
        jobStream.now = time.value();
    }
    return RunJobStream(jobStream, stdout);
}
