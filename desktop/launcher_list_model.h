#pragma once

// The launch list as an item model for the launcher's view: two columns cut from each entry's
// display line at its tab, drags within the list, and plot files dropped from the file manager.
// It only mirrors LaunchList; every change goes through the list's own operations.

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include "launch/launch_list.h"

namespace kestrum {

inline constexpr const char* kLaunchRowMimeType = "application/x-kestrum-launch-row";

class LauncherListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // `list` must outlive the model.
    explicit LauncherListModel(LaunchList& list, QObject* parent = nullptr);

    // The list changed behind the model's back: show it again.
    void Reload();
    void SetConfigurationHeader(const QString& text);
    // Entries whose files were missing when the list was opened; marked in the list.
    void SetMissingPaths(QSet<QString> paths);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

  signals:
    // Files from the file manager, to be added in front of entry `dropOn` (size(): at the end).
    void UrlsDropped(const QList<QUrl>& urls, int dropOn);
    // An entry was dragged to a new place; the list's selection is the moved entry.
    void EntryMoved();

  private:
    LaunchList& list_;
    QString configurationHeader_;
    QSet<QString> missing_;
};

}  // namespace kestrum
