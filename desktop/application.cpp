#include "desktop/application.h"

#include <QApplication>
#include <array>
#include <utility>

#include "config/configuration_file.h"
#include "desktop/configuration_page.h"
#include "desktop/main_window.h"
#include "desktop/preferences_page.h"
#include "desktop/printer_selection_page.h"
#include "platform/system_printer.h"
#include "platform/system_spooler.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

Application::Application(std::unique_ptr<Spooler> spooler, MessageSink* messages, QObject* parent)
    : QObject(parent), messages_(messages ? messages : &boxes_), spooler_(std::move(spooler)) {
    if (!spooler_) spooler_ = SystemSpooler::ForCurrentUser();
}

Application::~Application() {
    // The window and its pages go before the models they show.
    mainWindow_.reset();
}

void Application::Start(bool show) {
    // The menu and toolbars come first, so start-up messages have a window to belong to.
    mainWindow_ = std::make_unique<MainWindow>();
    boxes_.SetOwner(mainWindow_.get());
    connect(mainWindow_.get(), &MainWindow::Finished, this, &Application::Finished);

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
    if (show) {
        mainWindow_->resize(mainWindow_->sizeHint().expandedTo(QSize(900, 640)));
        mainWindow_->show();
        mainWindow_->activateWindow();
    }
}

void Application::CreateOptionPages() {
    optionPages_ = CreateOptionPageWidgets(*options_, settings_.settingsFile, *messages_,
                                           mainWindow_.get());
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
        connect(this, &Application::ExportRequested, page, [page] { page->Export(); });
    }
}

}  // namespace kestrum
