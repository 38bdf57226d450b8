#pragma once

// The launch status window: where a send is started, paused, cancelled and watched. A modal one
// serves one send from the launcher's send button; the launcher's one persistent window serves
// the sends command clients start, and hides itself (showing the main window) after each.
//
// The window mirrors its LaunchStatus model; SendController owns the worker. User-interface
// thread only.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "desktop/send_controller.h"
#include "launch/launch_status.h"
#include "shell/printer_type.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kestrum {

class LaunchStatusWindow : public QDialog {
    Q_OBJECT

  public:
    // Read at every show and hide: the printer type decides whether the folder box may show.
    using PrinterTypeSource = std::function<PrinterType()>;

    LaunchStatusWindow(bool persistent, bool folderOptions, SendServices services,
                       SendController::RequestSource source, PrinterTypeSource printerType,
                       QWidget* parent = nullptr);
    // Stops a running send at its next look and waits for the worker to end.
    ~LaunchStatusWindow() override;

    LaunchStatus& status() { return status_; }
    SendController& controller() { return *controller_; }

    // The start/pause button; also what a command client's send invokes.
    void ToggleStartPause();
    // A command client's "show the window": emits ShowMainWindowRequested(false) and shows it.
    void ShowPersistent();

    // The failure of the last send of the persistent window, kept for the command interface;
    // empty after a send that went through.
    const std::optional<Message>& lastFailure() const { return lastFailure_; }

    // One printer's final outcome, under the line that says its job was handed to the spooler.
    // Cleared when the window is shown again.
    void ShowJobOutcome(const QString& text);
    QString jobOutcomes() const;

  signals:
    // Persistent window: show (true) or hide (false) the main window.
    void MainWindowVisibilityRequested(bool show);
    // The end-of-job notification: every printer's job was handed to the spooler.
    void JobCompleted();
    // Persistent window: its send ended without an end-of-job notification (cancel, failure,
    // nothing to send); the command interface's busy mark must be cleared.
    void BusyMarkReleased();
    // Persistent window: a send failed. The window hides, so the main window shows it.
    void SendFailed(const kestrum::Message& message);
    // A printer's job was handed to the spooler; for the main window's status bar.
    void HandedToSpooler(const QString& printer);
    // Every job the send ended, so what the printers make of them can be followed.
    void JobsEnded(const std::vector<kestrum::DeliveryResult::EndedJob>& jobs);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  public slots:
    // Enter, Escape and the close box: a modal window closes, the persistent one hides.
    void reject() override;
    void accept() override;

  private:
    void Build();
    void ShownOrHidden();
    void ShowDisplay();
    void ShowRunState();
    void OnFinished(const FinishAction& action, bool completed);
    void CloseRequested();

    LaunchStatus status_;
    PrinterTypeSource printerType_;
    std::unique_ptr<SendController> controller_;
    std::optional<Message> lastFailure_;

    QPushButton* startPause_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QComboBox* copies_ = nullptr;
    QRadioButton* listOrder_ = nullptr;
    QRadioButton* reverseOrder_ = nullptr;
    QProgressBar* fileProgress_ = nullptr;
    QProgressBar* listProgress_ = nullptr;
    QLabel* currentFile_ = nullptr;
    QCheckBox* folderBox_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QLabel* handedLine_ = nullptr;
    QLabel* outcomeLines_ = nullptr;
};

}  // namespace kestrum

Q_DECLARE_METATYPE(kestrum::Message)
