#include "launch/delivery_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "launch/launch_texts.h"
#include "launch/plot_file_check.h"
#include "platform/error_text.h"
#include "platform/private_profile.h"
#include "platform/unique_fd.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

constexpr std::size_t kPieceSize = 512;
// The longest a pause between copies sleeps before it looks at the run state again.
constexpr std::chrono::milliseconds kPauseSlice{100};

bool IsCurrentSettings(const std::string& configuration) {
    return MatchesResource(configuration, rid::kCurrentSettingsMarker);
}

bool IsNoConfiguration(const std::string& configuration) {
    return MatchesResource(configuration, rid::kNoConfigurationMarker);
}

bool CarriesItsOwnConfiguration(const std::string& configuration) {
    return !IsCurrentSettings(configuration) && !IsNoConfiguration(configuration);
}

// Hands out a file in pieces of kPieceSize, as the worker writes them, while reading it in large
// blocks: one read per 512-byte piece costs a system call each time and slowed large sends.
class PieceReader {
  public:
    explicit PieceReader(int fd) : fd_(fd), block_(kReadBlockSize) {}

    // The next piece: kPieceSize bytes unless the file ends within it (then shorter, possibly
    // empty). -1 with errno set when reading fails.
    ssize_t Next(const char*& piece) {
        if (offset_ == length_ && !ended_ && !Refill()) return -1;
        const std::size_t size = std::min(kPieceSize, length_ - offset_);
        piece = block_.data() + offset_;
        offset_ += size;
        return static_cast<ssize_t>(size);
    }

  private:
    static constexpr std::size_t kReadBlockSize = 64 * 1024;

    bool Refill() {
        offset_ = length_ = 0;
        while (length_ < block_.size()) {
            const ssize_t got = ::read(fd_, block_.data() + length_, block_.size() - length_);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return false;
            if (got == 0) {
                ended_ = true;
                break;
            }
            length_ += static_cast<std::size_t>(got);
        }
        return true;
    }

    int fd_;
    std::vector<char> block_;
    std::size_t offset_ = 0;
    std::size_t length_ = 0;
    bool ended_ = false;
};

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

}  // namespace

DeliveryWorker::DeliveryWorker(Spooler& spooler, OptionState state,
                               std::vector<PlotFileEntry> entries, DeliverySettings settings,
                               RunStateCell& runState, DeliveryObserver& observer,
                               MessageSink& messages, const Clock& clock)
    : spooler_(spooler),
      state_(std::move(state)),
      entries_(std::move(entries)),
      settings_(std::move(settings)),
      runState_(runState),
      observer_(observer),
      messages_(messages),
      clock_(clock),
      exports_(state_),
      composer_(std::make_unique<JobStreamComposer>(state_.values, settings_.printerType, clock_,
                                                    &exports_)) {}

DeliveryWorker::~DeliveryWorker() = default;

bool DeliveryWorker::WaitWhilePaused() {
    // Whoever pauses or resumes notifies the cell, so a pause costs no polling.
    RunState state = runState_.load();
    while (state == RunState::Paused) {
        runState_.wait(RunState::Paused);
        state = runState_.load();
    }
    return state != RunState::Stopped;
}

bool DeliveryWorker::Sleep(std::chrono::milliseconds pause) {
    // Slept in slices so that a cancel does not wait for the whole pause.
    const auto until = std::chrono::steady_clock::now() + pause;
    while (std::chrono::steady_clock::now() < until) {
        if (runState_.load() == RunState::Stopped) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kPauseSlice, until - std::chrono::steady_clock::now()));
    }
    return true;
}

DeliveryResult DeliveryWorker::Run() {
    if (!WaitWhilePaused() || entries_.empty()) return {DeliveryOutcome::NothingSent, {}};

    // The worker's own list is put in send order once, so that every printer and the accounting
    // lines use it as it stands, without a copy per printer.
    if (settings_.reverseOrder && !settings_.collated)
        std::reverse(entries_.begin(), entries_.end());
    for (PlotFileEntry& entry : entries_) entry.renderedFile.clear();

    if (settings_.outputMode == OutputMode::Device && renderer_ != nullptr && !RenderDrawings()) {
        DeleteRenderedFiles();
        const bool cancelled = runState_.load() == RunState::Stopped;
        return {cancelled ? DeliveryOutcome::Cancelled : DeliveryOutcome::Failed, {}};
    }

    DeliveryResult result{DeliveryOutcome::Completed, {}};
    for (const std::string& printer : settings_.printers) {
        observer_.PrinterStarted(printer);
        jobWasOpen_ = jobWithdrawn_ = false;
        std::uint64_t bytes = 0;
        const Step step = SendToPrinter(printer, bytes);
        if (step == Step::Cancel) result.outcome = DeliveryOutcome::Cancelled;
        if (step == Step::Fail) result.outcome = DeliveryOutcome::Failed;
        if (step != Step::Go) {
            result.jobWasOpen = jobWasOpen_;
            result.jobWithdrawn = jobWithdrawn_;
            break;
        }
        observer_.PrinterFinished(printer, bytes);
        result.endedJobs.push_back({printer, endedJobId_, bytes});
    }
    if (result.outcome == DeliveryOutcome::Failed && result.finishMessage.empty()) {
        result.finishMessage = lastFinishMessage_;
    }
    DeleteRenderedFiles();
    return result;
}

DeliveryWorker::Step DeliveryWorker::SendToPrinter(const std::string& printer,
                                                   std::uint64_t& bytes) {
    auto opened = spooler_.OpenPrintJob(printer);
    if (!opened) {
        lastFinishMessage_ = std::string(LoadResourceString(rid::kPrinterOpenFailedMessage)) + " " +
                             opened.error().message;
        return Step::Fail;
    }
    SpoolJob& job = *opened.value();
    jobWasOpen_ = true;
    const int sets = settings_.collated ? 1 : settings_.jobCopies;
    const auto pause =
        settings_.collated ? settings_.pauseAfterCopyCollated : settings_.pauseAfterCopyPerSet;

    auto abandon = [this, &job](Step step) {
        job.AbortPrintJob();
        jobWithdrawn_ = job.withdrawn();
        return step;
    };

    if (settings_.collated) {
        // The ":" of the job-start command is fixed, whatever the command terminator.
        std::string start = "\x1b.JOBSTART COL";
        if (settings_.reverseOrder) start += " REV";
        start += " COPIES=" + std::to_string(settings_.jobCopies) + ":";
        if (!Write(job, start)) return abandon(Step::Fail);
    }

    entryCopies_.assign(entries_.size(), 1);
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        observer_.ListProgress(position, entries_.size());
        entryCopies_[position] = EntryCopies(entries_[position]);
    }

    for (int set = 0; set < sets; ++set) {
        for (std::size_t position = 0; position < entries_.size(); ++position) {
            if (!WaitWhilePaused()) return abandon(Step::Cancel);
            observer_.ListProgress(position, entries_.size());
            const Step step = SendEntryCopies(job, position, pause);
            if (step != Step::Go) return abandon(step);
        }
    }

    bool accounted = false;
    if (settings_.jobTicket && accounting_) {
        if (!accounting_(std::span<const PlotFileEntry>(entries_), settings_.jobCopies, job)) {
            return abandon(runState_.load() == RunState::Stopped ? Step::Cancel : Step::Fail);
        }
        accounted = true;
    }
    // The lines are written before the job is ended, so that a job that cannot be logged is
    // never printed; a job that then fails to end takes its lines back.
    auto unaccount = [&] {
        if (accounted && withdrawAccounting_) withdrawAccounting_();
    };
    if (settings_.collated && !Write(job, "\x1b.JOBEND:")) {
        unaccount();
        return abandon(Step::Fail);
    }

    bytes = job.bytesWritten();
    if (auto ended = job.EndPrintJob(); !ended) {
        unaccount();
        jobWithdrawn_ = job.withdrawn();
        messages_.Show(MakeMessage(
            jobWithdrawn_ ? rid::kPrinterWriteFailedMessage : rid::kPrinterStoppedMessage,
            MessageIcon::Exclamation, ended.error().message));
        return Step::Fail;
    }
    endedJobId_ = job.jobId();
    return Step::Go;
}

DeliveryWorker::Step DeliveryWorker::SendEntryCopies(SpoolJob& job, std::size_t position,
                                                     std::chrono::milliseconds pause) {
    PlotFileEntry& entry = entries_[position];
    for (std::int32_t copy = 0; copy < entryCopies_[position]; ++copy) {
        if (!WaitWhilePaused()) return Step::Cancel;
        const Step step = SendOneCopy(job, entry);
        if (step != Step::Go) return step;
        if (!Sleep(pause)) return Step::Cancel;
    }
    return Step::Go;
}

std::int32_t DeliveryWorker::EntryCopies(const PlotFileEntry& entry) {
    if (IsNoConfiguration(entry.configuration)) return 1;
    if (IsCurrentSettings(entry.configuration)) {
        state_.job.Export(state_.values.job);
        return state_.values.job.fileCopies == 0 ? 1 : state_.values.job.fileCopies;
    }
    if (entry.configuration.empty()) return 1;
    // Read straight from the file: the section and key are fixed names other tools rely on.
    const int copies =
        profile::ReadInt(entry.configuration, LoadResourceString(rid::kJobOptionsSection),
                         LoadResourceString(rid::kFileCopiesKey), 1);
    return copies == 0 ? 1 : copies;
}

DeliveryWorker::Step DeliveryWorker::SendOneCopy(SpoolJob& job, PlotFileEntry& entry) {
    ComposeStep(job, entry, /*header=*/true);
    const Step step = CopyFileData(job, entry);
    if (step != Step::Go) return step;
    ComposeStep(job, entry, /*header=*/false);
    return Step::Go;
}

void DeliveryWorker::ComposeStep(SpoolJob& job, const PlotFileEntry& entry, bool header) {
    if (IsNoConfiguration(entry.configuration)) return;
    // A failed header or trailer block is told to the user; the data still goes.
    auto compose = [&] {
        const Result<void> composed =
            header ? composer_->ComposeJobHeader(job) : composer_->ComposeJobTrailer(job);
        if (!composed) ShowError(messages_, composed.error());
    };
    if (IsCurrentSettings(entry.configuration)) {
        compose();
        return;
    }
    const CUserObject saved = state_.values;
    const ReferenceList savedReferences = state_.references;
    state_.values.currentConfiguration = entry.configuration;
    LoadAll(state_, messages_);
    compose();
    state_.values = saved;
    state_.references = savedReferences;
    RefreshAll(state_, messages_);
}

DeliveryWorker::Step DeliveryWorker::FileFailure(int resource, const std::string& detail) {
    messages_.Show(MakeMessage(resource, MessageIcon::Exclamation, detail));
    return Step::Fail;
}

DeliveryWorker::Step DeliveryWorker::CopyFileData(SpoolJob& job, const PlotFileEntry& entry) {
    const std::string& path = entry.renderedFile.empty() ? entry.filePath : entry.renderedFile;
    auto opened = OpenPlotFile(path);
    if (!opened) return FileFailure(rid::kPlotFileReadFailedMessage, opened.error().message);
    const UniqueFd file = std::move(opened.value().fd);
    const std::uint64_t size = opened.value().size;
    observer_.FileStarted(entry.filePath, size);

    // Progress is coalesced here rather than by each observer: a queued signal per 512-byte
    // piece would be a million events for a 512 MiB file.
    using Steady = std::chrono::steady_clock;
    std::uint64_t reported = 0;
    Steady::time_point reportedAt = Steady::now();

    PieceReader reader(file.get());
    std::uint64_t sent = 0;
    for (;;) {
        // A pause waits for the next copy or entry; only a cancel stops a file in the middle.
        if (runState_.load() == RunState::Stopped) return Step::Cancel;
        const char* piece = nullptr;
        const ssize_t got = reader.Next(piece);
        if (got < 0) {
            return FileFailure(rid::kPlotFileReadFailedMessage,
                               "\"" + path + "\": " + ErrorText(errno) + ".");
        }
        sent += static_cast<std::uint64_t>(got);
        // A file rewritten while it is sent would go out cut short or with foreign data.
        const bool ended = static_cast<std::size_t>(got) < kPieceSize;
        if (sent > size || (ended && sent != size)) {
            return FileFailure(rid::kPlotFileChangedMessage,
                               LaunchText(rid::kPlotFileChangedDetail,
                                          {path, std::to_string(size), std::to_string(sent)}));
        }
        if (ended || sent - reported >= DeliveryObserver::kProgressBytes) {
            const Steady::time_point now = Steady::now();
            if (ended || now - reportedAt >= DeliveryObserver::kProgressInterval) {
                observer_.FileProgress(sent, size);
                reported = sent;
                reportedAt = now;
            }
        }
        if (!job.WriteToPrinter(piece, static_cast<std::size_t>(got))) {
            return FileFailure(
                job.withdrawn() ? rid::kPrinterWriteFailedMessage : rid::kPrinterStoppedMessage,
                job.lastError());
        }
        if (ended) return Step::Go;
    }
}

bool DeliveryWorker::RenderDrawings() {
    for (PlotFileEntry& entry : entries_) {
        if (runState_.load() == RunState::Stopped) return false;
        if (!renderer_->IsDrawing(entry.filePath)) continue;
        std::string name = TemporaryFolder() + "/kslXXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            messages_.Show(MakeMessage(rid::kTempFileFailedMessage, MessageIcon::Exclamation,
                                       "(" + TemporaryFolder() + ": " + ErrorText(errno) + ")"));
            return false;
        }
        UniqueFd output(fd);
        entry.renderedFile = name;
        const bool ownConfiguration = CarriesItsOwnConfiguration(entry.configuration);
        // Saved on the side rather than in the entry: a copy of the whole record per entry
        // would cost tens of kilobytes each in a long list.
        std::optional<CUserObject> savedSettings;
        ReferenceList savedReferences;
        if (ownConfiguration) {
            savedSettings = state_.values;
            savedReferences = state_.references;
            state_.values.currentConfiguration = entry.configuration;
            LoadAll(state_, messages_);
        }
        observer_.DrawingRendering(entry.filePath);
        const Result<void> rendered = renderer_->Render(entry.filePath, state_, output.get());
        if (ownConfiguration) {
            state_.values = std::move(*savedSettings);
            state_.references = std::move(savedReferences);
            RefreshAll(state_, messages_);
        }
        if (!rendered) {
            messages_.Show(MakeMessage(0, MessageIcon::Exclamation, rendered.error().message));
            return false;
        }
    }
    return true;
}

void DeliveryWorker::DeleteRenderedFiles() {
    for (const PlotFileEntry& entry : entries_) {
        if (!entry.renderedFile.empty()) ::unlink(entry.renderedFile.c_str());
    }
}

bool DeliveryWorker::Write(SpoolJob& job, std::string_view bytes) {
    if (job.WriteToPrinter(bytes.data(), bytes.size())) return true;
    messages_.Show(
        MakeMessage(rid::kPrinterWriteFailedMessage, MessageIcon::Exclamation, job.lastError()));
    return false;
}

}  // namespace kestrum
