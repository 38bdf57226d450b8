// Arbitrary bytes as a profile on disk, read and edited through the public functions.
//
// Besides crashes, leaks and hangs it traps when a promise breaks:
//  - every listed key is found, and a written value reads back (trimmed);
//  - a flush succeeds in a writable folder;
//  - the cached document and a fresh parse of the file it flushed answer alike.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/private_profile.h"

namespace {

namespace profile = kestrum::profile;

// Bounds the work per input: a file of 100,000 one-byte keys must not take seconds.
constexpr std::size_t kMaxSections = 16;
constexpr std::size_t kMaxKeys = 16;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The folder of the input file, removed when the fuzzer exits.
class Folder {
  public:
    static const std::string& Path() {
        static const Folder folder;
        return folder.path_;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

  private:
    // In memory where possible: every input ends in a Flush, and fsync on a disk would set the
    // pace.
    Folder() {
        for (const char* base : {"/dev/shm", "/tmp"}) {
            std::string pattern = std::string(base) + "/kestrum-fuzz-XXXXXX";
            if (::mkdtemp(pattern.data())) {
                path_ = pattern;
                return;
            }
        }
        std::abort();
    }
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0) std::abort();
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A bounded view of what the cache answers: sections, their keys and values.
std::string Snapshot(const std::string& path) {
    std::string out;
    std::vector<std::string> sections = profile::SectionNames(path);
    for (std::size_t s = 0; s < sections.size() && s < kMaxSections; ++s) {
        out += "[" + sections[s] + "]";
        std::vector<std::string> keys = profile::KeyNames(path, sections[s]);
        for (std::size_t k = 0; k < keys.size() && k < kMaxKeys; ++k) {
            out += keys[k] + "=" + profile::ReadString(path, sections[s], keys[k], "", 4096) + "\n";
        }
    }
    return out;
}

// Pieces of the input split at NUL bytes, for names that the file does not hold.
std::vector<std::string_view> Pieces(std::string_view input) {
    std::vector<std::string_view> pieces;
    while (pieces.size() < 6) {
        std::size_t end = input.find('\0');
        pieces.push_back(input.substr(0, std::min<std::size_t>(end, 64)));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    while (pieces.size() < 6) pieces.emplace_back();
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = Folder::Path() + "/fuzz.cfg";
    profile::Forget(path);
    WriteFile(path, input);
    // A file written moments ago is re-read on every access; half the inputs take the path of a
    // file at rest instead, which also keeps the fuzzer fast.
    if (size % 2) {
        const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), hourAgo, 0);
    }

    std::vector<std::string> sections = profile::SectionNames(path);
    if (sections.size() > kMaxSections) sections.resize(kMaxSections);
    for (const std::string& section : sections) {
        std::vector<std::string> keys = profile::KeyNames(path, section);
        for (std::size_t k = 0; k < keys.size() && k < kMaxKeys; ++k) {
            const bool foundA =
                profile::ReadString(path, section, keys[k], "\x01", 1 << 20) != "\x01";
            const bool foundB =
                profile::ReadString(path, section, keys[k], "\x02", 1 << 20) != "\x02";
            Check(foundA || foundB);
            Check(profile::ReadString(path, section, keys[k], "", k).size() + 1 <=
                  std::max<std::size_t>(k, 1));
            (void)profile::ReadInt(path, section, keys[k], -1);
        }
    }

    const std::vector<std::string_view> pieces = Pieces(input);
    std::vector<std::string> targets = sections;
    targets.emplace_back(pieces[0]);
    targets.emplace_back("Fuzz");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string_view key = i % 2 ? pieces[1] : std::string_view("fuzzKey");
        const std::string_view value = i % 3 ? pieces[2] : std::string_view(" v = 1 ");
        if (profile::WriteString(path, targets[i], key, value)) {
            Check(profile::ReadString(path, targets[i], key, "\x01", 1 << 20) == Trim(value));
        }
    }
    (void)profile::ReadString(path, pieces[3], pieces[4], pieces[5], 7);

    if (!sections.empty()) {
        std::vector<std::string> keys = profile::KeyNames(path, sections.front());
        if (!keys.empty()) Check(profile::DeleteKey(path, sections.front(), keys.front()).ok());
        Check(profile::DeleteSection(path, sections.back()).ok());
    }
    Check(profile::DeleteKey(path, pieces[3], pieces[4]).ok());

    const std::string cached = Snapshot(path);
    Check(profile::Flush(path).ok());
    profile::Forget(path);
    Check(Snapshot(path) == cached);
    return 0;
}
