#include "cli/send_commands.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "config/configuration_file.h"
#include "launch/configuration_sender.h"
#include "launch/accounting.h"
#include "launch/delivery_worker.h"
#include "launch/job_ticket.h"
#include "launch/launch_file.h"
#include "platform/system_spooler.h"
#include "render/drawing_rendering.h"
#include "shell/language_strings.h"
#include "shell/program_settings.h"
#include "shell/resource_ids.h"

namespace kestrum::cli {
namespace {

// The run state SIGINT stops; std::atomic<int> is lock-free here, so the handler may store to it.
std::atomic<int>* interruptible = nullptr;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void StopOnInterrupt(int) {
    if (interruptible != nullptr) interruptible->store(kStopped);
}

// Progress on standard error: a bar that redraws itself on a terminal, a line per file elsewhere.
class StderrProgress final : public DeliveryObserver {
public:
    StderrProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}

    void DrawingRendering(const std::string& path) override {
        std::fprintf(stderr, "kestrum-cli: rendering the drawing %s\n", path.c_str());
    }
    void PrinterStarted(const std::string& printer) override {
        std::fprintf(stderr, "kestrum-cli: sending to %s\n", printer.c_str());
    }
    void FileStarted(const std::string& path, std::uint64_t size) override {
        file_ = std::filesystem::path(path).filename().string();
        shownPercent_ = -1;
        if (!terminal_) {
            std::fprintf(stderr, "kestrum-cli:   %s (%llu bytes)\n", file_.c_str(),
                         static_cast<unsigned long long>(size));
        }
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
    void PrinterFinished(const std::string& printer) override {
        // The scheduler holds the whole job before the printer sees its first byte.
        std::fprintf(stderr, "kestrum-cli: handed the job to the spooler for %s\n", printer.c_str());
    }

private:
    bool terminal_;
    std::string file_;
    int shownPercent_ = -1;
};

Result<std::vector<PlotFileEntry>> EntriesFromOptions(const SendOptions& options) {
    if (!options.launchFile.empty()) return ReadLaunchFile(options.launchFile);
    std::string configuration;
    switch (options.config) {
        case ConfigChoice::File: configuration = std::filesystem::absolute(options.configFile).string(); break;
        case ConfigChoice::CurrentSettings:
            configuration = std::string(LoadResourceString(rid::kCurrentSettingsMarker));
            break;
        case ConfigChoice::NoConfiguration:
            configuration = std::string(LoadResourceString(rid::kNoConfigurationMarker));
            break;
    }
    std::vector<PlotFileEntry> entries;
    for (const std::string& plot : options.plotFiles) {
        if (auto readable = CheckReadableFile(plot, "plot file"); !readable) return readable.error();
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
    for (const PrinterQueue& queue : printers.value()) std::fprintf(out, "%s\n", queue.name.c_str());
    return std::fflush(out) == 0 ? kExitOk : kExitFailed;
}

int RunSend(const SendOptions& options) {
    if (options.config == ConfigChoice::File) {
        if (auto readable = CheckReadableFile(options.configFile, "configuration file"); !readable) {
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
        std::fprintf(stderr, "kestrum-cli: the launch list is empty; nothing was sent.\n");
        return kExitOk;
    }

    StderrMessageSink messages;
    const ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    OptionState state(settings.unit, options.printerType.value_or(settings.printerType));
    if (CheckReadableFile(settings.defaultConfiguration.string(), "configuration file")) {
        state.values.currentConfiguration = settings.defaultConfiguration.string();
        LoadAll(state, messages);
    }

    DeliverySettings delivery;
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

    auto spooler = SystemSpooler::ForCurrentUser();
    std::atomic<int> runState{kRunning};
    StderrProgress progress;
    SystemClock clock;
    DeliveryWorker worker(*spooler, std::move(state), std::move(entries).value(), delivery,
                          runState, progress, messages, clock);

    // In device mode drawings go out rendered when the renderer is there, as they are otherwise.
    const RendererBinding renderer = RendererBinding::ForProgram();
    LibraryDrawingRenderer drawings(renderer);
    if (renderer.available()) worker.SetDrawingRenderer(&drawings);

    SystemSleeper sleeper;
    AccountingWriter accounting(settings.accountFile, messages, clock, sleeper);
    const JobTicket ticket;
    worker.SetAccountingHook([&](const std::vector<PlotFileEntry>& sendList, int copies,
                                 SpoolJob& job) {
        return accounting.WriteAccounting(ticket, sendList, copies, job).ok();
    });

    interruptible = &runState;
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    const DeliveryResult result = worker.Run();
    sigaction(SIGINT, &previous, nullptr);
    interruptible = nullptr;

    switch (result.outcome) {
        case DeliveryOutcome::Completed:
        case DeliveryOutcome::Nothing: return kExitOk;
        case DeliveryOutcome::Cancelled:
            PrintError("the send was cancelled; the open print job was withdrawn.");
            return kExitFailed;
        case DeliveryOutcome::Failed:
            if (!result.finishMessage.empty()) PrintError(result.finishMessage);
            PrintError("the send failed; the open print job was withdrawn.");
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
