#include "platform/private_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/profile_document.h"
#include "platform/unique_fd.h"

// The cache, per absolute path:
//  - an entry without pending writes is re-read whenever the file's identity, size, mtime or ctime
//    differ from what was read, or while the read is "racy" (below);
//  - an entry with pending writes is never re-read: the program's own changes win over whatever
//    happened to the file meanwhile, and Flush() replaces the file with the cached document;
//  - unflushed writes are lost when the process ends or Forget() is called.

namespace kestrum::profile {

namespace {

using detail::Document;
using detail::kMaxDocumentSize;

// Before Linux 6.13, file systems stamp writes with a clock that ticks every 1 to 10 ms, so a file
// rewritten twice within one tick at the same size looks unchanged. A file read within this window
// of its mtime may therefore still change unseen, and is re-read on every access until it has aged.
// (Coarser file systems, FAT for one, are not covered.)
constexpr long long kRacyWindowNs = 20'000'000;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

Error CannotWrite(const std::string& path, const std::string& why) {
    return Fail("Cannot write " + Quoted(path) + ": " + why);
}

struct Stamp {
    int error = 0;  // of stat(); ENOENT when the file is missing
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static Stamp Of(const struct stat& st) {
        return Stamp{0, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }

    friend bool operator==(const Stamp& a, const Stamp& b) {
        return a.error == b.error && a.device == b.device && a.inode == b.inode &&
               a.size == b.size && a.modified.tv_sec == b.modified.tv_sec &&
               a.modified.tv_nsec == b.modified.tv_nsec && a.changed.tv_sec == b.changed.tv_sec &&
               a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

Stamp StatPath(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return Stamp{errno};
    return Stamp::Of(st);
}

bool IsRacy(const Stamp& stamp) {
    if (stamp.error != 0) return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long age =
        (static_cast<long long>(now.tv_sec) - stamp.modified.tv_sec) * 1'000'000'000LL +
        (now.tv_nsec - stamp.modified.tv_nsec);
    return age < kRacyWindowNs && age > -kRacyWindowNs;
}

enum class FileState { kMissing, kReadable, kUnreadable };

struct Entry {
    Document doc;
    Stamp stamp;
    FileState state = FileState::kMissing;
    std::string unreadable;  // why, for error messages: "it is a folder."
    bool pending = false;
    bool racy = false;
    // Changes with every change of the cached document, so that a flush that wrote the document
    // without holding the lock knows whether what it wrote is still what is cached.
    std::uint64_t generation = 0;
};

bool ReadAll(int fd, std::string& data) {
    std::size_t got = 0;
    if (data.size() < 4096) data.resize(4096);
    for (;;) {
        if (got == data.size()) {
            if (data.size() > kMaxDocumentSize) break;
            data.resize(std::min(data.size() * 2, kMaxDocumentSize + 1));
        }
        ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return true;
}

Entry Load(const std::string& path, const Stamp& stamp) {
    Entry entry;
    entry.stamp = stamp;
    auto unreadable = [&entry](std::string why) {
        entry.state = FileState::kUnreadable;
        entry.unreadable = std::move(why);
        return std::move(entry);
    };

    // O_NONBLOCK: opening a FIFO left where a configuration file should be must not hang.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return entry;
        if (err == EISDIR) return unreadable("it is a folder.");
        return unreadable("it cannot be read (" + ErrorText(err) + ").");
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        return unreadable("it cannot be read (" + ErrorText(errno) + ").");
    }
    entry.stamp = Stamp::Of(st);
    if (!S_ISREG(st.st_mode)) {
        return unreadable(S_ISDIR(st.st_mode) ? "it is a folder." : "it is not a regular file.");
    }
    const std::string tooLarge =
        "it is larger than " + std::to_string(kMaxDocumentSize >> 20) + " MiB.";
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxDocumentSize) return unreadable(tooLarge);
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size) + 1);  // +1 sees growth without a resize
    if (!ReadAll(fd.get(), data)) {
        return unreadable("reading it failed (" + ErrorText(errno) + ").");
    }
    fd.Close();
    if (data.size() > kMaxDocumentSize) return unreadable(tooLarge);
    entry.doc = Document::Parse(std::move(data));
    entry.state = FileState::kReadable;
    entry.racy = IsRacy(entry.stamp);  // after the read: a change during it must not be missed
    return entry;
}

class Store {
  public:
    std::mutex mutex;
    // Held by Flush() while it writes the disk without `mutex`, so that two flushes of a file
    // cannot rename their texts in the wrong order. Taken before `mutex`, never after it.
    std::mutex flushing;

    // The entry of `path`, read or re-read as the file requires. Caller holds `mutex`.
    Entry& Acquire(const std::string& path) {
        auto it = entries_.find(path);
        if (it != entries_.end() && it->second.pending) return it->second;
        const Stamp now = StatPath(path);
        if (it != entries_.end() && !it->second.racy && it->second.stamp == now) return it->second;
        Entry fresh = Load(path, now);
        fresh.generation = NextGeneration();
        if (it == entries_.end()) return entries_.emplace(path, std::move(fresh)).first->second;
        it->second = std::move(fresh);
        return it->second;
    }

    Entry* Find(const std::string& path) {
        auto it = entries_.find(path);
        return it == entries_.end() ? nullptr : &it->second;
    }

    void Erase(const std::string& path) { entries_.erase(path); }

    // Puts a batch's document in place of the cached one.
    void Replace(const std::string& path, Entry entry) {
        entry.generation = NextGeneration();
        entries_.insert_or_assign(path, std::move(entry));
    }

    std::uint64_t NextGeneration() { return ++generations_; }

  private:
    std::unordered_map<std::string, Entry> entries_;
    std::uint64_t generations_ = 0;
};

// Never destroyed: other objects with static storage may still use profiles while the program
// ends.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

// The cache key: the absolute, lexically normal path. Empty when the name cannot name a file
// (empty, or holding a NUL that would cut the name short in every system call).
std::string CacheKey(const std::filesystem::path& file) {
    const std::string& native = file.native();
    if (native.empty() || native.find('\0') != std::string::npos) return {};
    // Most callers pass an absolute, already normal path; building a normal form costs more than
    // the rest of a cached read.
    auto isNormal = [](std::string_view p) {
        return p.front() == '/' && p.find("//") == p.npos && p.find("/./") == p.npos &&
               p.find("/../") == p.npos && !p.ends_with("/.") && !p.ends_with("/..");
    };
    if (isNormal(native)) return native;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    if (ec) return {};
    return absolute.lexically_normal().native();
}

Result<std::string> KeyForWriting(const std::filesystem::path& file) {
    std::string key = CacheKey(file);
    if (key.empty()) {
        return CannotWrite(file.native(), file.empty() ? "no file name was given."
                                                       : "the file name is not usable.");
    }
    return key;
}

// Where the text really goes: writing through a symbolic link replaces the file it points to and
// keeps the link.
Result<std::string> WriteTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) {
        const int err = errno;
        return CannotWrite(path, "its link cannot be followed (" + ErrorText(err) + ").");
    }
    std::string target(resolved);
    std::free(resolved);
    return target;
}

std::string FolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().native();
    return folder.empty() ? std::string(".") : folder;
}

// The checks that let a write be refused at once instead of at Flush().
Result<void> CheckWritable(const std::string& path, const Entry& entry) {
    if (entry.state == FileState::kUnreadable) return CannotWrite(path, entry.unreadable);
    Result<std::string> target = WriteTarget(path);
    if (!target) return target.error();
    struct stat st;
    if (::stat(target.value().c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return CannotWrite(path, "it is a folder.");
        if (!S_ISREG(st.st_mode)) return CannotWrite(path, "it is not a regular file.");
        if (::faccessat(AT_FDCWD, target.value().c_str(), W_OK, AT_EACCESS) != 0) {
            return CannotWrite(
                path, errno == EROFS ? "its file system is read-only." : "the file is read-only.");
        }
    }
    const std::string folder = FolderOf(target.value());
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return CannotWrite(path, "the folder does not exist.");
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return CannotWrite(
            path, errno == EROFS ? "its file system is read-only." : "the folder is not writable.");
    }
    return Ok();
}

Result<void> CheckNames(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
    section = detail::TrimBlanks(section);
    key = detail::TrimBlanks(key);
    if (hasBreak(section)) return CannotWrite(path, "the section name contains a line break.");
    if (section.find(']') != section.npos) {
        return CannotWrite(path, "the section name \"" + std::string(section) + "\" contains ']'.");
    }
    if (hasBreak(key)) return CannotWrite(path, "the key name contains a line break.");
    if (key.find('=') != key.npos) {
        return CannotWrite(path, "the key name \"" + std::string(key) + "\" contains '='.");
    }
    if (!key.empty() && (key.front() == '[' || key.front() == ';')) {
        return CannotWrite(
            path, "the key name \"" + std::string(key) + "\" starts with '" + key.front() + "'.");
    }
    if (hasBreak(value)) return CannotWrite(path, "the value contains a line break.");
    return Ok();
}

// Writes `text` to a temporary file beside the target and renames it over the target, so that
// readers see the old file or the new one, never a mixture. Leaves no temporary file behind.
Result<void> ReplaceFile(const std::string& path, const std::string& text) {
    Result<std::string> resolved = WriteTarget(path);
    if (!resolved) return resolved.error();
    const std::string& target = resolved.value();

    mode_t mode = 0644;
    std::optional<FileOwner> owner;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 0777;
        owner = FileOwner{st.st_uid, st.st_gid};
    }
    const auto failure = ReplaceFileContents(
        FolderOf(target) + "/" + std::filesystem::path(target).filename().native(), text, mode,
        owner);
    if (!failure) return Ok();
    const std::string cause = " (" + ErrorText(failure->error) + ").";
    switch (failure->step) {
        case AtomicFile::Step::Create:
            if (failure->error == ENOENT || failure->error == ENOTDIR) {
                return CannotWrite(path, "the folder does not exist.");
            }
            if (failure->error == EACCES || failure->error == EPERM || failure->error == EROFS) {
                return CannotWrite(path, "the folder is not writable" + cause);
            }
            return CannotWrite(path, "creating a temporary file failed" + cause);
        case AtomicFile::Step::Permissions:
            return CannotWrite(path, "setting its permissions failed" + cause);
        case AtomicFile::Step::Write:
            return CannotWrite(path, "writing failed" + cause);
        case AtomicFile::Step::Sync:
            return CannotWrite(path, "saving to disk failed" + cause);
        case AtomicFile::Step::Rename:
            break;
    }
    return CannotWrite(path, "replacing the file failed" + cause);
}

std::string Truncated(std::string_view text, std::size_t size) {
    if (size == 0) return {};
    std::size_t keep = std::min(text.size(), size - 1);
    // Cutting inside a UTF-8 sequence would hand on a broken character; cut before it instead.
    if (keep < text.size() && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) {
        std::size_t lead = keep;
        while (lead > 0 && keep - lead < 3 &&
               (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) {
            --lead;
        }
        if ((static_cast<unsigned char>(text[lead]) & 0xC0) == 0xC0) keep = lead;
    }
    return std::string(text.substr(0, keep));
}

std::string SafeTruncated(std::string_view text, std::size_t size) noexcept {
    try {
        return Truncated(text, size);
    } catch (...) {
        return {};
    }
}

int ParseInt(std::string_view text, int defaultValue) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return defaultValue;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), limit);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// For the catch handlers of the public functions, which must not throw themselves.
Error Unexpected(const std::filesystem::path& file, const char* why) noexcept {
    try {
        return CannotWrite(file.native(), why);
    } catch (...) {
        return Error{};
    }
}

}  // namespace

struct Batch::Staged {
    std::string path;
    Entry entry;
    bool changed = false;
    Staged* outer = nullptr;
};

namespace {

// The calling thread's open batches, innermost first.
thread_local Batch::Staged* tBatches = nullptr;

Batch::Staged* StagedFor(const std::string& path) {
    for (Batch::Staged* staged = tBatches; staged != nullptr; staged = staged->outer) {
        if (staged->path == path) return staged;
    }
    return nullptr;
}

void Unlink(Batch::Staged* staged) {
    for (Batch::Staged** link = &tBatches; *link != nullptr; link = &(*link)->outer) {
        if (*link == staged) {
            *link = staged->outer;
            return;
        }
    }
}

// Runs `use` on the entry of `path`: the calling thread's batch copy when it has one, else the
// cached entry under the cache lock. `use` gets the batch (or null) to mark its changes.
template <typename Use>
auto WithEntry(const std::string& path, Use&& use) {
    if (Batch::Staged* staged = StagedFor(path)) return use(staged->entry, staged);
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    return use(store.Acquire(path), static_cast<Batch::Staged*>(nullptr));
}

// After a change of `entry`'s document; the cache lock is held unless the entry is a batch's.
void MarkChanged(Entry& entry, Batch::Staged* staged) {
    entry.pending = true;
    if (staged != nullptr) {
        staged->changed = true;
    } else {
        entry.generation = TheStore().NextGeneration();
    }
}

}  // namespace

Batch::Batch(const std::filesystem::path& file) {
    try {
        std::string path = CacheKey(file);
        if (path.empty() || StagedFor(path) != nullptr) return;
        auto staged = std::make_unique<Staged>();
        {
            Store& store = TheStore();
            std::lock_guard lock(store.mutex);
            Entry& cached = store.Acquire(path);
            // The document is copied through its text, which it reproduces exactly.
            staged->entry.doc = Document::Parse(cached.doc.Serialize());
            staged->entry.stamp = cached.stamp;
            staged->entry.state = cached.state;
            staged->entry.unreadable = cached.unreadable;
            staged->entry.pending = cached.pending;
            staged->entry.racy = cached.racy;
        }
        staged->path = std::move(path);
        staged->outer = tBatches;
        tBatches = staged_ = staged.release();
    } catch (...) {
        // Without a copy the batch's calls go to the cache one by one, as without a batch.
    }
}

Batch::~Batch() {
    if (staged_ == nullptr) return;
    Unlink(staged_);
    delete staged_;
}

Result<void> Batch::Commit() {
    if (staged_ == nullptr) return Ok();
    Staged* staged = staged_;
    if (staged->changed) {
        try {
            Store& store = TheStore();
            std::lock_guard lock(store.mutex);
            store.Replace(staged->path, std::move(staged->entry));
        } catch (...) {
            return Unexpected(staged->path, "there is not enough memory.");
        }
    }
    staged_ = nullptr;
    Unlink(staged);
    delete staged;
    return Ok();
}

std::string ReadString(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view defaultValue, std::size_t size) {
    if (size == 0) return {};
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return Truncated(defaultValue, size);
        return WithEntry(path, [&](Entry& entry, Batch::Staged*) {
            if (auto value = entry.doc.Find(section, key)) return Truncated(*value, size);
            return Truncated(defaultValue, size);
        });
    } catch (...) {
        return SafeTruncated(defaultValue, size);
    }
}

int ReadInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
            int defaultValue) {
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return defaultValue;
        return WithEntry(path, [&](Entry& entry, Batch::Staged*) {
            if (auto value = entry.doc.Find(section, key)) return ParseInt(*value, defaultValue);
            return defaultValue;
        });
    } catch (...) {
        return defaultValue;
    }
}

Result<void> WriteString(const std::filesystem::path& file, std::string_view section,
                         std::string_view key, std::string_view value) {
    try {
        Result<std::string> path = KeyForWriting(file);
        if (!path) return path.error();
        if (auto checked = CheckNames(path.value(), section, key, value); !checked) return checked;
        return WithEntry(path.value(), [&](Entry& entry, Batch::Staged* staged) -> Result<void> {
            // A pending entry passed these checks with its first write; later trouble shows at
            // Flush().
            if (!entry.pending) {
                if (auto writable = CheckWritable(path.value(), entry); !writable) return writable;
            }
            if (!entry.doc.Set(section, key, value)) {
                return CannotWrite(path.value(), "it would grow larger than " +
                                                     std::to_string(kMaxDocumentSize >> 20) +
                                                     " MiB.");
            }
            MarkChanged(entry, staged);
            return Ok();
        });
    } catch (const std::bad_alloc&) {
        return Unexpected(file, "there is not enough memory.");
    } catch (...) {
        return Unexpected(file, "an unexpected error occurred.");
    }
}

namespace {

template <typename Has, typename Erase>
Result<void> Delete(const std::filesystem::path& file, Has has, Erase erase) {
    try {
        Result<std::string> path = KeyForWriting(file);
        if (!path) return path.error();
        return WithEntry(path.value(), [&](Entry& entry, Batch::Staged* staged) -> Result<void> {
            // An unreadable file may well hold the entry; claiming it is gone would be a lie.
            if (entry.state == FileState::kUnreadable) {
                return CannotWrite(path.value(), entry.unreadable);
            }
            if (!has(entry.doc)) return Ok();
            if (!entry.pending) {
                if (auto writable = CheckWritable(path.value(), entry); !writable) return writable;
            }
            erase(entry.doc);
            MarkChanged(entry, staged);
            return Ok();
        });
    } catch (const std::bad_alloc&) {
        return Unexpected(file, "there is not enough memory.");
    } catch (...) {
        return Unexpected(file, "an unexpected error occurred.");
    }
}

}  // namespace

Result<void> DeleteKey(const std::filesystem::path& file, std::string_view section,
                       std::string_view key) {
    return Delete(
        file, [&](Document& doc) { return doc.Find(section, key).has_value(); },
        [&](Document& doc) { doc.EraseKey(section, key); });
}

Result<void> DeleteSection(const std::filesystem::path& file, std::string_view section) {
    return Delete(
        file, [&](Document& doc) { return doc.HasSection(section); },
        [&](Document& doc) { doc.EraseSection(section); });
}

std::vector<std::string> KeyNames(const std::filesystem::path& file, std::string_view section) {
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return {};
        return WithEntry(path,
                         [&](Entry& entry, Batch::Staged*) { return entry.doc.KeyNames(section); });
    } catch (...) {
        return {};
    }
}

std::vector<std::string> SectionNames(const std::filesystem::path& file) {
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return {};
        return WithEntry(path,
                         [&](Entry& entry, Batch::Staged*) { return entry.doc.SectionNames(); });
    } catch (...) {
        return {};
    }
}

Result<void> Flush(const std::filesystem::path& file) {
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return Ok();  // nothing can be pending for it
        Store& store = TheStore();
        // The disk is written without the cache lock, so that every other thread's reads and
        // writes go on meanwhile; `flushing` keeps flushes in order.
        std::lock_guard flushing(store.flushing);
        std::string text;
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(store.mutex);
            Entry* entry = store.Find(path);
            if (!entry || !entry->pending) return Ok();
            text = entry->doc.Serialize();
            generation = entry->generation;
        }
        if (auto replaced = ReplaceFile(path, text); !replaced) return replaced;
        const Stamp written = StatPath(path);
        std::lock_guard lock(store.mutex);
        Entry* entry = store.Find(path);
        // Written again or forgotten meanwhile: the newer writes stay pending for the next flush.
        if (!entry || entry->generation != generation) return Ok();
        // The file now holds exactly `text`: parsing it again drops the text of replaced lines,
        // and the new stamp spares the next access a re-read. The file is our own fresh write, so
        // it is not treated as racy.
        entry->doc = Document::Parse(std::move(text));
        entry->stamp = written;
        entry->racy = false;
        entry->state = FileState::kReadable;
        entry->unreadable.clear();
        entry->pending = false;
        return Ok();
    } catch (const std::bad_alloc&) {
        return Unexpected(file, "there is not enough memory.");
    } catch (...) {
        return Unexpected(file, "an unexpected error occurred.");
    }
}

void Forget(const std::filesystem::path& file) {
    try {
        const std::string path = CacheKey(file);
        if (path.empty()) return;
        Store& store = TheStore();
        std::lock_guard lock(store.mutex);
        store.Erase(path);
    } catch (...) {
    }
}

}  // namespace kestrum::profile
