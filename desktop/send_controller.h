#pragma once

// Every line that starts, watches or stops a send from a launch status window lives here, so
// the window itself only mirrors its LaunchStatus model.
//
// The send owner (launch/delivery_run) is made when the user first starts the send, from a request
// taken on the user-interface thread at that moment: a persistent window may wait for hours while
// command clients change the list, and must send the list as it stands when it is started. Until
// then the window waits, paused, exactly as if a worker were polling it.
//
// Threads. The controller lives on the user-interface thread. The send runs on the send owner's
// thread; its reports reach the LaunchStatus model (thread-safe) through the status feed and are
// announced to the user-interface thread as queued calls, at most about thirty a second with the
// final position of each file always announced. A message the worker must show is handed to the
// user-interface thread; the worker waits for it to be closed, or for the send to be stopped, so
// Cancel works while the message is open.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/option_state.h"
#include "launch/delivery_run.h"
#include "launch/delivery_worker.h"
#include "launch/job_ticket.h"
#include "launch/launch_status.h"
#include "launch/launch_status_feed.h"
#include "platform/clock.h"
#include "platform/spooler.h"

namespace kestrum {

// What one send needs, copied on the user-interface thread when the send starts.
struct SendRequest {
    OptionState state;
    std::vector<PlotFileEntry> entries;
    // Printers, printer type, output mode, collated mode and the accounting switch; the copies
    // and the order are taken from the status window.
    DeliverySettings settings;
    std::string accountFile;  // used only when settings.jobTicket is on
    JobTicket ticket;
};

// The services a send uses; they must outlive the controller.
struct SendServices {
    Spooler* spooler = nullptr;
    const Clock* clock = nullptr;
    DrawingRenderer* renderer = nullptr;  // null: drawings go out as they are
};

class SendController : public QObject {
    Q_OBJECT

  public:
    // Takes the request when the send starts; nothing (the list is gone) ends the send at once.
    using RequestSource = std::function<std::optional<SendRequest>()>;

    // `status` must outlive the controller. Arms the status for its first send.
    SendController(LaunchStatus& status, SendServices services, RequestSource source,
                   QObject* parent = nullptr);
    // Stops the send at its next look and waits for the worker thread to end.
    ~SendController() override;

    // The window's message boxes are owned by this widget.
    void SetMessageParent(QWidget* parent) { messageParent_ = parent; }

    // The start/pause button (also a command client's send). The first start takes the request
    // and starts the worker.
    void ToggleStartPause();
    // The cancel button: the worker stops at its next look; a send not yet started ends now.
    void Cancel();
    // The window is going away: stop and wait for the worker (blocks until it has ended).
    void Stop();
    // Persistent window, after a finished send: back to the paused wait for the next start.
    void Rearm();

    bool workerRunning() const { return run_ != nullptr; }
    // How many progress announcements reached the user-interface thread: bounded however large
    // the file.
    int progressAnnouncements() const { return progressAnnouncements_; }
    // Messages of the worker that are open now.
    int openMessages() const { return openMessages_; }

  signals:
    // The model's display changed (progress, file, caption, busy); read LaunchStatus::display().
    void DisplayChanged();
    void RunStateChanged(int runState);
    void DrawingRendering(const QString& path);
    void PrinterStarted(const QString& printer);
    // The printer's job was handed to the spooler whole.
    void PrinterFinished(const QString& printer);
    // The send is over. `action` says what the window does; a given message is to be shown.
    // `completed`: every printer's job went out (the end-of-job notification follows).
    void Finished(const kestrum::FinishAction& action, bool completed);
    // Every job the send ended, whatever its outcome, just before Finished: what the printers
    // make of them is followed from here.
    void JobsEnded(const std::vector<kestrum::DeliveryResult::EndedJob>& jobs);

  private:
    class Reporter;
    friend class Reporter;

    // Worker thread.
    void Announce(bool force);
    void ShowFromWorker(const Message& message);
    // User-interface thread.
    void OnAnnounced();
    void OnMessage(const Message& message, std::shared_ptr<std::atomic<bool>> answered);
    void OnWorkerEnded(DeliveryResult result);
    void StartWorker();

    LaunchStatus& status_;
    SendServices services_;
    RequestSource source_;
    QPointer<QWidget> messageParent_;

    std::unique_ptr<Reporter> reporter_;
    std::unique_ptr<LaunchStatusFeed> feed_;
    std::unique_ptr<DeliveryRun> run_;

    std::atomic<bool> announcementPending_{false};
    std::atomic<std::int64_t> lastAnnouncement_{0};  // steady-clock nanoseconds
    int progressAnnouncements_ = 0;
    int openMessages_ = 0;

    std::mutex messageMutex_;
    std::condition_variable messageAnswered_;
};

}  // namespace kestrum

Q_DECLARE_METATYPE(kestrum::FinishAction)
