#pragma once

// What the CUPS scheduler says of one job: its job-state, and the reasons it gives. CUPS stores a
// raw job whole before the printer sees its first byte, so a job that was handed to the spooler
// may still be aborted at the printer; only this state tells.

#include <string>

#include "platform/result.h"

namespace kestrum {

// The job-state values of IPP, numbered as the protocol numbers them.
enum class CupsJobState {
    Pending = 3,
    Held = 4,
    Processing = 5,
    Stopped = 6,
    Cancelled = 7,
    Aborted = 8,
    Completed = 9,
};

struct CupsJobStatus {
    CupsJobState state = CupsJobState::Pending;
    // The scheduler's job-state-reasons keywords, comma-separated, then its message about the
    // job when it has one ("job-printer-state-message"): what to show beside a failure.
    std::string reasons;

    bool finished() const {
        return static_cast<int>(state) >= static_cast<int>(CupsJobState::Cancelled);
    }
};

// Asks the scheduler that libcups finds for the calling thread (CUPS_SERVER, client.conf, the
// local default) for job `jobId` of `printer`, on a connection of its own. Blocks for one request;
// any thread may call it. The error names the printer and the job; `unknownJob`, when given, is
// set when the scheduler answered that it has no such job (any more).
[[nodiscard]] Result<CupsJobStatus> QueryCupsJobState(const std::string& printer, int jobId,
                                                      bool* unknownJob = nullptr);

}  // namespace kestrum
