#pragma once

// The command interface of the running program: the core's command session over the launcher
// and its persistent launch status window, served on the session bus while the launcher exists.
// It reports the end of every send of the persistent window to the session (the busy mark) and
// to the bus clients (JobEnded).
//
// User-interface thread only.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "desktop/launch_list_service.h"
#include "launch/command_session.h"
#include "shell/message_sink.h"
#include "shell/printer_selection.h"

namespace kestrum {

class LauncherWindow;

// What a command client asks of the launcher.
class LauncherCommandHost final : public CommandHost {
  public:
    // `withoutPrinter` is called, instead of starting, when no printer is checked.
    LauncherCommandHost(LauncherWindow& launcher, const PrinterSelection& printers,
                        std::function<void()> withoutPrinter)
        : launcher_(launcher), printers_(printers), withoutPrinter_(std::move(withoutPrinter)) {}

    void ShowLaunchDialog() override;
    void StartSend() override;
    bool LocalSendRunning() const override;

  private:
    LauncherWindow& launcher_;
    const PrinterSelection& printers_;
    std::function<void()> withoutPrinter_;
};

class CommandInterface : public QObject {
    Q_OBJECT

  public:
    // The launcher, its list and the printer selection must outlive the interface.
    CommandInterface(LaunchList& list, LauncherWindow& launcher, const PrinterSelection& printers,
                     QObject* parent = nullptr);
    ~CommandInterface() override;

    // Serves the interface on `bus`. When the name cannot be owned the program runs without it:
    // `messages` is told so once, and the answer is false.
    bool Open(QDBusConnection bus, MessageSink& messages);

    CommandSession& session() { return session_; }
    LaunchListService& service() { return *service_; }

  private:
    void OnPersistentFinished(const FinishAction& action, bool completed);
    void EndSendWithoutPrinter();

    LaunchList& list_;
    LauncherWindow& launcher_;
    LauncherCommandHost host_;
    CommandSession session_;
    std::unique_ptr<LaunchListService> service_;
    QTimer refresh_;
};

}  // namespace kestrum
