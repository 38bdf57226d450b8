#include "desktop/pages/pen_page_widget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {
constexpr std::array<int, kPenAttributeCount> kAttributeLabels = {
    rid::kPageWidthLabel,   rid::kPagePenLineEndLabel, rid::kPagePenLineJoinLabel,
    rid::kPagePenGrayLabel, rid::kPagePenOpaqueLabel,  rid::kPagePenLineUpperLabel};
}

PenPageWidget::PenPageWidget(OptionPage& model, PenTablePanel& panel, int selectorId,
                             const PenTable& pens, CUserObject& values, MessageSink& messages,
                             QWidget* parent)
    : OptionPageWidget(model, values, messages, parent),
      panel_(panel),
      selectorId_(selectorId),
      pens_(pens) {}

QFormLayout* PenPageWidget::SettingsColumn() {
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

void PenPageWidget::LayOutPage(QWidget* settings, int applyButton) {
    QWidget* pens = MakePenGroup();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(MakeButton(applyButton, rid::kPageApplyButton), QDialogButtonBox::ApplyRole);
    auto* page = new QVBoxLayout(this);
    page->addWidget(settings);
    page->addWidget(pens, 1);
    page->addWidget(buttons);
    Bind();
}

QWidget* PenPageWidget::MakePenGroup() {
    auto* group = MakeGroup(rid::kPagePenTableGroup);
    auto* editor = new QFormLayout;
    AddRow(editor, rid::kPagePenLabel, MakeList(selectorId_));
    for (std::size_t a = 0; a < kPenAttributeCount; ++a) {
        AddRow(editor, kAttributeLabels[a], MakeList(panel_.lists().controls[a]));
    }

    overview_ = new QTableWidget(kPenCount, static_cast<int>(kPenAttributeCount), this);
    QStringList headers;
    for (int label : kAttributeLabels) headers << Text(label).remove(QLatin1Char('&'));
    overview_->setHorizontalHeaderLabels(headers);
    QStringList pens;
    for (int pen = 1; pen <= kPenCount; ++pen) pens << QString::number(pen);
    overview_->setVerticalHeaderLabels(pens);
    overview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    overview_->setSelectionBehavior(QAbstractItemView::SelectRows);
    overview_->setSelectionMode(QAbstractItemView::SingleSelection);
    overview_->setAccessibleName(group->title());
    overview_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    overview_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Every pen at once: the table is as tall as its fifteen rows.
    const int rows = overview_->verticalHeader()->defaultSectionSize() * kPenCount;
    overview_->setMinimumHeight(rows + overview_->horizontalHeader()->sizeHint().height() +
                                2 * overview_->frameWidth());
    overview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A row chosen in the table is a choice in the pen selector, so it takes the same road.
    connect(overview_, &QTableWidget::currentCellChanged, this, [this](int row) {
        auto* selector = qobject_cast<QComboBox*>(Control(selectorId_));
        if (selector == nullptr || row < 0 || row == selector->currentIndex()) return;
        selector->setCurrentIndex(row);
        emit selector->activated(row);
    });

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(overview_, 3);
    layout->addLayout(editor, 1);
    return group;
}

void PenPageWidget::AfterPush() {
    ShowPens();
}

void PenPageWidget::ShowPens() {
    if (overview_ == nullptr) return;
    const QSignalBlocker blocker(overview_);
    for (int pen = 0; pen < kPenCount; ++pen) {
        for (std::size_t a = 0; a < kPenAttributeCount; ++a) {
            const auto attribute = static_cast<PenAttribute>(a);
            const ListControl& list = panel_.Attribute(attribute);
            const int entry = panel_.ShownEntry(pens_, pen, attribute);
            const QString text =
                entry >= 0 && entry < static_cast<int>(list.entries.size())
                    ? QString::fromStdString(list.entries[static_cast<std::size_t>(entry)])
                    : QString();
            QTableWidgetItem* item = overview_->item(pen, static_cast<int>(a));
            if (item == nullptr) {
                item = new QTableWidgetItem;
                overview_->setItem(pen, static_cast<int>(a), item);
            }
            if (item->text() != text) item->setText(text);
        }
    }
    overview_->setCurrentCell(panel_.SelectedPen(), 0);
    overview_->setEnabled(panel_.penSelector.enabled);
}

}  // namespace kestrum
