#pragma once

// Launch files (".lch"): a saved launch list. Binary, little-endian, front to back:
// the counted text "this is good", a 32-bit entry count, then each PlotFileEntry record: file path
// (counted text), drawing mark (32-bit), rendered file (counted text), configuration (counted
// text), the CUserObject record (launch/user_object_record.h), the reference list (counted list).
//
// A file is taken whole or not at all: every declared length and count is checked against the
// bytes left before anything is allocated, and nothing is handed back until the last entry has
// been read. Bytes after the last entry are ignored. The file is read into memory, so files over
// kMaxLaunchFileSize are refused.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launch/plot_file_entry.h"
#include "platform/result.h"

namespace kestrum {

// A decoded entry takes about twenty times the bytes it took in the file (every empty text of its
// record becomes a string object), so the cap bounds memory as much as reading time.
inline constexpr std::size_t kMaxLaunchFileSize = 64u << 20;

// The 13 bytes every launch file starts with.
inline constexpr std::string_view kLaunchFileSignature =
    "\x0c"
    "this is good";

// Why a launch file was refused.
enum class LaunchFileFault {
    None,
    CannotRead,      // missing, a folder, unreadable, or larger than kMaxLaunchFileSize
    NotALaunchFile,  // the signature is not there
    Damaged,         // the signature is right but the content is short or inconsistent
};

struct LaunchFileReading {
    LaunchFileFault fault = LaunchFileFault::None;
    std::string message;                 // names the file; empty when the file was read
    std::vector<PlotFileEntry> entries;  // empty unless the file was read

    bool ok() const { return fault == LaunchFileFault::None; }
};

// The bytes of a launch file holding `entries`. Fails only for a text or list too long for its
// 32-bit count, or more than 2^32 - 1 entries; the message is the reason alone, in lower case, to
// follow the name of the file that was to be written.
Result<std::vector<std::uint8_t>> EncodeLaunchFile(const std::vector<PlotFileEntry>& entries);

// Decodes a launch file's bytes; `fileName` only goes into the messages.
LaunchFileReading DecodeLaunchFile(std::span<const std::uint8_t> bytes, std::string_view fileName);

// Reads and decodes the file. Blocks on the file system; runs on any thread.
LaunchFileReading ReadLaunchFileWithCause(const std::filesystem::path& file);

Result<std::vector<PlotFileEntry>> ReadLaunchFile(const std::filesystem::path& file);

// Writes the file under a temporary name in the same folder, then renames it over `file`, so a
// failure leaves the old file (or none) and never a half-written one. An existing file keeps its
// permission bits (0644 when new); through a symbolic link the file it points to is replaced.
Result<void> WriteLaunchFile(const std::filesystem::path& file,
                             const std::vector<PlotFileEntry>& entries);

}  // namespace kestrum
