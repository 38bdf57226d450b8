#pragma once

// The composer of a job stream's header and trailer. For every copy of every launch-list entry
// the delivery worker writes: ComposeJobHeader, the plot file's bytes unchanged,
// ComposeJobTrailer. The printer type decides the dialect: nothing (Generic), controller
// commands (Velmar) or an RCH document (Oce9400).

#include "compose/composition_buffer.h"
#include "options/header_exports.h"
#include "options/user_object.h"
#include "platform/clock.h"
#include "platform/print_job.h"
#include "platform/result.h"
#include "shell/printer_type.h"

namespace kestrum {

// One composer serves one sequence of entries on one thread. It reads the values afresh at each
// header, and keeps between a header and the trailer of the same entry only whether compressed
// raster data was announced.
class JobStreamComposer {
  public:
    // `values` is read at each composition and must outlive the composer, as must the others.
    JobStreamComposer(const CUserObject& values, PrinterType printerType, const Clock& clock,
                      HeaderExports* exports = nullptr);

    // Writes each non-empty block as one write. On the first failed write later blocks are not
    // composed and the answer is the header-write failure, for the caller to show once; blocks
    // written stay written.
    Result<void> ComposeJobHeader(PrintJob& job);

    // Writes the trailer that belongs to the last header; same failure rule.
    Result<void> ComposeJobTrailer(PrintJob& job);

    bool compressedRasterFlag() const { return compressedRaster_; }

  private:
    Result<void> ComposeVelmarHeader(PrintJob& job);
    Result<void> ComposeRchHeader(PrintJob& job);
    Result<void> Outcome() const;
    bool WriteBlock(PrintJob& job, bool withTerminatingZero = false);
    bool Write(PrintJob& job, const void* bytes, std::size_t length);

    const CUserObject& values_;
    PrinterType printerType_;
    const Clock& clock_;
    HeaderExports* exports_;
    CompositionBuffer buffer_;
    bool compressedRaster_ = false;
    bool failed_ = false;  // a write of the current header or trailer failed
};

}  // namespace kestrum
