#include "desktop/launch_status_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "desktop/page_binder.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Str(int resource) {
    return QString::fromUtf8(LoadResourceString(resource).data(),
                             static_cast<qsizetype>(LoadResourceString(resource).size()));
}

}  // namespace

LaunchStatusWindow::LaunchStatusWindow(bool persistent, bool folderOptions, SendServices services,
                                       SendController::RequestSource source,
                                       PrinterTypeSource printerType, QWidget* parent)
    : QDialog(parent), status_(persistent, folderOptions), printerType_(std::move(printerType)) {
    qRegisterMetaType<kestrum::Message>();
    controller_ = std::make_unique<SendController>(status_, services, std::move(source));
    controller_->SetMessageParent(this);
    Build();
    connect(controller_.get(), &SendController::DisplayChanged, this,
            &LaunchStatusWindow::ShowDisplay);
    connect(controller_.get(), &SendController::RunStateChanged, this,
            &LaunchStatusWindow::ShowRunState);
    connect(controller_.get(), &SendController::Finished, this, &LaunchStatusWindow::OnFinished);
    connect(controller_.get(), &SendController::DrawingRendering, this,
            [this](const QString& p) { statusLine_->setText(Str(rid::kStatusRendering).arg(p)); });
    connect(controller_.get(), &SendController::PrinterStarted, this,
            [this](const QString& p) { statusLine_->setText(Str(rid::kStatusWritingTo).arg(p)); });
    connect(controller_.get(), &SendController::PrinterFinished, this, [this](const QString& p) {
        handedLine_->setText(Str(rid::kStatusHandedOver).arg(p));
        emit HandedToSpooler(p);
    });
    connect(controller_.get(), &SendController::JobsEnded, this, &LaunchStatusWindow::JobsEnded);
    ShowDisplay();
    ShowRunState();
}

LaunchStatusWindow::~LaunchStatusWindow() {
    controller_->Stop();
}

void LaunchStatusWindow::Build() {
    setWindowTitle(QString::fromUtf8(kLaunchStatusCaption.data(),
                                     static_cast<qsizetype>(kLaunchStatusCaption.size())));
    auto* layout = new QVBoxLayout(this);

    statusLine_ = new QLabel(Str(rid::kStatusWaiting));
    statusLine_->setWordWrap(true);
    layout->addWidget(statusLine_);

    auto* choices = new QFormLayout;
    copies_ = new QComboBox;
    SetControlId(copies_, LaunchStatus::kCopiesList);
    for (const std::string& item : LaunchStatus::CopiesItems()) {
        copies_->addItem(QString::fromStdString(item));
    }
    copies_->setCurrentIndex(0);
    auto* copiesLabel = new QLabel(Str(rid::kStatusCopiesLabel));
    copiesLabel->setBuddy(copies_);
    choices->addRow(copiesLabel, copies_);
    layout->addLayout(choices);
    connect(copies_, &QComboBox::currentIndexChanged, this,
            [this](int index) { (void)status_.SetCopiesChoice(index); });

    auto* order = new QGroupBox(Str(rid::kStatusOrderGroup));
    auto* orderLayout = new QHBoxLayout(order);
    listOrder_ = new QRadioButton(Str(rid::kStatusListOrder));
    reverseOrder_ = new QRadioButton(Str(rid::kStatusReverseOrder));
    SetControlId(listOrder_, LaunchStatus::kListOrderButton);
    SetControlId(reverseOrder_, LaunchStatus::kReverseOrderButton);
    listOrder_->setChecked(true);
    orderLayout->addWidget(listOrder_);
    orderLayout->addWidget(reverseOrder_);
    orderLayout->addStretch();
    layout->addWidget(order);
    connect(listOrder_, &QRadioButton::clicked, this, [this] { status_.SetReverseOrder(false); });
    connect(reverseOrder_, &QRadioButton::clicked, this, [this] { status_.SetReverseOrder(true); });

    folderBox_ = new QCheckBox(Str(rid::kStatusFolderBox));
    SetControlId(folderBox_, LaunchStatus::kFolderBox);
    layout->addWidget(folderBox_);
    connect(folderBox_, &QCheckBox::clicked, this,
            [this](bool checked) { status_.SetFolderBoxChecked(checked); });

    auto* progress = new QGroupBox(Str(rid::kStatusProgressGroup));
    auto* progressLayout = new QFormLayout(progress);
    currentFile_ = new QLabel;
    SetControlId(currentFile_, LaunchStatus::kCurrentFileLabel);
    currentFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    currentFile_->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    progressLayout->addRow(Str(rid::kStatusCurrentFile), currentFile_);
    fileProgress_ = new QProgressBar;
    SetControlId(fileProgress_, LaunchStatus::kFileProgress);
    fileProgress_->setRange(0, 1000);
    fileProgress_->setValue(0);
    fileProgress_->setAccessibleName(Str(rid::kStatusFileProgress));
    progressLayout->addRow(Str(rid::kStatusFileProgress), fileProgress_);
    listProgress_ = new QProgressBar;
    SetControlId(listProgress_, LaunchStatus::kListProgress);
    listProgress_->setAccessibleName(Str(rid::kStatusListProgress));
    listProgress_->setFormat(QStringLiteral("%v / %m"));
    progressLayout->addRow(Str(rid::kStatusListProgress), listProgress_);
    layout->addWidget(progress);

    handedLine_ = new QLabel;
    handedLine_->setWordWrap(true);
    layout->addWidget(handedLine_);
    outcomeLines_ = new QLabel;
    outcomeLines_->setObjectName(QStringLiteral("jobOutcomes"));
    outcomeLines_->setWordWrap(true);
    outcomeLines_->setTextFormat(Qt::PlainText);
    outcomeLines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outcomeLines_->setVisible(false);
    layout->addWidget(outcomeLines_);

    auto* buttons = new QDialogButtonBox;
    startPause_ = buttons->addButton(Str(rid::kStartCaption), QDialogButtonBox::ActionRole);
    cancel_ = buttons->addButton(Str(rid::kStatusCancel), QDialogButtonBox::ActionRole);
    SetControlId(startPause_, LaunchStatus::kStartPauseButton);
    SetControlId(cancel_, LaunchStatus::kCancelButton);
    startPause_->setDefault(true);
    startPause_->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-start")));
    cancel_->setIcon(QIcon::fromTheme(QStringLiteral("process-stop")));
    layout->addWidget(buttons);
    connect(startPause_, &QPushButton::clicked, this, &LaunchStatusWindow::ToggleStartPause);
    connect(cancel_, &QPushButton::clicked, controller_.get(), &SendController::Cancel);

    const bool folder = status_.folderBoxShown();
    folderBox_->setEnabled(folder);
    folderBox_->setVisible(folder);
}

void LaunchStatusWindow::ToggleStartPause() {
    controller_->ToggleStartPause();
}

void LaunchStatusWindow::ShowPersistent() {
    emit MainWindowVisibilityRequested(false);
    show();
    raise();
    activateWindow();
}

void LaunchStatusWindow::ShowJobOutcome(const QString& text) {
    const QString shown = outcomeLines_->text();
    outcomeLines_->setText(shown.isEmpty() ? text : shown + QLatin1Char('\n') + text);
    outcomeLines_->setVisible(true);
}

QString LaunchStatusWindow::jobOutcomes() const {
    return outcomeLines_->text();
}

void LaunchStatusWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Outcomes of an earlier send would read as this one's.
    outcomeLines_->clear();
    outcomeLines_->setVisible(false);
    ShownOrHidden();
}

void LaunchStatusWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    ShownOrHidden();
}

void LaunchStatusWindow::ShownOrHidden() {
    status_.OnShownOrHidden(printerType_ ? printerType_() : PrinterType::Velmar);
    listOrder_->setChecked(true);
    folderBox_->setChecked(false);
    if (!status_.folderBoxShown()) {
        folderBox_->setEnabled(false);
        folderBox_->setVisible(false);
    }
}

void LaunchStatusWindow::ShowDisplay() {
    const LaunchStatusDisplay display = status_.display();
    const bool idle = display.caption == kLaunchStatusCaption;
    setWindowTitle(idle ? QString::fromStdString(display.caption)
                        : Str(rid::kStatusWritingTo).arg(QString::fromStdString(display.caption)));
    const QString path = QString::fromStdString(display.currentFile);
    currentFile_->setToolTip(path);
    currentFile_->setText(
        currentFile_->fontMetrics().elidedText(path, Qt::ElideMiddle, currentFile_->width()));
    fileProgress_->setValue(LaunchStatus::FilePermille(display));
    listProgress_->setRange(0, static_cast<int>(std::min<std::size_t>(display.listRange, INT_MAX)));
    listProgress_->setValue(static_cast<int>(std::min<std::size_t>(display.listPosition, INT_MAX)));
    const bool busy = status_.busy();
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
    startPause_->setEnabled(!busy);
}

void LaunchStatusWindow::ShowRunState() {
    startPause_->setText(
        QString::fromUtf8(status_.StartPauseCaption().data(),
                          static_cast<qsizetype>(status_.StartPauseCaption().size())));
    startPause_->setIcon(QIcon::fromTheme(status_.runState() == RunState::Running
                                              ? QStringLiteral("media-playback-pause")
                                              : QStringLiteral("media-playback-start")));
    // The copies and the order are taken when the send starts; changing them later would
    // mislead.
    const bool choosing = !controller_->workerRunning() && status_.runState() != RunState::Stopped;
    copies_->setEnabled(choosing);
    listOrder_->setEnabled(choosing);
    reverseOrder_->setEnabled(choosing);
}

void LaunchStatusWindow::OnFinished(const FinishAction& action, bool completed) {
    ShowRunState();
    if (completed) emit JobCompleted();
    switch (action.action) {
        case WindowAction::None:
            break;
        case WindowAction::CloseModal:
            if (action.message) {
                QMessageBox::warning(this, QString::fromStdString(action.message->caption),
                                     QString::fromStdString(action.message->text));
            }
            QDialog::done(QDialog::Rejected);
            break;
        case WindowAction::RestartWorker:
            lastFailure_ = action.message;
            if (action.message) emit SendFailed(*action.message);
            controller_->Rearm();
            statusLine_->setText(Str(rid::kStatusWaiting));
            ShowRunState();
            emit MainWindowVisibilityRequested(true);
            hide();
            if (action.clearBusyMark) emit BusyMarkReleased();
            break;
    }
}

void LaunchStatusWindow::CloseRequested() {
    if (status_.OnCloseRequested() == CloseAction::HideAndShowMainWindow) {
        hide();
        emit MainWindowVisibilityRequested(true);
        return;
    }
    QDialog::done(QDialog::Rejected);
}

void LaunchStatusWindow::reject() {
    CloseRequested();
}

void LaunchStatusWindow::accept() {
    CloseRequested();
}

}  // namespace kestrum
