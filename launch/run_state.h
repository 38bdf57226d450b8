#pragma once

// The run state of one send, shared between the front end that starts, pauses and cancels it and
// the delivery worker that looks at it before every entry, copy and piece of a file.

#include <atomic>

namespace kestrum {

enum class RunState : int { Stopped = 0, Running = 1, Paused = 2 };

// One cell per send. Writers that pause or resume notify it (std::atomic::notify_all), so a
// waiting worker wakes at once; a signal handler may store Stopped without notifying, since the
// worker only blocks on the cell while it is paused.
using RunStateCell = std::atomic<RunState>;
static_assert(RunStateCell::is_always_lock_free);

}  // namespace kestrum
