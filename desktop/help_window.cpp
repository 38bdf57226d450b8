#include "desktop/help_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <algorithm>

#include "desktop/icons.h"
#include "desktop/ui_text.h"
#include "shell/resource_ids.h"

namespace kestrum {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(UiText(rid::kDeskHelpTitle));
    setWindowIcon(ProgramIcon());
    auto* layout = new QHBoxLayout(this);
    auto* splitter = new QSplitter;
    layout->addWidget(splitter);
    auto* tabs = new QTabWidget;
    contents_ = new QListWidget;
    contents_->setObjectName(QStringLiteral("helpContents"));
    index_ = new QListWidget;
    index_->setObjectName(QStringLiteral("helpIndex"));
    tabs->addTab(contents_, UiText(rid::kDeskHelpContents));
    tabs->addTab(index_, UiText(rid::kDeskHelpIndex));
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    splitter->addWidget(tabs);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});
    const auto open = [this](QListWidgetItem* item) {
        if (item != nullptr) browser_->setSource(item->data(Qt::UserRole).toUrl());
    };
    connect(contents_, &QListWidget::itemActivated, this, open);
    connect(contents_, &QListWidget::itemClicked, this, open);
    connect(index_, &QListWidget::itemActivated, this, open);
    connect(index_, &QListWidget::itemClicked, this, open);
    resize(900, 600);
}

QDir HelpWindow::ManualFolder() {
    const QByteArray fromEnvironment = qgetenv("KESTRUM_MANUAL_DIR");
    if (!fromEnvironment.isEmpty()) return QDir(QString::fromLocal8Bit(fromEnvironment));
    const QDir installed(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../" KESTRUM_DOC_SUBDIR "/manual"));
    if (installed.exists(QStringLiteral("index.html"))) return installed;
    return QDir(QStringLiteral(KESTRUM_SOURCE_MANUAL_DIR));
}

void HelpWindow::Load() {
    loaded_ = true;
    const QDir folder = ManualFolder();
    // The pages in the order of their file names (01-..., 02-...), index.html first.
    QStringList pages = folder.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    pages.removeAll(QStringLiteral("index.html"));
    pages.prepend(QStringLiteral("index.html"));
    const QRegularExpression titlePattern(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression headingPattern(QStringLiteral("<h[23] id=\"([^\"]+)\">(.*?)</h[23]>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QList<QListWidgetItem*> indexItems;
    for (const QString& name : pages) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        // A manual page is small; a huge file in its place is not read whole.
        const QString html = QString::fromUtf8(file.read(1 << 20));
        const QUrl url = QUrl::fromLocalFile(folder.absoluteFilePath(name));
        const auto title = titlePattern.match(html);
        auto* item = new QListWidgetItem(title.hasMatch() ? title.captured(1).trimmed() : name);
        item->setData(Qt::UserRole, url);
        contents_->addItem(item);
        for (auto it = headingPattern.globalMatch(html); it.hasNext();) {
            const auto heading = it.next();
            QUrl target = url;
            target.setFragment(heading.captured(1));
            auto* entry = new QListWidgetItem(
                heading.captured(2).remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
            entry->setData(Qt::UserRole, target);
            indexItems.append(entry);
        }
    }
    std::sort(indexItems.begin(), indexItems.end(), [](auto* a, auto* b) {
        return a->text().compare(b->text(), Qt::CaseInsensitive) < 0;
    });
    for (auto* item : indexItems) index_->addItem(item);
    if (contents_->count() == 0) {
        browser_->setPlainText(UiText(rid::kDeskHelpMissing) + QLatin1Char('\n') +
                               folder.absolutePath());
    }
}

void HelpWindow::ShowContents() {
    if (!loaded_) Load();
    if (contents_->count() > 0) {
        contents_->setCurrentRow(0);
        browser_->setSource(contents_->item(0)->data(Qt::UserRole).toUrl());
    }
    show();
    raise();
    activateWindow();
}

}  // namespace kestrum
