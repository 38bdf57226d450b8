#include "platform/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_io.h"

namespace kestrum {

std::optional<AtomicFile> AtomicFile::CreateUnique(const std::filesystem::path& folder,
                                                   const std::string& prefix,
                                                   const std::string& suffix, int& error) {
    std::string name =
        (folder.empty() ? std::string(".") : folder.native()) + "/" + prefix + "XXXXXX" + suffix;
    UniqueFd fd(::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC));
    if (!fd.valid()) {
        error = errno;
        return std::nullopt;
    }
    return AtomicFile(std::move(fd), std::filesystem::path(std::move(name)));
}

std::optional<AtomicFile> AtomicFile::CreateNew(const std::filesystem::path& temporary, mode_t mode,
                                                int& error) {
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!fd.valid()) {
        error = errno;
        return std::nullopt;
    }
    return AtomicFile(std::move(fd), temporary);
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : fd_(std::move(other.fd_)), temporary_(std::exchange(other.temporary_, {})) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::SetMode(mode_t mode) {
    return ::fchmod(fd_.get(), mode) == 0;
}

bool AtomicFile::Write(std::string_view bytes) {
    return WriteAll(fd_.get(), bytes);
}

bool AtomicFile::Sync() {
    return ::fsync(fd_.get()) == 0;
}

bool AtomicFile::Close() {
    return fd_.Close();
}

bool AtomicFile::RenameTo(const std::filesystem::path& target, bool replace) {
    if (!replace) {
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
            0) {
            // A file system that cannot refuse to replace gets a plain rename; callers that ask
            // for no replacing choose names that no one else uses.
            if (errno != EINVAL && errno != ENOSYS) return false;
            if (::rename(temporary_.c_str(), target.c_str()) != 0) return false;
        }
    } else if (::rename(temporary_.c_str(), target.c_str()) != 0) {
        return false;
    }
    temporary_.clear();
    SyncFolder(target.parent_path());
    return true;
}

void AtomicFile::Discard() {
    fd_.Close();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

std::optional<AtomicFile::Failure> ReplaceFileContents(const std::filesystem::path& target,
                                                       std::string_view bytes, mode_t mode,
                                                       std::optional<FileOwner> owner,
                                                       const std::string& prefix) {
    using Step = AtomicFile::Step;
    int error = 0;
    std::optional<AtomicFile> file =
        AtomicFile::CreateUnique(target.parent_path(), prefix, "", error);
    if (!file) return AtomicFile::Failure{Step::Create, error};
    auto failed = [](Step step) { return AtomicFile::Failure{step, errno}; };
    if (!file->SetMode(mode)) return failed(Step::Permissions);
    // Root editing a user's file must not leave it owned by root. Anyone else cannot give files
    // away, so for them this fails and the file simply becomes theirs.
    if (owner && (owner->user != ::geteuid() || owner->group != ::getegid())) {
        [[maybe_unused]] const int ignored = ::fchown(file->fd(), owner->user, owner->group);
    }
    if (!file->Write(bytes)) return failed(Step::Write);
    if (!file->Sync()) return failed(Step::Sync);
    if (!file->Close()) return failed(Step::Write);
    if (!file->RenameTo(target, /*replace=*/true)) return failed(Step::Rename);
    return std::nullopt;
}

void SyncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

}  // namespace kestrum
