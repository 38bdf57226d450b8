#include "desktop/send_controller.h"

#include <QMessageBox>

#include "launch/accounting.h"

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

// The worker's observer and message sink. Called on the worker thread only; everything it
// touches is either the thread-safe status model or an atomic of the controller.
class SendController::Reporter final : public DeliveryObserver, public MessageSink {
  public:
    explicit Reporter(SendController& owner) : owner_(owner) {}

    void DrawingRendering(const std::string& path) override {
        owner_.status_.SetBusy(true);
        owner_.status_.StartFile(path, 0);
        const QString text = QString::fromStdString(path);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->DrawingRendering(text); }, Qt::QueuedConnection);
        owner_.Announce(true);
    }
    void PrinterStarted(const std::string& printer) override {
        owner_.status_.SetBusy(false);
        owner_.status_.SetPrinterCaption(printer);
        const QString text = QString::fromStdString(printer);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->PrinterStarted(text); }, Qt::QueuedConnection);
        owner_.Announce(true);
    }
    void ListProgress(std::size_t position, std::size_t count) override {
        owner_.status_.SetListProgress(position, count);
        owner_.Announce(true);
    }
    void FileStarted(const std::string& path, std::uint64_t size) override {
        owner_.status_.StartFile(path, size);
        owner_.Announce(true);
    }
    void FileProgress(std::uint64_t sent, std::uint64_t size) override {
        owner_.status_.SetFileBytesSent(sent);
        owner_.Announce(sent >= size);
    }
    void PrinterFinished(const std::string& printer, std::uint64_t /*bytes*/) override {
        const QString text = QString::fromStdString(printer);
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, text] { emit o->PrinterFinished(text); }, Qt::QueuedConnection);
    }

    void Show(const Message& message) override { owner_.ShowFromWorker(message); }

  private:
    SendController& owner_;
};

// Accounting needs a writer, a sleeper and the ticket for the whole send.
struct AccountingParts {
    SystemSleeper sleeper;
    JobTicket ticket;
    std::unique_ptr<AccountingWriter> writer;
};

SendController::SendController(LaunchStatus& status, SendServices services, RequestSource source,
                               QObject* parent)
    : QObject(parent),
      status_(status),
      services_(services),
      source_(std::move(source)),
      reporter_(std::make_unique<Reporter>(*this)) {
    qRegisterMetaType<kestrum::FinishAction>();
    status_.PrepareForWorker();
}

SendController::~SendController() {
    Stop();
}

void SendController::ToggleStartPause() {
    const RunState state = status_.ToggleStartPause();
    emit RunStateChanged(static_cast<int>(state));
    if (state == RunState::Running && !thread_.joinable()) StartWorker();
}

void SendController::Cancel() {
    status_.Cancel();
    messageAnswered_.notify_all();
    emit RunStateChanged(static_cast<int>(RunState::Stopped));
    // Without a worker nobody else will end the send.
    if (!thread_.joinable()) emit Finished(status_.FinishLaunch(), false);
}

void SendController::Stop() {
    status_.OnDestroyed();
    messageAnswered_.notify_all();
    if (thread_.joinable()) thread_.join();
    worker_.reset();
    accounting_.reset();
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
    DeliverySettings settings = request->settings;
    settings.jobCopies = status_.jobCopies();
    settings.reverseOrder = status_.reverseOrder();
    status_.SetListProgress(0, request->entries.size());

    worker_ = std::make_unique<DeliveryWorker>(
        *services_.spooler, std::move(request->state), std::move(request->entries), settings,
        status_.runStateCell(), *reporter_, *reporter_, *services_.clock);
    if (services_.renderer != nullptr) worker_->SetDrawingRenderer(services_.renderer);
    if (settings.jobTicket) {
        accounting_ = std::make_unique<AccountingParts>();
        accounting_->ticket = request->ticket;
        accounting_->writer = std::make_unique<AccountingWriter>(
            request->accountFile, *reporter_, *services_.clock, accounting_->sleeper);
        worker_->SetAccountingHook(
            [parts = accounting_.get()](std::span<const PlotFileEntry> sendList, int copies,
                                        SpoolJob& job) {
                return parts->writer->WriteAccounting(parts->ticket, sendList, copies, job).ok();
            });
    }
    thread_ = std::thread([this] {
        const DeliveryResult result = worker_->Run();
        QMetaObject::invokeMethod(
            this, [this, result] { OnWorkerEnded(result); }, Qt::QueuedConnection);
    });
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
    if (thread_.joinable()) thread_.join();
    worker_.reset();
    accounting_.reset();
    status_.SetBusy(false);
    status_.ResetCaption();
    if (result.outcome == DeliveryOutcome::Completed) {
        if (status_.persistent()) {
            // Back to the paused wait; the end-of-job notification clears the busy mark.
            status_.ReturnToWaiting();
            status_.ResetFileProgress();
            FinishAction action;
            action.action = status_.destroyed() ? WindowAction::None : WindowAction::RestartWorker;
            emit DisplayChanged();
            emit Finished(action, true);
            return;
        }
        emit DisplayChanged();
        emit Finished(status_.FinishLaunch(), true);
        return;
    }
    std::optional<std::string> message;
    if (result.outcome == DeliveryOutcome::Failed && !result.finishMessage.empty()) {
        message = result.finishMessage;
    }
    emit DisplayChanged();
    emit Finished(status_.FinishLaunch(std::move(message)), false);
}

}  // namespace kestrum
