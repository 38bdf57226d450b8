#pragma once

// The help window: the user manual (HTML pages in the manual folder) with its contents and an
// index of every section heading.

#include <QDir>
#include <QWidget>

class QListWidget;
class QTextBrowser;

namespace kestrum {

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window at the manual's first page.
    void ShowContents();

    // The folder of the manual: $KESTRUM_MANUAL_DIR, the installed documentation folder beside the
    // executable's prefix, or the source tree's docs/manual for a program run from the build tree.
    static QDir ManualFolder();

  private:
    void Load();

    QListWidget* contents_ = nullptr;
    QListWidget* index_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    bool loaded_ = false;
};

}  // namespace kestrum
