#include "desktop/preferences_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <memory>

#include "desktop/icons.h"
#include "desktop/page_binder.h"
#include "desktop/ui_text.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

template <typename W>
W* Control(int id, int text) {
    auto* widget = new W(UiText(text));
    SetControlId(widget, id);
    return widget;
}

QGroupBox* Pair(int title, QRadioButton* a, QRadioButton* b) {
    auto* box = new QGroupBox(UiText(title));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(a);
    layout->addWidget(b);
    auto* group = new QButtonGroup(box);
    group->addButton(a);
    group->addButton(b);
    return box;
}

}  // namespace

PreferencesPage::PreferencesPage(Preferences& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("preferencesPage"));
    askAccountFile_ = [this](const QString& current) {
        QFileDialog dialog(this, UiText(rid::kDeskPrefsAccountTitle), current,
                           UiText(rid::kDeskPrefsAccountFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("dat"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.selectFile(current);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };

    device_ = Control<QRadioButton>(Preferences::kDeviceButton, rid::kDeskPrefsDevice);
    ksl_ = Control<QRadioButton>(Preferences::kKslButton, rid::kDeskPrefsKsl);
    metric_ = Control<QRadioButton>(Preferences::kMetricButton, rid::kDeskPrefsMetric);
    english_ = Control<QRadioButton>(Preferences::kEnglishButton, rid::kDeskPrefsEnglish);
    autoCadOn_ = Control<QRadioButton>(Preferences::kAutoCadOnButton, rid::kDeskPrefsAutoCadOn);
    autoCadOff_ = Control<QRadioButton>(Preferences::kAutoCadOffButton, rid::kDeskPrefsAutoCadOff);
    jobTicket_ = Control<QCheckBox>(Preferences::kJobTicketBox, rid::kDeskPrefsJobTicket);
    accountFile_ =
        Control<QPushButton>(Preferences::kAccountFileButton, rid::kDeskPrefsAccountFile);
    accountFile_->setIcon(ThemeIcon("document-open", "document-open"));
    accountPath_ = new QLabel;
    accountPath_->setObjectName(QStringLiteral("accountFilePath"));
    accountPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    eoj_ = Control<QCheckBox>(Preferences::kEojNotificationBox, rid::kDeskPrefsEoj);
    folderOptions_ =
        Control<QCheckBox>(Preferences::kFolderOptionsBox, rid::kDeskPrefsFolderOptions);
    hardware_ = Control<QCheckBox>(Preferences::kHardwareOptionsBox, rid::kDeskPrefsHardware);
    plotTarget_ = Control<QRadioButton>(Preferences::kPlotFilesTarget, rid::kDeskPrefsPlotFiles);
    configTarget_ =
        Control<QRadioButton>(Preferences::kConfigFilesTarget, rid::kDeskPrefsConfigFiles);
    noTarget_ = Control<QRadioButton>(Preferences::kNoTarget, rid::kDeskPrefsNoFolder);
    places_ = new QComboBox;
    SetControlId(places_, Preferences::kPlacesList);
    folder_ = new QLabel;
    SetControlId(folder_, Preferences::kFolderLabel);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    subFolders_ = new QListWidget;
    SetControlId(subFolders_, Preferences::kSubFolderList);
    subFolders_->setAccessibleName(UiText(rid::kDeskPrefsSubFolders));
    files_ = new QListWidget;
    SetControlId(files_, Preferences::kFileList);
    files_->setAccessibleName(UiText(rid::kDeskPrefsFiles));
    files_->setSelectionMode(QAbstractItemView::NoSelection);
    auto* set = Control<QPushButton>(Preferences::kSetButton, rid::kDeskPrefsSet);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left);
    left->addWidget(Pair(rid::kDeskPrefsOutputGroup, device_, ksl_));
    left->addWidget(Pair(rid::kDeskPrefsUnitGroup, metric_, english_));
    left->addWidget(Pair(rid::kDeskPrefsAutoCadGroup, autoCadOn_, autoCadOff_));
    auto* sending = new QGroupBox(UiText(rid::kDeskPrefsJobGroup));
    auto* sendingLayout = new QVBoxLayout(sending);
    auto* ticketRow = new QHBoxLayout;
    ticketRow->addWidget(jobTicket_);
    ticketRow->addWidget(accountFile_);
    ticketRow->addStretch(1);
    sendingLayout->addLayout(ticketRow);
    sendingLayout->addWidget(accountPath_);
    sendingLayout->addWidget(eoj_);
    sendingLayout->addWidget(folderOptions_);
    sendingLayout->addWidget(hardware_);
    left->addWidget(sending);
    left->addStretch(1);

    auto* folders = new QGroupBox(UiText(rid::kDeskPrefsFolderGroup));
    auto* folderLayout = new QGridLayout(folders);
    auto* targets = new QHBoxLayout;
    auto* targetGroup = new QButtonGroup(folders);
    for (QRadioButton* r : {plotTarget_, configTarget_, noTarget_}) {
        targets->addWidget(r);
        targetGroup->addButton(r);
    }
    targets->addStretch(1);
    folderLayout->addLayout(targets, 0, 0, 1, 2);
    auto* placesLabel = new QLabel(UiText(rid::kDeskPrefsPlaces));
    placesLabel->setBuddy(places_);
    auto* placesRow = new QFormLayout;
    placesRow->addRow(placesLabel, places_);
    folderLayout->addLayout(placesRow, 1, 0, 1, 2);
    folderLayout->addWidget(folder_, 2, 0, 1, 2);
    folderLayout->addWidget(new QLabel(UiText(rid::kDeskPrefsSubFolders)), 3, 0);
    folderLayout->addWidget(new QLabel(UiText(rid::kDeskPrefsFiles)), 3, 1);
    folderLayout->addWidget(subFolders_, 4, 0);
    folderLayout->addWidget(files_, 4, 1);
    auto* setRow = new QHBoxLayout;
    setRow->addStretch(1);
    setRow->addWidget(set);
    folderLayout->addLayout(setRow, 5, 0, 1, 2);
    layout->addWidget(folders, 1);

    const auto after = [this](auto action) {
        return [this, action](auto&&...) {
            action();
            Push();
        };
    };
    connect(device_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseOutputMode(OutputMode::Device); }));
    connect(ksl_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseOutputMode(OutputMode::Ksl); }));
    connect(metric_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseUnit(Unit::Metric); }));
    connect(english_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseUnit(Unit::English); }));
    connect(autoCadOn_, &QRadioButton::clicked, this, after([this] { model_.SetAutoCad(true); }));
    connect(autoCadOff_, &QRadioButton::clicked, this, after([this] { model_.SetAutoCad(false); }));
    connect(jobTicket_, &QCheckBox::clicked, this,
            [this](bool on) { model_.SetJobTicket(on), Push(); });
    connect(eoj_, &QCheckBox::clicked, this,
            [this](bool on) { model_.SetEojNotification(on), Push(); });
    connect(folderOptions_, &QCheckBox::clicked, this,
            [this](bool on) { model_.SetFolderOptions(on), Push(); });
    connect(hardware_, &QCheckBox::clicked, this,
            [this](bool on) { model_.SetHardwareOptions(on), Push(); });
    connect(accountFile_, &QPushButton::clicked, this, [this] {
        const QString chosen = askAccountFile_(ToQString(model_.settings().accountFile));
        if (!chosen.isEmpty()) model_.SetAccountFile(chosen.toStdString());
        Push();
    });
    connect(plotTarget_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseFolderTarget(Preferences::kPlotFilesTarget); }));
    connect(configTarget_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseFolderTarget(Preferences::kConfigFilesTarget); }));
    connect(noTarget_, &QRadioButton::clicked, this,
            after([this] { model_.ChooseFolderTarget(Preferences::kNoTarget); }));
    connect(places_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) model_.OpenPlace(static_cast<std::size_t>(index));
        Push();
    });
    connect(subFolders_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = subFolders_->row(item);
        if (row >= 0) model_.OpenSubFolder(static_cast<std::size_t>(row));
        Push();
    });
    connect(set, &QPushButton::clicked, this, after([this] { model_.SetFolder(); }));
    Push();
}

void PreferencesPage::Push() {
    const ProgramSettings& s = model_.settings();
    const QList<QWidget*> all = findChildren<QWidget*>();
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QWidget* w : all) blockers.push_back(std::make_unique<QSignalBlocker>(w));

    (s.outputMode == OutputMode::Device ? device_ : ksl_)->setChecked(true);
    (s.unit == Unit::Metric ? metric_ : english_)->setChecked(true);
    (s.autoCad ? autoCadOn_ : autoCadOff_)->setChecked(true);
    jobTicket_->setChecked(model_.jobTicketBox());
    accountFile_->setEnabled(model_.accountFileButtonEnabled());
    accountPath_->setText(ToQString(s.accountFile));
    eoj_->setChecked(model_.eojNotification());
    folderOptions_->setChecked(model_.folderOptions());
    hardware_->setChecked(model_.hardwareOptions());
    plotTarget_->setChecked(model_.folderTarget() == Preferences::kPlotFilesTarget);
    configTarget_->setChecked(model_.folderTarget() == Preferences::kConfigFilesTarget);
    noTarget_->setChecked(model_.folderTarget() == Preferences::kNoTarget);

    places_->clear();
    for (const auto& place : model_.places()) {
        places_->addItem(ThemeIcon("folder", "folder"), ToQString(place.label));
    }
    places_->setCurrentIndex(model_.selectedPlace());
    folder_->setText(ToQString(model_.browserFolder().string()));
    subFolders_->clear();
    for (const auto& name : model_.subFolders()) {
        subFolders_->addItem(new QListWidgetItem(ThemeIcon("folder", "folder"), ToQString(name)));
    }
    if (subFolders_->count() > 0) subFolders_->setCurrentRow(0);
    files_->clear();
    for (const auto& name : model_.files()) files_->addItem(ToQString(name));
}

}  // namespace kestrum
