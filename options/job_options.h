#pragma once

// The job options group: folding, the two copy counts, media, tray, page size, page scale, data
// format and raster mode, kept in the configuration file's job options section. The header
// builders read these values; the delivery worker reads the file copies for its per-file repeats.

#include <cstddef>
#include <filesystem>

#include "options/user_object.h"
#include "shell/message_sink.h"

namespace kestrum {

// The list ranges the stored numbers index. A number outside them in a file loads as 0, the
// entry that sends no command, rather than as a selection no list can show.
inline constexpr int kFoldProgramCount = 255;
inline constexpr int kFoldingIndexMax = 1 + kFoldProgramCount;  // 0 default, 1 off, programs
inline constexpr int kCopiesMax = 100;

// Media is read into a field of nine characters, so a media text from a file keeps at most
// eight; the other reads use the widths of their values.
inline constexpr std::size_t kMediaReadBuffer = 9;

// Every value at its default: no command for anything, media and tray on the default entry.
void SetJobOptionsDefaults(JobOptionsValues& values);

// Reads the group from `file`; a missing file, section or key gives the default, a text longer
// than its value's width is cut, and a number outside its list's range gives 0. Never fails.
void LoadJobOptions(JobOptionsValues& values, const std::filesystem::path& file);

// Writes the group into the cache of `file` (the caller flushes). Keys whose value is empty or the
// default are removed, so that loading the file gives back exactly these values. Each failed key
// is reported through `messages` and the others are still written; false when any failed.
[[nodiscard]] bool SaveJobOptions(const JobOptionsValues& values, const std::filesystem::path& file,
                                  MessageSink& messages);

}  // namespace kestrum
