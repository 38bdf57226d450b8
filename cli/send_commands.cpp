#include "cli/send_commands.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "config/configuration_file.h"
#include "launch/configuration_sender.h"
#include "launch/delivery_run.h"
#include "launch/job_outcome.h"
#include "launch/launch_file.h"
#include "launch/launch_texts.h"
#include "launch/plot_file_check.h"
#include "platform/system_spooler.h"
#include "render/drawing_rendering.h"
#include "shell/language_strings.h"
#include "shell/program_settings.h"
#include "shell/resource_ids.h"

namespace kestrum::cli {
namespace {

// The run state the stopping signals stop. A lock-free atomic store is safe in a handler.
RunStateCell* interruptible = nullptr;

extern "C" void StopOnSignal(int) {
    if (interruptible != nullptr) interruptible->store(RunState::Stopped);
}

// SIGINT (Ctrl-C), SIGTERM (timeout, systemd, kill) and SIGHUP (a closed terminal) all cancel the
// send the same way, so none of them leaves a half job, a held job or a rendered file behind.
constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};

class StoppingSignals {
  public:
    explicit StoppingSignals(RunStateCell& state) {
        interruptible = &state;
        struct sigaction action {};
        action.sa_handler = StopOnSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
            sigaction(kStoppingSignals[i], &action, &previous_[i]);
        }
    }
    ~StoppingSignals() {
        for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i) {
            sigaction(kStoppingSignals[i], &previous_[i], nullptr);
        }
        interruptible = nullptr;
    }
    StoppingSignals(const StoppingSignals&) = delete;
    StoppingSignals& operator=(const StoppingSignals&) = delete;

  private:
    struct sigaction previous_[std::size(kStoppingSignals)]{};
};

void PrintLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

// Progress on standard error: a bar that redraws itself on a terminal, a line per file elsewhere;
// messages as "kestrum: <text>".
class StderrProgress final : public DeliveryObserver {
  public:
    StderrProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}

    void DrawingRendering(const std::string& path) override {
        PrintLine(LaunchText(rid::kCliRenderingDrawing, {path}));
    }
    void PrinterStarted(const std::string& printer) override {
        PrintLine(LaunchText(rid::kCliSendingTo, {printer}));
    }
    void FileStarted(const std::string& path, std::uint64_t size) override {
        file_ = std::filesystem::path(path).filename().string();
        shownPercent_ = -1;
        if (!terminal_) PrintLine(LaunchText(rid::kCliFileLine, {file_, std::to_string(size)}));
    }
    void FileProgress(std::uint64_t sent, std::uint64_t size) override {
        if (!terminal_) return;
        const int percent = size == 0 ? 100 : static_cast<int>(sent * 100 / size);
        if (percent == shownPercent_) return;
        shownPercent_ = percent;
        const int filled = percent / 5;
        std::fprintf(stderr, "\r  [%-20.*s] %3d%% %s", filled, "####################", percent,
                     file_.c_str());
        if (percent == 100) std::fputc('\n', stderr);
    }
    void PrinterFinished(const std::string& printer, std::uint64_t bytes) override {
        // The scheduler holds the whole job before the printer sees its first byte. A job of no
        // bytes at all is withdrawn rather than queued.
        PrintLine(LaunchText(bytes == 0 ? rid::kCliNothingSentEmpty : rid::kCliHandedToSpooler,
                             {printer}));
    }
    void ShowMessage(const Message& message) override { messages_.Show(message); }

  private:
    bool terminal_;
    std::string file_;
    int shownPercent_ = -1;
    StderrMessageSink messages_;
};

Result<std::vector<PlotFileEntry>> EntriesFromOptions(const SendOptions& options) {
    if (!options.launchFile.empty()) return ReadLaunchFile(options.launchFile);
    std::string configuration;
    switch (options.config) {
        case ConfigChoice::File:
            configuration = std::filesystem::absolute(options.configFile).string();
            break;
        case ConfigChoice::CurrentSettings:
            configuration = std::string(LoadResourceString(rid::kCurrentSettingsMarker));
            break;
        case ConfigChoice::NoConfiguration:
            configuration = std::string(LoadResourceString(rid::kNoConfigurationMarker));
            break;
    }
    std::vector<PlotFileEntry> entries;
    for (const std::string& plot : options.plotFiles) {
        if (auto regular = CheckPlotFileKind(plot); !regular) return regular.error();
        if (auto readable = CheckReadableFile(plot, "plot file"); !readable)
            return readable.error();
        PlotFileEntry entry;
        entry.filePath = std::filesystem::absolute(plot).string();
        entry.configuration = configuration;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

int RunPrinters(std::FILE* out) {
    auto spooler = SystemSpooler::ForCurrentUser();
    auto printers = spooler->Printers();
    if (!printers) {
        PrintError(printers.error().message);
        return kExitFailed;
    }
    if (const auto& unreachable = spooler->schedulerError()) PrintError(unreachable->message);
    for (const PrinterQueue& queue : printers.value())
        std::fprintf(out, "%s\n", queue.name.c_str());
    return std::fflush(out) == 0 ? kExitOk : kExitFailed;
}

// A CUPS job that was ended is only stored: follow each one until its printer has taken it.
int WaitForPrinters(const DeliveryResult& result, int seconds) {
    std::vector<WatchedJob> jobs;
    for (const DeliveryResult::EndedJob& ended : result.endedJobs) {
        // An empty job is withdrawn rather than printed: there is nothing to follow.
        if (ended.bytes == 0) continue;
        jobs.push_back({ended.printer,
                        ended.jobId > 0 ? WatchedJob::Kind::Cups : WatchedJob::Kind::HotFolder,
                        ended.jobId});
    }
    bool allCompleted = true;
    JobOutcomeWatcher watcher;
    watcher.Follow(jobs,
                   [&allCompleted](const JobOutcome& outcome) {
                       if (outcome.completed()) return;
                       allCompleted = false;
                       PrintError(JobOutcomeText(outcome));
                   },
                   {std::chrono::seconds(seconds), std::chrono::milliseconds(500)});
    return allCompleted ? kExitOk : kExitFailed;
}

int RunSend(const SendOptions& options) {
    if (options.config == ConfigChoice::File) {
        if (auto readable = CheckReadableFile(options.configFile, "configuration file");
            !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
    }
    auto entries = EntriesFromOptions(options);
    if (!entries) {
        PrintError(entries.error().message);
        return kExitBadInput;
    }
    if (entries.value().empty()) {
        PrintLine(LaunchText(rid::kCliListEmpty));
        return kExitOk;
    }

    StderrMessageSink messages;
    const ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    DeliveryRequest request;
    request.state = OptionState(settings.unit, options.printerType.value_or(settings.printerType));
    if (CheckReadableFile(settings.defaultConfiguration.string(), "configuration file")) {
        request.state.values.currentConfiguration = settings.defaultConfiguration.string();
        LoadAll(request.state, messages);
    }

    DeliverySettings& delivery = request.settings;
    delivery.printers = options.printers;
    delivery.printerType = options.printerType.value_or(settings.printerType);
    delivery.outputMode = OutputMode::Device;
    delivery.collated = options.collated;
    delivery.reverseOrder = options.reverse;
    delivery.jobCopies = options.copies;
    delivery.jobTicket = settings.jobTicket;
    if (options.pauseMs) {
        delivery.pauseAfterCopyCollated = delivery.pauseAfterCopyPerSet =
            std::chrono::milliseconds(*options.pauseMs);
    }
    request.entries = std::move(entries).value();
    request.spooler = SystemSpooler::ForCurrentUser();
    // In device mode drawings go out rendered when the renderer is there, as they are otherwise.
    request.renderer = ProgramDrawingRenderer();
    request.accountFile = settings.accountFile;

    StderrProgress progress;
    DeliveryRun run(std::move(request), progress);
    DeliveryResult result;
    {
        const StoppingSignals signals(run.runState());
        result = run.RunHere();
    }

    switch (result.outcome) {
        case DeliveryOutcome::Completed:
            return options.waitSeconds ? WaitForPrinters(result, *options.waitSeconds) : kExitOk;
        case DeliveryOutcome::NothingSent:
            return kExitOk;
        case DeliveryOutcome::Cancelled:
            if (!result.jobWasOpen) {
                PrintError(LaunchText(rid::kCliCancelledNoJob));
            } else {
                PrintError(LaunchText(result.jobWithdrawn ? rid::kCliCancelledWithdrawn
                                                          : rid::kCliCancelledHeld));
            }
            return kExitFailed;
        case DeliveryOutcome::Failed:
            if (!result.finishMessage.empty()) PrintError(result.finishMessage);
            // The failure's own message has said what became of a job that could not be
            // withdrawn; "withdrawn" is said only of a job that was open and is gone.
            if (result.jobWasOpen && result.jobWithdrawn) {
                PrintError(LaunchText(rid::kCliFailedWithdrawn));
            } else if (!result.jobWasOpen) {
                PrintError(LaunchText(rid::kCliFailed));
            }
            return kExitFailed;
    }
    return kExitFailed;
}

int RunSendConfig(const SendConfigOptions& options) {
    if (auto readable = CheckReadableFile(options.configFile, "configuration file"); !readable) {
        PrintError(readable.error().message);
        return kExitBadInput;
    }
    StderrMessageSink messages;
    ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    settings.outputMode = options.ksl ? OutputMode::Ksl : OutputMode::Device;
    OptionState state(settings.unit, settings.printerType);
    state.values.currentConfiguration = std::filesystem::absolute(options.configFile).string();
    LoadAll(state, messages);
    state.values.kind = options.queueKind ? ConfigurationKind::Queue : ConfigurationKind::General;
    state.values.setCurrentFlag = options.setCurrent ? 1 : 0;

    auto spooler = SystemSpooler::ForCurrentUser();
    SystemClock clock;
    ConfigurationSender sender(state, settings, *spooler, messages, clock);
    if (auto sent = sender.Send(options.printer); !sent) {
        PrintError(sent.error().message);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace kestrum::cli
