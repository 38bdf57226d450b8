#include "desktop/pages/reference_list_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

#include "desktop/page_binder.h"
#include "shell/language_strings.h"
#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Text(int resource) {
    return QString::fromUtf8(LoadResourceString(resource));
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(name), QApplication::style()->standardIcon(fallback));
}

}  // namespace

EditableFolderList::EditableFolderList(QWidget* parent) : QListWidget(parent) {
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
}

void EditableFolderList::AddEntry(const QString& text) {
    auto* item = new QListWidgetItem(text, this);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
}

ReferenceListDialogWidget::ReferenceListDialogWidget(ReferenceList& working,
                                                     std::filesystem::path settingsFile,
                                                     MessageSink& messages, QWidget* parent)
    : QDialog(parent), working_(working), messages_(messages), model_(std::move(settingsFile)) {
    chooseFolder = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QString(), start);
    };
    setWindowTitle(QString::fromStdString(model_.caption));

    list_ = new EditableFolderList(this);
    SetControlId(list_, ReferenceListDialog::kFolderList);
    list_->setAccessibleName(windowTitle());
    for (const std::string& entry : model_.entries) list_->AddEntry(QString::fromStdString(entry));
    if (list_->count() > 0) list_->setCurrentRow(0);

    struct ButtonSpec {
        int text;
        const char* icon;
        QStyle::StandardPixmap fallback;
        void (ReferenceListDialogWidget::*action)();
    };
    const ButtonSpec specs[] = {
        {rid::kXRefAddButton, "list-add", QStyle::SP_FileDialogNewFolder,
         &ReferenceListDialogWidget::Add},
        {rid::kXRefChangeButton, "document-open", QStyle::SP_DirOpenIcon,
         &ReferenceListDialogWidget::Change},
        {rid::kXRefUpButton, "go-up", QStyle::SP_ArrowUp, nullptr},
        {rid::kXRefDownButton, "go-down", QStyle::SP_ArrowDown, nullptr},
        {rid::kXRefRemoveButton, "list-remove", QStyle::SP_TrashIcon,
         &ReferenceListDialogWidget::Remove},
    };
    auto* side = new QVBoxLayout;
    for (const ButtonSpec& entry : specs) {
        auto* button =
            new QPushButton(ThemeIcon(entry.icon, entry.fallback), Text(entry.text), this);
        button->setObjectName(QStringLiteral("button%1").arg(entry.text));
        if (entry.text == rid::kXRefUpButton) {
            connect(button, &QPushButton::clicked, this, [this] { Move(-1); });
        } else if (entry.text == rid::kXRefDownButton) {
            connect(button, &QPushButton::clicked, this, [this] { Move(+1); });
        } else {
            connect(button, &QPushButton::clicked, this, entry.action);
        }
        // Remove stands apart from the harmless commands.
        if (entry.text == rid::kXRefRemoveButton) side->addSpacing(12);
        side->addWidget(button);
    }
    side->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    columns->addWidget(list_, 1);
    columns->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    resize(560, 320);
}

void ReferenceListDialogWidget::Add() {
    QListWidgetItem* current = list_->currentItem();
    const QString folder = chooseFolder(this, current ? current->text() : QDir::homePath());
    if (folder.isEmpty()) return;
    list_->AddEntry(QDir::toNativeSeparators(folder));
    list_->setCurrentRow(list_->count() - 1);
}

void ReferenceListDialogWidget::Change() {
    QListWidgetItem* current = list_->currentItem();
    if (current == nullptr) return;
    const QString folder = chooseFolder(this, current->text());
    if (!folder.isEmpty()) current->setText(QDir::toNativeSeparators(folder));
}

void ReferenceListDialogWidget::Remove() {
    delete list_->takeItem(list_->currentRow());
}

void ReferenceListDialogWidget::Move(int by) {
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= list_->count()) return;
    QListWidgetItem* item = list_->takeItem(row);
    list_->insertItem(to, item);
    list_->setCurrentRow(to);
}

void ReferenceListDialogWidget::accept() {
    model_.editingInPlace = list_->IsEditing();
    model_.entries.clear();
    for (int row = 0; row < list_->count(); ++row) {
        model_.entries.push_back(list_->item(row)->text().toStdString());
    }
    if (model_.Ok(working_, messages_) == ReferenceListDialog::OkResult::StillEditing) {
        // The entry being edited is not taken yet: the user finishes it first.
        list_->setFocus();
        QApplication::beep();
        return;
    }
    QDialog::accept();
}

}  // namespace kestrum
