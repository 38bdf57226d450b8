#include "launch/job_outcome.h"

#include <algorithm>

#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

// What a finished job's state means for the user; Completed for the states that are not final.
JobFate FateOf(CupsJobState state) {
    switch (state) {
        case CupsJobState::Completed:
            return JobFate::Completed;
        case CupsJobState::Aborted:
            return JobFate::Aborted;
        case CupsJobState::Cancelled:
            return JobFate::Cancelled;
        default:
            return JobFate::TimedOut;
    }
}

int TextOf(JobFate fate) {
    switch (fate) {
        case JobFate::Completed:
            return rid::kJobOutcomeCompleted;
        case JobFate::Aborted:
            return rid::kJobOutcomeAborted;
        case JobFate::Cancelled:
            return rid::kJobOutcomeCancelled;
        case JobFate::TimedOut:
            return rid::kJobOutcomeTimedOut;
        case JobFate::Unknown:
            break;
    }
    return rid::kJobOutcomeUnknown;
}

}  // namespace

std::string JobOutcomeText(const JobOutcome& outcome) {
    std::string text = "Printer \"" + outcome.job.printer + "\"";
    if (outcome.job.kind == WatchedJob::Kind::Cups) {
        text += ", job " + std::to_string(outcome.job.jobId);
    }
    text += ": " + std::string(LoadResourceString(TextOf(outcome.fate)));
    if (!outcome.detail.empty()) text += " (" + outcome.detail + ")";
    return text;
}

Result<CupsJobStatus> CupsJobStateSource::State(const std::string& printer, int jobId,
                                                bool& unknownJob) {
    return QueryCupsJobState(printer, jobId, &unknownJob);
}

JobOutcomeWatcher::JobOutcomeWatcher(JobStateSource* source)
    : source_(source != nullptr ? *source : cups_) {}

JobOutcomeWatcher::~JobOutcomeWatcher() {
    Stop();
}

bool JobOutcomeWatcher::Wait(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, until, [this] { return stopping_; });
}

std::vector<JobOutcome> JobOutcomeWatcher::Follow(const std::vector<WatchedJob>& jobs,
                                                  const Callback& report, JobWatchTiming timing) {
    const auto deadline = std::chrono::steady_clock::now() + timing.limit;
    std::vector<JobOutcome> outcomes(jobs.size());
    std::vector<bool> known(jobs.size(), false);
    std::vector<std::string> lastProblem(jobs.size());
    std::size_t remaining = jobs.size();
    const auto settle = [&](std::size_t i, JobFate fate, std::string detail) {
        outcomes[i] = JobOutcome{jobs[i], fate, std::move(detail)};
        known[i] = true;
        --remaining;
        if (report) report(outcomes[i]);
    };
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].kind == WatchedJob::Kind::HotFolder) settle(i, JobFate::Completed, {});
    }
    while (remaining > 0) {
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            if (known[i]) continue;
            bool unknownJob = false;
            Result<CupsJobStatus> status =
                source_.State(jobs[i].printer, jobs[i].jobId, unknownJob);
            if (status && status.value().finished()) {
                settle(i, FateOf(status.value().state), status.value().reasons);
            } else if (!status && unknownJob) {
                settle(i, JobFate::Unknown, status.error().message);
            } else {
                // Unfinished, or the scheduler is out of reach for now: asked again until the
                // limit.
                lastProblem[i] = status ? status.value().reasons : status.error().message;
            }
        }
        if (remaining == 0) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            for (std::size_t i = 0; i < jobs.size(); ++i) {
                if (!known[i]) settle(i, JobFate::TimedOut, lastProblem[i]);
            }
            break;
        }
        if (!Wait(std::min(deadline, now + timing.interval))) {
            // Stopped: what is not known is left out.
            std::vector<JobOutcome> settled;
            for (std::size_t i = 0; i < jobs.size(); ++i) {
                if (known[i]) settled.push_back(outcomes[i]);
            }
            return settled;
        }
    }
    return outcomes;
}

void JobOutcomeWatcher::Start(std::vector<WatchedJob> jobs, Callback report, JobWatchTiming timing,
                              std::function<void()> done) {
    Stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread(
        [this, jobs = std::move(jobs), report = std::move(report), timing, done = std::move(done)] {
            (void)Follow(jobs, report, timing);
            if (done) done();
        });
}

void JobOutcomeWatcher::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

}  // namespace kestrum
