#pragma once

// Hot folders: a folder that a printer or RIP watches, as a printer queue. Each job becomes one
// file there, written under a hidden temporary name (".kestrum-<pid>-<n>.part") and renamed when
// the job ends to "YYYYMMDD-HHMMSS-<seq>-<pid>.job" (UTC time at the end of the job, then a
// six-digit sequence number of this process), so the watcher never picks up half a job and the
// names sort in the order the jobs ended. The data is on the disk (fsync) before the rename makes
// it visible.
//
// What a job leaves behind:
//  - EndPrintJob succeeded: the one final file;
//  - a failure, AbortPrintJob, or destroying an open job: nothing, the temporary file is removed;
//  - a job of zero bytes in all: nothing either, and EndPrintJob succeeds, as with a CUPS queue
//    (an empty file would only puzzle the watcher).
//
// The queues are the keys of section HotFolders in kestrum.ini: key = printer name, value = folder.
// A folder that starts with "~/" lies in the home folder; a relative one is taken from the folder
// of kestrum.ini. Names compare without regard to case, as INI keys do. A configured folder must
// exist (a mistyped one is not quietly created where no watcher looks); the default hot folder,
// <data folder>/hotfolder named kDefaultName, is created when first used.
//
// Threads: any thread; each job is used by one thread at a time.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/spooler.h"

namespace kestrum {

class HotFolderSpooler final : public Spooler {
  public:
    static constexpr const char* kSection = "HotFolders";
    static constexpr const char* kDefaultName = "Hot folder";

    // `settingsFile` is kestrum.ini; `dataFolder` holds the default hot folder. An empty path
    // means none: no configured hot folders, or no default one.
    HotFolderSpooler(std::filesystem::path settingsFile, std::filesystem::path dataFolder);

    // The configured hot folders in the order of the section; keys with no folder and the
    // reserved name are left out. Never fails; the default hot folder is not among them.
    Result<std::vector<PrinterQueue>> Printers() override;

    // The default hot folder, marked as the default queue; none without a data folder.
    std::optional<PrinterQueue> DefaultQueue() const;

    // The folder behind `printer`: a configured hot folder first, then the default one by its
    // name; none when the name is neither.
    std::optional<std::filesystem::path> FolderOf(const std::string& printer) const;

    // Starts a job file in the printer's folder. The error names the printer and the folder and
    // gives the cause. The returned job is the caller's.
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override;

  private:
    std::filesystem::path Resolve(const std::string& folder) const;

    std::filesystem::path settingsFile_;
    std::filesystem::path dataFolder_;
};

}  // namespace kestrum
