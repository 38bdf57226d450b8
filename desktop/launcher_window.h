#pragma once

// The launcher: the page of the main window where the launch list is built from a small file
// browser and from files dropped by the file manager, configurations are assigned, lists are
// saved and opened, and the list is sent through a launch status window. It also owns the
// persistent launch status window that command clients show and start.
//
// Every rule of what the list holds is the LaunchList model's; the page mirrors it. User-interface
// thread only.

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "config/option_state.h"
#include "desktop/launch_status_window.h"
#include "desktop/send_controller.h"
#include "launch/job_outcome.h"
#include "launch/job_ticket.h"
#include "launch/launch_list.h"
#include "render/renderer_binding.h"
#include "shell/message_sink.h"
#include "shell/printer_selection.h"
#include "shell/program_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

namespace kestrum {

class LauncherListModel;

// The core objects the launcher works on; all belong to the main window and must outlive it.
struct LauncherContext {
    LaunchList& list;
    ProgramSettings& settings;
    OptionState& options;  // copied for each send and each preview
    PrinterSelection& printers;
    JobTicket& ticket;
    const RendererBinding& renderer;
    MessageSink& messages;  // the main window's message boxes
    SendServices services;  // the spooler, the clock and the drawing renderer of sends
    // Called on the user-interface thread just before a send copies `options`, so edits still
    // in the configuration pages' widgets reach every entry of the send.
    std::function<void()> beforeSend = {};
};

// The file dialogs the launcher opens. Each answers a path, or nothing when cancelled; tests
// replace them.
struct LauncherFileDialogs {
    using Chooser = std::function<QString(QWidget* parent, const QString& startFolder)>;
    Chooser openLaunchFile;
    Chooser saveLaunchFile;
    Chooser chooseConfiguration;
};

class LauncherWindow : public QWidget {
    Q_OBJECT

  public:
    // Controls, by their numbers.
    static constexpr int kLaunchList = 1080;
    static constexpr int kRemoveButton = 1081;
    static constexpr int kSendButton = 1082;
    static constexpr int kConfigurationsButton = 1083;
    static constexpr int kAssignButton = 1084;
    static constexpr int kFileList = 1086;
    static constexpr int kFolderList = 1087;
    static constexpr int kAddButton = 1091;
    static constexpr int kFolderLabel = 1093;
    static constexpr int kSaveButton = 1125;
    static constexpr int kOpenButton = 1126;
    static constexpr int kDisabledButton = 1134;
    static constexpr int kClearButton = 1147;
    static constexpr int kConfigurationLabel = 1148;  // the configuration column's header
    static constexpr int kPlaceList = 1157;
    static constexpr int kPathField = 1194;
    static constexpr int kNameField = 1196;
    static constexpr int kSelectAllButton = 1198;
    static constexpr int kPreviewButton = 1208;
    static constexpr int kRefreshButton = 1209;

    explicit LauncherWindow(LauncherContext context, QWidget* parent = nullptr);
    ~LauncherWindow() override;

    void SetFileDialogs(LauncherFileDialogs dialogs);
    // How long and how often the printers' outcomes of a send are asked for.
    void SetJobWatchTiming(JobWatchTiming timing) { jobWatch_ = timing; }

    // `kestrum FILE...`: a launch file (".lch") is opened, anything else added as dropped files
    // are (folders give their files that match the filter; what cannot be added is listed in one
    // message).
    void OpenFromCommandLine(const QStringList& arguments);
    // Adds dropped files in order in front of entry `dropOn` (the list's size: at the end).
    void AddUrls(const QList<QUrl>& urls, int dropOn);

    // Launch files; failures are shown and answered false. Opening names entries whose files
    // are gone, and marks them in the list.
    bool OpenLaunchFile(const QString& path);
    bool SaveLaunchFile(const QString& path);

    // The list changed through its model (a command client): show it again.
    void Refresh();
    // Configurations apply or not (printer type and output mode): on every show and hide, and
    // when the main window changes either.
    void ApplyConfigurationsSwitch();

    // The send button: the printer check, the job ticket, then a modal launch status window.
    void Send();
    // The preview button.
    void Preview();
    // Assign a configuration to the selected entry (button, Enter or double-click in the list).
    void AssignSelected();

    // The browser.
    bool ChangeFolder(const QString& folder);
    QString currentFolder() const { return folder_; }
    QString filter() const { return filter_; }
    void SetFilter(const QString& filter);

    // The persistent launch status window of command clients.
    LaunchStatusWindow& persistentWindow() { return *persistent_; }
    // A command client's "show the launch dialog".
    void ShowPersistentWindow();

    // The command interface's busy mark: set by a client's send, cleared at the end of a job.
    bool busy() const { return busy_; }
    void SetBusy(bool busy) { busy_ = busy; }
    // A send from the launcher's own button is running (its modal window is open).
    bool localSendRunning() const { return localSendRunning_; }

  signals:
    void MainWindowVisibilityRequested(bool show);
    // A send of the persistent window failed; the main window shows it.
    void SendFailed(const kestrum::Message& message);
    // A line for the main window's status bar: a job handed to the spooler, and what the
    // printers made of a send's jobs.
    void StatusMessage(const QString& text);
    // Button 1083: the configuration files view.
    void ConfigurationsRequested();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    QWidget* BuildBrowser();
    QWidget* BuildList();
    void FillPlaces();
    void SelectPlace();
    void ListFolders();
    void ListFiles();
    void NameEntered();
    void AddSelectedFiles();
    void AddName(const QString& name);
    void ShowSelection();
    void UpdateButtons();
    void RemoveSelected();
    void ClearList();
    void OnJobCompleted();
    // Follows what the printers make of the jobs a send ended; each outcome goes to the status
    // bar, and to `window` too while it is shown; an aborted or cancelled job is also a message.
    void FollowJobs(LaunchStatusWindow* window, const std::vector<DeliveryResult::EndedJob>& ended);
    SendController::RequestSource RequestSource();
    void Tell(const std::string& text, const std::string& caption, MessageIcon icon);

    LauncherContext context_;
    LauncherFileDialogs dialogs_;
    QString folder_;
    QString filter_;
    bool busy_ = false;
    bool localSendRunning_ = false;
    JobWatchTiming jobWatch_;
    std::unique_ptr<LaunchStatusWindow> persistent_;

    LauncherListModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    QComboBox* places_ = nullptr;
    QComboBox* filters_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QListWidget* folders_ = nullptr;
    QListWidget* files_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* assign_ = nullptr;
    QPushButton* configurations_ = nullptr;
    QPushButton* disabled_ = nullptr;
    QPushButton* preview_ = nullptr;
    QPushButton* send_ = nullptr;
};

}  // namespace kestrum
