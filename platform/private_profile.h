#pragma once

// INI files with the semantics of private profiles, the format of every configuration file and of
// kestrum.ini:
//  - section and key names compare without regard to case; the first of duplicate sections or keys
//    wins; the empty key name is a real key ("=1" under a section);
//  - a missing file, section or key yields the caller's default; reads are cut to the buffer size;
//  - writes change only the lines they concern and keep every other line, comments included;
//  - CR LF and LF files both read; a file is written back with the line ends it had.
//
// Each file is parsed once and cached per absolute path (re-read when it changed on disk and holds
// no unflushed writes). Writes go to the cache; Flush() takes them to the disk atomically
// (temporary file in the same folder, then rename), so a failure never leaves a half-written file.
//
// Names are trimmed of blanks and tabs before they are compared or written. A file larger than
// 16 MiB, a folder, or a file that cannot be read gives defaults and refuses writes. While a file
// has unflushed writes its cache is not re-read: Flush() replaces whatever another program wrote to
// it meanwhile. Unflushed writes are lost when the process ends.
//
// Thread safety: every function may be called from any thread; the cache is guarded by one mutex,
// which is not held while a flush writes and syncs the disk. A Batch makes a run of reads or writes
// of one file a single step for every other thread.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace kestrum::profile {

// The value of `key` in `section`, or `defaultValue` when the file, section or key is missing or
// unreadable. Like a buffer of `size` characters that must hold the terminating zero, the answer
// holds at most size - 1 characters (none when size is 0), and is cut before a UTF-8 sequence
// rather than inside it. Surrounding blanks of a value are not part of it.
std::string ReadString(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view defaultValue, std::size_t size);

// The value as an integer: an optional sign, then the leading decimal digits; `defaultValue` when
// the key is missing or its value starts with no digit. Values beyond the range of int saturate.
int ReadInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
            int defaultValue);

// Sets `key` in `section` (both created when missing) in the cached file. A new key goes after
// the last key of its section, a new section at the end of the file. Fails, changing nothing:
//  - when the file cannot be written: it is a folder, its folder is missing or read-only, it is
//    read-only itself, or it exists but cannot be read;
//  - when a name or value cannot be stored in an INI line: a line break anywhere, ']' in the
//    section, '=' in the key, a key starting with '[' or ';';
//  - when the file would grow beyond 16 MiB.
Result<void> WriteString(const std::filesystem::path& file, std::string_view section,
                         std::string_view key, std::string_view value);

// Removes the key (its line) or the whole section (its header and every line up to the next
// section). Only the first of duplicate keys or sections goes; a later duplicate then shows
// through. Removing what is not there succeeds; a file that cannot be read fails.
Result<void> DeleteKey(const std::filesystem::path& file, std::string_view section,
                       std::string_view key);
Result<void> DeleteSection(const std::filesystem::path& file, std::string_view section);

// The key names of `section` in file order (first spelling of each, duplicates left out); empty
// when the section is missing.
std::vector<std::string> KeyNames(const std::filesystem::path& file, std::string_view section);

// The section names in file order, duplicates left out.
std::vector<std::string> SectionNames(const std::filesystem::path& file);

// Takes the cached writes of `file` to the disk. Succeeds at once when nothing is pending. The file
// keeps its permission bits (0644 when new); through a symbolic link, the file it points to is
// replaced. On failure the writes stay pending and no temporary file is left.
Result<void> Flush(const std::filesystem::path& file);

// Drops the cache entry of `file`, pending writes included; the next access reads the disk.
void Forget(const std::filesystem::path& file);

// While a batch lives, the calling thread's reads and writes of its file go to a private copy of
// the file's cached document, taken when the batch began; other threads keep seeing the cache.
// Commit() puts the copy into the cache under one lock, so another thread reads every value of
// the file as it was or every value as the batch left it, never a mixture. A batch that is not
// committed changes nothing, which makes it a consistent snapshot for a run of reads.
//
// The copy replaces the cached document whole: writes that another thread made to the same file
// meanwhile are lost, as when two saves of one file follow each other. Batches of different files
// may nest; a second batch of the same file on the same thread shares the first one's copy. Flush
// takes the cache to the disk, so commit before flushing.
class Batch {
  public:
    explicit Batch(const std::filesystem::path& file);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Makes the batch's writes visible to every thread; later calls on this thread go to the
    // cache again. Fails only when memory runs out, changing nothing.
    Result<void> Commit();

    struct Staged;

  private:
    Staged* staged_ = nullptr;  // null when the file name is unusable or an outer batch holds it
};

}  // namespace kestrum::profile
