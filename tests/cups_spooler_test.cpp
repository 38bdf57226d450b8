// Real delivery through a private CUPS scheduler (tests/cups/start-cupsd.sh) to a plotter emulator
// (tests/cups/plotter_emulator.py): the bytes the emulator stored are compared with those written.
// The tests skip when the scheduler is not installed.

#include "platform/cups_spooler.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cups/private_scheduler.h"
#include "platform/private_profile.h"
#include "platform/system_spooler.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using test::FinalStateOfNewestJob;
using test::PrivateScheduler;
using test::ReadFile;
using test::TempFolder;
using test::WaitFor;
using test::WriteFile;

constexpr const char* kRawQueue = "kestrum-raw";
constexpr const char* kFaultyQueue = "kestrum-faulty";

// Starts the scheduler with two plotters behind two queues: one that prints everything, one that
// breaks every connection after 64 KiB. Empty on success.
std::string StartWithQueues(PrivateScheduler& scheduler, bool* skip) {
    std::string problem = scheduler.Start({0, 65536}, skip);
    if (problem.empty()) problem = scheduler.AddRawQueue(kRawQueue, scheduler.port(0));
    if (problem.empty()) problem = scheduler.AddRawQueue(kFaultyQueue, scheduler.port(1));
    if (problem.empty()) problem = scheduler.SetDefaultQueue(kRawQueue);
    return problem;
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
        problem_ = StartWithQueues(*scheduler_, &skip);
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

    static int rawPort() { return scheduler_->port(0); }
    // The jobs the working plotter received whole, in arrival order.
    static std::vector<fs::path> Printed() { return scheduler_->Received(rawPort()); }

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
    EXPECT_EQ(seen[1], std::string(kRawQueue) + " socket://127.0.0.1:" + std::to_string(rawPort()) +
                           " default");

    // With hot folders: CUPS first, and the reserved name never, whoever offers it.
    TempFolder temp;
    WriteFile(temp / "kestrum.ini", "[HotFolders]\nRendering Subsystem=" + temp.path().string() +
                                        "\nPlotter=" + temp.path().string() + "\n");
    SystemSpooler system(std::make_unique<CupsSpooler>(),
                         std::make_unique<HotFolderSpooler>(temp / "kestrum.ini", temp / "data"));
    auto all = system.Printers();
    std::vector<std::string> names;
    for (const PrinterQueue& queue : all.value()) names.push_back(queue.name);
    EXPECT_EQ(names, (std::vector<std::string>{kFaultyQueue, kRawQueue, "Plotter", "Hot folder"}));
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
        const std::size_t before = Printed().size();
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
        ASSERT_TRUE(WaitFor([&] { return Printed().size() > before; }));
        const auto received = Printed();
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
    const std::size_t before = Printed().size();
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
    EXPECT_EQ(Printed().size(), before);
}

TEST_F(CupsSpoolerTest, AJobOfNoBytesIsWithdrawnAndReportedAsEnded) {
    const std::size_t before = Printed().size();
    auto job = Open(kRawQueue);
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->WriteToPrinter("", 0));
    const auto ended = job->EndPrintJob();
    EXPECT_TRUE(ended.ok()) << ended.error().message;
    // Withdrawn, not left held on the scheduler.
    EXPECT_EQ(FinalStateOfNewestJob(kRawQueue), IPP_JSTATE_CANCELED);
    EXPECT_EQ(Printed().size(), before);
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
    const std::string problem = StartWithQueues(scheduler, &skip);
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
    test::ServerOverride server;
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
