// Following jobs after a send: against a scripted scheduler for the rules, and against the private
// CUPS scheduler with an emulated plotter that takes one job and breaks off another.

#include "launch/job_outcome.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cups/private_scheduler.h"
#include "platform/cups_spooler.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// Answers from a script: for each job number, the answers of successive questions (the last one
// repeats). An answer of 0 is "no such job", -1 "cannot be reached".
class ScriptedSource final : public JobStateSource {
  public:
    explicit ScriptedSource(std::map<int, std::vector<int>> script) : script_(std::move(script)) {}

    Result<CupsJobStatus> State(const std::string& printer, int jobId, bool& unknownJob) override {
        std::lock_guard lock(mutex_);
        std::vector<int>& answers = script_.at(jobId);
        const int answer = answers.front();
        if (answers.size() > 1) answers.erase(answers.begin());
        ++questions_;
        if (answer == 0) {
            unknownJob = true;
            return Fail("no job " + std::to_string(jobId) + " at " + printer);
        }
        if (answer < 0) return Fail("the scheduler cannot be reached");
        return CupsJobStatus{static_cast<CupsJobState>(answer), answer == 8 ? "job-stopped" : ""};
    }
    int questions() {
        std::lock_guard lock(mutex_);
        return questions_;
    }

  private:
    std::mutex mutex_;
    std::map<int, std::vector<int>> script_;
    int questions_ = 0;
};

TEST(JobOutcomeWatcher, ReportsEachJobOnceAsItsStateBecomesFinal) {
    constexpr int kPending = 3, kProcessing = 5, kCancelled = 7, kAborted = 8, kCompleted = 9;
    ScriptedSource source({{1, {kPending, kProcessing, kCompleted}},
                           {2, {kAborted}},
                           {3, {-1, kProcessing, kCancelled}},
                           {4, {0}},
                           {5, {kProcessing}}});
    JobOutcomeWatcher watcher(&source);
    std::vector<std::string> reports;
    const std::vector<WatchedJob> jobs = {
        {"done", WatchedJob::Kind::Cups, 1},      {"broken", WatchedJob::Kind::Cups, 2},
        {"withdrawn", WatchedJob::Kind::Cups, 3}, {"purged", WatchedJob::Kind::Cups, 4},
        {"slow", WatchedJob::Kind::Cups, 5},      {"Hot folder", WatchedJob::Kind::HotFolder, 0}};
    const auto outcomes = watcher.Follow(
        jobs, [&](const JobOutcome& outcome) { reports.push_back(outcome.job.printer); },
        {300ms, 10ms});
    // A hot-folder job is complete at once; the others in the order their states became final.
    EXPECT_EQ(reports, (std::vector<std::string>{"Hot folder", "broken", "purged", "done",
                                                 "withdrawn", "slow"}));
    ASSERT_EQ(outcomes.size(), jobs.size());
    const JobFate expected[] = {JobFate::Completed, JobFate::Aborted,  JobFate::Cancelled,
                                JobFate::Unknown,   JobFate::TimedOut, JobFate::Completed};
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(outcomes[i].job.printer, jobs[i].printer);
        EXPECT_EQ(outcomes[i].fate, expected[i]) << jobs[i].printer;
    }
    EXPECT_EQ(JobOutcomeText(outcomes[1]),
              "Printer \"broken\", job 2: The job was aborted: the printer did not take it "
              "whole. Check the printer and send the job again. (job-stopped)");
    EXPECT_EQ(JobOutcomeText(outcomes[5]),
              "Printer \"Hot folder\": The printer took the whole job.");
}

TEST(JobOutcomeWatcher, RunsOnItsOwnThreadAndStops) {
    ScriptedSource source(std::map<int, std::vector<int>>{{7, {5}}});
    JobOutcomeWatcher watcher(&source);
    std::atomic<int> reports = 0;
    std::atomic<bool> done = false;
    const auto start = std::chrono::steady_clock::now();
    watcher.Start(
        {{"slow", WatchedJob::Kind::Cups, 7}}, [&](const JobOutcome&) { ++reports; }, {10min, 5ms},
        [&] { done = true; });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);  // the caller is not held for 10 min
    ASSERT_TRUE(test::WaitFor([&] { return source.questions() >= 3; }));
    watcher.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 120s);
    EXPECT_EQ(reports, 0);  // an unfinished job is not reported after a stop
    EXPECT_TRUE(done);
}

class JobOutcomeCupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bool skip = false;
        std::string problem = scheduler_.Start({0, 65536}, &skip);
        if (skip) GTEST_SKIP() << problem;
        if (problem.empty()) problem = scheduler_.AddRawQueue("taken", scheduler_.port(0));
        if (problem.empty()) problem = scheduler_.AddRawQueue("dropped", scheduler_.port(1));
        ASSERT_EQ(problem, "");
    }

    // Sends `bytes` bytes to the queue; the job's number.
    int Send(const char* queue, std::size_t bytes) {
        CupsSpooler spooler;
        auto job = spooler.OpenPrintJob(queue);
        if (!job) {
            ADD_FAILURE() << job.error().message;
            return 0;
        }
        const std::string data(bytes, 'x');
        EXPECT_TRUE(job.value()->WriteToPrinter(data.data(), data.size()));
        // The scheduler has the whole job; whether the plotter has failed yet is a race.
        (void)job.value()->EndPrintJob();
        return test::NewestJob(queue).first;
    }

    test::PrivateScheduler scheduler_;
};

TEST_F(JobOutcomeCupsTest, TakenJobCompletesAndBrokenOffJobIsAborted) {
    const int taken = Send("taken", 1000);
    // Far more than the socket buffers hold, so the backend meets the broken connection.
    const int dropped = Send("dropped", 8 << 20);
    ASSERT_GT(taken, 0);
    ASSERT_GT(dropped, 0);

    // The watcher's own thread finds the scheduler through CUPS_SERVER, as a send's would.
    JobOutcomeWatcher watcher;
    std::mutex mutex;
    std::vector<JobOutcome> reported;
    std::atomic<bool> done = false;
    watcher.Start(
        {{"taken", WatchedJob::Kind::Cups, taken},
         {"dropped", WatchedJob::Kind::Cups, dropped},
         {"nowhere", WatchedJob::Kind::Cups, 99999}},
        [&](const JobOutcome& outcome) {
            std::lock_guard lock(mutex);
            reported.push_back(outcome);
        },
        {60s, 50ms}, [&] { done = true; });
    ASSERT_TRUE(test::WaitFor([&] { return done.load(); }));
    std::map<std::string, JobFate> fates;
    for (const JobOutcome& outcome : reported) fates[outcome.job.printer] = outcome.fate;
    EXPECT_EQ(fates["taken"], JobFate::Completed);
    EXPECT_EQ(fates["dropped"], JobFate::Aborted);
    EXPECT_EQ(fates["nowhere"], JobFate::Unknown);
    EXPECT_EQ(reported.size(), 3u);
}

TEST(CupsJobState, UnreachableSchedulerIsAnErrorNamingTheJob) {
    test::ServerOverride server;
    server.Set("/nonexistent/cups.sock");
    bool unknown = true;
    const auto status = QueryCupsJobState("plotter", 12, &unknown);
    ASSERT_FALSE(status);
    EXPECT_FALSE(unknown);
    EXPECT_NE(status.error().message.find("job 12 of printer \"plotter\""), std::string::npos);
    EXPECT_FALSE(QueryCupsJobState("plotter", 0));
}

}  // namespace
}  // namespace kestrum
