#pragma once

// The main window's size and position, kept between runs in a file of the program's own
// (window-state.ini beside kestrum.ini), so kestrum.ini holds only the program's settings.
// The view at start is not kept: every start shows the welcome panel.
//
// User-interface thread only.

#include <QString>

#include "platform/result.h"

class QWidget;

namespace kestrum {

class WindowState {
  public:
    // window-state.ini in the user's configuration folder; no file (nothing kept) when there is
    // no such folder.
    static WindowState ForUser();

    explicit WindowState(QString file) : file_(std::move(file)) {}

    // Gives `window` the kept size and position. False, changing nothing, when nothing usable is
    // kept: no file, or one that is damaged, too large or not a file.
    bool Restore(QWidget& window) const;

    // Keeps the window's size and position; the error names the file.
    Result<void> Save(const QWidget& window) const;

    const QString& file() const { return file_; }

  private:
    QString file_;
};

}  // namespace kestrum
