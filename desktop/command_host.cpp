#include "desktop/command_host.h"

#include "desktop/launcher_window.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

void LauncherCommandHost::ShowLaunchDialog() {
    launcher_.ShowPersistentWindow();
}

void LauncherCommandHost::StartSend() {
    // The persistent window would go through the list with no printer to send to and end
    // "completed" having sent nothing.
    if (printers_.CheckedPrinters().empty()) {
        withoutPrinter_();
        return;
    }
    launcher_.SetBusy(true);
    launcher_.persistentWindow().ToggleStartPause();
}

bool LauncherCommandHost::LocalSendRunning() const {
    return launcher_.localSendRunning();
}

CommandInterface::CommandInterface(LaunchList& list, LauncherWindow& launcher,
                                   const PrinterSelection& printers, QObject* parent)
    : QObject(parent),
      list_(list),
      launcher_(launcher),
      // Ended from the event loop, so the client has its acknowledgement before the job's end.
      host_(launcher, printers,
            [this] { QTimer::singleShot(0, this, &CommandInterface::EndSendWithoutPrinter); }),
      session_(list, host_),
      service_(std::make_unique<LaunchListService>(session_)) {
    // Connected after the window's own handler, so a restarted worker is ready before the busy
    // mark lets the next client send.
    connect(&launcher_.persistentWindow().controller(), &SendController::Finished, this,
            &CommandInterface::OnPersistentFinished);
    // Entries added by a client show in the launcher soon; a burst of pokes shows once, not once
    // per entry.
    refresh_.setSingleShot(true);
    refresh_.setInterval(50);
    connect(&refresh_, &QTimer::timeout, &launcher_, &LauncherWindow::Refresh);
    connect(service_.get(), &LaunchListService::ListChanged, &refresh_,
            [this] { refresh_.start(); });
}

CommandInterface::~CommandInterface() = default;

bool CommandInterface::Open(QDBusConnection bus, MessageSink& messages) {
    QString reason;
    if (service_->Register(bus, reason)) return true;
    std::string text(LoadResourceString(rid::kDdeStartFailedMessage));
    if (!reason.isEmpty()) text += "\n\n" + reason.toStdString();
    messages.Show(Message{rid::kDdeStartFailedMessage, text, "Kestrum", MessageIcon::Exclamation});
    return false;
}

void CommandInterface::EndSendWithoutPrinter() {
    FinishAction ended;
    ended.clearBusyMark = true;
    session_.SendEnded(ended);
    launcher_.SetBusy(false);
    const std::string_view reason = LoadResourceString(rid::kNoPrinterText);
    service_->AnnounceJobEnd(
        QStringLiteral("failed"),
        QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())));
}

void CommandInterface::OnPersistentFinished(const FinishAction& action, bool completed) {
    if (completed) {
        session_.EndOfJob();
        launcher_.SetBusy(false);
        service_->AnnounceJobEnd(QStringLiteral("completed"), QString());
        return;
    }
    // Every other end clears the busy mark too: left set, one failed send would refuse every
    // later client until the program restarts.
    FinishAction ended = action;
    ended.clearBusyMark = true;
    session_.SendEnded(ended);
    launcher_.SetBusy(false);
    if (action.message) {
        service_->AnnounceJobEnd(QStringLiteral("failed"),
                                 QString::fromStdString(action.message->text));
    } else if (!list_.CanSend()) {
        service_->AnnounceJobEnd(QStringLiteral("nothing"), QString());
    } else {
        service_->AnnounceJobEnd(QStringLiteral("cancelled"), QString());
    }
}

}  // namespace kestrum
