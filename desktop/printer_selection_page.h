#pragma once

// The printer selection page over the PrinterSelection model: the three printer-type buttons, the
// check list of queues (CUPS queues and hot folders), rebuilt whenever the page is shown or
// hidden, with every check mark saved at once, and a button to the system's printer settings.
// User-interface thread only.

#include <QWidget>
#include <functional>

#include "platform/spooler.h"
#include "shell/message_sink.h"
#include "shell/printer_selection.h"
#include "shell/program_settings.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace kestrum {

class PrinterSelectionPage : public QWidget {
    Q_OBJECT

  public:
    PrinterSelectionPage(PrinterSelection& model, ProgramSettings& settings, Spooler& spooler,
                         MessageSink& messages, QWidget* parent = nullptr);

    // The list from the spooler again, with the stored check marks.
    void Rebuild();
    // The model to the widgets.
    void Push();

    // Opens the system's printer settings: system-config-printer when installed, else the CUPS
    // web interface in the browser. Replaceable for tests; answers whether something started.
    using Launcher = std::function<bool()>;
    void SetSettingsLauncher(Launcher launcher) { launcher_ = std::move(launcher); }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Report(const Result<void>& result);
    void ItemChanged(QListWidgetItem* item);

    PrinterSelection& model_;
    ProgramSettings& settings_;
    Spooler& spooler_;
    MessageSink& messages_;
    Launcher launcher_;
    QRadioButton* generic_ = nullptr;
    QRadioButton* velmar_ = nullptr;
    QRadioButton* oce_ = nullptr;
    QListWidget* queues_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
};

// system-config-printer when it is on the PATH, else the CUPS web interface through the desktop's
// URL handler. False when neither could be started.
bool OpenSystemPrinterSettings();

}  // namespace kestrum
