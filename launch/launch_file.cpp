#include "launch/launch_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "launch/launch_texts.h"
#include "launch/user_object_record.h"
#include "platform/atomic_file.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

// Writing and sizing: the entry's fields, its record and its references, in order.
template <typename Archive>
void TransferEntry(Archive& ar, const PlotFileEntry& entry) {
    ar.Text(entry.filePath);
    ar.Long(entry.isDrawing);
    ar.Text(entry.renderedFile);
    ar.Text(entry.configuration);
    TransferUserObject(ar, entry.savedSettings.get());
    ar.Texts(entry.savedReferences.get());
}

// Reading hands every entry whose record bytes are the same one shared record: a long list
// saved from one session holds the same record in every entry, tens of kilobytes each once read.
class RecordPool {
  public:
    explicit RecordPool(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ReadEntry(RecordReader& in, PlotFileEntry& entry) {
        in.Text(entry.filePath);
        in.Long(entry.isDrawing);
        in.Text(entry.renderedFile);
        in.Text(entry.configuration);
        const std::size_t recordStart = bytes_.size() - in.remaining();
        auto settings = std::make_shared<CUserObject>();
        TransferUserObject(in, *settings);
        const std::size_t referencesStart = bytes_.size() - in.remaining();
        auto references = std::make_shared<ReferenceList>();
        in.Texts(*references);
        if (!in.ok()) return false;
        const std::size_t end = bytes_.size() - in.remaining();
        entry.savedSettings = SharedValue<CUserObject>(
            Pooled(settings_, Slice(recordStart, referencesStart), std::move(settings)));
        entry.savedReferences = SharedValue<ReferenceList>(
            Pooled(references_, Slice(referencesStart, end), std::move(references)));
        return true;
    }

  private:
    template <typename T>
    using Pool = std::unordered_map<std::string_view, std::shared_ptr<const T>>;

    std::string_view Slice(std::size_t from, std::size_t to) const {
        return {reinterpret_cast<const char*>(bytes_.data()) + from, to - from};
    }

    template <typename T>
    static std::shared_ptr<const T> Pooled(Pool<T>& pool, std::string_view raw,
                                           std::shared_ptr<T> read) {
        auto [found, added] = pool.try_emplace(raw, std::move(read));
        return found->second;
    }

    std::span<const std::uint8_t> bytes_;
    Pool<CUserObject> settings_;
    Pool<ReferenceList> references_;
};

std::size_t MinimumEntrySize() {
    static const std::size_t size = [] {
        RecordSizer sizer;
        const PlotFileEntry empty;
        TransferEntry(sizer, empty);
        return sizer.size();
    }();
    return size;
}

std::string Quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

LaunchFileReading Refused(LaunchFileFault fault, std::string message) {
    LaunchFileReading reading;
    reading.fault = fault;
    reading.message = std::move(message);
    return reading;
}

LaunchFileReading Damaged(std::string_view fileName, const std::string& why) {
    return Refused(LaunchFileFault::Damaged,
                   LaunchText(rid::kLaunchFileDamaged, {Quoted(fileName), why}));
}

std::string EntryProblem(const RecordReader& in, std::size_t number) {
    const std::string entry = std::to_string(number);
    const std::string declared = std::to_string(in.declared());
    switch (in.problem()) {
        case RecordProblem::TextTooLong:
            return LaunchText(rid::kLaunchFileTextTooLong, {entry, declared});
        case RecordProblem::ListTooLong:
            return LaunchText(rid::kLaunchFileListTooLong, {entry, declared});
        case RecordProblem::UnknownTextEncoding:
            return LaunchText(rid::kLaunchFileWideText, {entry});
        case RecordProblem::EndsEarly:
        case RecordProblem::None:
            break;
    }
    return LaunchText(rid::kLaunchFileEndsInEntry, {entry});
}

Error CannotRead(const std::filesystem::path& file, const std::string& why) {
    return Fail(LaunchText(rid::kLaunchFileCannotRead, {Quoted(file.string()), why}));
}

Error CannotWrite(const std::filesystem::path& file, const std::string& why) {
    return Fail("Cannot write " + Quoted(file.string()) + ": " + why);
}

Result<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file) {
    // Non-blocking, so that a pipe in the file's place is refused below instead of waiting for
    // a writer that never comes.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) return CannotRead(file, LaunchText(rid::kLaunchFileMissing));
        return CannotRead(file, ErrorText(err) + ".");
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st;
    if (::fstat(fd, &st) != 0) return CannotRead(file, ErrorText(errno) + ".");
    if (S_ISDIR(st.st_mode)) return CannotRead(file, LaunchText(rid::kLaunchFileIsFolder));
    if (!S_ISREG(st.st_mode)) return CannotRead(file, LaunchText(rid::kLaunchFileNotRegular));
    const std::string tooLarge =
        LaunchText(rid::kLaunchFileTooLarge, {std::to_string(kMaxLaunchFileSize >> 20)});
    if (static_cast<std::uint64_t>(st.st_size) > kMaxLaunchFileSize) {
        return CannotRead(file, tooLarge);
    }

    // The size is only a hint: the file may change while it is read.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > kMaxLaunchFileSize) return CannotRead(file, tooLarge);
            bytes.resize(std::min(bytes.size() * 2, kMaxLaunchFileSize + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return CannotRead(file, ErrorText(errno) + ".");
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

Result<void> ReplaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    std::string target = file.string();
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved == nullptr) {
            return CannotWrite(file, "its link cannot be followed (" + ErrorText(errno) + ").");
        }
        target = resolved;
        std::free(resolved);
    }

    mode_t mode = 0644;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return CannotWrite(file, "it is a folder.");
        if (!S_ISREG(st.st_mode)) return CannotWrite(file, "it is not a regular file.");
        mode = st.st_mode & 07777;
    }

    const auto failure = ReplaceFileContents(
        target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), mode,
        std::nullopt, ".kestrum-lch-");
    if (!failure) return Ok();
    const std::string cause = " (" + ErrorText(failure->error) + ").";
    switch (failure->step) {
        case AtomicFile::Step::Create:
            if (failure->error == ENOENT || failure->error == ENOTDIR) {
                return CannotWrite(file, "the folder does not exist.");
            }
            return CannotWrite(file, "cannot create a file in its folder" + cause);
        case AtomicFile::Step::Permissions:
            return CannotWrite(file, "setting its permissions failed" + cause);
        case AtomicFile::Step::Write:
            return CannotWrite(file, "writing failed" + cause);
        case AtomicFile::Step::Sync:
            return CannotWrite(file, "saving to disk failed" + cause);
        case AtomicFile::Step::Rename:
            break;
    }
    return CannotWrite(file, "replacing the file failed" + cause);
}

}  // namespace

Result<std::vector<std::uint8_t>> EncodeLaunchFile(const std::vector<PlotFileEntry>& entries) {
    if (entries.size() > std::numeric_limits<std::uint32_t>::max()) {
        return Fail("a launch file holds at most 4294967295 entries.");
    }
    RecordWriter out;
    for (char c : kLaunchFileSignature) out.Byte(static_cast<std::uint8_t>(c));
    out.Long(static_cast<std::uint32_t>(entries.size()));
    for (const PlotFileEntry& entry : entries) TransferEntry(out, entry);
    if (!out.ok()) return Fail("a text of the launch list is too long for a launch file.");
    return out.Take();
}

LaunchFileReading DecodeLaunchFile(std::span<const std::uint8_t> bytes, std::string_view fileName) {
    const auto* start = reinterpret_cast<const char*>(bytes.data());
    if (bytes.size() < kLaunchFileSignature.size() ||
        std::string_view(start, kLaunchFileSignature.size()) != kLaunchFileSignature) {
        return Refused(LaunchFileFault::NotALaunchFile,
                       LaunchText(rid::kLaunchFileNotALaunchFile, {Quoted(fileName)}));
    }
    const std::span<const std::uint8_t> body = bytes.subspan(kLaunchFileSignature.size());
    RecordReader in(body);
    std::uint32_t count = 0;
    in.Long(count);
    if (!in.ok()) return Damaged(fileName, LaunchText(rid::kLaunchFileEndsBeforeCount));
    if (static_cast<std::uint64_t>(count) * MinimumEntrySize() > in.remaining()) {
        return Damaged(fileName,
                       LaunchText(rid::kLaunchFileTooManyEntries, {std::to_string(count)}));
    }

    LaunchFileReading reading;
    reading.entries.reserve(count);
    RecordPool pool(body);
    for (std::uint32_t i = 0; i < count; ++i) {
        PlotFileEntry entry;
        if (!pool.ReadEntry(in, entry)) {
            return Damaged(fileName, EntryProblem(in, std::size_t{i} + 1));
        }
        reading.entries.push_back(std::move(entry));
    }
    return reading;
}

LaunchFileReading ReadLaunchFileWithCause(const std::filesystem::path& file) {
    Result<std::vector<std::uint8_t>> bytes = ReadWholeFile(file);
    if (!bytes) return Refused(LaunchFileFault::CannotRead, bytes.error().message);
    return DecodeLaunchFile(bytes.value(), file.string());
}

Result<std::vector<PlotFileEntry>> ReadLaunchFile(const std::filesystem::path& file) {
    LaunchFileReading reading = ReadLaunchFileWithCause(file);
    if (!reading.ok()) return Fail(std::move(reading.message));
    return std::move(reading.entries);
}

Result<void> WriteLaunchFile(const std::filesystem::path& file,
                             const std::vector<PlotFileEntry>& entries) {
    Result<std::vector<std::uint8_t>> bytes = EncodeLaunchFile(entries);
    if (!bytes) return CannotWrite(file, bytes.error().message);
    return ReplaceFile(file, bytes.value());
}

}  // namespace kestrum
