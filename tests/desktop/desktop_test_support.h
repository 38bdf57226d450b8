#pragma once

// What the tests of the whole desktop program share: a private settings folder and working
// folder per test function, and finding a window's control by its id.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "desktop/application.h"
#include "desktop/main_window.h"

namespace kestrum::test {

// XDG_CONFIG_HOME and the working folder point into fresh temporary folders until End().
class ScratchFolders {
  public:
    void Begin() {
        config = std::make_unique<QTemporaryDir>();
        work = std::make_unique<QTemporaryDir>();
        startFolder_ = QDir::currentPath();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        QDir::setCurrent(work->path());
    }
    void End() { QDir::setCurrent(startFolder_); }

    std::unique_ptr<QTemporaryDir> config;
    std::unique_ptr<QTemporaryDir> work;

  private:
    QString startFolder_;
};

template <typename W>
W* FindControl(Application& app, int id) {
    return app.mainWindow()->findChild<W*>(QStringLiteral("control%1").arg(id));
}

}  // namespace kestrum::test
