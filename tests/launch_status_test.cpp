#include "launch/launch_status.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

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
    testing::Values(ToggleRow{"waitingStarts", 0, kRunning, rid::kPauseCaption},
                    ToggleRow{"runningPauses", 1, kPaused, rid::kStartCaption},
                    ToggleRow{"pausedResumes", 2, kRunning, rid::kPauseCaption},
                    // A start pressed after a cancel must not revive the cancelled worker.
                    ToggleRow{"stoppedStaysStopped", -1, kStopped, rid::kStartCaption}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchStatusTest, StartWakesTheWaitingWorkerAndASendEndsPausedAgain) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    auto worker = WaitOnWorkerThread(status);
    status.ToggleStartPause();
    EXPECT_EQ(Joined(worker), kRunning);
    EXPECT_EQ(status.ReturnToWaiting(), kPaused);
}

TEST(LaunchStatusTest, CancelWhilePausedEndsTheWaitForGood) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    status.ToggleStartPause();
    status.ToggleStartPause();  // paused in the middle of a send
    auto worker = WaitOnWorkerThread(status);
    status.Cancel();
    EXPECT_EQ(Joined(worker), kStopped);

    // Start pressed before the worker has finished: still cancelled.
    status.ToggleStartPause();
    EXPECT_EQ(status.WaitWhilePaused(), kStopped);
    EXPECT_EQ(status.ReturnToWaiting(), kStopped);

    // The persistent window's restart gives the next worker a paused start.
    status.PrepareForWorker();
    EXPECT_EQ(status.runState(), kPaused);
}

TEST(LaunchStatusTest, DestructionStopsAndKeepsTheWindowFromRestarting) {
    LaunchStatus status(true, false);
    status.PrepareForWorker();
    auto worker = WaitOnWorkerThread(status);
    status.OnDestroyed();
    EXPECT_EQ(Joined(worker), kStopped);
    status.PrepareForWorker();
    EXPECT_EQ(status.runState(), kStopped);
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

// The launcher's part in a command client's send, as the front end plays it: the busy mark that
// refuses a second send, the end-of-job notification, and the handling of FinishLaunch.
class ClientLauncher {
  public:
    explicit ClientLauncher(LaunchStatus& window) : window_(window) {}

    bool LaunchSend() {
        if (busy) return false;
        window_.ToggleStartPause();
        busy = true;
        return true;
    }
    void EndOfJob(bool eojNotification) {
        if (auto notice = EndOfJobNotice(eojNotification)) shown.push_back(notice->text);
        busy = false;
    }
    void Finish(const FinishAction& finish) {
        if (finish.message) shown.push_back(finish.message->text);
        if (finish.action == WindowAction::RestartWorker) window_.PrepareForWorker();
        if (finish.clearBusyMark) busy = false;
    }

    bool busy = false;
    std::vector<std::string> shown;

  private:
    LaunchStatus& window_;
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

    ASSERT_TRUE(launcher.LaunchSend());
    ASSERT_EQ(window.WaitWhilePaused(), kRunning);
    EXPECT_FALSE(launcher.LaunchSend()) << "a second send while the first runs";

    switch (row.end) {
        case SendEnd::Completed:
            ASSERT_EQ(window.ReturnToWaiting(), kPaused);
            launcher.EndOfJob(true);
            break;
        case SendEnd::Cancelled:
            window.Cancel();
            ASSERT_EQ(window.WaitWhilePaused(), kStopped);
            launcher.Finish(window.FinishLaunch());
            break;
        case SendEnd::Failed:
            launcher.Finish(window.FinishLaunch("The printer cannot be opened."));
            break;
        case SendEnd::NothingToSend:
            launcher.Finish(window.FinishLaunch());
            break;
    }

    // Only a send that went through is announced as complete.
    EXPECT_EQ(launcher.shown, row.shown);
    EXPECT_FALSE(launcher.busy);
    ASSERT_TRUE(launcher.LaunchSend());
    EXPECT_EQ(window.WaitWhilePaused(), kRunning);
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

}  // namespace
}  // namespace kestrum
