#pragma once

// CUPS queues as Kestrum's printers: raw jobs streamed to the scheduler through libcups.
//
// The scheduler is the one libcups finds for the calling thread (CUPS_SERVER, which may name a Unix
// socket, then client.conf, then the local default). A job streams its bytes to the scheduler as
// they are written, gathered into blocks of kBlockSize, never the whole job in memory. The plotter
// sees the first byte only once the job has ended: CUPS stores the whole document before printing,
// so a job's progress measures the upload to the scheduler, and EndPrintJob means "handed to the
// spooler", not "printed".
//
// What a job leaves behind on every path:
//  - EndPrintJob succeeded: one job, queued or printing;
//  - any failure after the job was created, AbortPrintJob, or destroying an open job: the job is
//    cancelled on a connection of its own and the streaming connection is closed, so no half job
//    stays held on the scheduler;
//  - a job of zero bytes in all: CUPS cannot finish such a job (it would stay held), so it is
//    cancelled, and EndPrintJob reports success: nothing was to be printed and nothing was lost.
//
// Threads: each call blocks while it talks to the scheduler. libcups keeps its last error and
// its server choice per thread, so a job is opened, written, ended and aborted on one thread.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/spooler.h"
#include "platform/write_gatherer.h"

namespace kestrum {

class CupsSpooler final : public Spooler {
  public:
    // How many bytes a job gathers before it hands them to libcups. libcups sends every write as
    // HTTP chunks of at most 2 KiB, so handing it 512-byte pieces one by one cost a quarter to a
    // third of the throughput; 64 KiB blocks are faster than the lp tool and still small.
    static constexpr std::size_t kBlockSize = WriteGatherer::kBlockSize;

    // The scheduler's queues in its order, without instances and without a queue named
    // kReservedQueueName; location is the device URI, isDefault marks the default destination.
    // An empty list when the scheduler has none; an error naming the scheduler when it cannot be
    // reached.
    Result<std::vector<PrinterQueue>> Printers() override;

    // Creates a job named kDocumentName on the queue and starts its one raw document. The error
    // names the printer and says whether the queue is unknown, refuses jobs or the scheduler
    // cannot be reached. The returned job is the caller's.
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override;
};

}  // namespace kestrum
