#pragma once

// The desktop program's start-up and shutdown: the settings read with every write-back, the option
// state with its page models, the configuration manager, printer selection and preferences, the
// main window with every page created once, and default.cfg loaded. Everything lives as long as
// this object; the main window is destroyed first, before the models its pages show.
//
// The lead wiring point for the option pages and the launcher: options() holds the page models,
// mainWindow()->SetPageWidget(view, widget) hosts their windows, and the signals below tell when
// bound widgets must show the values again or hand in what they hold.
//
// User-interface thread only. A QApplication must exist.

#include <QObject>
#include <functional>
#include <memory>

#include "config/configuration_manager.h"
#include "config/option_state.h"
#include "desktop/command_host.h"
#include "desktop/launcher_window.h"
#include "desktop/message_box_sink.h"
#include "desktop/pages/option_page_widgets.h"
#include "desktop/window_state.h"
#include "platform/clock.h"
#include "platform/spooler.h"
#include "shell/preferences.h"
#include "shell/printer_selection.h"
#include "shell/program_settings.h"

namespace kestrum {

class ConfigurationPage;
class MainWindow;
class PreferencesPage;
class PrinterSelectionPage;

class Application : public QObject {
    Q_OBJECT

  public:
    // `spooler`: the queues and jobs; the system's when null. `messages`: where the core's
    // messages go; message boxes when null. Tests give their own of both.
    explicit Application(std::unique_ptr<Spooler> spooler = nullptr,
                         MessageSink* messages = nullptr, QObject* parent = nullptr);
    ~Application() override;

    // Creates the option pages' and the launcher's windows and hosts them in the main window
    // (MainWindow::SetPageWidget). Start calls it once, after the configuration file page and
    // printer selection exist and before Preferences is initialised and default.cfg is loaded, so
    // the pages see the unit, the printer type and the loaded values through OptionValuesChanged.
    void SetPageCreator(std::function<void(Application&)> creator) {
        pageCreator_ = std::move(creator);
    }

    // Runs the start-up sequence up to the shown main window (`show` false keeps it hidden, for
    // pictures and tests). The settings file is the user's (see platform/xdg_paths.h). Messages
    // of start-up wait until the window is up and then show in boxes that do not wait for an
    // answer, so start-up never stops at one.
    void Start(bool show = true);

    // The program ends on a signal: messages from now on go to standard error, so no box keeps
    // it from ending.
    void EndingOnSignal() { boxes_.SetDelivery(MessageBoxSink::Delivery::StandardError); }

    // Serves the command interface for other programs on the session bus (the real program; tests
    // of the windows leave it off). Call before Start. When the name cannot be owned the program
    // says so once, without waiting for an answer, and runs without the interface.
    void EnableCommandInterface() { commandInterfaceWanted_ = true; }

    // `kestrum FILE...`: plot files for the launch list, or a launch file to open; the launcher
    // is shown.
    void OpenFiles(const QStringList& files);

    // The command-interface instance for other programs belongs here, opened before the main
    // window and closed after it; it comes with its own front end.

    MainWindow* mainWindow() const { return mainWindow_.get(); }
    ProgramSettings& settings() { return settings_; }
    OptionState& options() { return *options_; }
    ConfigurationManager& configurationManager() { return *manager_; }
    PrinterSelection& printerSelection() { return printerSelection_; }
    Preferences& preferences() { return *preferences_; }
    MessageSink& messages() { return *messages_; }
    Spooler& spooler() { return *spooler_; }
    ConfigurationPage* configurationPage() const { return configurationPage_; }
    PreferencesPage* preferencesPage() const { return preferencesPage_; }
    PrinterSelectionPage* printerSelectionPage() const { return printerSelectionPage_; }
    LauncherWindow* launcher() const { return launcher_; }
    LaunchList& launchList() { return *launchList_; }
    CommandInterface* commandInterface() const { return commandInterface_.get(); }

  signals:
    // The option values changed under the pages (a configuration loaded, New, a unit or printer
    // type change): bound option pages show them again (PageBinder::Push).
    void OptionValuesChanged();
    // Before a save or a send: bound option pages hand in what their widgets hold
    // (PageBinder::Export).
    void ExportRequested();
    // The plot-files folder was set in Preferences: the launcher shows it.
    void PlotFilesFolderChanged(const QString& folder);
    // The main window closed and what is saved at exit is saved (a failure is told, the code
    // stays): 0 for OK and the close box, 1 for Cancel.
    void Finished(int exitCode);

  private:
    // The six configuration pages, bound to their models and hosted in the main window.
    void CreateOptionPages();
    // The launcher, its list and what its sends use, and the command interface over it.
    void CreateLauncher();
    void OpenCommandInterface();
    // The writes of the end: the window's size and position, and settings left unsaved.
    void End(int exitCode);

    MessageBoxSink boxes_;
    // The given sink or the boxes; the filter in front of it tells a settings file failure once.
    MessageSink* direct_;
    SettingsFailureFilter filter_;
    MessageSink* messages_;
    WindowState windowState_;
    std::unique_ptr<Spooler> spooler_;
    SystemClock clock_;
    ProgramSettings settings_;
    std::unique_ptr<OptionState> options_;
    std::unique_ptr<ConfigurationManager> manager_;
    PrinterSelection printerSelection_;
    std::unique_ptr<Preferences> preferences_;
    std::unique_ptr<MainWindow> mainWindow_;
    ConfigurationPage* configurationPage_ = nullptr;
    PreferencesPage* preferencesPage_ = nullptr;
    PrinterSelectionPage* printerSelectionPage_ = nullptr;
    OptionPageWidgets optionPages_{};
    RendererBinding renderer_;
    std::shared_ptr<DrawingRenderer> drawingRenderer_;
    std::unique_ptr<LaunchList> launchList_;
    JobTicket ticket_;
    LauncherWindow* launcher_ = nullptr;
    std::unique_ptr<CommandInterface> commandInterface_;
    bool commandInterfaceWanted_ = false;
    std::function<void(Application&)> pageCreator_;
};

}  // namespace kestrum
