#pragma once

// A file that appears whole or not at all: its bytes go to a temporary file in the target's
// folder, which is synced to the disk and then renamed to its final name. Readers and programs
// that watch the folder see the old file (or none) or the complete new one, never a part.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace kestrum {

class AtomicFile {
  public:
    // The step that failed, so that each caller can keep its own words for it.
    enum class Step { Create, Permissions, Write, Sync, Rename };
    struct Failure {
        Step step;
        int error;  // errno of the failed call
    };

    // A new temporary file in `folder`, named `prefix` followed by six random characters and
    // `suffix`, readable and writable by its owner only until SetMode().
    static std::optional<AtomicFile> CreateUnique(const std::filesystem::path& folder,
                                                  const std::string& prefix,
                                                  const std::string& suffix, int& error);

    // A new temporary file of exactly that name (it must not exist), with `mode` as open() takes
    // it (the umask applies), for callers that choose their own temporary names.
    static std::optional<AtomicFile> CreateNew(const std::filesystem::path& temporary, mode_t mode,
                                               int& error);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file unless it was renamed.
    ~AtomicFile();

    int fd() const { return fd_.get(); }
    const std::filesystem::path& temporary() const { return temporary_; }

    // False with errno set.
    bool SetMode(mode_t mode);
    bool Write(std::string_view bytes);

    // Takes the bytes to the disk, then closes the file (where a written file's last error can
    // surface). False with errno set.
    bool Sync();
    bool Close();

    // Renames the synced file to `target` and syncs the folder. With `replace` off, a `target`
    // that exists fails with EEXIST and the file stays for another name. False with errno set.
    bool RenameTo(const std::filesystem::path& target, bool replace);

    // Closes and removes the temporary file now.
    void Discard();

  private:
    AtomicFile(UniqueFd fd, std::filesystem::path temporary)
        : fd_(std::move(fd)), temporary_(std::move(temporary)) {}

    UniqueFd fd_;
    std::filesystem::path temporary_;  // empty once renamed or discarded
};

// Replaces `target` with `bytes`: a temporary file beside it (named `prefix` and six random
// characters) with permission bits `mode`, given to `owner` when one is named (a failure to give
// it away is no failure), synced and renamed over `target`. No temporary file is left on any path
// out. `target` must not be a symbolic link: callers resolve links first, so that the link stays
// and the file it points to is replaced.
struct FileOwner {
    uid_t user;
    gid_t group;
};
std::optional<AtomicFile::Failure> ReplaceFileContents(const std::filesystem::path& target,
                                                       std::string_view bytes, mode_t mode,
                                                       std::optional<FileOwner> owner = {},
                                                       const std::string& prefix = ".kestrum-");

// Makes a rename in `folder` durable. Some file systems (network shares among them) cannot sync a
// folder; the file itself is on the disk already, so that is no failure.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace kestrum
