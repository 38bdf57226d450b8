#pragma once

// What became of each job after a send. A CUPS queue stores a raw job before the printer sees its
// first byte, so "handed to the spooler" is not "printed": the watcher follows each job's state
// until the scheduler says it was completed, aborted or cancelled, or a time limit passes, and
// reports each job's outcome once. A hot-folder job is complete once its file has its final name,
// which is when the send ended it.
//
// Threads: Follow blocks the calling thread and calls the callback there. Start runs the same on a
// thread of its own and returns at once; the callback then runs on that thread, and a front end
// hands each report to its own thread (the desktop program as a queued call). Stop, or destroying
// the watcher, ends the following within one poll interval; jobs not yet known are then not
// reported.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/cups_job_state.h"
#include "platform/result.h"

namespace kestrum {

// One job that a send ended, as the send hands it over.
struct WatchedJob {
    enum class Kind { Cups, HotFolder };
    std::string printer;
    Kind kind = Kind::Cups;
    int jobId = 0;  // the scheduler's job number (CUPS queues)
};

enum class JobFate {
    Completed,  // the printer took the whole job (a hot folder: the job file is there)
    Aborted,    // the scheduler gave up on it, as after the printer broke off
    Cancelled,  // someone cancelled it before it was done
    TimedOut,   // still pending, held or printing when the time limit passed
    Unknown,    // the scheduler has no such job, or never answered for it
};

struct JobOutcome {
    WatchedJob job;
    JobFate fate = JobFate::Unknown;
    // The scheduler's reasons, or why it could not be asked; may be empty.
    std::string detail;

    bool completed() const { return fate == JobFate::Completed; }
};

// The user's text for an outcome, naming the printer and the job: one line.
std::string JobOutcomeText(const JobOutcome& outcome);

// Where the watcher asks; tests give their own.
class JobStateSource {
  public:
    virtual ~JobStateSource() = default;
    // Blocks for one question. `unknownJob` is set when the answer was "no such job".
    virtual Result<CupsJobStatus> State(const std::string& printer, int jobId,
                                        bool& unknownJob) = 0;
};

// The scheduler that libcups finds for the watcher's thread.
class CupsJobStateSource final : public JobStateSource {
  public:
    Result<CupsJobStatus> State(const std::string& printer, int jobId, bool& unknownJob) override;
};

struct JobWatchTiming {
    std::chrono::milliseconds limit{std::chrono::minutes(10)};
    std::chrono::milliseconds interval{500};
};

class JobOutcomeWatcher {
  public:
    using Callback = std::function<void(const JobOutcome&)>;

    // `source` must outlive the watcher; without one the CUPS scheduler is asked.
    explicit JobOutcomeWatcher(JobStateSource* source = nullptr);
    ~JobOutcomeWatcher();
    JobOutcomeWatcher(const JobOutcomeWatcher&) = delete;
    JobOutcomeWatcher& operator=(const JobOutcomeWatcher&) = delete;

    // Follows `jobs` until each has an outcome or the limit passes; `report` is called once per
    // job, as soon as its outcome is known (in that order), and the outcomes are returned in the
    // order of `jobs`. Blocks. Jobs still unfinished at the limit are TimedOut; after Stop the
    // unfinished ones are neither reported nor returned.
    std::vector<JobOutcome> Follow(const std::vector<WatchedJob>& jobs, const Callback& report,
                                   JobWatchTiming timing = {});

    // Follow on a thread of its own; `done`, when given, is called there after the last report.
    // A watcher follows one set of jobs at a time: a second Start first stops the first.
    void Start(std::vector<WatchedJob> jobs, Callback report, JobWatchTiming timing = {},
               std::function<void()> done = {});

    // Ends the following soon; from any thread. Joins the watcher's own thread if it has one,
    // so it must not be called from inside the callback.
    void Stop();

  private:
    bool Wait(std::chrono::steady_clock::time_point until);

    CupsJobStateSource cups_;
    JobStateSource& source_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kestrum
