#include "desktop/application.h"

#include <QApplication>
#include <QDBusConnection>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <array>
#include <utility>

#include "config/configuration_file.h"
#include "desktop/configuration_page.h"
#include "desktop/main_window.h"
#include "desktop/preferences_page.h"
#include "desktop/printer_selection_page.h"
#include "platform/system_printer.h"
#include "platform/system_spooler.h"
#include "platform/xdg_paths.h"
#include "render/drawing_rendering.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

Application::Application(std::unique_ptr<Spooler> spooler, MessageSink* messages, QObject* parent)
    : QObject(parent),
      direct_(messages ? messages : &boxes_),
      filter_(*direct_),
      messages_(&filter_),
      windowState_(WindowState::ForUser()),
      spooler_(std::move(spooler)) {
    if (!spooler_) spooler_ = SystemSpooler::ForCurrentUser();
}

Application::~Application() {
    // The bus clients lose the interface first; then the window and its pages go before the
    // models they show.
    commandInterface_.reset();
    mainWindow_.reset();
}

void Application::Start(bool show) {
    // The menu and toolbars come first, so start-up messages have a window to belong to.
    mainWindow_ = std::make_unique<MainWindow>();
    boxes_.SetOwner(mainWindow_.get());
    boxes_.SetDelivery(MessageBoxSink::Delivery::Hold);
    connect(mainWindow_.get(), &MainWindow::Finished, this, &Application::End);

    if (auto file = SettingsFilePath()) filter_.SetSettingsFile(file.value());
    settings_ = LoadUserProgramSettings(SettingsWriteBack::Yes, *messages_);

    // The page models, each at its defaults, then the configuration manager, which names the
    // current configuration.
    options_ = std::make_unique<OptionState>(settings_.unit, settings_.printerType);
    manager_ = std::make_unique<ConfigurationManager>(*options_, settings_, *messages_, [] {
        // A machine with no default queue is no fault to report at every start and every New:
        // only an entry that names a default printer but lacks a part is.
        std::string entry = SystemDefaultPrinterEntry();
        if (entry == ",,,")
            entry = std::string(LoadResourceString(rid::kSystemDefaultPrinterName)) + ",none,none";
        return entry;
    });

    // Printer selection applies the stored type once; the pages follow every later choice, then
    // the main window's view buttons.
    FollowPrinterType(printerSelection_, *options_);
    printerSelection_.AddPrinterTypeListener([this](PrinterType) {
        emit OptionValuesChanged();
        if (mainWindow_) mainWindow_->RefreshViewButtons();
    });
    if (auto applied = printerSelection_.Initialise(settings_); !applied) {
        messages_->Show(Message{0, applied.error().message, "Kestrum", MessageIcon::Exclamation});
    }
    // The stored check marks are the printers of every send, also of one started before the
    // printer page was ever shown (the launcher's button, a command client): without this read
    // such a send found no printer, and a client's send "completed" having sent nothing. A
    // spooler that gives no list leaves it empty, as the page would.
    (void)printerSelection_.Rebuild(spooler_->Printers(), settings_.settingsFile);

    configurationPage_ =
        new ConfigurationPage(*manager_, *options_, settings_, *spooler_, clock_, *messages_);
    connect(configurationPage_, &ConfigurationPage::ExportRequested, this,
            &Application::ExportRequested);
    connect(configurationPage_, &ConfigurationPage::ValuesChanged, this,
            &Application::OptionValuesChanged);
    configurationPage_->SetPrinterSource([this] {
        // The bottom-most checked queue, as every send names it; the stored name when the list
        // has not been read yet.
        const auto checked = printerSelection_.CheckedPrinters();
        return checked.empty() ? settings_.printerName : checked.back();
    });
    mainWindow_->SetPageWidget(MainWindow::kConfigFileView, configurationPage_);

    printerSelectionPage_ =
        new PrinterSelectionPage(printerSelection_, settings_, *spooler_, *messages_);
    mainWindow_->SetPageWidget(MainWindow::kPrinterView, printerSelectionPage_);

    CreateOptionPages();
    CreateLauncher();
    if (pageCreator_) pageCreator_(*this);

    preferences_ = std::make_unique<Preferences>(settings_, *messages_);
    Preferences::Listeners listeners;
    listeners.outputMode = [this](OutputMode mode) {
        printerSelection_.ApplyOutputMode(mode);
        if (printerSelectionPage_) printerSelectionPage_->Push();
        if (mainWindow_) mainWindow_->RefreshViewButtons();
        if (configurationPage_) configurationPage_->ApplyOutputMode(mode);
    };
    listeners.unit = [this](Unit unit) {
        options_->unit = unit;
        options_->job.ApplyUnit(unit);
        options_->autocad.ApplyUnit(unit);
        options_->stamp.ApplyUnit(unit);
        emit OptionValuesChanged();
    };
    listeners.configFilesFolder = [this](const std::string& folder) {
        std::string name = folder;
        if (name.empty() || name.back() != '/') name += '/';
        options_->values.currentConfiguration = name + "config1.cfg";
        if (configurationPage_) configurationPage_->Refresh();
    };
    listeners.plotFilesFolder = [this](const std::string& folder) {
        emit PlotFilesFolderChanged(QString::fromStdString(folder));
    };
    preferences_->SetListeners(std::move(listeners));
    preferences_->Initialise();
    preferencesPage_ = new PreferencesPage(*preferences_);
    mainWindow_->SetPageWidget(MainWindow::kPreferencesView, preferencesPage_);

    if (manager_->LoadDefaultConfiguration()) {
        configurationPage_->Refresh();
        emit OptionValuesChanged();
    }

    mainWindow_->ShowWelcome();
    if (!windowState_.Restore(*mainWindow_)) {
        mainWindow_->resize(mainWindow_->sizeHint().expandedTo(QSize(900, 640)));
    }
    if (show) {
        mainWindow_->show();
        mainWindow_->activateWindow();
    }
    boxes_.Release();
}

void Application::End(int exitCode) {
    // Past the filter: a failure at the end is news even after one was told at start.
    if (auto saved = windowState_.Save(*mainWindow_); !saved) {
        direct_->Show(ToMessage(saved.error()));
    }
    if (auto saved = SaveProgramSettingsAtExit(settings_); !saved) {
        direct_->Show(ToMessage(saved.error()));
    }
    emit Finished(exitCode);
}

void Application::CreateOptionPages() {
    optionPages_ =
        CreateOptionPageWidgets(*options_, settings_.settingsFile, *messages_, mainWindow_.get());
    const std::array<std::pair<int, OptionPageWidget*>, 6> views = {{
        {MainWindow::kTextStampView, optionPages_.stamp},
        {MainWindow::kJobOptionsView, optionPages_.job},
        {MainWindow::kHpglView, optionPages_.hpgl},
        {MainWindow::kCalCompView, optionPages_.calcomp},
        {MainWindow::kRasterView, optionPages_.raster},
        {MainWindow::kAutoCadView, optionPages_.autocad},
    }};
    for (const auto& [view, page] : views) {
        mainWindow_->SetPageWidget(view, page);
        // The models already hold what a load, New or a unit or type change made of the values.
        connect(this, &Application::OptionValuesChanged, page, &OptionPageWidget::Push);
        // Edits still in the widgets reach the values before any save or send copies them.
        connect(this, &Application::ExportRequested, page, [widget = page] { widget->Export(); });
    }
}

void Application::CreateLauncher() {
    renderer_ = RendererBinding::ForProgram();
    if (renderer_.available())
        drawingRenderer_ = std::make_shared<LibraryDrawingRenderer>(renderer_);
    launchList_ = std::make_unique<LaunchList>(
        renderer_.available() ? LaunchList::DrawingTest([this](const std::string& path) {
            return IsDrawingToRender(renderer_, path);
        })
                              : LaunchList::DrawingTest());
    LauncherContext context{*launchList_,
                            settings_,
                            *options_,
                            printerSelection_,
                            ticket_,
                            renderer_,
                            *messages_,
                            SendServices{spooler_.get(), &clock_, drawingRenderer_.get()},
                            [this] { emit ExportRequested(); }};
    launcher_ = new LauncherWindow(std::move(context), mainWindow_.get());
    mainWindow_->SetPageWidget(MainWindow::kLauncherView, launcher_);
    connect(launcher_, &LauncherWindow::MainWindowVisibilityRequested, mainWindow_.get(),
            [this](bool show) { mainWindow_->setVisible(show); });
    // Shown from the event loop: the box waits for its user, but the restart of the persistent
    // window, its busy mark and a waiting command client's JobEnded must not.
    connect(launcher_, &LauncherWindow::SendFailed, this, [this](const Message& message) {
        QTimer::singleShot(0, this, [this, message] { messages_->Show(message); });
    });
    connect(launcher_, &LauncherWindow::StatusMessage, mainWindow_->statusBar(),
            [bar = mainWindow_->statusBar()](const QString& text) { bar->showMessage(text); });
    connect(launcher_, &LauncherWindow::ConfigurationsRequested, this,
            [this] { mainWindow_->RunCommand(MainWindow::kEditorCommand); });
    connect(this, &Application::PlotFilesFolderChanged, launcher_,
            [this](const QString& folder) { launcher_->ChangeFolder(folder); });
    if (commandInterfaceWanted_) OpenCommandInterface();
}

void Application::OpenCommandInterface() {
    commandInterface_ =
        std::make_unique<CommandInterface>(*launchList_, *launcher_, printerSelection_);
    // Said without a modal box: a desktop without a session bus must still start (and end on
    // SIGTERM) without anybody answering it.
    CollectingMessageSink refusal;
    if (commandInterface_->Open(QDBusConnection::sessionBus(), refusal)) return;
    for (const Message& message : refusal.messages()) {
        auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(message.caption),
                                    QString::fromStdString(message.text), QMessageBox::Ok,
                                    mainWindow_.get());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
}

void Application::OpenFiles(const QStringList& files) {
    if (files.isEmpty() || launcher_ == nullptr) return;
    mainWindow_->RunCommand(MainWindow::kLauncherCommand);
    launcher_->OpenFromCommandLine(files);
}

}  // namespace kestrum
