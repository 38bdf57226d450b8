#include "desktop/job_outcome_follower.h"

namespace kestrum {

std::vector<WatchedJob> JobOutcomeFollower::JobsToFollow(
    const std::vector<DeliveryResult::EndedJob>& ended) {
    std::vector<WatchedJob> jobs;
    for (const DeliveryResult::EndedJob& job : ended) {
        if (job.bytes == 0) continue;
        jobs.push_back({job.printer,
                        job.jobId > 0 ? WatchedJob::Kind::Cups : WatchedJob::Kind::HotFolder,
                        job.jobId});
    }
    return jobs;
}

JobOutcomeFollower::JobOutcomeFollower(QObject* parent, JobStateSource* source)
    : QObject(parent), watcher_(std::make_unique<JobOutcomeWatcher>(source)) {}

JobOutcomeFollower::~JobOutcomeFollower() {
    // Joins the watcher's thread before the queued calls it posts could outlive this object;
    // those already posted are dropped with it.
    watcher_->Stop();
}

void JobOutcomeFollower::Follow(std::vector<WatchedJob> jobs, JobWatchTiming timing) {
    // The watcher's thread only posts calls; what they touch belongs to this thread.
    watcher_->Start(
        std::move(jobs),
        [this](const JobOutcome& outcome) {
            QMetaObject::invokeMethod(
                this, [this, outcome] { emit OutcomeKnown(outcome); }, Qt::QueuedConnection);
        },
        timing,
        [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    emit Done();
                    deleteLater();
                },
                Qt::QueuedConnection);
        });
}

}  // namespace kestrum
