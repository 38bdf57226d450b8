#include "desktop/configuration_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/icons.h"
#include "desktop/page_binder.h"
#include "desktop/ui_text.h"
#include "launch/configuration_sender.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

QPushButton* Button(QWidget* owner, int id, int text, const char* theme, const char* fallback) {
    auto* button = new QPushButton(ThemeIcon(theme, fallback), UiText(text), owner);
    SetControlId(button, id);
    return button;
}

// Remembers whether the queue could not be opened: the only failure of a send not told already.
class OpenWatch final : public Spooler {
  public:
    explicit OpenWatch(Spooler& inner) : inner_(inner) {}
    Result<std::vector<PrinterQueue>> Printers() override { return inner_.Printers(); }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        auto opened = inner_.OpenPrintJob(printer);
        openFailed = !opened;
        return opened;
    }
    bool openFailed = false;

  private:
    Spooler& inner_;
};

}  // namespace

ConfigurationPage::ConfigurationPage(ConfigurationManager& manager, OptionState& state,
                                     ProgramSettings& settings, Spooler& spooler,
                                     const Clock& clock, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      manager_(manager),
      state_(state),
      settings_(settings),
      spooler_(spooler),
      clock_(clock),
      messages_(messages) {
    setObjectName(QStringLiteral("configurationPage"));
    printerSource_ = [this] { return settings_.printerName; };
    const QString filter = UiText(rid::kDeskConfigFilter);
    askOpen_ = [this, filter](const QString& folder, const QString&) {
        return QFileDialog::getOpenFileName(this, UiText(rid::kDeskConfigOpen).remove('&'), folder,
                                            filter);
    };
    askSave_ = [this, filter](const QString&, const QString& name) {
        QFileDialog dialog(this, UiText(rid::kDeskConfigSaveAs).remove('&'), name, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("cfg"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };

    auto* layout = new QVBoxLayout(this);

    auto* fileBox = new QGroupBox(UiText(rid::kDeskConfigGroupFile));
    auto* fileLayout = new QVBoxLayout(fileBox);
    auto* form = new QFormLayout;
    name_ = new QLineEdit;
    name_->setReadOnly(true);
    SetControlId(name_, kNameDisplay);
    auto* nameLabel = new QLabel(UiText(rid::kDeskConfigCurrentLabel));
    nameLabel->setBuddy(name_);
    form->addRow(nameLabel, name_);
    fileLayout->addLayout(form);
    auto* commands = new QHBoxLayout;
    QPushButton* newButton =
        Button(this, kNewButton, rid::kDeskConfigNew, "document-new", "document-new");
    QPushButton* openButton =
        Button(this, kOpenButton, rid::kDeskConfigOpen, "document-open", "document-open");
    QPushButton* saveButton =
        Button(this, kSaveButton, rid::kDeskConfigSave, "document-save", "document-save");
    QPushButton* saveAsButton =
        Button(this, kSaveAsButton, rid::kDeskConfigSaveAs, "document-save-as", "document-save-as");
    for (QPushButton* b : {newButton, openButton, saveButton, saveAsButton}) commands->addWidget(b);
    commands->addStretch(1);
    fileLayout->addLayout(commands);
    layout->addWidget(fileBox);

    auto* listBox = new QGroupBox(UiText(rid::kDeskConfigFilesGroup));
    auto* listLayout = new QVBoxLayout(listBox);
    files_ = new QListWidget;
    files_->setObjectName(QStringLiteral("configurationFiles"));
    files_->setAccessibleName(UiText(rid::kDeskConfigFilesGroup));
    listLayout->addWidget(files_);
    layout->addWidget(listBox, 1);

    auto* sendBox = new QGroupBox(UiText(rid::kDeskConfigSendGroup));
    auto* sendLayout = new QVBoxLayout(sendBox);
    general_ = new QRadioButton(UiText(rid::kDeskConfigGeneral));
    queue_ = new QRadioButton(UiText(rid::kDeskConfigQueue));
    SetControlId(general_, kGeneralRadio);
    SetControlId(queue_, kQueueRadio);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(general_);
    kinds->addButton(queue_);
    setCurrent_ = new QCheckBox(UiText(rid::kDeskConfigSetCurrent));
    SetControlId(setCurrent_, kSetCurrentBox);
    QPushButton* sendButton =
        Button(this, kSendButton, rid::kDeskConfigSend, "document-send", "document-send");
    sendLayout->addWidget(general_);
    sendLayout->addWidget(queue_);
    sendLayout->addWidget(setCurrent_);
    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(sendButton);
    sendRow->addStretch(1);
    sendLayout->addLayout(sendRow);
    layout->addWidget(sendBox);

    connect(newButton, &QPushButton::clicked, this, &ConfigurationPage::New);
    connect(openButton, &QPushButton::clicked, this, &ConfigurationPage::Open);
    connect(saveButton, &QPushButton::clicked, this, &ConfigurationPage::Save);
    connect(saveAsButton, &QPushButton::clicked, this, &ConfigurationPage::SaveAs);
    connect(sendButton, &QPushButton::clicked, this, &ConfigurationPage::Send);
    connect(general_, &QRadioButton::clicked, this,
            [this] { manager_.SetKind(ConfigurationKind::General); });
    connect(queue_, &QRadioButton::clicked, this,
            [this] { manager_.SetKind(ConfigurationKind::Queue); });
    connect(setCurrent_, &QCheckBox::clicked, this,
            [this](bool on) { manager_.SetSetCurrentFlag(on); });
    connect(files_, &QListWidget::itemActivated, this, &ConfigurationPage::OpenFromList);

    ApplyOutputMode(settings_.outputMode);
    Refresh();
}

void ConfigurationPage::SetFileQuestions(FileQuestion open, FileQuestion save) {
    askOpen_ = std::move(open);
    askSave_ = std::move(save);
}

void ConfigurationPage::Refresh() {
    name_->setText(ToQString(manager_.currentConfiguration()));
    const bool general = state_.values.kind == ConfigurationKind::General;
    general_->setChecked(general);
    queue_->setChecked(!general);
    setCurrent_->setChecked(state_.values.setCurrentFlag != 0);
    if (isVisible()) FillFileList();
}

void ConfigurationPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FillFileList();
}

void ConfigurationPage::FillFileList() {
    files_->clear();
    const QDir folder(ToQString(settings_.configFilesFolder));
    const QStringList names = folder.entryList({QStringLiteral("*.cfg"), QStringLiteral("*.CFG")},
                                               QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(ThemeIcon("text-x-generic", "configuration"), name);
        item->setData(Qt::UserRole, folder.absoluteFilePath(name));
        files_->addItem(item);
    }
}

void ConfigurationPage::ApplyOutputMode(OutputMode mode) {
    const bool ksl = mode == OutputMode::Ksl;
    general_->setEnabled(ksl);
    queue_->setEnabled(ksl);
    if (!ksl) manager_.ApplyDeviceMode();
    Refresh();
}

void ConfigurationPage::New() {
    manager_.New();
    Refresh();
    emit ValuesChanged();
}

void ConfigurationPage::Open() {
    const QString path = askOpen_(ToQString(settings_.configFilesFolder), QString());
    if (path.isEmpty()) return;
    OpenFile(path.toStdString());
}

void ConfigurationPage::OpenFromList(QListWidgetItem* item) {
    if (item == nullptr) return;
    OpenFile(item->data(Qt::UserRole).toString().toStdString());
}

void ConfigurationPage::OpenFile(const std::string& path) {
    // A folder or an unreadable file is refused with every value left as it was.
    if (Result<void> opened = manager_.Open(path); !opened) {
        ShowError(messages_, opened.error(), MessageIcon::Exclamation);
        return;
    }
    Refresh();
    emit ValuesChanged();
}

void ConfigurationPage::Save() {
    emit ExportRequested();
    Result<ConfigurationManager::SaveOutcome> saved = manager_.Save();
    if (!saved) {
        ShowError(messages_, saved.error(), MessageIcon::Stop);
    } else if (saved.value() == ConfigurationManager::SaveOutcome::NeedsName) {
        SaveAs();
        return;
    }
    Refresh();
}

void ConfigurationPage::SaveAs() {
    emit ExportRequested();
    const QString path = askSave_(ToQString(settings_.configFilesFolder),
                                  ToQString(manager_.currentConfiguration()));
    if (path.isEmpty()) return;
    if (Result<void> saved = manager_.SaveAs(path.toStdString()); !saved) {
        ShowError(messages_, saved.error(), MessageIcon::Stop);
    }
    Refresh();
}

void ConfigurationPage::Send() {
    emit ExportRequested();
    const std::string printer = printerSource_ ? printerSource_() : std::string();
    if (printer.empty()) {
        messages_.Show(MakeMessage(rid::kDeskConfigNoPrinter, MessageIcon::Exclamation));
        return;
    }
    OpenWatch spooler(spooler_);
    ConfigurationSender sender(state_, settings_, spooler, messages_, clock_);
    setCursor(Qt::WaitCursor);
    const Result<void> sent = sender.Send(printer);
    unsetCursor();
    // Every failure but an unopened queue has been told already. An unopened queue is told too:
    // a send that silently does nothing reads as a send that worked.
    if (!sent && spooler.openFailed) {
        messages_.Show(MakeMessage(rid::kDeskConfigOpenFailed, MessageIcon::Exclamation,
                                   sent.error().message));
    }
}

}  // namespace kestrum
