#include "desktop/printer_selection_page.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

#include "desktop/icons.h"
#include "desktop/page_binder.h"
#include "desktop/ui_text.h"
#include "shell/resource_ids.h"

namespace kestrum {

bool OpenSystemPrinterSettings() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("system-config-printer"));
    if (!tool.isEmpty() && QProcess::startDetached(tool, {})) return true;
    return QDesktopServices::openUrl(QUrl(QStringLiteral("http://localhost:631/")));
}

PrinterSelectionPage::PrinterSelectionPage(PrinterSelection& model, ProgramSettings& settings,
                                           Spooler& spooler, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      model_(model),
      settings_(settings),
      spooler_(spooler),
      messages_(messages),
      launcher_(OpenSystemPrinterSettings) {
    setObjectName(QStringLiteral("printerSelectionPage"));
    generic_ = new QRadioButton(UiText(rid::kDeskPrinterGeneric));
    velmar_ = new QRadioButton(UiText(rid::kDeskPrinterVelmar));
    oce_ = new QRadioButton(UiText(rid::kDeskPrinterOce9400));
    SetControlId(generic_, PrinterSelection::kGenericButton);
    SetControlId(velmar_, PrinterSelection::kVelmarButton);
    SetControlId(oce_, PrinterSelection::kOce9400Button);
    queues_ = new QListWidget;
    SetControlId(queues_, PrinterSelection::kPrinterList);
    queues_->setAccessibleName(UiText(rid::kDeskPrinterQueuesGroup));
    settingsButton_ =
        new QPushButton(ThemeIcon("printer", "printer"), UiText(rid::kDeskPrinterSettings));
    SetControlId(settingsButton_, PrinterSelection::kPrinterButton);

    auto* layout = new QVBoxLayout(this);
    auto* typeBox = new QGroupBox(UiText(rid::kDeskPrinterTypeGroup));
    auto* typeLayout = new QVBoxLayout(typeBox);
    auto* group = new QButtonGroup(typeBox);
    for (QRadioButton* r : {generic_, velmar_, oce_}) {
        typeLayout->addWidget(r);
        group->addButton(r);
    }
    layout->addWidget(typeBox);
    auto* queueBox = new QGroupBox(UiText(rid::kDeskPrinterQueuesGroup));
    auto* queueLayout = new QVBoxLayout(queueBox);
    queueLayout->addWidget(queues_);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(settingsButton_);
    queueLayout->addLayout(row);
    layout->addWidget(queueBox, 1);

    const auto choose = [this](PrinterType type) {
        return [this, type] {
            Report(model_.ChoosePrinterType(type, settings_));
            Push();
        };
    };
    connect(generic_, &QRadioButton::clicked, this, choose(PrinterType::Generic));
    connect(velmar_, &QRadioButton::clicked, this, choose(PrinterType::Velmar));
    connect(oce_, &QRadioButton::clicked, this, choose(PrinterType::Oce9400));
    connect(queues_, &QListWidget::itemChanged, this, &PrinterSelectionPage::ItemChanged);
    connect(settingsButton_, &QPushButton::clicked, this, [this] {
        if (!launcher_()) {
            messages_.Show(MakeMessage(rid::kDeskPrinterNoTool, MessageIcon::Exclamation));
        }
    });
    Push();
}

void PrinterSelectionPage::Report(const Result<void>& result) {
    if (!result) {
        messages_.Show(Message{0, result.error().message, "Kestrum", MessageIcon::Exclamation});
    }
}

void PrinterSelectionPage::Rebuild() {
    // A spooler that gives no list leaves the list empty; that is not worth a message each time
    // the page is shown, since an empty list says it already.
    (void)model_.Rebuild(spooler_.Printers(), settings_.settingsFile);
    Push();
}

void PrinterSelectionPage::ItemChanged(QListWidgetItem* item) {
    const int row = queues_->row(item);
    if (row < 0) return;
    Report(model_.SetChecked(static_cast<std::size_t>(row), item->checkState() == Qt::Checked,
                             settings_));
    Push();
}

void PrinterSelectionPage::Push() {
    const QSignalBlocker blockQueues(queues_);
    generic_->setChecked(model_.chosenTypeButton() == PrinterSelection::kGenericButton);
    velmar_->setChecked(model_.chosenTypeButton() == PrinterSelection::kVelmarButton);
    oce_->setChecked(model_.chosenTypeButton() == PrinterSelection::kOce9400Button);
    for (QWidget* w : {static_cast<QWidget*>(generic_), static_cast<QWidget*>(velmar_),
                       static_cast<QWidget*>(oce_), static_cast<QWidget*>(settingsButton_)}) {
        w->setEnabled(model_.typeControlsEnabled());
    }
    const auto& entries = model_.entries();
    if (queues_->count() != static_cast<int>(entries.size())) {
        queues_->clear();
        for (std::size_t i = 0; i < entries.size(); ++i) queues_->addItem(QString());
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QListWidgetItem* item = queues_->item(static_cast<int>(i));
        const PrinterQueue& queue = entries[i].queue;
        item->setText(ToQString(queue.name));
        const bool hotFolder = queue.kind == PrinterQueue::Kind::HotFolder;
        item->setIcon(hotFolder ? ThemeIcon("folder", "folder") : ThemeIcon("printer", "printer"));
        item->setToolTip(hotFolder ? UiText(rid::kDeskPrinterHotFolder) + QStringLiteral(": ") +
                                         ToQString(queue.location)
                                   : ToQString(queue.location));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(entries[i].checked ? Qt::Checked : Qt::Unchecked);
    }
}

void PrinterSelectionPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Rebuild();
}

void PrinterSelectionPage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Another view was chosen; when the whole window goes at exit there is nothing to show.
    if (window()->isVisible()) Rebuild();
}

}  // namespace kestrum
