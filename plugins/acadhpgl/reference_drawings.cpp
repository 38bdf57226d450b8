#include "plugins/acadhpgl/reference_drawings.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "plugins/acadhpgl/dxf_reader.h"

namespace acadhpgl {
namespace {

namespace fs = std::filesystem;

// Folders with more entries than this are not searched for a name in another letter case.
constexpr int kMaxEntriesCompared = 10000;

std::string Normalised(const std::string& path) {
    std::error_code failed;
    fs::path full = fs::absolute(path, failed);
    if (failed) full = path;
    return full.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
    std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool IsWindowsAbsolute(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || path.starts_with("\\\\");
}

// The last part of a path written with either kind of separator, or with a drive letter.
std::string_view FileNameOf(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
               return lower(x) == lower(y);
           });
}

bool IsRegularFile(const fs::path& path) {
    std::error_code failed;
    return fs::is_regular_file(path, failed);
}

// The file itself, or the one file in its folder whose name differs only in letter case.
std::optional<std::string> ExistingFile(const std::string& candidate) {
    if (IsRegularFile(candidate)) return candidate;
    const fs::path path(candidate);
    const std::string name = path.filename().string();
    std::error_code failed;
    fs::directory_iterator entries(path.parent_path().empty() ? "." : path.parent_path(), failed);
    int compared = 0;
    for (; !failed && entries != fs::directory_iterator(); entries.increment(failed)) {
        if (++compared > kMaxEntriesCompared) break;
        if (EqualIgnoringCase(entries->path().filename().string(), name) &&
            IsRegularFile(entries->path())) {
            return entries->path().string();
        }
    }
    return std::nullopt;
}

}  // namespace

ReferenceDrawings::ReferenceDrawings(const Drawing& host, const std::string& hostPath,
                                     std::vector<std::string> searchFolders)
    : searchFolders_(std::move(searchFolders)) {
    const std::string path = Normalised(hostPath);
    byPath_[path] = &host;
    folders_[&host] = FolderOf(path);
}

const Drawing* ReferenceDrawings::Referenced(const Drawing& owner, std::uint32_t block) {
    const auto key = std::pair{&owner, block};
    if (const auto known = resolved_.find(key); known != resolved_.end()) return known->second;
    const Drawing* found = nullptr;
    const auto folder = folders_.find(&owner);
    if (folder != folders_.end() && block < owner.blocks.size()) {
        for (const std::string& candidate : Candidates(owner.blocks[block], folder->second)) {
            const std::optional<std::string> file = ExistingFile(candidate);
            if (file && (found = Load(Normalised(*file))) != nullptr) break;
        }
    }
    resolved_[key] = found;
    return found;
}

std::vector<std::string> ReferenceDrawings::Candidates(const Block& block,
                                                       const std::string& folder) const {
    std::vector<std::string> candidates;
    const std::string_view given = block.externalPath;
    if (given.find('\0') != std::string_view::npos || block.name.find('\0') != std::string::npos) {
        return candidates;
    }
    std::string name;
    if (!given.empty()) {
        if (!IsWindowsAbsolute(given)) {
            std::string path(given);
            std::replace(path.begin(), path.end(), '\\', '/');
            candidates.push_back(path.starts_with('/') ? path : folder + "/" + path);
        }
        name = FileNameOf(given);
    } else {
        name = std::string(FileNameOf(block.name)) + ".dxf";
    }
    if (name.empty() || name == "." || name == ".." || name == ".dxf") return candidates;
    std::vector<std::string> names{name};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || !EqualIgnoringCase(name.substr(dot), ".dxf")) {
        names.push_back(name.substr(0, dot) + ".dxf");
    }
    std::vector<std::string> folders{folder};
    folders.insert(folders.end(), searchFolders_.begin(), searchFolders_.end());
    for (const std::string& where : folders) {
        for (const std::string& file : names) candidates.push_back(where + "/" + file);
    }
    return candidates;
}

const Drawing* ReferenceDrawings::Load(const std::string& path) {
    if (const auto known = byPath_.find(path); known != byPath_.end()) return known->second;
    if (filesRead_ >= kMaxReferencedFiles) return nullptr;
    ++filesRead_;
    auto drawing = std::make_unique<Drawing>();
    std::string error;
    if (!ReadDxfFile(path, *drawing, error)) {
        byPath_[path] = nullptr;
        return nullptr;
    }
    const Drawing* loaded = drawing.get();
    loaded_.push_back(std::move(drawing));
    byPath_[path] = loaded;
    folders_[loaded] = FolderOf(path);
    return loaded;
}

bool ReadReferenceList(int fd, std::vector<std::string>& folders, std::string& error) {
    folders.clear();
    if (fd <= 0) return true;
    // One byte more than the limit tells whether the limit cut the list.
    std::string bytes(kMaxReferenceListBytes + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = "cannot read the reference list: " + std::system_category().message(errno);
            return false;
        }
    }
    const bool cut = got > kMaxReferenceListBytes;
    bytes.resize(std::min(got, kMaxReferenceListBytes));
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) {
            if (!cut) folders.push_back(bytes.substr(start));
            break;
        }
        if (end > start) folders.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

}  // namespace acadhpgl
