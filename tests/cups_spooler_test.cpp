// Real delivery through a private CUPS scheduler (tests/cups/start-cupsd.sh) to a plotter emulator
// (tests/cups/plotter_emulator.py): the bytes the emulator stored are compared with those written.
// The tests skip when the scheduler is not installed.

#include "platform/cups_spooler.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/private_profile.h"
#include "platform/system_spooler.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const std::string kScripts = std::string(KESTRUM_SOURCE_DIR) + "/tests/cups/";
constexpr const char* kRawQueue = "kestrum-raw";
constexpr const char* kFaultyQueue = "kestrum-faulty";
// The faulty plotter breaks every connection after this many bytes.
constexpr int kFaultAfter = 65536;

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

// Runs `command` through the shell; its standard output and exit status.
std::pair<std::string, int> Run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {"", -1};
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Waits for `done`; the limit only keeps a broken scheduler from hanging the suite.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Points libcups of this thread at `server` (or back at the default when empty). libcups reads
// CUPS_SERVER once per thread and keeps it, so the cached choice is dropped as well.
class ServerOverride {
  public:
    void Set(const std::string& server) {
        if (!active_) {
            const char* old = std::getenv("CUPS_SERVER");
            hadOld_ = old != nullptr;
            old_ = old != nullptr ? old : "";
            active_ = true;
        }
        ::setenv("CUPS_SERVER", server.c_str(), 1);
        cupsSetServer(nullptr);
    }
    void Restore() {
        if (!active_) return;
        if (hadOld_)
            ::setenv("CUPS_SERVER", old_.c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
        active_ = false;
    }

  private:
    bool active_ = false;
    bool hadOld_ = false;
    std::string old_;
};

// One private scheduler with a plotter emulator behind two raw queues: one that prints, one whose
// plotter fails in the middle of every job.
class PrivateScheduler {
  public:
    // Empty on success; otherwise why not, and whether that is a reason to skip.
    std::string Start(bool* skip) {
        *skip = false;
        auto [exports, status] = Run(Quote(kScripts + "start-cupsd.sh") + " --owner " +
                                     std::to_string(::getpid()) + " --lifetime 300");
        if (status == 77) {
            *skip = true;
            return "the CUPS scheduler (cupsd, Debian package cups) is not installed";
        }
        for (std::size_t at = 0; at < exports.size();) {
            std::size_t end = exports.find('\n', at);
            if (end == std::string::npos) end = exports.size();
            const std::string line = exports.substr(at, end - at);
            at = end + 1;
            if (line.rfind("export CUPS_SERVER=", 0) == 0) server_ = line.substr(19);
            if (line.rfind("export KESTRUM_CUPS_DIR=", 0) == 0) folder_ = line.substr(24);
        }
        if (status != 0 || server_.empty() || folder_.empty()) {
            return "start-cupsd.sh failed (status " + std::to_string(status) + ")";
        }
        override_.Set(server_);

        plotter_ = fs::path(folder_) / "plotter";
        // The system's interpreter: wrappers that pick one per folder cost seconds at each start.
        const std::string python =
            ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
        auto [ports, started] =
            Run(python + " " + Quote(kScripts + "plotter_emulator.py") +
                " --background --time-limit 300 --folder " + Quote(plotter_.string()) +
                " --port 0 --port 0:drop=" + std::to_string(kFaultAfter));
        int requested = 0, actual = 0;
        std::vector<int> found;
        for (const char* at = ports.c_str();
             std::sscanf(at, "PORT %d %d", &requested, &actual) == 2;) {
            found.push_back(actual);
            at = std::strchr(at, '\n');
            if (at == nullptr) break;
            ++at;
        }
        if (started != 0 || found.size() != 2) return "the plotter emulator did not start";
        rawPort_ = found[0];
        faultyPort_ = found[1];
        for (const auto& [queue, port] :
             {std::pair{kRawQueue, rawPort_}, {kFaultyQueue, faultyPort_}}) {
            const std::string command = "lpadmin -p " + std::string(queue) +
                                        " -v socket://127.0.0.1:" + std::to_string(port) +
                                        " -E -o printer-error-policy=abort-job 2>&1";
            if (Run(command).second != 0)
                return "lpadmin could not make queue " + std::string(queue);
        }
        if (Run(std::string("lpadmin -d ") + kRawQueue + " 2>&1").second != 0) {
            return "lpadmin could not choose the default queue";
        }
        return {};
    }

    // Stops the scheduler; the emulator's files go with the scheduler's folder.
    void Stop() {
        if (!plotter_.empty()) {
            const std::string pid = ReadFile(plotter_ / "emulator.pid");
            if (const int id = std::atoi(pid.c_str()); id > 0) ::kill(id, SIGTERM);
        }
        if (!folder_.empty()) (void)Run(Quote(kScripts + "stop-cupsd.sh") + " " + Quote(folder_));
        override_.Restore();
        folder_.clear();
        plotter_.clear();
    }

    const std::string& server() const { return server_; }
    int rawPort() const { return rawPort_; }

    // The jobs the plotter received whole from one port, in arrival order.
    std::vector<fs::path> Received(int port, const char* suffix = ".job") const {
        std::map<std::string, fs::path> byName;
        const std::string prefix = std::to_string(port) + "-";
        for (const auto& entry : fs::directory_iterator(plotter_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0 && entry.path().extension() == suffix) {
                byName[name] = entry.path();
            }
        }
        std::vector<fs::path> files;
        for (auto& [name, path] : byName) files.push_back(path);
        return files;
    }

  private:
    std::string server_;
    std::string folder_;
    fs::path plotter_;
    int rawPort_ = 0;
    int faultyPort_ = 0;
    ServerOverride override_;
};

// The newest job of a queue and its job-state (0 when there is none).
std::pair<int, int> NewestJob(const char* queue) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    std::pair<int, int> newest{0, 0};
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id > newest.first) newest = {jobs[i].id, jobs[i].state};
    }
    cupsFreeJobs(count, jobs);
    return newest;
}

// Waits until the newest job of the queue has ended one way or another; its job-state.
int FinalStateOfNewestJob(const char* queue) {
    int state = 0;
    WaitFor([&] {
        state = NewestJob(queue).second;
        return state >= IPP_JSTATE_CANCELED;
    });
    return state;
}

std::string Pattern(std::size_t length, char seed) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(seed + i * 13 % 241);
    return bytes;
}

class CupsSpoolerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scheduler_ = new PrivateScheduler;
        bool skip = false;
        problem_ = scheduler_->Start(&skip);
        skip_ = skip;
    }
    static void TearDownTestSuite() {
        scheduler_->Stop();
        delete scheduler_;
        scheduler_ = nullptr;
    }
    void SetUp() override {
        if (skip_) GTEST_SKIP() << problem_;
        ASSERT_EQ(problem_, "");
    }

    std::unique_ptr<SpoolJob> Open(const char* queue) {
        auto job = spooler_.OpenPrintJob(queue);
        EXPECT_TRUE(job.ok()) << (job.ok() ? "" : job.error().message);
        return job.ok() ? std::move(job).value() : nullptr;
    }

    static PrivateScheduler* scheduler_;
    static std::string problem_;
    static bool skip_;
    CupsSpooler spooler_;
};

PrivateScheduler* CupsSpoolerTest::scheduler_ = nullptr;
std::string CupsSpoolerTest::problem_;
bool CupsSpoolerTest::skip_ = false;

TEST_F(CupsSpoolerTest, ListsTheQueuesWithTheirDevicesAndTheDefault) {
    auto queues = spooler_.Printers();
    ASSERT_TRUE(queues.ok()) << queues.error().message;
    std::vector<std::string> seen;
    for (const PrinterQueue& queue : queues.value()) {
        EXPECT_EQ(queue.kind, PrinterQueue::Kind::Cups);
        seen.push_back(queue.name + " " + queue.location + (queue.isDefault ? " default" : ""));
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], std::string(kRawQueue) + " socket://127.0.0.1:" +
                           std::to_string(scheduler_->rawPort()) + " default");

    // With hot folders: CUPS first, and the reserved name never, whoever offers it.
    TempFolder temp;
    WriteFile(temp / "kestrum.ini", "[HotFolders]\nRendering Subsystem=" + temp.path().string() +
                                        "\nPlotter=" + temp.path().string() + "\n");
    SystemSpooler system(std::make_unique<CupsSpooler>(),
                         std::make_unique<HotFolderSpooler>(temp / "kestrum.ini", temp / "data"));
    auto all = system.Printers();
    std::vector<std::string> names;
    for (const PrinterQueue& queue : all.value()) names.push_back(queue.name);
    EXPECT_EQ(names, (std::vector<std::string>{kFaultyQueue, kRawQueue, "Plotter"}));
    profile::Forget(temp / "kestrum.ini");
}

TEST_F(CupsSpoolerTest, DeliversEveryWritePatternByteForByte) {
    struct Row {
        const char* name;
        std::vector<std::size_t> writes;
    };
    const Row rows[] = {
        // A file of 1024 bytes is read as 512, 512 and 0 bytes; an empty write that reached
        // libcups would end the document there and drop the trailer.
        {"fileOfTwoPiecesThenEmptyWriteThenTrailer", {512, 512, 0, 9}},
        {"writesAcrossTheBlockBoundary", {65535, 2, 65535, 0, 1}},
        {"writeLargerThanABlockAfterBufferedBytes", {100, 300000, 1}},
        {"twoMegabytesInPiecesOf512", std::vector<std::size_t>(4096, 512)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t before = scheduler_->Received(scheduler_->rawPort()).size();
        auto job = Open(kRawQueue);
        ASSERT_TRUE(job);
        std::string expected;
        char seed = 'a';
        for (std::size_t length : row.writes) {
            const std::string piece = Pattern(length, seed++);
            ASSERT_TRUE(job->WriteToPrinter(piece.data(), piece.size())) << job->lastError();
            expected += piece;
        }
        EXPECT_EQ(job->bytesWritten(), expected.size());
        const auto ended = job->EndPrintJob();
        ASSERT_TRUE(ended.ok()) << ended.error().message;

        EXPECT_EQ(FinalStateOfNewestJob(kRawQueue), IPP_JSTATE_COMPLETED);
        ASSERT_TRUE(
            WaitFor([&] { return scheduler_->Received(scheduler_->rawPort()).size() > before; }));
        const auto received = scheduler_->Received(scheduler_->rawPort());
        ASSERT_EQ(received.size(), before + 1);
        const std::string bytes = ReadFile(received.back());
        EXPECT_EQ(bytes.size(), expected.size());
        EXPECT_TRUE(bytes == expected) << "the plotter received other bytes";
    }
}

TEST_F(CupsSpoolerTest, AQueueThatDoesNotExistIsNamedInTheError) {
    auto job = spooler_.OpenPrintJob("no-such-queue");
    ASSERT_FALSE(job.ok());
    EXPECT_NE(job.error().message.find("\"no-such-queue\""), std::string::npos)
        << job.error().message;
    EXPECT_NE(job.error().message.find("no such printer queue"), std::string::npos)
        << job.error().message;
}

TEST_F(CupsSpoolerTest, AnAbortedOrAbandonedJobIsCancelledAndNeverPrinted) {
    const std::size_t before = scheduler_->Received(scheduler_->rawPort()).size();
    const std::string bytes = Pattern(200000, 'q');  // more than a block reaches the scheduler
    {
        auto job = Open(kRawQueue);
        ASSERT_TRUE(job);
        ASSERT_TRUE(job->WriteToPrinter(bytes.data(), bytes.size()));
        job->AbortPrintJob();
        EXPECT_FALSE(job->WriteToPrinter("x", 1));
        EXPECT_FALSE(job->EndPrintJob().ok());
    }
    EXPECT_EQ(FinalStateOfNewestJob(kRawQueue), IPP_JSTATE_CANCELED);
    {
        auto job = Open(kRawQueue);
        ASSERT_TRUE(job);
        ASSERT_TRUE(job->WriteToPrinter(bytes.data(), 1000));
    }  // neither ended nor aborted
    EXPECT_EQ(FinalStateOfNewestJob(kRawQueue), IPP_JSTATE_CANCELED);
    EXPECT_EQ(scheduler_->Received(scheduler_->rawPort()).size(), before);
}

TEST_F(CupsSpoolerTest, AJobOfNoBytesIsWithdrawnAndReportedAsEnded) {
    const std::size_t before = scheduler_->Received(scheduler_->rawPort()).size();
    auto job = Open(kRawQueue);
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->WriteToPrinter("", 0));
    const auto ended = job->EndPrintJob();
    EXPECT_TRUE(ended.ok()) << ended.error().message;
    // Withdrawn, not left held on the scheduler.
    EXPECT_EQ(FinalStateOfNewestJob(kRawQueue), IPP_JSTATE_CANCELED);
    EXPECT_EQ(scheduler_->Received(scheduler_->rawPort()).size(), before);
}

TEST_F(CupsSpoolerTest, APlotterFaultAbortsTheJobAndLeavesTheQueueWorking) {
    auto job = Open(kFaultyQueue);
    ASSERT_TRUE(job);
    // Far more than the socket buffers hold, so the backend meets the broken connection.
    const std::string bytes = Pattern(8 << 20, 'f');
    ASSERT_TRUE(job->WriteToPrinter(bytes.data(), bytes.size()));
    // The scheduler took the whole job; whether it has already failed at the plotter is a race.
    (void)job->EndPrintJob();
    EXPECT_EQ(FinalStateOfNewestJob(kFaultyQueue), IPP_JSTATE_ABORTED);

    auto next = Open(kFaultyQueue);  // the queue still takes jobs
    ASSERT_TRUE(next);
    next->AbortPrintJob();
}

// A scheduler that goes away in the middle of a job: the job fails on that write or soon after,
// never hangs, and the message says where and how far it got.
TEST(CupsSchedulerLossTest, AWriteAfterTheSchedulerStoppedFailsWithAMessage) {
    PrivateScheduler scheduler;
    bool skip = false;
    const std::string problem = scheduler.Start(&skip);
    if (skip) GTEST_SKIP() << problem;
    ASSERT_EQ(problem, "");

    CupsSpooler spooler;
    auto opened = spooler.OpenPrintJob(kRawQueue);
    ASSERT_TRUE(opened.ok()) << opened.error().message;
    std::unique_ptr<SpoolJob> job = std::move(opened).value();
    const std::string piece = Pattern(CupsSpooler::kBlockSize, 's');
    ASSERT_TRUE(job->WriteToPrinter(piece.data(), piece.size()));

    scheduler.Stop();
    bool failed = false;
    for (int i = 0; i < 1024 && !failed; ++i) {
        failed = !job->WriteToPrinter(piece.data(), 512);
    }
    if (!failed) failed = !job->EndPrintJob().ok();
    EXPECT_TRUE(failed);
    const std::string message = job->lastError();
    EXPECT_NE(message.find(std::string("\"") + kRawQueue + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("bytes"), std::string::npos) << message;
    EXPECT_FALSE(job->EndPrintJob().ok());
    job->AbortPrintJob();
}

// No scheduler at all: the CUPS back end says so, and the system spooler falls back on the hot
// folders.
TEST(CupsUnreachableTest, NoSchedulerGivesErrorsAndTheDefaultHotFolder) {
    TempFolder temp;
    ServerOverride server;
    server.Set((temp / "no-scheduler.sock").string());

    CupsSpooler cups;
    auto queues = cups.Printers();
    ASSERT_FALSE(queues.ok());
    EXPECT_NE(queues.error().message.find("no-scheduler.sock"), std::string::npos)
        << queues.error().message;
    auto job = cups.OpenPrintJob("Anything");
    ASSERT_FALSE(job.ok());
    EXPECT_NE(job.error().message.find("\"Anything\""), std::string::npos) << job.error().message;

    SystemSpooler system(std::make_unique<CupsSpooler>(),
                         std::make_unique<HotFolderSpooler>(temp / "kestrum.ini", temp / "data"));
    auto all = system.Printers();
    ASSERT_TRUE(all.ok());
    ASSERT_EQ(all.value().size(), 1u);
    EXPECT_EQ(all.value()[0].name, HotFolderSpooler::kDefaultName);
    server.Restore();
}

}  // namespace
}  // namespace kestrum
