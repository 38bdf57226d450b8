#include "launch/launch_status.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "launch/command_session.h"
#include "launch/launch_status_feed.h"
#include "shell/resource_ids.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

// Runs the worker's wait on a thread of its own. The time-out only keeps a broken wake-up from
// hanging the suite; nothing is measured.
std::future<RunState> WaitOnWorkerThread(const LaunchStatus& status) {
    return std::async(std::launch::async, [&status] { return status.WaitWhilePaused(); });
}

RunState Joined(std::future<RunState>& worker) {
    if (worker.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "the waiting worker was never woken";
        std::abort();  // the future's destructor would wait for ever
    }
    return worker.get();
}

struct ToggleRow {
    const char* name;
    int togglesBefore;  // after PrepareForWorker; -1: cancelled instead
    RunState expected;
    int caption;
};

class ToggleTest : public testing::TestWithParam<ToggleRow> {};

TEST_P(ToggleTest, MovesBetweenRunningAndPaused) {
    const ToggleRow& row = GetParam();
    LaunchStatus status(false, false);
    status.PrepareForWorker();
    if (row.togglesBefore < 0) status.Cancel();
    for (int i = 0; i < row.togglesBefore; ++i) status.ToggleStartPause();

    EXPECT_EQ(status.ToggleStartPause(), row.expected);
    EXPECT_EQ(status.runState(), row.expected);
    EXPECT_EQ(status.StartPauseCaption(), Text(row.caption));
}

INSTANTIATE_TEST_SUITE_P(
    LaunchStatus, ToggleTest,
    testing::Values(ToggleRow{"waitingStarts", 0, RunState::Running, rid::kPauseCaption},
                    ToggleRow{"runningPauses", 1, RunState::Paused, rid::kStartCaption},
                    ToggleRow{"pausedResumes", 2, RunState::Running, rid::kPauseCaption},
                    // A start pressed after a cancel must not revive the cancelled worker.
                    ToggleRow{"stoppedStaysStopped", -1, RunState::Stopped, rid::kStartCaption}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchStatusTest, StartWakesTheWaitingWorkerAndASendEndsPausedAgain) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    auto worker = WaitOnWorkerThread(status);
    status.ToggleStartPause();
    EXPECT_EQ(Joined(worker), RunState::Running);
    EXPECT_EQ(status.ReturnToWaiting(), RunState::Paused);
}

TEST(LaunchStatusTest, CancelWhilePausedEndsTheWaitForGood) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    status.ToggleStartPause();
    status.ToggleStartPause();  // paused in the middle of a send
    auto worker = WaitOnWorkerThread(status);
    status.Cancel();
    EXPECT_EQ(Joined(worker), RunState::Stopped);

    // Start pressed before the worker has finished: still cancelled.
    status.ToggleStartPause();
    EXPECT_EQ(status.WaitWhilePaused(), RunState::Stopped);
    EXPECT_EQ(status.ReturnToWaiting(), RunState::Stopped);

    // The persistent window's restart gives the next worker a paused start.
    status.PrepareForWorker();
    EXPECT_EQ(status.runState(), RunState::Paused);
}

TEST(LaunchStatusTest, DestructionStopsAndKeepsTheWindowFromRestarting) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    auto worker = WaitOnWorkerThread(status);
    status.OnDestroyed();
    EXPECT_EQ(Joined(worker), RunState::Stopped);
    status.PrepareForWorker();
    EXPECT_EQ(status.runState(), RunState::Stopped);
}

struct FinishRow {
    const char* name;
    bool persistent;
    bool destroyed;
    bool withMessage;
    WindowAction action;
    bool clearsBusyMark;
};

class FinishLaunchTest : public testing::TestWithParam<FinishRow> {};

TEST_P(FinishLaunchTest, TellsTheFrontEndWhatToDo) {
    const FinishRow& row = GetParam();
    LaunchStatus status(row.persistent, false);
    if (row.destroyed) status.OnDestroyed();
    const auto message = row.withMessage
                             ? std::optional<std::string>("The printer cannot be opened.")
                             : std::nullopt;
    const FinishAction finish = status.FinishLaunch(message);

    EXPECT_EQ(finish.action, row.action);
    EXPECT_EQ(finish.clearBusyMark, row.clearsBusyMark);
    ASSERT_EQ(finish.message.has_value(), row.withMessage);
    if (finish.message) {
        EXPECT_EQ(finish.message->text, "The printer cannot be opened.");
        EXPECT_EQ(finish.message->caption, "Notification");
        EXPECT_EQ(finish.message->icon, MessageIcon::Exclamation);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LaunchStatus, FinishLaunchTest,
    testing::Values(
        // The busy mark belongs to command clients' sends, which never run in a modal window.
        FinishRow{"modalShowsThenCloses", false, false, true, WindowAction::CloseModal, false},
        FinishRow{"persistentRestarts", true, false, false, WindowAction::RestartWorker, true},
        // Reported rather than dropped: a command client's failed send must reach someone.
        FinishRow{"persistentReportsFailure", true, false, true, WindowAction::RestartWorker, true},
        FinishRow{"destroyedModalKeepsMessage", false, true, true, WindowAction::None, false},
        FinishRow{"destroyedPersistentFreesClients", true, true, false, WindowAction::None, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The front end as the command session sees it: the persistent window's start toggle and
// whether the launcher's own send is running.
class FakeCommandHost final : public CommandHost {
  public:
    explicit FakeCommandHost(LaunchStatus* window = nullptr) : window_(window) {}
    void ShowLaunchDialog() override { ++dialogs; }
    void StartSend() override {
        ++starts;
        if (window_ != nullptr) window_->ToggleStartPause();
    }
    bool LocalSendRunning() const override { return localSend; }

    int dialogs = 0;
    int starts = 0;
    bool localSend = false;

  private:
    LaunchStatus* window_;
};

std::span<const char> Data(std::string_view text) {
    return {text.data(), text.size()};
}

// Plays the launcher's part in a command client's send: the session's busy mark, the end-of-job
// notification, and the handling of FinishLaunch.
struct ClientLauncher {
    explicit ClientLauncher(LaunchStatus& window) : host(&window), session(list, host) {
        EXPECT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    }
    bool LaunchSend() {
        return session.Execute(":1.7", Data("LaunchSend")) == CommandAnswer::Acknowledged;
    }
    void EndOfJob(bool eojNotification) {
        if (auto notice = EndOfJobNotice(eojNotification)) shown.push_back(notice->text);
        session.EndOfJob();
    }
    void Finish(LaunchStatus& window, const FinishAction& finish) {
        if (finish.message) shown.push_back(finish.message->text);
        if (finish.action == WindowAction::RestartWorker) window.PrepareForWorker();
        session.SendEnded(finish);
    }

    LaunchList list;
    FakeCommandHost host;
    CommandSession session;
    std::vector<std::string> shown;
};

enum class SendEnd { Completed, Cancelled, Failed, NothingToSend };

struct ClientSendRow {
    const char* name;
    SendEnd end;
    std::vector<std::string> shown;
};

class ClientSendTest : public testing::TestWithParam<ClientSendRow> {};

TEST_P(ClientSendTest, EveryEndLetsTheNextClientSendReachAWorker) {
    const ClientSendRow& row = GetParam();
    LaunchStatus window(true, false);
    ClientLauncher launcher(window);
    window.PrepareForWorker();
    launcher.list.AddEntry("/p/a.plt");

    ASSERT_TRUE(launcher.LaunchSend());
    ASSERT_EQ(window.WaitWhilePaused(), RunState::Running);
    EXPECT_FALSE(launcher.LaunchSend()) << "a second send while the first runs";

    switch (row.end) {
        case SendEnd::Completed:
            ASSERT_EQ(window.ReturnToWaiting(), RunState::Paused);
            launcher.EndOfJob(true);
            break;
        case SendEnd::Cancelled:
            window.Cancel();
            ASSERT_EQ(window.WaitWhilePaused(), RunState::Stopped);
            launcher.Finish(window, window.FinishLaunch());
            break;
        case SendEnd::Failed:
            launcher.Finish(window, window.FinishLaunch("The printer cannot be opened."));
            break;
        case SendEnd::NothingToSend:
            launcher.Finish(window, window.FinishLaunch());
            break;
    }

    // Only a send that went through is announced as complete.
    EXPECT_EQ(launcher.shown, row.shown);
    EXPECT_FALSE(launcher.session.busy());
    ASSERT_TRUE(launcher.LaunchSend());
    EXPECT_EQ(window.WaitWhilePaused(), RunState::Running);
}

INSTANTIATE_TEST_SUITE_P(
    LaunchStatus, ClientSendTest,
    testing::Values(
        ClientSendRow{"completedShowsJobComplete", SendEnd::Completed, {"Job Complete"}},
        ClientSendRow{"cancelledEndsSilently", SendEnd::Cancelled, {}},
        ClientSendRow{
            "failedShowsOnlyTheFailure", SendEnd::Failed, {"The printer cannot be opened."}},
        ClientSendRow{"emptyListEndsSilently", SendEnd::NothingToSend, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchStatusTest, CopiesChoiceIsOneToOneHundred) {
    LaunchStatus status(false, false);
    EXPECT_EQ(status.jobCopies(), 1);
    ASSERT_TRUE(status.SetCopiesChoice(99));
    EXPECT_EQ(status.jobCopies(), 100);
    for (int refused : {-1, 100}) {
        const auto set = status.SetCopiesChoice(refused);
        ASSERT_FALSE(set) << refused;
        EXPECT_NE(set.error().message.find(std::to_string(refused + 1)), std::string::npos);
        EXPECT_EQ(status.jobCopies(), 100);
    }
}

TEST(LaunchStatusTest, ShowingResetsTheOrderAndTheFolderBox) {
    LaunchStatus status(true, true);
    EXPECT_TRUE(status.folderBoxShown());
    status.SetReverseOrder(true);
    status.SetFolderBoxChecked(true);

    status.OnShownOrHidden(PrinterType::Velmar);
    EXPECT_FALSE(status.reverseOrder());
    EXPECT_FALSE(status.folderBoxChecked());
    EXPECT_TRUE(status.folderBoxShown());

    status.OnShownOrHidden(PrinterType::Generic);
    EXPECT_FALSE(status.folderBoxShown());
    EXPECT_FALSE(LaunchStatus(false, false).folderBoxShown());
}

TEST(LaunchStatusTest, FileProgressHoldsSizesBeyondFourGiB) {
    LaunchStatus status(false, false);
    constexpr std::uint64_t kGiB = 1ull << 30;
    status.StartFile("/plots/site.plt", 6 * kGiB);
    status.SetFileBytesSent(5 * kGiB + 512);
    LaunchStatusDisplay shown = status.display();
    EXPECT_EQ(shown.currentFile, "/plots/site.plt");
    EXPECT_EQ(shown.fileBytesSent, 5 * kGiB + 512);
    EXPECT_EQ(LaunchStatus::FilePermille(shown), 833);

    shown.fileBytesSent = 7 * kGiB;  // the file grew while it was sent
    EXPECT_EQ(LaunchStatus::FilePermille(shown), 1000);
    shown.fileSize = 0;
    EXPECT_EQ(LaunchStatus::FilePermille(shown), 1000);
}

TEST(LaunchStatusTest, JobCompleteOnlyWithTheNotificationOn) {
    EXPECT_FALSE(EndOfJobNotice(false));
    const auto notice = EndOfJobNotice(true);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "Job Complete");
    EXPECT_EQ(notice->caption, "Kestrum");
}

// --- The command session ---

class CommandSessionTest : public testing::Test {
  protected:
    CommandAnswer Execute(std::string_view command, std::string_view client = ":1.7") {
        return session.Execute(client, Data(command));
    }
    CommandAnswer Poke(std::string_view item, std::string_view value,
                       std::string_view client = ":1.7") {
        return session.Poke(client, item, Data(value));
    }

    LaunchList list;
    FakeCommandHost host;
    CommandSession session{list, host};
};

constexpr CommandAnswer kAck = CommandAnswer::Acknowledged;
constexpr CommandAnswer kNot = CommandAnswer::NotProcessed;

TEST_F(CommandSessionTest, OneConversationAtATimeWithExactNames) {
    EXPECT_FALSE(session.Connect(":1.7", "Kestrum", "launchlist"));
    EXPECT_FALSE(session.Connect(":1.7", "kestrum", "LaunchList"));
    EXPECT_FALSE(session.Connect("", "Kestrum", "LaunchList"));
    EXPECT_EQ(Execute("LaunchDialog"), kNot) << "no conversation yet";
    ASSERT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    EXPECT_FALSE(session.Connect(":1.9", "Kestrum", "LaunchList"));

    // Only the conversation's own client is heard; another's leaving ends nothing.
    EXPECT_EQ(Execute("LaunchDialog", ":1.9"), kNot);
    session.Disconnect(":1.9");
    EXPECT_EQ(session.client(), ":1.7");
    EXPECT_EQ(Execute("LaunchDialog"), kAck);
    EXPECT_EQ(host.dialogs, 1);

    // Its holder leaving the bus ends it; then the next client is accepted.
    session.Disconnect(":1.7");
    EXPECT_FALSE(session.connected());
    EXPECT_TRUE(session.Connect(":1.9", "Kestrum", "LaunchList"));
}

struct CommandRow {
    const char* name;
    std::string data;  // the transaction data, zero bytes included
    CommandAnswer answer;
};

class CommandTextTest : public CommandSessionTest,
                        public testing::WithParamInterface<CommandRow> {};

TEST_P(CommandTextTest, CommandsAreComparedExactlyWithinThirtyTwoBytes) {
    ASSERT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    list.AddEntry("/p/a.plt");
    EXPECT_EQ(Execute(GetParam().data), GetParam().answer);
    EXPECT_EQ(list.empty(), GetParam().answer == kAck);
}

INSTANTIATE_TEST_SUITE_P(
    CommandSession, CommandTextTest,
    testing::Values(CommandRow{"plain", "ClearLaunchList", kAck},
                    CommandRow{"zeroEnded", std::string("ClearLaunchList\0junk", 20), kAck},
                    CommandRow{"otherCase", "clearlaunchlist", kNot},
                    CommandRow{"trailingSpace", "ClearLaunchList ", kNot},
                    CommandRow{"argument", "ClearLaunchList now", kNot},
                    // The zero byte comes after the 32 bytes that are read.
                    CommandRow{"notEndedWithin32",
                               "ClearLaunchList" + std::string(17, ' ') + std::string(1, '\0'),
                               kNot},
                    CommandRow{"empty", "", kNot}, CommandRow{"unknown", "Print", kNot}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandSessionTest, AddFileAndAssignConfigFillTheList) {
    ASSERT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    EXPECT_EQ(Poke("AddFile", std::string("/p/a.plt\0", 9)), kAck);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.entry(0).filePath, "/p/a.plt");
    // Adding selects the entry, so the configuration goes to the file just added.
    EXPECT_EQ(Poke("AssignConfig", "/c/a0.cfg"), kAck);
    EXPECT_EQ(list.entry(0).configuration, "/c/a0.cfg");
    EXPECT_EQ(list.line(0), "a.plt\ta0.cfg");

    EXPECT_EQ(Poke("addfile", "/p/b.plt"), kNot);
    EXPECT_EQ(Poke("AddFile", ""), kNot);
    EXPECT_EQ(Poke("AddFile" + std::string(30, ' '), "/p/b.plt"), kNot);
    EXPECT_EQ(Poke("AddFile", "/" + std::string(259, 'x')), kAck) << "260 bytes fit";
    EXPECT_EQ(Poke("AddFile", "/" + std::string(260, 'x')), kNot);
    EXPECT_EQ(Poke("AssignConfig", "/" + std::string(260, 'x')), kNot);
    EXPECT_EQ(list.size(), 2u);

    list.Select(std::nullopt);
    EXPECT_EQ(Poke("AssignConfig", "/c/b.cfg"), kNot) << "no entry selected";
}

TEST_F(CommandSessionTest, BusyMarkRefusesChangesAndASecondSendUntilTheSendEnds) {
    ASSERT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    ASSERT_EQ(Poke("AddFile", "/p/a.plt"), kAck);
    ASSERT_EQ(Execute("LaunchSend"), kAck);
    EXPECT_TRUE(session.busy());
    EXPECT_EQ(host.starts, 1);

    // The busy mark outlives the conversation that set it.
    session.Disconnect(":1.7");
    ASSERT_TRUE(session.Connect(":1.8", "Kestrum", "LaunchList"));
    for (const auto& refused :
         {Execute("LaunchSend", ":1.8"), Execute("ClearLaunchList", ":1.8"),
          Poke("AddFile", "/p/b.plt", ":1.8"), Poke("AssignConfig", "/c/b.cfg", ":1.8")}) {
        EXPECT_EQ(refused, kNot);
    }
    EXPECT_EQ(host.starts, 1);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(Execute("LaunchDialog", ":1.8"), kAck) << "the window may always be shown";

    // A cancelled send of the persistent window clears the mark through its finish.
    session.SendEnded(FinishAction{WindowAction::RestartWorker, std::nullopt, true});
    EXPECT_FALSE(session.busy());
    EXPECT_EQ(Execute("ClearLaunchList", ":1.8"), kAck);
}

TEST_F(CommandSessionTest, ALocalSendRefusesChangesAndSendsButNotTheDialog) {
    ASSERT_TRUE(session.Connect(":1.7", "Kestrum", "LaunchList"));
    ASSERT_EQ(Poke("AddFile", "/p/a.plt"), kAck);
    host.localSend = true;
    EXPECT_EQ(Execute("LaunchSend"), kNot);
    EXPECT_EQ(Execute("ClearLaunchList"), kNot);
    EXPECT_EQ(Poke("AddFile", "/p/b.plt"), kNot);
    EXPECT_EQ(Poke("AssignConfig", "/c/b.cfg"), kNot);
    EXPECT_EQ(Execute("LaunchDialog"), kAck);
    EXPECT_EQ(host.starts, 0);
    EXPECT_FALSE(session.busy());
    EXPECT_EQ(list.size(), 1u);
    host.localSend = false;
    EXPECT_EQ(Execute("LaunchSend"), kAck);
}

// --- The status feed ---

TEST(LaunchStatusFeedTest, FeedsTheModelAndSaysWhatToDoAtTheEnd) {
    LaunchStatus window(true, false);
    DeliveryObserver front;
    LaunchStatusFeed feed(window, front);
    window.PrepareForWorker();
    window.ToggleStartPause();

    feed.PrinterStarted("plotter");
    feed.DrawingRendering("/p/d.dxf");
    EXPECT_TRUE(window.busy());
    feed.ListProgress(1, 3);
    feed.FileStarted("/p/a.plt", 2000);
    feed.FileProgress(1500, 2000);
    LaunchStatusDisplay shown = window.display();
    EXPECT_FALSE(window.busy());
    EXPECT_EQ(shown.caption, "plotter");
    EXPECT_EQ(shown.listPosition, 1u);
    EXPECT_EQ(shown.currentFile, "/p/a.plt");
    EXPECT_EQ(shown.fileBytesSent, 1500u);

    // A persistent window's send that went through waits, paused, for the next start.
    DeliveryResult completed{DeliveryOutcome::Completed, {}};
    feed.SendFinished(completed);
    shown = window.display();
    EXPECT_EQ(shown.caption, "Launch Status");
    EXPECT_EQ(shown.fileBytesSent, 0u);
    EXPECT_EQ(window.runState(), RunState::Paused);
    EXPECT_FALSE(LaunchStatusFeed::EndOfSend(window, completed).clearBusyMark);

    // A failure restarts the worker, shows the failure and frees command clients.
    const FinishAction failed = LaunchStatusFeed::EndOfSend(
        window, DeliveryResult{DeliveryOutcome::Failed, "Cannot open the printer queue."});
    EXPECT_EQ(failed.action, WindowAction::RestartWorker);
    EXPECT_TRUE(failed.clearBusyMark);
    ASSERT_TRUE(failed.message);
    EXPECT_EQ(failed.message->text, "Cannot open the printer queue.");
}

}  // namespace
}  // namespace kestrum
