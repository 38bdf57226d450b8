#pragma once

// The state of one launch status window without the window: where a send is started, paused,
// cancelled and watched. A modal window serves one send from the launcher's send button; the one
// persistent window serves every send a command client starts, getting a fresh worker after each
// cancel or failure.
//
// Threads. The user-interface thread owns the object and the window that mirrors it, and makes
// every change of the run state (start/pause, cancel, destruction, restart). The window's delivery
// worker runs on its own thread (a DeliveryRun given runStateCell(), fed back through a
// LaunchStatusFeed): it looks at the cell at every entry, copy and 512-byte piece, waits on it
// while paused (every change made here wakes it),
// and may call, at any time, WaitWhilePaused, ReturnToWaiting, jobCopies, reverseOrder, SetBusy,
// the progress and caption setters and FinishLaunch. Every member is safe to call from either
// thread; nothing here blocks except WaitWhilePaused. The run state, copies, order and flags are
// atomics; the texts and progress values are guarded by one mutex.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launch/run_state.h"
#include "platform/result.h"
#include "shell/message_sink.h"
#include "shell/printer_type.h"

namespace kestrum {

inline constexpr std::string_view kLaunchStatusCaption = "Launch Status";
inline constexpr std::string_view kFinishMessageCaption = "Notification";
inline constexpr std::string_view kJobCompleteText = "Job Complete";

// What the front end does with a status window when its worker finishes.
enum class WindowAction {
    None,           // the window is already gone
    CloseModal,     // close the modal window as its Cancel button does
    RestartWorker,  // persistent window: wait for the old worker to end, PrepareForWorker, start
                    // a new worker, show the main window and hide this one
};

struct FinishAction {
    WindowAction action = WindowAction::None;
    // Shown with the caption "Notification" and an exclamation icon, owned by the window when it
    // still exists. It must not hold up the restart of a persistent window.
    std::optional<Message> message;
    // The persistent window's send is over although no end-of-job notification will come (it
    // was cancelled, failed, or had nothing to send), so the command interface's busy mark must
    // be cleared here, with no "Job Complete": left set, it would refuse every later client for
    // good. Clear it after the restart has called PrepareForWorker, so a client's next send
    // reaches the new worker instead of the stopped one.
    bool clearBusyMark = false;
};

// What the front end does when the user closes the window (Enter, Escape, the close box).
enum class CloseAction { CloseModal, HideAndShowMainWindow };

// Progress and texts, copied out together so a reader never mixes two files.
struct LaunchStatusDisplay {
    std::string caption{kLaunchStatusCaption};
    std::string currentFile;
    std::size_t listPosition = 0;  // 0 for the first entry
    std::size_t listRange = 0;     // number of entries
    std::uint64_t fileBytesSent = 0;
    std::uint64_t fileSize = 100;  // the indicator's range before the first file
};

class LaunchStatus {
  public:
    static constexpr int kStartPauseButton = 1147;
    static constexpr int kCancelButton = 1206;
    static constexpr int kCopiesList = 1157;
    static constexpr int kListOrderButton = 1234;
    static constexpr int kReverseOrderButton = 1235;
    static constexpr int kFileProgress = 1200;
    static constexpr int kListProgress = 1201;
    static constexpr int kCurrentFileLabel = 1203;
    static constexpr int kFolderBox = 1307;
    static constexpr int kCopiesChoices = 100;

    // `persistent`: the launcher's one window for command clients. `folderOptions`: the
    // preference that shows the folder box. The object must outlive its worker: the owner calls
    // OnDestroyed (or Cancel) and joins the worker before destroying it.
    LaunchStatus(bool persistent, bool folderOptions);

    LaunchStatus(const LaunchStatus&) = delete;
    LaunchStatus& operator=(const LaunchStatus&) = delete;

    bool persistent() const { return persistent_; }

    // --- Run state ---

    RunState runState() const { return runState_.load(); }

    // The cell the delivery worker looks at; hand it to the send owner and let only this object
    // (and the send owner's cancel) write it.
    RunStateCell& runStateCell() { return runState_; }

    // UI thread, before every worker is started (at creation and at each restart): the window
    // waits, paused, with the start caption. Done here rather than by the new worker so that a
    // cancel or a destruction that comes before the thread runs is never overwritten. The worker
    // must not set the state itself when it starts.
    void PrepareForWorker();

    // The start/pause button (also pressed by a command client's send): Running becomes Paused,
    // Paused becomes Running. Stopped stays Stopped: a cancel is final for the worker it reached,
    // and a start pressed before the worker has looked must not undo it. Returns the new state.
    RunState ToggleStartPause();

    // The cancel button.
    void Cancel();

    // Worker thread: blocks while the state is Paused and answers Running or Stopped. Wakes at
    // once on every change made through this object, so a pause costs no polling.
    RunState WaitWhilePaused() const;

    // Worker of the persistent window, after a send that went through: back to the paused wait
    // for the next start. A cancel or destruction that came meanwhile stays (and is returned).
    RunState ReturnToWaiting();

    // The start/pause button's caption for the current state.
    std::string_view StartPauseCaption() const;

    // --- Window events (UI thread) ---

    // Every show and hide: back to list order, the folder box unchecked; the box is hidden for
    // any printer type but Velmar.
    void OnShownOrHidden(PrinterType printerType);

    CloseAction OnCloseRequested() const;

    // The window is being destroyed: the worker stops at its next look.
    void OnDestroyed();
    bool destroyed() const { return destroyed_.load(); }

    // --- Choices ---

    // The copies list's items, "1" to "100".
    static std::vector<std::string> CopiesItems();
    // The chosen item, 0 to 99; other values are refused and change nothing.
    Result<void> SetCopiesChoice(int index);
    int copiesChoice() const { return copiesChoice_.load(); }
    // Copies of the whole job, 1 to 100.
    int jobCopies() const { return copiesChoice() + 1; }

    // The order buttons: list order (1234) or reverse order (1235).
    void SetReverseOrder(bool reverse) { reverseOrder_.store(reverse); }
    bool reverseOrder() const { return reverseOrder_.load(); }

    // The folder box: shown and enabled with the folder-options preference until a show for a
    // printer type other than Velmar hides it. Its state is kept but drives nothing yet.
    bool folderBoxShown() const { return folderBoxShown_.load(); }
    void SetFolderBoxChecked(bool checked);
    bool folderBoxChecked() const { return folderBoxChecked_.load(); }

    // Set by the worker while it renders a drawing: the window is disabled and shows the wait
    // cursor.
    void SetBusy(bool busy) { busy_.store(busy); }
    bool busy() const { return busy_.load(); }

    // --- Progress and texts (written by the worker) ---

    void SetPrinterCaption(std::string_view printer);
    void ResetCaption();
    void SetListProgress(std::size_t position, std::size_t range);
    // A new file: its full path for the label, the indicator at 0 of `size`.
    void StartFile(std::string_view path, std::uint64_t size);
    void SetFileBytesSent(std::uint64_t sent);
    // Persistent window after a send: the file indicator back to 0.
    void ResetFileProgress();

    LaunchStatusDisplay display() const;

    // The file indicator in thousandths, for indicators that hold no 64-bit range.
    static int FilePermille(const LaunchStatusDisplay& display);

    // --- End of a send ---

    // The worker is done with this window: with `message` a failure to report, without one a
    // normal end or a cancel. A persistent window's worker calls it only when a send did not go
    // through (after one that did, it returns to waiting and the end-of-job notification
    // follows).
    FinishAction FinishLaunch(std::optional<std::string> message = std::nullopt) const;

  private:
    void StoreRunState(RunState state);

    const bool persistent_;
    RunStateCell runState_{RunState::Stopped};
    std::atomic<bool> destroyed_{false};
    std::atomic<int> copiesChoice_{0};
    std::atomic<bool> reverseOrder_{false};
    std::atomic<bool> folderBoxShown_;
    std::atomic<bool> folderBoxChecked_{false};
    std::atomic<bool> busy_{false};

    mutable std::mutex displayMutex_;
    LaunchStatusDisplay display_;
};

// The launcher's end-of-job notice: "Job Complete", caption "Kestrum", when the end-of-job
// notification preference is on; nothing otherwise.
std::optional<Message> EndOfJobNotice(bool eojNotification);

}  // namespace kestrum
