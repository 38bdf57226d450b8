#include "launch/plot_file_check.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "launch/launch_texts.h"
#include "platform/error_text.h"
#include "shell/resource_ids.h"

namespace kestrum {

Result<OpenedPlotFile> OpenPlotFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0) {
        return Fail("\"" + path + "\": " + ErrorText(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) return Fail(LaunchText(rid::kPlotFileNotRegularMessage, {path}));
    // Reads of a regular file never block; the flag only kept the open from waiting.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return OpenedPlotFile{std::move(fd), static_cast<std::uint64_t>(info.st_size)};
}

Result<void> CheckPlotFileKind(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || S_ISREG(info.st_mode)) return Ok();
    return Fail(LaunchText(rid::kPlotFileNotRegularMessage, {path}));
}

}  // namespace kestrum
