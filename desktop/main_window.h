#pragma once

// The main window: menu bar, the large and the small toolbar, the title label, four view buttons,
// seven configuration-page buttons and the page stack. It shows exactly one page at a time; which
// one is its current view. Every page is created once and lives until exit.
//
// Pages are hosted by view number: SetPageWidget(view, page) puts the page in place of the plain
// placeholder that stands there until its window exists. Commands are the actions' ids (object
// name "command<n>", data n); the window's buttons carry their control ids ("control<n>").
// User-interface thread only.

#include <QMainWindow>
#include <map>

class QAction;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolBar;

namespace kestrum {

class HelpWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Views, by number.
    static constexpr int kLauncherView = 1;
    static constexpr int kConfigFileView = 2;  // the configuration editor's first page
    static constexpr int kTextStampView = 3;
    static constexpr int kJobOptionsView = 4;
    static constexpr int kHpglView = 5;
    static constexpr int kCalCompView = 6;
    static constexpr int kRasterView = 7;
    static constexpr int kPreferencesView = 8;
    static constexpr int kWelcomeView = 9;
    static constexpr int kPrinterView = 10;
    static constexpr int kAutoCadView = 11;

    // Commands and controls.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    static constexpr int kTitleLabel = 1019;
    static constexpr int kLauncherCommand = 1073;
    static constexpr int kEditorCommand = 1003;
    static constexpr int kPreferencesCommand = 1135;
    static constexpr int kPrinterCommand = 1147;
    static constexpr int kConfigFilePageCommand = 1122;
    static constexpr int kTextStampPageCommand = 1004;
    static constexpr int kJobOptionsPageCommand = 1045;
    static constexpr int kHpglPageCommand = 1070;
    static constexpr int kCalCompPageCommand = 1071;
    static constexpr int kRasterPageCommand = 1072;
    static constexpr int kAutoCadPageCommand = 1207;
    static constexpr int kHelpCommand = 1105;
    static constexpr int kAboutCommand = 1123;
    static constexpr int kLargeButtonsCommand = 32779;
    static constexpr int kLargeToolbar = 12345;
    static constexpr int kSmallToolbar = 12346;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Hosts `page` as the page of `view` (1 to 11), in place of what stood there, which is
    // deleted. The window takes ownership. The page is shown only while its view is current.
    void SetPageWidget(int view, QWidget* page);
    QWidget* PageWidget(int view) const;

    // Any command of the menu, the toolbars or the window's buttons, by number. False when the
    // window has no such command.
    bool RunCommand(int command);

    // The end of start-up: the welcome panel with an empty title.
    void ShowWelcome();
    // Enables the four view buttons, then disables the current view's own.
    void RefreshViewButtons();

    int currentView() const { return currentView_; }
    int pageMemory() const { return pageMemory_; }

    // A message handed in from elsewhere (a send by another program that failed), shown over
    // this window.
    void ShowMessage(const QString& caption, const QString& text);

  signals:
    // OK (and the close box) with 0, Cancel with 1. The window is closed already.
    void Finished(int exitCode);
    // After a view or page has been shown.
    void ViewShown(int view);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void BuildToolbars();
    void BuildCentre();
    QAction* MakeAction(int command, const QString& text, const QIcon& icon);
    QPushButton* MakeButton(int control, const QString& text, const QIcon& icon);

    bool Execute(int command);
    void ShowPage(int view, const QString& title);
    void TopLevelView(int command, int view, const QString& title);
    void ConfigurationEditor();
    void PageButton(int command, int view);
    void CheckViewCommand(int command);
    void SetPageButtonsShown(bool shown, int disabledCommand);
    void ToggleLargeButtons();
    void Finish(int exitCode);
    void ShowAbout();
    void ShowHelp();

    QStackedWidget* stack_ = nullptr;
    QLabel* title_ = nullptr;
    QToolBar* largeToolbar_ = nullptr;
    QToolBar* smallToolbar_ = nullptr;
    QWidget* pageButtonBox_ = nullptr;
    std::map<int, QWidget*> pages_;        // view -> page
    std::map<int, QAction*> actions_;      // command -> action
    std::map<int, QPushButton*> buttons_;  // control -> button
    HelpWindow* help_ = nullptr;
    int currentView_ = 0;
    int pageMemory_ = kConfigFileView;
    int exitCode_ = 0;
    bool finished_ = false;
};

// A plain page that stands where a page's window will be, with its name.
QWidget* CreatePlaceholderPage(const QString& name);

}  // namespace kestrum
