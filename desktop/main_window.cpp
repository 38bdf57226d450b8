#include "desktop/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "desktop/help_window.h"
#include "desktop/icons.h"
#include "desktop/page_binder.h"
#include "desktop/ui_text.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

struct PageInfo {
    int view;
    int command;
    int name;   // button text
    int title;  // title label
};

// The configuration editor's pages in the order of their buttons.
constexpr PageInfo kPages[] = {
    {MainWindow::kConfigFileView, MainWindow::kConfigFilePageCommand, rid::kDeskPageConfigFiles,
     rid::kTitleConfigFiles},
    {MainWindow::kTextStampView, MainWindow::kTextStampPageCommand, rid::kDeskPageTextStamp,
     rid::kTitleTextStamp},
    {MainWindow::kJobOptionsView, MainWindow::kJobOptionsPageCommand, rid::kDeskPageJobOptions,
     rid::kTitleJobOptions},
    {MainWindow::kHpglView, MainWindow::kHpglPageCommand, rid::kDeskPageHpgl, rid::kTitleHpgl},
    {MainWindow::kCalCompView, MainWindow::kCalCompPageCommand, rid::kDeskPageCalComp,
     rid::kTitleCalComp},
    {MainWindow::kRasterView, MainWindow::kRasterPageCommand, rid::kDeskPageRaster,
     rid::kTitleRaster},
    {MainWindow::kAutoCadView, MainWindow::kAutoCadPageCommand, rid::kDeskPageAutoCad,
     rid::kTitleAutoCad},
};

const PageInfo* PageOfView(int view) {
    for (const PageInfo& page : kPages) {
        if (page.view == view) return &page;
    }
    return nullptr;
}

// The commands whose menu items carry the view's check mark.
constexpr int kCheckedCommands[] = {MainWindow::kLauncherCommand, MainWindow::kPrinterCommand,
                                    MainWindow::kEditorCommand, MainWindow::kJobOptionsPageCommand,
                                    MainWindow::kPreferencesCommand};

}  // namespace

QWidget* CreatePlaceholderPage(const QString& name) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(QStringLiteral("<b>%1</b><br>%2")
                                 .arg(name.toHtmlEscaped(), UiText(rid::kDeskPlaceholderText)));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
    page->setObjectName(QStringLiteral("placeholder"));
    return page;
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(UiText(rid::kDeskProgramName));
    setWindowIcon(ProgramIcon());
    BuildMenus();
    BuildToolbars();
    BuildCentre();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::MakeAction(int command, const QString& text, const QIcon& icon) {
    auto* action = new QAction(icon, text, this);
    action->setData(command);
    action->setObjectName(QStringLiteral("command%1").arg(command));
    connect(action, &QAction::triggered, this, [this, command] { Execute(command); });
    actions_[command] = action;
    return action;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(UiText(rid::kDeskMenuFile));
    QAction* exit =
        file->addAction(ThemeIcon("application-exit", "kestrum"), UiText(rid::kDeskCommandExit));
    exit->setShortcut(QKeySequence::Quit);
    exit->setObjectName(QStringLiteral("commandExit"));
    connect(exit, &QAction::triggered, this, [this] { Execute(kOk); });

    QMenu* view = menuBar()->addMenu(UiText(rid::kDeskMenuView));
    const struct {
        int command;
        int text;
        const char* theme;
        const char* fallback;
    } viewItems[] = {
        {kLauncherCommand, rid::kDeskCommandLauncher, "document-send", "launcher"},
        {kPrinterCommand, rid::kDeskCommandPrinters, "printer", "printer"},
        {kEditorCommand, rid::kDeskCommandEditor, "document-properties", "configuration"},
        {kJobOptionsPageCommand, rid::kDeskCommandJobOptions, "", ""},
        {kPreferencesCommand, rid::kDeskCommandPreferences, "preferences-system", "preferences"},
    };
    for (const auto& item : viewItems) {
        QAction* action = MakeAction(item.command, UiText(item.text),
                                     *item.theme ? ThemeIcon(item.theme, item.fallback) : QIcon());
        action->setCheckable(true);
        view->addAction(action);
    }
    view->addSeparator();
    QAction* large = MakeAction(kLargeButtonsCommand, UiText(rid::kDeskCommandLargeButtons), {});
    large->setCheckable(true);
    // The check mark follows the large toolbar, which is shown at start-up.
    large->setChecked(true);
    view->addAction(large);

    QMenu* help = menuBar()->addMenu(UiText(rid::kDeskMenuHelp));
    QAction* contents =
        MakeAction(kHelpCommand, UiText(rid::kDeskCommandHelp), ThemeIcon("help-contents", "help"));
    contents->setShortcut(QKeySequence::HelpContents);
    help->addAction(contents);
    help->addAction(MakeAction(kAboutCommand, UiText(rid::kDeskCommandAbout),
                               ThemeIcon("help-about", "kestrum")));
}

void MainWindow::BuildToolbars() {
    // Both toolbars carry the same actions, so a view's button is down on both at once.
    largeToolbar_ = new QToolBar(UiText(rid::kDeskToolbarLarge), this);
    smallToolbar_ = new QToolBar(UiText(rid::kDeskToolbarSmall), this);
    largeToolbar_->setObjectName(QStringLiteral("toolbar%1").arg(kLargeToolbar));
    smallToolbar_->setObjectName(QStringLiteral("toolbar%1").arg(kSmallToolbar));
    largeToolbar_->setIconSize(QSize(32, 32));
    largeToolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    smallToolbar_->setIconSize(QSize(16, 16));
    smallToolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QToolBar* bar : {largeToolbar_, smallToolbar_}) {
        bar->setMovable(false);
        for (int command : {kLauncherCommand, kPrinterCommand, kEditorCommand, kPreferencesCommand,
                            kHelpCommand}) {
            bar->addSeparator();
            bar->addAction(actions_.at(command));
        }
        addToolBar(Qt::TopToolBarArea, bar);
    }
    smallToolbar_->hide();
}

QPushButton* MainWindow::MakeButton(int control, const QString& text, const QIcon& icon) {
    auto* button = new QPushButton(icon, text);
    SetControlId(button, control);
    connect(button, &QPushButton::clicked, this, [this, control] { RunCommand(control); });
    buttons_[control] = button;
    return button;
}

void MainWindow::BuildCentre() {
    auto* centre = new QWidget;
    auto* outer = new QVBoxLayout(centre);
    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);

    auto* side = new QVBoxLayout;
    body->addLayout(side);
    side->addWidget(MakeButton(kLauncherCommand, UiText(rid::kDeskCommandLauncher),
                               ThemeIcon("document-send", "launcher")));
    side->addWidget(MakeButton(kEditorCommand, UiText(rid::kDeskCommandEditor),
                               ThemeIcon("document-properties", "configuration")));
    side->addWidget(MakeButton(kPreferencesCommand, UiText(rid::kDeskCommandPreferences),
                               ThemeIcon("preferences-system", "preferences")));
    side->addWidget(MakeButton(kPrinterCommand, UiText(rid::kDeskCommandPrinters),
                               ThemeIcon("printer", "printer")));
    side->addSpacing(12);
    pageButtonBox_ = new QWidget;
    pageButtonBox_->setObjectName(QStringLiteral("pageButtons"));
    auto* pageLayout = new QVBoxLayout(pageButtonBox_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* pagesCaption = new QLabel(UiText(rid::kDeskPageButtons));
    pageLayout->addWidget(pagesCaption);
    for (const PageInfo& page : kPages) {
        pageLayout->addWidget(MakeButton(page.command, UiText(page.name), {}));
    }
    side->addWidget(pageButtonBox_);
    side->addStretch(1);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    title_ = new QLabel;
    SetControlId(title_, kTitleLabel);
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    title_->setFont(titleFont);
    right->addWidget(title_);
    stack_ = new QStackedWidget;
    stack_->setObjectName(QStringLiteral("pages"));
    right->addWidget(stack_, 1);

    // Every view starts with a placeholder, so a view without its window still shows something.
    const struct {
        int view;
        int name;
    } views[] = {{kLauncherView, rid::kDeskCommandLauncher},
                 {kPreferencesView, rid::kDeskCommandPreferences},
                 {kPrinterView, rid::kDeskCommandPrinters}};
    for (const auto& v : views) SetPageWidget(v.view, CreatePlaceholderPage(UiText(v.name)));
    for (const PageInfo& page : kPages) {
        SetPageWidget(page.view, CreatePlaceholderPage(UiText(page.name)));
    }
    auto* welcome = new QWidget;
    auto* welcomeLayout = new QVBoxLayout(welcome);
    auto* picture = new QLabel;
    SetControlId(picture, 1214);
    picture->setPixmap(ProgramIcon().pixmap(QSize(96, 96), devicePixelRatio()));
    picture->setAlignment(Qt::AlignCenter);
    auto* greeting = new QLabel(
        QStringLiteral("<h2>%1</h2><p>%2</p>")
            .arg(UiText(rid::kDeskProgramName), UiText(rid::kDeskWelcomeText)
                                                    .toHtmlEscaped()
                                                    .replace('\n', QStringLiteral("<br>"))));
    greeting->setAlignment(Qt::AlignCenter);
    greeting->setWordWrap(true);
    welcomeLayout->addStretch(1);
    welcomeLayout->addWidget(picture);
    welcomeLayout->addWidget(greeting);
    welcomeLayout->addStretch(1);
    SetPageWidget(kWelcomeView, welcome);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    SetControlId(buttons->button(QDialogButtonBox::Ok), kOk);
    SetControlId(buttons->button(QDialogButtonBox::Cancel), kCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { RunCommand(kOk); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { RunCommand(kCancel); });
    outer->addWidget(buttons);
    setCentralWidget(centre);
}

void MainWindow::SetPageWidget(int view, QWidget* page) {
    if (view < 1 || view > 11 || page == nullptr) return;
    QWidget* old = PageWidget(view);
    const bool current = old != nullptr && stack_->currentWidget() == old;
    stack_->addWidget(page);
    pages_[view] = page;
    if (current) stack_->setCurrentWidget(page);
    if (old != nullptr) {
        stack_->removeWidget(old);
        old->deleteLater();
    }
}

QWidget* MainWindow::PageWidget(int view) const {
    const auto found = pages_.find(view);
    return found == pages_.end() ? nullptr : found->second;
}

bool MainWindow::RunCommand(int command) {
    // A command with a menu item or toolbar button goes through its action, so its check mark
    // changes as a click would change it.
    if (const auto found = actions_.find(command); found != actions_.end()) {
        found->second->trigger();
        return true;
    }
    return Execute(command);
}

bool MainWindow::Execute(int command) {
    switch (command) {
        case kOk:
            Finish(0);
            return true;
        case kCancel:
            Finish(1);
            return true;
        case kLauncherCommand:
            TopLevelView(command, kLauncherView, UiText(rid::kTitleLauncher));
            return true;
        case kPreferencesCommand:
            TopLevelView(command, kPreferencesView, UiText(rid::kDeskTitlePreferences));
            return true;
        case kPrinterCommand:
            TopLevelView(command, kPrinterView, UiText(rid::kDeskTitlePrinters));
            return true;
        case kConfigFilePageCommand:
            pageMemory_ = kConfigFileView;
            ConfigurationEditor();
            return true;
        case kEditorCommand:
            ConfigurationEditor();
            return true;
        case kLargeButtonsCommand:
            ToggleLargeButtons();
            return true;
        case kHelpCommand:
            ShowHelp();
            return true;
        case kAboutCommand:
            ShowAbout();
            return true;
        default:
            break;
    }
    for (const PageInfo& page : kPages) {
        if (page.command == command) {
            PageButton(command, page.view);
            return true;
        }
    }
    return false;
}

void MainWindow::ShowPage(int view, const QString& title) {
    // Only the view's own page is shown; the others stay hidden in the stack.
    if (QWidget* page = PageWidget(view)) stack_->setCurrentWidget(page);
    title_->setText(title);
    currentView_ = view;
    emit ViewShown(view);
}

void MainWindow::CheckViewCommand(int command) {
    for (int c : kCheckedCommands) actions_.at(c)->setChecked(c == command);
}

void MainWindow::SetPageButtonsShown(bool shown, int disabledCommand) {
    pageButtonBox_->setVisible(shown);
    for (const PageInfo& page : kPages) {
        QPushButton* button = buttons_.at(page.command);
        button->setVisible(shown);
        button->setEnabled(shown && page.command != disabledCommand);
    }
}

void MainWindow::RefreshViewButtons() {
    for (int c : {kLauncherCommand, kEditorCommand, kPreferencesCommand, kPrinterCommand}) {
        buttons_.at(c)->setEnabled(true);
    }
    if (currentView_ == kLauncherView) buttons_.at(kLauncherCommand)->setEnabled(false);
    if (currentView_ == kPreferencesView) buttons_.at(kPreferencesCommand)->setEnabled(false);
    if (currentView_ == kPrinterView) buttons_.at(kPrinterCommand)->setEnabled(false);
    if (currentView_ >= kConfigFileView && currentView_ <= kRasterView) {
        buttons_.at(kEditorCommand)->setEnabled(false);
    }
}

void MainWindow::TopLevelView(int command, int view, const QString& title) {
    CheckViewCommand(command);
    ShowPage(view, title);
    RefreshViewButtons();
    SetPageButtonsShown(false, 0);
}

void MainWindow::ConfigurationEditor() {
    CheckViewCommand(kEditorCommand);
    const PageInfo* page = PageOfView(pageMemory_);
    if (page == nullptr) page = &kPages[0];
    ShowPage(page->view, UiText(page->title));
    // The editor counts as view 2 whichever of its pages it brings back.
    currentView_ = kConfigFileView;
    SetPageButtonsShown(true, page->command);
    RefreshViewButtons();
}

void MainWindow::PageButton(int command, int view) {
    pageMemory_ = view;
    const PageInfo* page = PageOfView(view);
    ShowPage(view, UiText(page->title));
    SetPageButtonsShown(true, command);
    if (command == kJobOptionsPageCommand) CheckViewCommand(command);
}

void MainWindow::ShowWelcome() {
    ShowPage(kWelcomeView, QString());
    SetPageButtonsShown(false, 0);
    RefreshViewButtons();
}

void MainWindow::ToggleLargeButtons() {
    // The action has toggled its own check mark already: it now says whether large is wanted.
    const bool large = actions_.at(kLargeButtonsCommand)->isChecked();
    largeToolbar_->setVisible(large);
    smallToolbar_->setVisible(!large);
    smallToolbar_->adjustSize();
}

void MainWindow::Finish(int exitCode) {
    exitCode_ = exitCode;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (help_ != nullptr) help_->close();
    if (finished_) return;
    finished_ = true;
    // The close box ends as OK does; Cancel has set its code before closing.
    emit Finished(exitCode_);
}

void MainWindow::ShowAbout() {
    QMessageBox box(this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setWindowTitle(UiText(rid::kDeskCommandAbout).remove('&'));
    box.setIconPixmap(ProgramIcon().pixmap(64, 64));
    box.setText(UiText(rid::kDeskAboutText).arg(QStringLiteral(KESTRUM_VERSION)));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void MainWindow::ShowHelp() {
    if (help_ == nullptr) help_ = new HelpWindow(this);
    help_->ShowContents();
}

void MainWindow::ShowMessage(const QString& caption, const QString& text) {
    QMessageBox::warning(this, caption.isEmpty() ? UiText(rid::kDeskProgramName) : caption, text);
}

}  // namespace kestrum
