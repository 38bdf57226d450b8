#include "desktop/send_controller.h"

#include <QMessageBox>

#include <type_traits>

namespace kestrum {

namespace {

// About thirty announcements a second keep the bars moving smoothly without flooding the event
// queue: a 1 GiB file is two million 512-byte pieces.
constexpr std::chrono::nanoseconds kAnnouncementInterval = std::chrono::milliseconds(33);

std::int64_t SteadyNow() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

// The reports after the status feed has written them into the model. Called on the send's
// thread only; everything it touches is an atomic of the controller or a queued call.
class SendController::Reporter final : public DeliveryObserver {
  public:
    explicit Reporter(SendController& owner) : owner_(owner) {}

    void DrawingRendering(const std::string& path) override {
        const QString text = QString::fromStdString(path);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->DrawingRendering(text); }, Qt::QueuedConnection);
        owner_.Announce(true);
    }
    void PrinterStarted(const std::string& printer) override {
        const QString text = QString::fromStdString(printer);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->PrinterStarted(text); }, Qt::QueuedConnection);
        owner_.Announce(true);
    }
    void ListProgress(std::size_t, std::size_t) override { owner_.Announce(true); }
    void FileStarted(const std::string&, std::uint64_t) override { owner_.Announce(true); }
    void FileProgress(std::uint64_t sent, std::uint64_t size) override {
        owner_.Announce(sent >= size);
    }
    void PrinterFinished(const std::string& printer, std::uint64_t) override {
        const QString text = QString::fromStdString(printer);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->PrinterFinished(text); }, Qt::QueuedConnection);
    }
    void ShowMessage(const Message& message) override { owner_.ShowFromWorker(message); }
    void SendFinished(const DeliveryResult& result) override {
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, result] { o->OnWorkerEnded(result); }, Qt::QueuedConnection);
    }

  private:
    SendController& owner_;
};

SendController::SendController(LaunchStatus& status, SendServices services, RequestSource source,
                               QObject* parent)
    : QObject(parent),
      status_(status),
      services_(services),
      source_(std::move(source)),
      reporter_(std::make_unique<Reporter>(*this)),
      feed_(std::make_unique<LaunchStatusFeed>(status, *reporter_)) {
    qRegisterMetaType<kestrum::FinishAction>();
    status_.PrepareForWorker();
}

SendController::~SendController() {
    Stop();
}

void SendController::ToggleStartPause() {
    const RunState state = status_.ToggleStartPause();
    emit RunStateChanged(static_cast<int>(state));
    if (state == RunState::Running && !run_) StartWorker();
}

void SendController::Cancel() {
    status_.Cancel();
    messageAnswered_.notify_all();
    emit RunStateChanged(static_cast<int>(RunState::Stopped));
    // Without a send nobody else will end it.
    if (!run_) emit Finished(status_.FinishLaunch(), false);
}

void SendController::Stop() {
    status_.OnDestroyed();
    messageAnswered_.notify_all();
    // The send owner cancels a send still under way and joins its thread.
    run_.reset();
}

void SendController::Rearm() {
    status_.PrepareForWorker();
    emit RunStateChanged(static_cast<int>(status_.runState()));
}

void SendController::StartWorker() {
    std::optional<SendRequest> request = source_ ? source_() : std::nullopt;
    if (!request || services_.spooler == nullptr || services_.clock == nullptr) {
        status_.Cancel();
        emit Finished(status_.FinishLaunch(), false);
        return;
    }
    status_.SetListProgress(0, request->entries.size());

    // The services outlive the controller (see SendServices): the send owner borrows them.
    const auto borrowed = [](auto* service) {
        using T = std::remove_pointer_t<decltype(service)>;
        return std::shared_ptr<T>(service, [](T*) {});
    };
    DeliveryRequest delivery;
    delivery.entries = std::move(request->entries);
    delivery.settings = request->settings;
    delivery.settings.jobCopies = status_.jobCopies();
    delivery.settings.reverseOrder = status_.reverseOrder();
    delivery.state = std::move(request->state);
    delivery.spooler = borrowed(services_.spooler);
    if (services_.renderer != nullptr) delivery.renderer = borrowed(services_.renderer);
    delivery.accountFile = request->accountFile;
    delivery.ticket = request->ticket;
    delivery.clock = borrowed(services_.clock);
    run_ = std::make_unique<DeliveryRun>(std::move(delivery), *feed_, &status_.runStateCell());
    run_->Start();
}

void SendController::Announce(bool force) {
    const std::int64_t now = SteadyNow();
    if (!force && now - lastAnnouncement_.load() < kAnnouncementInterval.count()) return;
    // One announcement in flight at a time: the handler reads the newest values when it runs.
    if (announcementPending_.exchange(true)) return;
    lastAnnouncement_.store(now);
    QMetaObject::invokeMethod(
        this, [this] { OnAnnounced(); }, Qt::QueuedConnection);
}

void SendController::OnAnnounced() {
    // Cleared before the model is read, so a report stored after this point announces again.
    announcementPending_.store(false);
    ++progressAnnouncements_;
    emit DisplayChanged();
}

void SendController::ShowFromWorker(const Message& message) {
    auto answered = std::make_shared<std::atomic<bool>>(false);
    QMetaObject::invokeMethod(
        this, [this, message, answered] { OnMessage(message, answered); }, Qt::QueuedConnection);
    std::unique_lock lock(messageMutex_);
    // Polled as well as signalled: a cancel changes the run state without this mutex.
    while (!answered->load() && status_.runState() != RunState::Stopped) {
        messageAnswered_.wait_for(lock, std::chrono::milliseconds(50));
    }
}

void SendController::OnMessage(const Message& message,
                               std::shared_ptr<std::atomic<bool>> answered) {
    // Not modal: the status window's Cancel must stay usable while the message is read.
    auto* box = new QMessageBox(BoxIcon(message.icon), QString::fromStdString(message.caption),
                                QString::fromStdString(message.text), QMessageBox::Ok,
                                messageParent_.data());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    ++openMessages_;
    connect(box, &QMessageBox::finished, this, [this, answered] {
        --openMessages_;
        {
            std::lock_guard lock(messageMutex_);
            answered->store(true);
        }
        messageAnswered_.notify_all();
    });
    box->show();
}

void SendController::OnWorkerEnded(DeliveryResult result) {
    // The feed has already put the model back (caption, busy mark, a persistent window's wait).
    if (run_) run_->Wait();
    run_.reset();
    emit DisplayChanged();
    if (!result.endedJobs.empty()) emit JobsEnded(result.endedJobs);
    if (result.outcome == DeliveryOutcome::Completed && status_.persistent()) {
        // Back to the paused wait; the end-of-job notification clears the busy mark.
        FinishAction action;
        action.action = status_.destroyed() ? WindowAction::None : WindowAction::RestartWorker;
        emit Finished(action, true);
        return;
    }
    emit Finished(LaunchStatusFeed::EndOfSend(status_, result),
                  result.outcome == DeliveryOutcome::Completed);
}

}  // namespace kestrum
