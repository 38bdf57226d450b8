#pragma once

// Opening a plot file for sending. Only regular files are sent: a device such as /dev/zero would
// stream for ever, and a FIFO with no writer would hang the send. The file is opened without
// blocking before it is looked at, so a FIFO cannot hang the open either.

#include <cstdint>
#include <string>

#include "platform/result.h"
#include "platform/unique_fd.h"

namespace kestrum {

struct OpenedPlotFile {
    UniqueFd fd;
    std::uint64_t size = 0;
};

// Opens `path` (links followed) for reading. Fails with the system's cause, or with the
// not-a-regular-file text naming the path.
Result<OpenedPlotFile> OpenPlotFile(const std::string& path);

// Refuses a path that opens but is not a regular file, naming it. A path that cannot be opened
// passes: the caller's own reading words that failure.
Result<void> CheckPlotFileKind(const std::string& path);

}  // namespace kestrum
