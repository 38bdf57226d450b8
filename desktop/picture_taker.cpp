#include "desktop/picture_taker.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "desktop/application.h"
#include "desktop/help_window.h"
#include "desktop/icons.h"
#include "desktop/main_window.h"
#include "desktop/ui_text.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

bool Save(QWidget* widget, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "kestrum: cannot write the picture %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int TakePictures(Application& application, const QString& folderName) {
    QDir folder(folderName);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kestrum: cannot make the folder %s\n", qPrintable(folderName));
        return -1;
    }
    MainWindow* window = application.mainWindow();
    window->resize(QSize(960, 680));
    window->show();
    int written = 0;
    bool ok = true;
    const struct {
        int command;
        const char* name;
    } views[] = {
        {0, "main-window"},
        {MainWindow::kLauncherCommand, "view-01-launcher"},
        {MainWindow::kConfigFilePageCommand, "view-02-configuration-files"},
        {MainWindow::kTextStampPageCommand, "view-03-text-stamp"},
        {MainWindow::kJobOptionsPageCommand, "view-04-job-options"},
        {MainWindow::kHpglPageCommand, "view-05-hpgl"},
        {MainWindow::kCalCompPageCommand, "view-06-calcomp"},
        {MainWindow::kRasterPageCommand, "view-07-raster"},
        {MainWindow::kAutoCadPageCommand, "view-11-autocad"},
        {MainWindow::kPreferencesCommand, "view-08-preferences"},
        {MainWindow::kPrinterCommand, "view-10-printer-selection"},
    };
    for (const auto& view : views) {
        if (view.command != 0) window->RunCommand(view.command);
        if (Save(window, folder, QString::fromLatin1(view.name)))
            ++written;
        else
            ok = false;
    }
    window->RunCommand(MainWindow::kLargeButtonsCommand);
    if (Save(window, folder, QStringLiteral("main-window-small-toolbar")))
        ++written;
    else
        ok = false;
    window->RunCommand(MainWindow::kLargeButtonsCommand);

    // The About box is modal: it is taken once it is up, then closed.
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QStringLiteral("aboutBox") && top->isVisible()) {
                if (Save(top, folder, QStringLiteral("dialog-about")))
                    ++written;
                else
                    ok = false;
                static_cast<QMessageBox*>(top)->accept();
            }
        }
    });
    window->RunCommand(MainWindow::kAboutCommand);

    window->RunCommand(MainWindow::kHelpCommand);
    if (auto* help = window->findChild<HelpWindow*>()) {
        if (Save(help, folder, QStringLiteral("dialog-help")))
            ++written;
        else
            ok = false;
        help->close();
    }
    return ok ? written : -1;
}

}  // namespace kestrum
