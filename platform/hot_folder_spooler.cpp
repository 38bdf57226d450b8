#include "platform/hot_folder_spooler.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/private_profile.h"
#include "platform/write_gatherer.h"
#include "platform/xdg_paths.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

// Enough for any folder a key can name.
constexpr std::size_t kFolderValueSize = 4096;
// Gathering 512-byte pieces saves a system call for each of them.

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Cause(int error) {
    return ErrorText(error);
}

std::string BytesText(std::uint64_t bytes) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

// The final name of the next job to end: UTC time, so that a change to or from summer time cannot
// make a later job sort first; never earlier than the last name given, should the clock step back.
std::string NextFinalName() {
    static std::mutex mutex;
    static std::time_t last = 0;
    static unsigned long sequence = 0;
    std::lock_guard lock(mutex);
    last = std::max(last, std::time(nullptr));
    ++sequence;
    std::tm utc{};
    gmtime_r(&last, &utc);
    char name[96];
    std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d-%06lu-%ld.job", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, sequence,
                  static_cast<long>(getpid()));
    return name;
}

class HotFolderJob final : public SpoolJob {
  public:
    HotFolderJob(std::string printer, fs::path folder, AtomicFile file)
        : printer_(std::move(printer)), folder_(std::move(folder)), file_(std::move(file)) {}

    ~HotFolderJob() override {
        if (state_ == State::Open) AbortPrintJob();
    }

    bool WriteToPrinter(const void* bytes, std::size_t length) override;
    std::uint64_t bytesWritten() const override { return gatherer_.accepted(); }
    Result<void> EndPrintJob() override;
    void AbortPrintJob() override;
    std::string lastError() const override { return lastError_; }

  private:
    enum class State { Open, Ended, Failed, Aborted };

    bool Flush();
    bool Store(const char* data, std::size_t length);
    // Removes the temporary file; `what` and the cause `error` become the job's message. Callers
    // take errno into `error` before they build `what`, which may change errno.
    void FailAndRemove(int error, const std::string& what);
    void Discard();
    std::string Place() const {
        return "hot folder " + folder_.string() + " (printer " + Quoted(printer_) + ")";
    }

    std::string printer_;
    fs::path folder_;
    AtomicFile file_;  // the job under its temporary name until it ends
    WriteGatherer gatherer_;
    std::uint64_t stored_ = 0;  // written to the temporary file
    State state_ = State::Open;
    std::string lastError_;
};

bool HotFolderJob::WriteToPrinter(const void* bytes, std::size_t length) {
    if (state_ != State::Open) {
        if (lastError_.empty()) lastError_ = "The job for " + Place() + " is no longer open.";
        return false;
    }
    return gatherer_.Write(static_cast<const char*>(bytes), length,
                           [this](const char* data, std::size_t n) { return Store(data, n); });
}

bool HotFolderJob::Flush() {
    return gatherer_.Flush([this](const char* data, std::size_t n) { return Store(data, n); });
}

bool HotFolderJob::Store(const char* data, std::size_t length) {
    if (!file_.Write(std::string_view(data, length))) {
        const int error = errno;
        FailAndRemove(error, "Writing to " + Place() + " failed after " + BytesText(stored_));
        return false;
    }
    stored_ += length;
    return true;
}

void HotFolderJob::FailAndRemove(int error, const std::string& what) {
    Discard();
    lastError_ = what + ": " + Cause(error) + ".";
    state_ = State::Failed;
}

void HotFolderJob::Discard() {
    file_.Discard();
    gatherer_.Discard();
}

Result<void> HotFolderJob::EndPrintJob() {
    if (state_ == State::Failed) return Fail(lastError_);
    if (state_ != State::Open) return Fail("The job for " + Place() + " is no longer open.");
    if (!Flush()) return Fail(lastError_);
    if (stored_ == 0) {
        Discard();
        state_ = State::Ended;
        return Ok();
    }
    if (!file_.Sync() || !file_.Close()) {
        const int error = errno;
        FailAndRemove(error, "Cannot store the job in " + Place());
        return Fail(lastError_);
    }
    // Never replace another job's file: a name already taken moves on to the next one. Where the
    // file system cannot refuse to replace, the name's process id and sequence keep it ours.
    for (;;) {
        if (file_.RenameTo(folder_ / NextFinalName(), /*replace=*/false)) break;
        if (errno == EEXIST) continue;
        const int error = errno;
        FailAndRemove(error, "Cannot give the job its final name in " + Place());
        return Fail(lastError_);
    }
    state_ = State::Ended;
    return Ok();
}

void HotFolderJob::AbortPrintJob() {
    if (state_ != State::Open) return;
    Discard();
    state_ = State::Aborted;
}

bool SameName(const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

HotFolderSpooler::HotFolderSpooler(fs::path settingsFile, fs::path dataFolder)
    : settingsFile_(std::move(settingsFile)), dataFolder_(std::move(dataFolder)) {}

fs::path HotFolderSpooler::Resolve(const std::string& folder) const {
    if (folder.rfind("~/", 0) == 0) {
        if (auto home = HomeFolder()) return home.value() / folder.substr(2);
    }
    const fs::path path(folder);
    if (path.is_absolute()) return path;
    return settingsFile_.parent_path() / path;
}

Result<std::vector<PrinterQueue>> HotFolderSpooler::Printers() {
    std::vector<PrinterQueue> queues;
    if (settingsFile_.empty()) return queues;
    for (const std::string& name : profile::KeyNames(settingsFile_, kSection)) {
        if (name.empty() || name == kReservedQueueName) continue;
        const std::string folder =
            profile::ReadString(settingsFile_, kSection, name, "", kFolderValueSize);
        if (folder.empty()) continue;
        queues.push_back(
            PrinterQueue{name, PrinterQueue::Kind::HotFolder, Resolve(folder).string(), false});
    }
    return queues;
}

std::optional<PrinterQueue> HotFolderSpooler::DefaultQueue() const {
    if (dataFolder_.empty()) return std::nullopt;
    return PrinterQueue{kDefaultName, PrinterQueue::Kind::HotFolder,
                        (dataFolder_ / "hotfolder").string(), true};
}

std::optional<fs::path> HotFolderSpooler::FolderOf(const std::string& printer) const {
    if (printer.empty() || printer == kReservedQueueName) return std::nullopt;
    if (!settingsFile_.empty()) {
        const std::string folder =
            profile::ReadString(settingsFile_, kSection, printer, "", kFolderValueSize);
        if (!folder.empty()) return Resolve(folder);
    }
    if (auto fallback = DefaultQueue(); fallback && SameName(printer, fallback->name)) {
        return fs::path(fallback->location);
    }
    return std::nullopt;
}

Result<std::unique_ptr<SpoolJob>> HotFolderSpooler::OpenPrintJob(const std::string& printer) {
    const std::optional<fs::path> found = FolderOf(printer);
    if (!found) {
        return Fail("Cannot send to printer " + Quoted(printer) + ": it is not a hot folder.");
    }
    const fs::path& folder = *found;
    const auto fallback = DefaultQueue();
    const bool isDefault = fallback && folder == fs::path(fallback->location);
    std::error_code error;
    if (isDefault) {
        fs::create_directories(folder, error);
        if (error) {
            return Fail("Cannot create the hot folder " + folder.string() + " for printer " +
                        Quoted(printer) + ": " + error.message() + ".");
        }
    } else if (!fs::is_directory(folder, error)) {
        return Fail("Cannot send to printer " + Quoted(printer) + ": its hot folder " +
                    folder.string() + " is not a folder that exists.");
    }

    // The counter keeps the names of this process apart; O_EXCL keeps anyone else's file whole.
    static std::atomic<unsigned long> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path temporary = folder / (".kestrum-" + std::to_string(getpid()) + "-" +
                                             std::to_string(++counter) + ".part");
        int error = 0;
        if (auto file = AtomicFile::CreateNew(temporary, 0666, error)) {
            return std::unique_ptr<SpoolJob>(
                std::make_unique<HotFolderJob>(printer, folder, std::move(*file)));
        }
        if (error != EEXIST) {
            return Fail("Cannot write a job into hot folder " + folder.string() + " (printer " +
                        Quoted(printer) + "): " + Cause(error) + ".");
        }
    }
    return Fail("Cannot write a job into hot folder " + folder.string() + " (printer " +
                Quoted(printer) + "): no free temporary name.");
}

}  // namespace kestrum
