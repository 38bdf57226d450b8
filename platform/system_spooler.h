#pragma once

// The printers of this machine as Kestrum offers them: the CUPS queues, then the hot folders of
// kestrum.ini, then always the default hot folder, so that sending works on a machine without a
// single queue (where it is also the default queue).
//
// A hot folder wins over a CUPS queue of the same name (compared without regard to case, as both
// CUPS and INI keys compare names): the user named it in Kestrum's own settings on purpose, and it
// works with no scheduler running. Such a CUPS queue is left out of the list, since no job could
// reach it by that name.
//
// Threads: as the two back ends; Printers() and OpenPrintJob() block while they ask the scheduler.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hot_folder_spooler.h"
#include "platform/spooler.h"

namespace kestrum {

class SystemSpooler final : public Spooler {
  public:
    // `cups` may be null: a machine without a scheduler. The hot folders are required.
    SystemSpooler(std::unique_ptr<Spooler> cups, std::unique_ptr<HotFolderSpooler> hotFolders);

    // CUPS as libcups finds it, the hot folders of the user's kestrum.ini and the default hot
    // folder in the user's data folder (either left out when its folder is not known).
    static std::unique_ptr<SystemSpooler> ForCurrentUser();

    // Never fails: a scheduler that cannot be reached just gives no queues, and schedulerError()
    // then says why.
    Result<std::vector<PrinterQueue>> Printers() override;

    // Why the last Printers() has no CUPS queues although a scheduler was asked: for a front end
    // to show beside the list (kestrum-cli prints it on standard error). Empty when it answered.
    const std::optional<Error>& schedulerError() const { return schedulerError_; }

    // A hot folder of that name, else the default hot folder's name, else a CUPS queue.
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override;

  private:
    std::unique_ptr<Spooler> cups_;
    std::unique_ptr<HotFolderSpooler> hotFolders_;
    std::optional<Error> schedulerError_;
};

}  // namespace kestrum
