#pragma once

// The print spooler as the delivery worker and the configuration sender see it: a list of printer
// queues, and raw print jobs opened on one of them. Two kinds of queue stand behind it: CUPS
// queues and hot folders (a folder a printer or RIP watches; each job becomes one file there).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/print_job.h"
#include "platform/result.h"

namespace kestrum {

// The name no queue may have: it belongs to the drawing renderer's own driver.
inline constexpr const char* kReservedQueueName = "Rendering Subsystem";
// The document name every job carries.
inline constexpr const char* kDocumentName = "Kestrum File";

// One open raw print job. Owned by whoever opened it; destroying a job that was neither ended
// nor aborted aborts it, so no half job is left queued. Not thread-safe: one thread writes a job.
class SpoolJob : public PrintJob {
  public:
    // Bytes accepted so far (64-bit: files may exceed 4 GiB).
    virtual std::uint64_t bytesWritten() const = 0;

    // Hands the whole job to the printer. After a failure the job has been aborted. The error
    // names the printer, says what failed and how many bytes had been sent.
    virtual Result<void> EndPrintJob() = 0;

    // Withdraws the job: nothing of it reaches the printer. Safe to call after a failed write.
    virtual void AbortPrintJob() = 0;

    // The last failure of WriteToPrinter, worded for the user (empty when there was none).
    virtual std::string lastError() const = 0;

    // After a failure or AbortPrintJob: false when part of the job may be left on the spooler
    // (the scheduler went away before it could be withdrawn); lastError() then names the job.
    virtual bool withdrawn() const { return true; }

    // The scheduler's number for the job, to follow it after it was ended; 0 for a job that has
    // none (a hot-folder job is complete once its file is in place).
    virtual int jobId() const { return 0; }
};

struct PrinterQueue {
    std::string name;
    enum class Kind { Cups, HotFolder } kind = Kind::Cups;
    std::string location;  // the device URI of a CUPS queue, the folder of a hot folder
    bool isDefault = false;
};

class Spooler {
  public:
    virtual ~Spooler() = default;

    // Every queue a job may be sent to, CUPS queues first, then hot folders. Blocks while it asks
    // the scheduler.
    virtual Result<std::vector<PrinterQueue>> Printers() = 0;

    // Opens a raw job named kDocumentName on the queue `printer`. The error names the printer.
    virtual Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) = 0;
};

}  // namespace kestrum
