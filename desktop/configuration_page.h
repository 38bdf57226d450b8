#pragma once

// The configuration file page: the configurations of the configuration folder, the current file,
// New, Open, Save and Save As over the ConfigurationManager, and sending the configuration alone
// (a controller header in device mode, a queue script in KSL mode) with its kind and set-current
// controls. User-interface thread only.

#include <QWidget>
#include <functional>
#include <string>

#include "config/configuration_manager.h"
#include "config/option_state.h"
#include "platform/clock.h"
#include "platform/spooler.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace kestrum {

class ConfigurationPage : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kNewButton = 1062;
    static constexpr int kOpenButton = 1063;
    static constexpr int kSaveButton = 1064;
    static constexpr int kSaveAsButton = 1065;
    static constexpr int kNameDisplay = 1067;
    static constexpr int kGeneralRadio = 1074;
    static constexpr int kQueueRadio = 1075;
    static constexpr int kSetCurrentBox = 1076;
    static constexpr int kSendButton = 1077;

    // Holds references to everything; all must outlive the page.
    ConfigurationPage(ConfigurationManager& manager, OptionState& state, ProgramSettings& settings,
                      Spooler& spooler, const Clock& clock, MessageSink& messages,
                      QWidget* parent = nullptr);

    // The queue a send goes to; the settings' printer by default.
    void SetPrinterSource(std::function<std::string()> source) {
        printerSource_ = std::move(source);
    }

    // File dialogs, replaceable so tests can answer them. An empty path: cancelled.
    using FileQuestion = std::function<QString(const QString& folder, const QString& name)>;
    void SetFileQuestions(FileQuestion open, FileQuestion save);

    // The manager's state to the widgets, and the folder's files listed again.
    void Refresh();
    // The output mode changed: in device mode the queue-script controls are off.
    void ApplyOutputMode(OutputMode mode);

    void New();
    void Open();
    void Save();
    void SaveAs();
    void Send();

  signals:
    // Before a save or a send: every page takes what its widgets hold into the option values.
    void ExportRequested();
    // After New or Open: every page shows the values again.
    void ValuesChanged();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FillFileList();
    void OpenFromList(QListWidgetItem* item);
    void OpenFile(const std::string& path);

    ConfigurationManager& manager_;
    OptionState& state_;
    ProgramSettings& settings_;
    Spooler& spooler_;
    const Clock& clock_;
    MessageSink& messages_;
    std::function<std::string()> printerSource_;
    FileQuestion askOpen_;
    FileQuestion askSave_;

    QLineEdit* name_ = nullptr;
    QListWidget* files_ = nullptr;
    QRadioButton* general_ = nullptr;
    QRadioButton* queue_ = nullptr;
    QCheckBox* setCurrent_ = nullptr;
};

}  // namespace kestrum
