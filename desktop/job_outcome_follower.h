#pragma once

// What the printers make of one send's jobs, followed without holding the send or the
// user-interface thread: the watcher asks the scheduler on a thread of its own and every outcome
// is handed to the user-interface thread as a queued call. One follower serves one send; it is
// made when the send ends and deletes itself (deleteLater) once every job has an outcome.
// Destroying it earlier stops the following within one poll interval; outcomes not yet known are
// then not reported.

#include <QObject>
#include <memory>
#include <vector>

#include "launch/delivery_worker.h"
#include "launch/job_outcome.h"

namespace kestrum {

class JobOutcomeFollower : public QObject {
    Q_OBJECT

  public:
    // The jobs of a send worth following: an empty job was withdrawn, not printed, and a job
    // without a scheduler number went to a hot folder, where it is complete once it has its name.
    static std::vector<WatchedJob> JobsToFollow(const std::vector<DeliveryResult::EndedJob>& ended);

    // `source` (tests) must outlive the follower; without one the CUPS scheduler is asked.
    explicit JobOutcomeFollower(QObject* parent = nullptr, JobStateSource* source = nullptr);
    ~JobOutcomeFollower() override;

    // Starts following; once only. With no jobs, Done follows at once (queued).
    void Follow(std::vector<WatchedJob> jobs, JobWatchTiming timing);

  signals:
    // One job's outcome, on the user-interface thread, once per job.
    void OutcomeKnown(const kestrum::JobOutcome& outcome);
    // Every job has its outcome; the follower is deleted after this.
    void Done();

  private:
    std::unique_ptr<JobOutcomeWatcher> watcher_;
};

}  // namespace kestrum

Q_DECLARE_METATYPE(kestrum::JobOutcome)
