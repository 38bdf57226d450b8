#include "desktop/pages/colour_table_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "desktop/page_binder.h"
#include "shell/language_strings.h"
#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Text(int resource) {
    return QString::fromUtf8(LoadResourceString(resource));
}

QString Plain(int resource) {
    return Text(resource).remove(QLatin1Char('&'));
}

void Fill(QComboBox* box, const ListControl& list) {
    for (const std::string& entry : list.entries) box->addItem(QString::fromStdString(entry));
}

}  // namespace

ColourTableDialog::ColourTableDialog(ColourTable& table, QWidget* parent)
    : QDialog(parent), table_(table), editor_(table) {
    setWindowTitle(Text(rid::kColourTableCaption));

    rows_ = new QTableWidget(kColourCount, 4, this);
    SetControlId(rows_, ColourTableEditor::kRowList);
    rows_->setHorizontalHeaderLabels({Plain(rid::kColourTableColourLabel),
                                      Plain(rid::kPagePenLabel), Plain(rid::kColourTableStyleLabel),
                                      Plain(rid::kPageWidthLabel)});
    rows_->verticalHeader()->hide();
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    rows_->setAccessibleName(Text(rid::kColourTableCaption));
    rows_->setMinimumHeight(rows_->verticalHeader()->defaultSectionSize() * 16);

    rowNumber_ = new QLineEdit(this);
    SetControlId(rowNumber_, ColourTableEditor::kRowNumberEdit);
    rowNumber_->setReadOnly(true);  // shows the current colour; nothing typed is taken
    pen_ = new QComboBox(this);
    SetControlId(pen_, ColourTableEditor::kPenList);
    pen_->setMaxVisibleItems(20);
    Fill(pen_, editor_.penList);
    style_ = new QComboBox(this);
    SetControlId(style_, ColourTableEditor::kStyleList);
    Fill(style_, editor_.styleList);
    width_ = new QLineEdit(this);
    SetControlId(width_, ColourTableEditor::kWidthEdit);

    auto* fields = new QFormLayout;
    const std::pair<int, QWidget*> rows[] = {{rid::kColourTableColourLabel, rowNumber_},
                                             {rid::kPagePenLabel, pen_},
                                             {rid::kColourTableStyleLabel, style_},
                                             {rid::kPageWidthLabel, width_}};
    for (const auto& [label, field] : rows) {
        auto* name = new QLabel(Text(label), this);
        name->setBuddy(field);
        field->setAccessibleName(Plain(label));
        fields->addRow(name, field);
    }

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addLayout(fields);
    side->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(rows_, 2);
    columns->addLayout(side, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons_);

    ShowRows();
    {
        const QSignalBlocker blocker(rows_);
        rows_->setCurrentCell(editor_.currentRow, 0);
        rows_->selectRow(editor_.currentRow);
    }
    ShowCurrentRow();

    connect(rows_, &QTableWidget::itemSelectionChanged, this, &ColourTableDialog::TakeSelection);
    connect(rows_, &QTableWidget::currentCellChanged, this, [this](int row) {
        editor_.SetCurrentRow(row);
        ShowCurrentRow();
    });
    connect(pen_, &QComboBox::activated, this, [this](int item) {
        editor_.ChoosePen(item);
        ShowRows();
    });
    connect(style_, &QComboBox::activated, this, [this](int item) {
        editor_.ChooseStyle(item);
        ShowRows();
    });
    connect(width_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.widthEdit.text = text.toStdString(); });
    // The width entry is taken when the field loses the focus, as the model decides.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || now->window() != this) return;
        editor_.Focus(ControlIdOf(now));
        ShowRows();
    });
}

void ColourTableDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    rows_->setFocus();
}

void ColourTableDialog::TakeSelection() {
    std::vector<int> selected;
    for (const QModelIndex& index : rows_->selectionModel()->selectedRows()) {
        selected.push_back(index.row());
    }
    editor_.SelectRows(selected);
}

void ColourTableDialog::ShowRows() {
    const QSignalBlocker blocker(rows_);
    const ColourTable& shown = editor_.rows();
    for (int row = 0; row < kColourCount; ++row) {
        const ACPenParms& entry = shown[static_cast<std::size_t>(row)];
        const QString texts[] = {QString::number(row + 1), QString::fromStdString(entry.pen),
                                 QString::fromStdString(entry.style),
                                 QString::fromStdString(WidthDisplay(entry.width))};
        for (int column = 0; column < 4; ++column) {
            QTableWidgetItem* item = rows_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem(texts[column]);
                rows_->setItem(row, column, item);
            } else if (item->text() != texts[column]) {
                item->setText(texts[column]);
            }
        }
    }
}

void ColourTableDialog::ShowCurrentRow() {
    const QSignalBlocker penBlocker(pen_);
    const QSignalBlocker styleBlocker(style_);
    rowNumber_->setText(QString::fromStdString(editor_.rowNumberEdit.text));
    pen_->setCurrentIndex(editor_.penList.selected);
    style_->setCurrentIndex(editor_.styleList.selected);
    width_->setText(QString::fromStdString(editor_.widthEdit.text));
}

void ColourTableDialog::accept() {
    editor_.Ok(table_);
    QDialog::accept();
}

}  // namespace kestrum
