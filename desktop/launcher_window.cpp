#include "desktop/launcher_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "desktop/assignment_dialog.h"
#include "desktop/drawing_preview_dialog.h"
#include "desktop/job_outcome_follower.h"
#include "desktop/job_ticket_dialog.h"
#include "desktop/launcher_file_filter.h"
#include "desktop/launcher_list_model.h"
#include "desktop/page_binder.h"
#include "platform/private_profile.h"
#include "render/drawing_rendering.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Str(int resource) {
    const std::string_view text = LoadResourceString(resource);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string StdStr(int resource) {
    return std::string(LoadResourceString(resource));
}

QPushButton* Button(int textResource, int id, const char* icon = nullptr) {
    auto* button = new QPushButton(Str(textResource));
    SetControlId(button, id);
    if (icon != nullptr) button->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
    return button;
}

QString DefaultOpen(QWidget* parent, const QString& start) {
    return QFileDialog::getOpenFileName(parent, Str(rid::kOpenLaunchFileTitle), start,
                                        Str(rid::kLaunchFileFilter));
}

QString DefaultSave(QWidget* parent, const QString& start) {
    // The file dialog asks before it overwrites.
    return QFileDialog::getSaveFileName(parent, Str(rid::kSaveLaunchFileTitle), start,
                                        Str(rid::kLaunchFileFilter));
}

QString DefaultConfiguration(QWidget* parent, const QString& start) {
    return QFileDialog::getOpenFileName(parent, Str(rid::kChooseConfigurationTitle), start,
                                        Str(rid::kConfigFileFilter));
}

// A listing is good when the folder exists and can be read.
bool Listable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

}  // namespace

LauncherWindow::LauncherWindow(LauncherContext context, QWidget* parent)
    : QWidget(parent), context_(context), dialogs_{DefaultOpen, DefaultSave, DefaultConfiguration} {
    const std::vector<std::string> filters = FileFilterChoices(context_.settings.autoCad);
    filter_ = QString::fromStdString(filters.front());
    Build();

    persistent_ = std::make_unique<LaunchStatusWindow>(
        true, context_.settings.folderOptions, context_.services, RequestSource(),
        [this] { return context_.settings.printerType; }, this);
    connect(persistent_.get(), &LaunchStatusWindow::MainWindowVisibilityRequested, this,
            &LauncherWindow::MainWindowVisibilityRequested);
    connect(persistent_.get(), &LaunchStatusWindow::SendFailed, this, &LauncherWindow::SendFailed);
    connect(persistent_.get(), &LaunchStatusWindow::JobCompleted, this,
            &LauncherWindow::OnJobCompleted);
    connect(persistent_.get(), &LaunchStatusWindow::BusyMarkReleased, this,
            [this] { busy_ = false; });
    connect(persistent_.get(), &LaunchStatusWindow::HandedToSpooler, this,
            [this](const QString& printer) {
                emit StatusMessage(Str(rid::kStatusHandedOver).arg(printer));
            });
    connect(persistent_.get(), &LaunchStatusWindow::JobsEnded, this,
            [this](const std::vector<DeliveryResult::EndedJob>& jobs) {
                FollowJobs(persistent_.get(), jobs);
            });

    QString start = QString::fromStdString(context_.settings.plotFilesFolder);
    if (start.isEmpty()) start = QDir::homePath();
    ChangeFolder(start);
    ListFolders();
    ListFiles();
    name_->setText(filter_);
    name_->selectAll();
    name_->setFocus();
    Refresh();
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::SetFileDialogs(LauncherFileDialogs dialogs) {
    dialogs_ = std::move(dialogs);
}

void LauncherWindow::Build() {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(BuildBrowser(), 2);
    layout->addWidget(BuildList(), 3);
}

QWidget* LauncherWindow::BuildBrowser() {
    auto* group = new QGroupBox(Str(rid::kBrowserGroup));
    auto* layout = new QVBoxLayout(group);
    auto* form = new QFormLayout;

    places_ = new QComboBox;
    SetControlId(places_, kPlaceList);
    auto* placesLabel = new QLabel(Str(rid::kPlacesLabel));
    placesLabel->setBuddy(places_);
    form->addRow(placesLabel, places_);
    layout->addLayout(form);
    FillPlaces();
    connect(places_, &QComboBox::activated, this, [this](int index) {
        if (ChangeFolder(places_->itemData(index).toString())) {
            ListFolders();
            ListFiles();
        }
    });

    folderLabel_ = new QLabel;
    SetControlId(folderLabel_, kFolderLabel);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setWordWrap(true);
    layout->addWidget(folderLabel_);

    auto* lists = new QHBoxLayout;
    auto* folderColumn = new QVBoxLayout;
    folders_ = new QListWidget;
    SetControlId(folders_, kFolderList);
    auto* foldersLabel = new QLabel(Str(rid::kFoldersLabel));
    foldersLabel->setBuddy(folders_);
    folderColumn->addWidget(foldersLabel);
    folderColumn->addWidget(folders_);
    auto* fileColumn = new QVBoxLayout;
    files_ = new QListWidget;
    SetControlId(files_, kFileList);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* filesLabel = new QLabel(Str(rid::kFilesLabel));
    filesLabel->setBuddy(files_);
    fileColumn->addWidget(filesLabel);
    fileColumn->addWidget(files_);
    lists->addLayout(folderColumn);
    lists->addLayout(fileColumn);
    layout->addLayout(lists, 1);

    auto* nameForm = new QFormLayout;
    name_ = new QLineEdit;
    SetControlId(name_, kNameField);
    auto* nameLabel = new QLabel(Str(rid::kNameFieldLabel));
    nameLabel->setBuddy(name_);
    nameForm->addRow(nameLabel, name_);
    filters_ = new QComboBox;
    filters_->setObjectName(QStringLiteral("filterList"));
    for (const std::string& choice : FileFilterChoices(context_.settings.autoCad)) {
        filters_->addItem(QString::fromStdString(choice));
    }
    auto* filterLabel = new QLabel(Str(rid::kFileTypeLabel));
    filterLabel->setBuddy(filters_);
    nameForm->addRow(filterLabel, filters_);
    layout->addLayout(nameForm);
    connect(filters_, &QComboBox::activated, this,
            [this](int index) { SetFilter(filters_->itemText(index)); });

    auto* buttons = new QHBoxLayout;
    auto* add = Button(rid::kAddButton, kAddButton, "list-add");
    auto* selectAll = Button(rid::kSelectAllButton, kSelectAllButton, "edit-select-all");
    auto* refresh = Button(rid::kRefreshButton, kRefreshButton, "view-refresh");
    buttons->addWidget(add);
    buttons->addWidget(selectAll);
    buttons->addStretch();
    buttons->addWidget(refresh);
    layout->addLayout(buttons);

    connect(folders_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (ChangeFolder(QDir(folder_).filePath(item->text()))) {
            ListFolders();
            ListFiles();
            if (folders_->count() > 0) folders_->setCurrentRow(0);
        }
    });
    connect(files_, &QListWidget::itemSelectionChanged, this, [this] {
        if (QListWidgetItem* item = files_->currentItem(); item != nullptr && item->isSelected()) {
            name_->setText(item->text());
        }
    });
    connect(files_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        name_->setText(item->text());
        AddName(item->text());
        UpdateButtons();
    });
    connect(add, &QPushButton::clicked, this, &LauncherWindow::AddSelectedFiles);
    connect(selectAll, &QPushButton::clicked, files_, &QListWidget::selectAll);
    connect(refresh, &QPushButton::clicked, this, [this] {
        if (ChangeFolder(folder_)) {
            ListFolders();
            ListFiles();
            if (folders_->count() > 0) folders_->setCurrentRow(0);
        }
    });
    connect(name_, &QLineEdit::returnPressed, this, &LauncherWindow::NameEntered);
    folders_->installEventFilter(this);
    return group;
}

QWidget* LauncherWindow::BuildList() {
    auto* group = new QGroupBox(Str(rid::kLaunchListGroup));
    auto* layout = new QVBoxLayout(group);

    model_ = new LauncherListModel(context_.list, this);
    view_ = new QTreeView;
    SetControlId(view_, kLaunchList);
    view_->setAccessibleName(Str(rid::kLaunchListGroup));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setDragEnabled(true);
    view_->setAcceptDrops(true);
    view_->setDropIndicatorShown(true);
    view_->setDragDropMode(QAbstractItemView::DragDrop);
    view_->setDefaultDropAction(Qt::MoveAction);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetControlId(view_->header(), kConfigurationLabel);
    view_->header()->setStretchLastSection(true);
    // The file column's width: the list's one tab stop.
    view_->header()->resizeSection(0, fontMetrics().averageCharWidth() * 30);
    view_->installEventFilter(this);
    layout->addWidget(view_, 1);

    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                context_.list.Select(current.isValid() ? std::optional<std::size_t>(current.row())
                                                       : std::nullopt);
                ShowSelection();
            });
    connect(view_, &QTreeView::doubleClicked, this, [this] { AssignSelected(); });
    connect(model_, &LauncherListModel::UrlsDropped, this, &LauncherWindow::AddUrls);
    connect(model_, &LauncherListModel::EntryMoved, this, [this] { Refresh(); });

    auto* pathForm = new QFormLayout;
    path_ = new QLineEdit;
    path_->setReadOnly(true);
    SetControlId(path_, kPathField);
    auto* pathLabel = new QLabel(Str(rid::kSelectedFileLabel));
    pathLabel->setBuddy(path_);
    pathForm->addRow(pathLabel, path_);
    layout->addLayout(pathForm);

    auto* entryButtons = new QHBoxLayout;
    assign_ = Button(rid::kAssignButton, kAssignButton, "document-properties");
    configurations_ = Button(rid::kConfigurationsButton, kConfigurationsButton);
    disabled_ = new QPushButton;
    SetControlId(disabled_, kDisabledButton);
    disabled_->setEnabled(false);
    disabled_->setVisible(false);
    remove_ = Button(rid::kRemoveButton, kRemoveButton, "list-remove");
    clear_ = Button(rid::kClearListButton, kClearButton, "edit-clear");
    entryButtons->addWidget(assign_);
    entryButtons->addWidget(configurations_);
    entryButtons->addWidget(disabled_);
    entryButtons->addStretch();
    entryButtons->addWidget(remove_);
    entryButtons->addWidget(clear_);
    layout->addLayout(entryButtons);

    auto* listButtons = new QHBoxLayout;
    auto* open = Button(rid::kOpenListButton, kOpenButton, "document-open");
    auto* save = Button(rid::kSaveListButton, kSaveButton, "document-save");
    preview_ = Button(rid::kPreviewButton, kPreviewButton, "document-print-preview");
    send_ = Button(rid::kSendButton, kSendButton, "printer");
    listButtons->addWidget(open);
    listButtons->addWidget(save);
    listButtons->addStretch();
    listButtons->addWidget(preview_);
    listButtons->addWidget(send_);
    layout->addLayout(listButtons);

    connect(assign_, &QPushButton::clicked, this, &LauncherWindow::AssignSelected);
    connect(configurations_, &QPushButton::clicked, this, &LauncherWindow::ConfigurationsRequested);
    connect(remove_, &QPushButton::clicked, this, &LauncherWindow::RemoveSelected);
    connect(clear_, &QPushButton::clicked, this, &LauncherWindow::ClearList);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString file =
            dialogs_.openLaunchFile
                ? dialogs_.openLaunchFile(
                      this, QString::fromStdString(context_.settings.configFilesFolder))
                : QString();
        if (!file.isEmpty()) OpenLaunchFile(file);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString file =
            dialogs_.saveLaunchFile
                ? dialogs_.saveLaunchFile(
                      this, QString::fromStdString(context_.settings.configFilesFolder))
                : QString();
        if (!file.isEmpty()) SaveLaunchFile(file);
    });
    connect(preview_, &QPushButton::clicked, this, &LauncherWindow::Preview);
    connect(send_, &QPushButton::clicked, this, &LauncherWindow::Send);
    if (!context_.renderer.available()) preview_->setToolTip(Str(rid::kNoRendererPreview));
    return group;
}

void LauncherWindow::FillPlaces() {
    places_->clear();
    auto addPlace = [this](const QString& label, const QString& path) {
        const QString clean = QDir::cleanPath(path);
        for (int i = 0; i < places_->count(); ++i) {
            if (places_->itemData(i).toString() == clean) return;
        }
        places_->addItem(label + QStringLiteral("  (") + clean + QStringLiteral(")"), clean);
    };
    addPlace(Str(rid::kHomePlace), QDir::homePath());
    addPlace(Str(rid::kRootPlace), QDir::rootPath());
    for (const auto location :
         {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
          QStandardPaths::DownloadLocation, QStandardPaths::PicturesLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty() && QFileInfo(path).isDir() &&
            QDir::cleanPath(path) != QDir::cleanPath(QDir::homePath())) {
            addPlace(QStandardPaths::displayName(location), path);
        }
    }
    // Removable and network volumes, where plot files often arrive; system mounts are left out.
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady()) continue;
        if (root.startsWith(QStringLiteral("/media/")) ||
            root.startsWith(QStringLiteral("/mnt/")) ||
            root.startsWith(QStringLiteral("/run/media/"))) {
            addPlace(volume.displayName(), root);
        }
    }
}

void LauncherWindow::SelectPlace() {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < places_->count(); ++i) {
        const QString place = places_->itemData(i).toString();
        const bool inside =
            folder_ == place || folder_.startsWith(place.endsWith('/') ? place : place + '/');
        if (inside && place.size() > bestLength) {
            best = i;
            bestLength = place.size();
        }
    }
    const QSignalBlocker block(places_);
    places_->setCurrentIndex(best);
}

bool LauncherWindow::ChangeFolder(const QString& folder) {
    QString target = QDir::cleanPath(QDir(folder).absolutePath());
    if (!Listable(target)) {
        const QString fallback = QDir::currentPath();
        if (!Listable(fallback)) {
            Tell(StdStr(rid::kFolderListFailedMessage) + "\n" + folder.toStdString(), "Kestrum",
                 MessageIcon::Exclamation);
            return false;
        }
        // The settings keep the folder as read: Preferences rewrites a stored folder that has
        // gone at start-up, and this run's other readers must see one value.
        target = QDir::cleanPath(fallback);
    }
    folder_ = target;
    folderLabel_->setText(folder_);
    SelectPlace();
    return true;
}

void LauncherWindow::ListFolders() {
    folders_->clear();
    QDir dir(folder_);
    if (!dir.isRoot()) folders_->addItem(QStringLiteral(".."));
    // Hidden folders hold settings, not plot files.
    const QStringList names =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    folders_->addItems(names);
}

void LauncherWindow::ListFiles() {
    files_->clear();
    const std::string filter = filter_.toStdString();
    QStringList names;
    for (const QString& name :
         QDir(folder_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        if (MatchesFileFilter(name.toStdString(), filter)) names.append(name);
    }
    files_->addItems(names);
}

void LauncherWindow::SetFilter(const QString& filter) {
    filter_ = filter;
    name_->setText(filter);
    ListFiles();
    name_->selectAll();
}

void LauncherWindow::NameEntered() {
    const QString text = name_->text();
    const QList<QListWidgetItem*> found = files_->findItems(text, Qt::MatchExactly);
    if (!found.isEmpty()) {
        if (!found.first()->isSelected()) {
            files_->clearSelection();
            found.first()->setSelected(true);
        }
        AddSelectedFiles();
        return;
    }
    if (IsFileFilter(text.toStdString())) {
        SetFilter(text);
        return;
    }
    Tell(text.toStdString() + "\n\n" + StdStr(rid::kFileNotInListMessage),
         StdStr(rid::kLauncherCaption), MessageIcon::Exclamation);
}

void LauncherWindow::AddSelectedFiles() {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    if (selected.size() > 1) {
        // In list order, whatever order they were clicked in.
        std::vector<int> rows;
        for (QListWidgetItem* item : selected) rows.push_back(files_->row(item));
        std::sort(rows.begin(), rows.end());
        for (int row : rows) {
            name_->setText(files_->item(row)->text());
            AddName(files_->item(row)->text());
        }
    } else {
        AddName(name_->text());
    }
    UpdateButtons();
}

void LauncherWindow::AddName(const QString& name) {
    if (name.isEmpty()) return;
    if (context_.settings.autoCad) {
        if (Result<void> checked = CheckDrawingName(name.toStdString()); !checked) {
            Tell(checked.error().message, StdStr(rid::kLauncherCaption), MessageIcon::Exclamation);
            return;
        }
    }
    context_.list.AddEntry(QDir(folder_).filePath(name).toStdString());
    Refresh();
}

void LauncherWindow::AddUrls(const QList<QUrl>& urls, int dropOn) {
    const std::size_t start = context_.list.size();
    std::size_t position = dropOn < 0 ? start : std::min<std::size_t>(dropOn, start);
    QStringList skipped;
    const std::string filter = filter_.toStdString();
    auto addFile = [&](const QString& path) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable()) {
            skipped << path + QStringLiteral(": ") + Str(rid::kDropUnreadable);
            return;
        }
        if (context_.settings.autoCad) {
            if (!CheckDrawingName(info.fileName().toStdString())) {
                skipped << path + QStringLiteral(": ") + Str(rid::kNotADrawingNameMessage);
                return;
            }
        }
        context_.list.AddEntry(info.absoluteFilePath().toStdString());
        context_.list.MoveBefore(context_.list.size() - 1, position++);
    };
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            skipped << url.toDisplayString() + QStringLiteral(": ") + Str(rid::kDropNotLocal);
            continue;
        }
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isDir()) {
            QDir dir(path);
            if (!dir.exists()) {
                skipped << path + QStringLiteral(": ") + Str(rid::kDropFolderGone);
                continue;
            }
            // A folder that cannot be listed would otherwise add nothing without a word.
            if (!info.isReadable() || !info.isExecutable()) {
                skipped << path + QStringLiteral(": ") + Str(rid::kDropUnreadable);
                continue;
            }
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
                if (MatchesFileFilter(name.toStdString(), filter)) addFile(dir.filePath(name));
            }
        } else if (!info.exists() && url.path().endsWith('/')) {
            skipped << path + QStringLiteral(": ") + Str(rid::kDropFolderGone);
        } else {
            addFile(path);
        }
    }
    Refresh();
    if (!skipped.isEmpty()) {
        Tell(StdStr(rid::kDropSkippedMessage) + "\n\n" + skipped.join('\n').toStdString(),
             StdStr(rid::kLauncherCaption), MessageIcon::Exclamation);
    }
}

void LauncherWindow::OpenFromCommandLine(const QStringList& arguments) {
    QList<QUrl> files;
    for (const QString& argument : arguments) {
        const QString path = QFileInfo(argument).absoluteFilePath();
        if (path.endsWith(QStringLiteral(".lch"), Qt::CaseInsensitive) &&
            QFileInfo(path).isFile()) {
            if (!files.isEmpty()) AddUrls(std::exchange(files, {}), -1);
            OpenLaunchFile(path);
        } else {
            files << QUrl::fromLocalFile(path);
        }
    }
    if (!files.isEmpty()) AddUrls(files, -1);
}

bool LauncherWindow::OpenLaunchFile(const QString& path) {
    const Result<void> opened = context_.list.Open(path.toStdString());
    QSet<QString> missing;
    if (opened) {
        for (std::size_t i = 0; i < context_.list.size(); ++i) {
            const std::string& file = context_.list.entry(i).filePath;
            std::error_code error;
            if (!std::filesystem::exists(file, error)) missing.insert(QString::fromStdString(file));
        }
    }
    model_->SetMissingPaths(missing);
    Refresh();
    if (!opened) {
        Tell(opened.error().message, "Kestrum", MessageIcon::Exclamation);
        return false;
    }
    if (!missing.isEmpty()) {
        QStringList names(missing.begin(), missing.end());
        names.sort();
        constexpr qsizetype kShown = 10;
        QString text = names.mid(0, kShown).join('\n');
        if (names.size() > kShown) text += QStringLiteral("\n...");
        Tell(StdStr(rid::kMissingEntriesMessage) + "\n\n" + text.toStdString(), "Kestrum",
             MessageIcon::Exclamation);
    }
    return true;
}

bool LauncherWindow::SaveLaunchFile(const QString& path) {
    QString file = path;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".lch");
    const Result<void> saved = context_.list.Save(file.toStdString());
    if (!saved) {
        Tell(saved.error().message, "Kestrum", MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void LauncherWindow::Refresh() {
    model_->Reload();
    const std::optional<std::size_t> selection = context_.list.selection();
    if (selection) {
        const QModelIndex index = model_->index(static_cast<int>(*selection), 0);
        const QSignalBlocker block(view_->selectionModel());
        view_->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view_->scrollTo(index);
    }
    ShowSelection();
}

void LauncherWindow::ShowSelection() {
    path_->setText(QString::fromStdString(context_.list.SelectedPath()));
    UpdateButtons();
}

void LauncherWindow::UpdateButtons() {
    send_->setEnabled(context_.list.CanSend());
    const bool selected = context_.list.selection().has_value();
    remove_->setEnabled(selected);
    clear_->setEnabled(!context_.list.empty());
    // Drawings are previewed by the renderer, HP-GL plot files by the core's own reader; for
    // anything else the button answers why there is no picture.
    preview_->setEnabled(!context_.list.SelectedPath().empty());
}

void LauncherWindow::RemoveSelected() {
    context_.list.RemoveSelected();
    Refresh();
}

void LauncherWindow::ClearList() {
    context_.list.Clear();
    Refresh();
}

void LauncherWindow::ApplyConfigurationsSwitch() {
    const bool apply =
        ConfigurationsApply(context_.settings.outputMode, context_.settings.printerType);
    context_.list.SetConfigurationsApply(apply);
    assign_->setEnabled(apply);
    configurations_->setEnabled(apply);
    disabled_->setEnabled(false);
    model_->SetConfigurationHeader(apply ? Str(rid::kConfigurationColumn) : QString());
    Refresh();
    name_->setFocus();
}

void LauncherWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplyConfigurationsSwitch();
}

void LauncherWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ApplyConfigurationsSwitch();
}

bool LauncherWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AssignSelected();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            RemoveSelected();
            return true;
        }
    }
    if (watched == folders_ && event->type() == QEvent::FocusOut) folders_->clearSelection();
    return QWidget::eventFilter(watched, event);
}

void LauncherWindow::AssignSelected() {
    if (!context_.list.configurationsApply()) return;
    if (!context_.list.selection()) {
        Tell(StdStr(rid::kNoEntrySelectedMessage), "Kestrum", MessageIcon::Exclamation);
        return;
    }
    const PlotFileEntry& entry = context_.list.entry(*context_.list.selection());
    AssignmentDialog dialog(QString::fromStdString(entry.filePath),
                            QString::fromStdString(entry.configuration),
                            QString::fromStdString(context_.settings.configFilesFolder), this);
    dialog.SetFileChooser(dialogs_.chooseConfiguration);
    if (dialog.exec() != QDialog::Accepted) return;
    if (Result<void> assigned =
            context_.list.AssignConfiguration(dialog.configuration().toStdString());
        !assigned) {
        Tell(assigned.error().message, "Kestrum", MessageIcon::Exclamation);
    }
    Refresh();
}

void LauncherWindow::Preview() {
    const std::string path = context_.list.SelectedPath();
    if (path.empty()) return;
    const QString name = QString::fromStdString(path);
    // Plain HP-GL plot files are previewed without the renderer; drawings need it.
    if (!context_.list.SelectedIsDrawing()) {
        if (std::optional<HpglPlot> plot = ReadPlotForPreview(path)) {
            const QString note = QString::fromStdString(HpglProblemText(*plot, path));
            DrawingPreviewDialog(PlotPainter(std::make_shared<const HpglPlot>(std::move(*plot))),
                                 name, note, this)
                .exec();
            return;
        }
    }
    if (!context_.renderer.available()) {
        Tell(StdStr(rid::kNoRendererPreview), "Kestrum", MessageIcon::Information);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OptionState state = context_.options;
    Result<PreviewBitmap> picture = RenderPreview(context_.renderer, state, path);
    QApplication::restoreOverrideCursor();
    if (!picture) {
        context_.messages.Show(Message{rid::kPreviewNotDrawingMessage, picture.error().message,
                                       "Kestrum", MessageIcon::Exclamation});
        return;
    }
    const RendererBinding& renderer = context_.renderer;
    auto renderPlot = [&renderer, options = context_.options, path]() mutable {
        Result<HpglPlot> plot = RenderDrawingPlot(renderer, options, path);
        return plot ? std::optional<HpglPlot>(std::move(plot.value())) : std::nullopt;
    };
    DrawingPreviewDialog(DrawingPainter(picture.value(), std::move(renderPlot)), name, {}, this)
        .exec();
}

SendController::RequestSource LauncherWindow::RequestSource() {
    return [this]() -> std::optional<SendRequest> {
        if (context_.beforeSend) context_.beforeSend();
        const ProgramSettings& settings = context_.settings;
        DeliverySettings delivery;
        delivery.printers = context_.printers.CheckedPrinters();
        delivery.printerType = settings.printerType;
        delivery.outputMode = settings.outputMode;
        delivery.collated = settings.hardwareOptions;
        delivery.jobTicket = settings.jobTicket;
        return SendRequest{context_.options, context_.list.Entries(), delivery,
                           settings.accountFile, context_.ticket};
    };
}

void LauncherWindow::Send() {
    // A command client's send is running: a second one never starts beside it.
    if (busy_ || localSendRunning_) {
        Tell(StdStr(rid::kSendWhileBusyText), StdStr(rid::kSendWhileBusyCaption),
             MessageIcon::Information);
        return;
    }
    if (context_.printers.CheckedPrinters().empty()) {
        Tell(StdStr(rid::kNoPrinterText), StdStr(rid::kNoPrinterCaption), MessageIcon::Information);
        return;
    }
    if (context_.settings.jobTicket) {
        // The send goes on whether the ticket was confirmed or not.
        JobTicketDialog(context_.ticket, this).exec();
    }
    LaunchStatusWindow window(
        false, context_.settings.folderOptions, context_.services, RequestSource(),
        [this] { return context_.settings.printerType; }, this);
    connect(&window, &LaunchStatusWindow::JobCompleted, this, &LauncherWindow::OnJobCompleted);
    connect(&window, &LaunchStatusWindow::HandedToSpooler, this, [this](const QString& printer) {
        emit StatusMessage(Str(rid::kStatusHandedOver).arg(printer));
    });
    connect(&window, &LaunchStatusWindow::JobsEnded, this,
            [this, &window](const std::vector<DeliveryResult::EndedJob>& jobs) {
                FollowJobs(&window, jobs);
            });
    localSendRunning_ = true;
    window.exec();
    localSendRunning_ = false;
    // The window's destruction stops a send still running and waits for its worker.
}

void LauncherWindow::ShowPersistentWindow() {
    persistent_->ShowPersistent();
}

void LauncherWindow::OnJobCompleted() {
    if (std::optional<Message> notice = EndOfJobNotice(context_.settings.eojNotification)) {
        if (sender() == persistent_.get()) {
            // Shown from the event loop: the box waits for its user, but the persistent
            // window's end and a waiting command client's JobEnded must not.
            QTimer::singleShot(0, this,
                               [this, message = *notice] { context_.messages.Show(message); });
        } else {
            // The launcher's own send: its status window stays up behind the notice, so the
            // printers' outcomes can still be read in it.
            context_.messages.Show(*notice);
        }
    }
    busy_ = false;
}

void LauncherWindow::FollowJobs(LaunchStatusWindow* window,
                                const std::vector<DeliveryResult::EndedJob>& ended) {
    std::vector<WatchedJob> jobs = JobOutcomeFollower::JobsToFollow(ended);
    if (jobs.empty()) return;
    // A child of the launcher, not of the window: a modal window is gone long before a printer
    // has taken a large job.
    auto* follower = new JobOutcomeFollower(this);
    const QPointer<LaunchStatusWindow> shownIn(window);
    auto lines = std::make_shared<QStringList>();
    connect(
        follower, &JobOutcomeFollower::OutcomeKnown, this,
        [this, shownIn, lines](const JobOutcome& outcome) {
            const QString text = QString::fromStdString(JobOutcomeText(outcome));
            *lines << text;
            if (shownIn && shownIn->isVisible()) shownIn->ShowJobOutcome(text);
            // Also while the window is open: it may close a moment later (a modal one does once
            // its end-of-job notice is answered). The send's outcomes so far, so a second
            // printer's does not hide the first's.
            emit StatusMessage(lines->join(QStringLiteral("   ")));
            // A job that will not print is a failure, however smoothly the send went.
            if (outcome.fate == JobFate::Aborted || outcome.fate == JobFate::Cancelled) {
                context_.messages.Show(Message{
                    0, text.toStdString(), StdStr(rid::kJobNotPrintedCaption), MessageIcon::Stop});
            }
        });
    follower->Follow(std::move(jobs), jobWatch_);
}

void LauncherWindow::Tell(const std::string& text, const std::string& caption, MessageIcon icon) {
    context_.messages.Show(Message{0, text, caption, icon});
}

}  // namespace kestrum
