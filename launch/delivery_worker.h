#pragma once

// The delivery worker: turns a snapshot of the launch list into one raw print job per checked
// printer. For every entry and copy it writes a job stream (header, the plot file's bytes in
// 512-byte pieces, trailer); in collated mode the job is framed by a job-start and a job-end
// command so that the controller makes the copies, in per-set mode the list is repeated once per
// set. It works on its own copy of the option state and of the entries, looks at a run state
// shared with the front end, and reports through an observer. Most callers use it through the send
// owner (launch/delivery_run.h), which owns its thread and the parts it borrows.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "compose/job_stream.h"
#include "config/configuration_file.h"
#include "config/option_state.h"
#include "launch/drawing_renderer.h"
#include "launch/plot_file_entry.h"
#include "launch/run_state.h"
#include "platform/clock.h"
#include "platform/result.h"
#include "platform/spooler.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum {

// What the worker reads from the settings and the status window, copied when the send starts.
struct DeliverySettings {
    std::vector<std::string> printers;  // the checked queues, in list order
    PrinterType printerType = PrinterType::Velmar;
    OutputMode outputMode = OutputMode::Device;
    bool collated = false;  // the controller makes the copies (hardware options)
    bool reverseOrder = false;
    int jobCopies = 1;       // 1 to 100: the status window's copies choice + 1
    bool jobTicket = false;  // write accounting lines after each printer's entries
    // Pauses after each copy, which slow controllers need between job streams.
    std::chrono::milliseconds pauseAfterCopyCollated{1000};
    std::chrono::milliseconds pauseAfterCopyPerSet{300};
};

enum class DeliveryOutcome {
    Completed,    // every checked printer's job was ended (also when none was checked)
    NothingSent,  // the list was empty or the send was stopped before it began: nothing opened
    Cancelled,    // stopped during the send or the pre-pass
    Failed,       // a failure the user has been told about (or finishMessage tells)
};

struct DeliveryResult {
    DeliveryOutcome outcome = DeliveryOutcome::NothingSent;
    // For a failure to open a printer: the message the front end shows when it finishes the
    // send (the other failures have been shown through the message sink already).
    std::string finishMessage{};
    // When the send was cancelled or failed: whether a print job was open, and whether it was
    // withdrawn (false when the spooler went away first; its message names the job).
    bool jobWasOpen = false;
    bool jobWithdrawn = false;

    // Every job that was ended, in printer order, so a front end can follow what the printer
    // makes of it (a CUPS job is only stored when it is ended).
    struct EndedJob {
        std::string printer;
        int jobId = 0;  // 0: the spooler has no number for it (hot folders)
        std::uint64_t bytes = 0;
    };
    std::vector<EndedJob> endedJobs{};
};

// Progress, messages and the end of a send. Called on the worker's thread; implementations hand
// them to their own thread if they must. FileProgress is coalesced at the source: at most one
// report per kProgressBytes and kProgressInterval (whichever comes later), and always one for a
// file's last byte, so a queued signal per report stays cheap for any file size.
class DeliveryObserver {
  public:
    static constexpr std::uint64_t kProgressBytes = 64 * 1024;
    static constexpr std::chrono::milliseconds kProgressInterval{40};

    virtual ~DeliveryObserver() = default;
    // Before the send: a drawing is being rendered (which can take a while for a large one).
    virtual void DrawingRendering(const std::string& /*path*/) {}
    virtual void PrinterStarted(const std::string& /*printer*/) {}
    virtual void ListProgress(std::size_t /*position*/, std::size_t /*count*/) {}
    virtual void FileStarted(const std::string& /*path*/, std::uint64_t /*size*/) {}
    virtual void FileProgress(std::uint64_t /*sent*/, std::uint64_t /*size*/) {}
    // The printer's job was handed to the spooler whole; `bytes` 0: it was empty, nothing went.
    virtual void PrinterFinished(const std::string& /*printer*/, std::uint64_t /*bytes*/) {}
    // A message for the user (the send owner routes the worker's message sink here).
    virtual void ShowMessage(const Message& /*message*/) {}
    // The send is over (the send owner calls it once, last).
    virtual void SendFinished(const DeliveryResult& /*result*/) {}
};

// Writes the accounting lines of one printer's job before it is ended; false when it failed, has
// told the user and aborted the job. `sendList` is the worker's own list in send order.
using AccountingHook =
    std::function<bool(std::span<const PlotFileEntry> sendList, int jobCopies, SpoolJob& job)>;
// Called when a job whose lines were written could not be ended after all: the lines of a job
// that was not printed are taken back.
using AccountingWithdrawHook = std::function<void()>;

class DeliveryWorker {
  public:
    // The worker owns `state` and `entries` (copies taken on the front end's thread); the rest
    // must outlive it.
    DeliveryWorker(Spooler& spooler, OptionState state, std::vector<PlotFileEntry> entries,
                   DeliverySettings settings, RunStateCell& runState, DeliveryObserver& observer,
                   MessageSink& messages, const Clock& clock);
    ~DeliveryWorker();
    // The composer points into the worker's own option state.
    DeliveryWorker(const DeliveryWorker&) = delete;
    DeliveryWorker& operator=(const DeliveryWorker&) = delete;

    // Optional parts: without an accounting writer no lines are written; without a renderer
    // drawings are sent as they are.
    void SetAccountingHook(AccountingHook hook, AccountingWithdrawHook withdraw = {}) {
        accounting_ = std::move(hook);
        withdrawAccounting_ = std::move(withdraw);
    }
    void SetDrawingRenderer(DrawingRenderer* renderer) { renderer_ = renderer; }

    // One send, to the last printer. Blocks; runs on the worker thread. A status window starts
    // the worker with the run state at paused and the send begins when the user starts it; a
    // caller that sets it to running starts at once. Every rendered temporary file is deleted on
    // every path out.
    DeliveryResult Run();

    // The entries as the send left them, in send order (rendered files emptied or stale, as after
    // a send).
    const std::vector<PlotFileEntry>& entries() const { return entries_; }

  private:
    enum class Step { Go, Cancel, Fail };

    bool WaitWhilePaused();
    Step SendToPrinter(const std::string& printer, std::uint64_t& bytes);
    Step SendEntryCopies(SpoolJob& job, std::size_t index, std::chrono::milliseconds pause);
    Step SendOneCopy(SpoolJob& job, PlotFileEntry& entry);
    Step CopyFileData(SpoolJob& job, const PlotFileEntry& entry);
    Step FileFailure(int resource, const std::string& detail);
    std::int32_t EntryCopies(const PlotFileEntry& entry);
    void ComposeStep(SpoolJob& job, const PlotFileEntry& entry, bool header);
    bool RenderDrawings();
    void DeleteRenderedFiles();
    bool Write(SpoolJob& job, std::string_view bytes);
    bool Sleep(std::chrono::milliseconds pause);

    Spooler& spooler_;
    OptionState state_;
    std::vector<PlotFileEntry> entries_;
    DeliverySettings settings_;
    RunStateCell& runState_;
    DeliveryObserver& observer_;
    MessageSink& messages_;
    const Clock& clock_;
    AccountingHook accounting_;
    AccountingWithdrawHook withdrawAccounting_;
    DrawingRenderer* renderer_ = nullptr;

    OptionStateExports exports_;
    std::unique_ptr<JobStreamComposer> composer_;

    std::vector<std::int32_t> entryCopies_;  // by send position; no limit on the list's length
    std::string lastFinishMessage_;
    bool jobWasOpen_ = false;    // the current printer's job has been opened
    bool jobWithdrawn_ = false;  // and, after a failure or cancel, withdrawn
    int endedJobId_ = 0;         // the spooler's number of the job last ended
};

}  // namespace kestrum
