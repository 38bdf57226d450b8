#include "desktop/launcher_list_model.h"

#include <QApplication>
#include <QIcon>
#include <QMimeData>
#include <QStyle>

#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Str(int resource) {
    const std::string_view text = LoadResourceString(resource);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

LauncherListModel::LauncherListModel(LaunchList& list, QObject* parent)
    : QAbstractTableModel(parent),
      list_(list),
      configurationHeader_(Str(rid::kConfigurationColumn)) {}

void LauncherListModel::Reload() {
    beginResetModel();
    endResetModel();
}

void LauncherListModel::SetConfigurationHeader(const QString& text) {
    configurationHeader_ = text;
    emit headerDataChanged(Qt::Horizontal, 1, 1);
}

void LauncherListModel::SetMissingPaths(QSet<QString> paths) {
    missing_ = std::move(paths);
}

int LauncherListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int LauncherListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant LauncherListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.size()) return {};
    const std::size_t row = static_cast<std::size_t>(index.row());
    const QString path = QString::fromStdString(list_.entry(row).filePath);
    switch (role) {
        case Qt::DisplayRole: {
            // The line is "name<TAB>configuration", or the full path alone while configurations
            // do not apply.
            const QString line = QString::fromStdString(list_.line(row));
            const qsizetype tab = line.indexOf('\t');
            if (tab < 0) return index.column() == 0 ? line : QString();
            return index.column() == 0 ? line.left(tab) : line.mid(tab + 1);
        }
        case Qt::ToolTipRole:
            if (missing_.contains(path))
                return path + QStringLiteral("\n") + Str(rid::kMissingEntryTip);
            return index.column() == 0 ? path
                                       : QString::fromStdString(list_.entry(row).configuration);
        case Qt::DecorationRole:
            if (index.column() == 0 && missing_.contains(path)) {
                // Desktops without an icon theme have no "dialog-warning"; the style's own
                // warning sign keeps the mark visible there.
                return QIcon::fromTheme(
                    QStringLiteral("dialog-warning"),
                    QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
            }
            return {};
        default:
            return {};
    }
}

QVariant LauncherListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? Str(rid::kPlotFileColumn) : configurationHeader_;
}

Qt::ItemFlags LauncherListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

Qt::DropActions LauncherListModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction | Qt::LinkAction;
}

Qt::DropActions LauncherListModel::supportedDragActions() const {
    return Qt::MoveAction;
}

QStringList LauncherListModel::mimeTypes() const {
    return {QString::fromLatin1(kLaunchRowMimeType), QStringLiteral("text/uri-list")};
}

QMimeData* LauncherListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kLaunchRowMimeType),
                  QByteArray::number(indexes.first().row()));
    return data;
}

bool LauncherListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                        const QModelIndex&) const {
    return data != nullptr &&
           (data->hasFormat(QString::fromLatin1(kLaunchRowMimeType)) || data->hasUrls());
}

bool LauncherListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                     const QModelIndex& parent) {
    if (data == nullptr || action == Qt::IgnoreAction) return false;
    // Dropped on an entry: in front of it; between entries: at that row; elsewhere: at the end.
    int dropOn = parent.isValid() ? parent.row() : row;
    if (dropOn < 0 || dropOn > rowCount()) dropOn = rowCount();
    if (data->hasFormat(QString::fromLatin1(kLaunchRowMimeType))) {
        bool ok = false;
        const int from = data->data(QString::fromLatin1(kLaunchRowMimeType)).toInt(&ok);
        if (!ok || from < 0 || from >= rowCount()) return false;
        beginResetModel();
        list_.MoveBefore(static_cast<std::size_t>(from), static_cast<std::size_t>(dropOn));
        endResetModel();
        emit EntryMoved();
        // The view must not remove the dragged row: the move is complete. removeRows is not
        // implemented, so its clean-up after a move does nothing.
        return true;
    }
    if (data->hasUrls()) {
        emit UrlsDropped(data->urls(), dropOn);
        return true;
    }
    return false;
}

}  // namespace kestrum
