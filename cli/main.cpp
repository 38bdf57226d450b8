// kestrum-cli: Kestrum without a window, for scripts and other programs.

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/preview_command.h"
#include "cli/remote_command.h"
#include "cli/render_command.h"
#include "cli/send_commands.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace {

using namespace kestrum::cli;
namespace rid = kestrum::rid;

std::string Help(int resource) {
    return std::string(kestrum::LoadResourceString(resource));
}

struct JobStreamArguments {
    JobStreamOptions options;
    bool currentSettings = false;
    bool noConfig = false;
    std::string printerType;
    std::string now;
};

void AddJobStreamCommand(CLI::App& app, JobStreamArguments& args) {
    JobStreamOptions& options = args.options;
    CLI::App* command = app.add_subcommand("jobstream", Help(rid::kCliJobStreamHelp));
    auto* config =
        command->add_option("--config", options.configFile, Help(rid::kCliJobStreamConfigHelp));
    auto* current = command->add_flag("--current-settings", args.currentSettings,
                                      Help(rid::kCliJobStreamCurrentHelp));
    auto* none =
        command->add_flag("--no-config", args.noConfig, Help(rid::kCliJobStreamNoConfigHelp));
    config->excludes(current)->excludes(none);
    current->excludes(none);
    command->add_option("--printer-type", args.printerType,
                        Help(rid::kCliJobStreamPrinterTypeHelp));
    command->add_flag("--set-current", options.setCurrent, Help(rid::kCliJobStreamSetCurrentHelp));
    command->add_option("--now", args.now, Help(rid::kCliNowHelp));
    command->add_option("PLOTFILE", options.plotFile, Help(rid::kCliJobStreamPlotFileHelp));
    command->callback([&args, config] {
        if (*config) args.options.config = ConfigChoice::File;
        if (args.noConfig) args.options.config = ConfigChoice::NoConfiguration;
    });
}

struct SendArguments {
    SendOptions options;
    bool currentSettings = false;
    bool noConfig = false;
    std::string printerType;
    int pauseMs = -1;
};

void AddSendCommand(CLI::App& app, SendArguments& args) {
    SendOptions& options = args.options;
    CLI::App* command = app.add_subcommand("send", Help(rid::kCliSendHelp));
    // One name per --printer: without the limit a vector option also swallows the plot files
    // that follow it, and "send --printer NAME FILE" finds no file.
    command->add_option("--printer", options.printers, Help(rid::kCliSendPrinterHelp))
        ->required()
        ->allow_extra_args(false);
    command->add_option("--copies", options.copies, Help(rid::kCliSendCopiesHelp))
        ->check(CLI::Range(1, 100));
    command->add_flag("--reverse", options.reverse, Help(rid::kCliSendReverseHelp));
    command->add_flag("--collated", options.collated, Help(rid::kCliSendCollatedHelp));
    command->add_option("--pause-ms", args.pauseMs, Help(rid::kCliSendPauseHelp))
        ->check(CLI::Range(0, 3600000));
    command->add_option("--printer-type", args.printerType, Help(rid::kCliSendPrinterTypeHelp));
    command
        ->add_option_function<int>(
            "--wait", [&options](int seconds) { options.waitSeconds = seconds; },
            Help(rid::kCliSendWaitHelp))
        ->expected(0, 1)
        ->default_str("600")
        ->check(CLI::Range(1, 86400));
    auto* launch =
        command->add_option("--launch-file", options.launchFile, Help(rid::kCliSendLaunchFileHelp));
    auto* config =
        command->add_option("--config", options.configFile, Help(rid::kCliSendConfigHelp));
    auto* current = command->add_flag("--current-settings", args.currentSettings,
                                      Help(rid::kCliSendCurrentHelp));
    auto* none = command->add_flag("--no-config", args.noConfig, Help(rid::kCliSendNoConfigHelp));
    auto* plots =
        command->add_option("PLOTFILE", options.plotFiles, Help(rid::kCliSendPlotFilesHelp));
    config->excludes(current)->excludes(none);
    current->excludes(none);
    launch->excludes(config)->excludes(current)->excludes(none)->excludes(plots);
    command->callback([&args, config, launch, plots] {
        if (!*launch && !*plots) {
            throw CLI::ValidationError("send", Help(rid::kCliSendNothingToSend));
        }
        if (*config) args.options.config = ConfigChoice::File;
        if (args.currentSettings) args.options.config = ConfigChoice::CurrentSettings;
        if (args.pauseMs >= 0) args.options.pauseMs = args.pauseMs;
    });
}

void AddSendConfigCommand(CLI::App& app, SendConfigOptions& options, std::string& mode,
                          std::string& kind) {
    CLI::App* command = app.add_subcommand("send-config", Help(rid::kCliSendConfigCommandHelp));
    command->add_option("--config", options.configFile, Help(rid::kCliSendConfigFileHelp))
        ->required();
    command->add_option("--printer", options.printer, Help(rid::kCliSendConfigPrinterHelp))
        ->required();
    command->add_option("--mode", mode, Help(rid::kCliSendConfigModeHelp))
        ->check(CLI::IsMember({"device", "ksl"}));
    command->add_option("--kind", kind, Help(rid::kCliSendConfigKindHelp))
        ->check(CLI::IsMember({"general", "queue"}));
    command->add_flag("--set-current", options.setCurrent, Help(rid::kCliSendConfigSetCurrentHelp));
}

void AddRenderCommand(CLI::App& app, RenderOptions& options) {
    CLI::App* command = app.add_subcommand("render", Help(rid::kCliRenderHelp));
    command->add_option("DRAWING", options.drawing, Help(rid::kCliRenderDrawingHelp))->required();
    command->add_option("--config", options.configFile, Help(rid::kCliRenderConfigHelp));
    command->add_option("-o,--output", options.output, Help(rid::kCliRenderOutputHelp));
    command->add_option("--preview", options.previewFile, Help(rid::kCliRenderPreviewHelp));
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{Help(rid::kCliProgramHelp)};
    app.require_subcommand(1);
    app.add_subcommand("strings", Help(rid::kCliStringsHelp));

    JobStreamArguments args;
    AddJobStreamCommand(app, args);
    app.add_subcommand("printers", Help(rid::kCliPrintersHelp));
    SendArguments send;
    AddSendCommand(app, send);
    SendConfigOptions sendConfig;
    std::string mode = "device";
    std::string kind = "general";
    AddSendConfigCommand(app, sendConfig, mode, kind);
    RenderOptions render;
    AddRenderCommand(app, render);
    RemoteArguments remote;
    AddRemoteCommand(app, remote);
    PreviewOptions preview;
    AddPreviewCommand(app, preview);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        PrintError(error.what());
        std::fprintf(stderr, "%s\n", Help(rid::kCliSeeHelp).c_str());
        return kExitBadInput;
    }

    if (app.got_subcommand("strings")) return RunStrings(stdout);
    if (app.got_subcommand("printers")) return RunPrinters(stdout);
    if (app.got_subcommand("render")) return RunRender(render);
    if (app.got_subcommand("remote")) return RunRemote(remote);
    if (app.got_subcommand("preview")) return RunPreview(preview);
    if (app.got_subcommand("send-config")) {
        sendConfig.ksl = mode == "ksl";
        sendConfig.queueKind = kind == "queue";
        return RunSendConfig(sendConfig);
    }
    if (app.got_subcommand("send")) {
        if (!send.printerType.empty()) {
            auto type = ParsePrinterTypeOption(send.printerType);
            if (!type) {
                std::fprintf(stderr, "kestrum-cli: %s\n", type.error().message.c_str());
                return kExitBadInput;
            }
            send.options.printerType = type.value();
        }
        return RunSend(send.options);
    }

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
