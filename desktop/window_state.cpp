#include "desktop/window_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>

#include "platform/xdg_paths.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

const QString kGeometryKey = QStringLiteral("MainWindow/Geometry");

// A geometry is a few dozen bytes; anything much larger is not ours and is not read into memory.
constexpr qint64 kLargestStateFile = 64 * 1024;

}  // namespace

WindowState WindowState::ForUser() {
    auto folder = ConfigFolder();
    if (!folder) return WindowState(QString());
    return WindowState(QString::fromStdString((folder.value() / "window-state.ini").string()));
}

bool WindowState::Restore(QWidget& window) const {
    if (file_.isEmpty()) return false;
    const QFileInfo info(file_);
    if (!info.isFile() || info.size() > kLargestStateFile) return false;
    const QSettings kept(file_, QSettings::IniFormat);
    if (kept.status() != QSettings::NoError) return false;
    const QByteArray geometry = kept.value(kGeometryKey).toByteArray();
    // restoreGeometry checks what it is given and refuses a damaged value.
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

Result<void> WindowState::Save(const QWidget& window) const {
    if (file_.isEmpty()) return Ok();
    auto failed = [this] {
        return MakeError(rid::kWindowStateNotSaved, ErrorKind::File, file_.toStdString());
    };
    // QSettings reads the file whole before writing it back: an oversized one is not ours to keep
    // and starts afresh; a folder or device in its place is left alone.
    const QFileInfo info(file_);
    if (info.exists() && !info.isFile()) return failed();
    if (info.size() > kLargestStateFile && !QFile::remove(file_)) return failed();
    if (!QDir().mkpath(info.absolutePath())) return failed();
    QSettings kept(file_, QSettings::IniFormat);
    kept.setValue(kGeometryKey, window.saveGeometry());
    kept.sync();
    if (kept.status() != QSettings::NoError) return failed();
    return Ok();
}

}  // namespace kestrum
