// kestrum-cli: Kestrum without a window, for scripts and other programs.

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/preview_command.h"
#include "cli/render_command.h"
#include "cli/send_commands.h"

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

struct SendArguments {
    SendOptions options;
    bool currentSettings = false;
    bool noConfig = false;
    std::string printerType;
    int pauseMs = -1;
};

void AddSendCommand(CLI::App& app, SendArguments& args) {
    SendOptions& options = args.options;
    CLI::App* command = app.add_subcommand(
        "send",
        "Run the delivery worker without a window: one raw print job per printer, in the order "
        "given. Exit 0 when every job was ended; non-zero when a job failed or was cancelled "
        "(Ctrl-C cancels: the open job is withdrawn and temporary files deleted).");
    command->add_option("--printer", options.printers, "A printer queue (repeat for several).")
        ->required();
    command->add_option("--copies", options.copies,
                        "Copies of the whole job (1 to 100, default 1).")
        ->check(CLI::Range(1, 100));
    command->add_flag("--reverse", options.reverse, "Send the list from the last entry.");
    command->add_flag("--collated", options.collated,
                      "Collated mode: the controller makes the copies.");
    command->add_option("--pause-ms", args.pauseMs,
                        "Pause after each copy in milliseconds (default 1000 collated, 300 per "
                        "set).")
        ->check(CLI::Range(0, 3600000));
    command->add_option("--printer-type", args.printerType,
                        "generic, velmar or oce9400; default: the settings file's.");
    auto* launch = command->add_option("--launch-file", options.launchFile,
                                       "Send the entries of this launch file (.lch).");
    auto* config = command->add_option("--config", options.configFile,
                                       "Send every PLOTFILE with this configuration file.");
    auto* current = command->add_flag("--current-settings", args.currentSettings,
                                      "Send every PLOTFILE with the current settings.");
    auto* none = command->add_flag("--no-config", args.noConfig,
                                   "Send every PLOTFILE with no header and no trailer (default).");
    auto* plots = command->add_option("PLOTFILE", options.plotFiles, "Plot files to send.");
    config->excludes(current)->excludes(none);
    current->excludes(none);
    launch->excludes(config)->excludes(current)->excludes(none)->excludes(plots);
    command->callback([&args, config, launch, plots] {
        if (!*launch && !*plots) {
            throw CLI::ValidationError("send", "give PLOTFILEs or --launch-file");
        }
        if (*config) args.options.config = ConfigChoice::File;
        if (args.currentSettings) args.options.config = ConfigChoice::CurrentSettings;
        if (args.pauseMs >= 0) args.options.pauseMs = args.pauseMs;
    });
}

void AddSendConfigCommand(CLI::App& app, SendConfigOptions& options, std::string& mode,
                          std::string& kind) {
    CLI::App* command = app.add_subcommand(
        "send-config",
        "The configuration manager's send action: the header alone (device) or the queue "
        "configuration script (ksl).");
    command->add_option("--config", options.configFile, "The configuration file.")->required();
    command->add_option("--printer", options.printer, "The printer queue.")->required();
    command->add_option("--mode", mode, "device (default) or ksl.")
        ->check(CLI::IsMember({"device", "ksl"}));
    command->add_option("--kind", kind, "general (default) or queue.")
        ->check(CLI::IsMember({"general", "queue"}));
    command->add_flag("--set-current", options.setCurrent,
                      "Set the set-current flag (\"!\" terminators; the script makes the "
                      "configuration current).");
}

void AddRenderCommand(CLI::App& app, RenderOptions& options) {
    CLI::App* command = app.add_subcommand(
        "render",
        "Render a DXF drawing with the drawing renderer: the HP-GL/2 that a send would produce "
        "for it with this configuration's AutoCAD options (to OUT, or standard output), and/or "
        "its 300 x 300 preview as a PBM image. The renderer is libacadhpgl.so beside kestrum-cli "
        "or in the library folder, or the file that KESTRUM_RENDERER names. Exit 2 when it is "
        "unavailable or the file is not a drawing it reads.");
    command->add_option("DRAWING", options.drawing, "The drawing (.dxf).")->required();
    command->add_option("--config", options.configFile,
                        "Render with this configuration file's AutoCAD options (default: the "
                        "current settings).");
    command->add_option("-o,--output", options.output,
                        "Write the HP-GL/2 to this file (written whole or not at all).");
    command->add_option("--preview", options.previewFile,
                        "Write the preview picture to this PBM file; without -o no HP-GL is "
                        "written.");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"kestrum-cli: send plot files and compose job streams without a window."};
    app.require_subcommand(1);
    app.add_subcommand("strings",
                       "Print every language string, one per line: the number, a tab, the text.");

    JobStreamArguments args;
    AddJobStreamCommand(app, args);
    app.add_subcommand("printers",
                       "List the printer queues (CUPS queues and hot folders), one per line.");
    SendArguments send;
    AddSendCommand(app, send);
    SendConfigOptions sendConfig;
    std::string mode = "device";
    std::string kind = "general";
    AddSendConfigCommand(app, sendConfig, mode, kind);
    RenderOptions render;
    AddRenderCommand(app, render);
    PreviewOptions preview;
    AddPreviewCommand(app, preview);

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
    if (app.got_subcommand("printers")) return RunPrinters(stdout);
    if (app.got_subcommand("render")) return RunRender(render);
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
