#pragma once

// The composer of a job stream's header and trailer. For every copy of every launch-list entry
// the delivery worker writes: ComposeJobHeader, the plot file's bytes unchanged,
// ComposeJobTrailer. The printer type decides the dialect: nothing (Generic), controller
// commands (Velmar) or an RCH document (Oce9400).

#include "compose/composition_buffer.h"
#include "options/user_object.h"
#include "platform/clock.h"
#include "platform/print_job.h"
#include "shell/message_sink.h"
#include "shell/printer_type.h"

namespace kestrum {

// Copies the state of the option pages into the values the blocks read. The desktop program's
// pages implement it; a caller whose values are already exported passes none.
class HeaderExports {
public:
    virtual ~HeaderExports() = default;
    // The text stamp, job options, HP-GL, CalComp and raster pages, in that order.
    virtual void ExportForHeader() = 0;
};

// One composer serves one sequence of entries on one thread. It reads the values afresh at each
// header, and keeps between a header and the trailer of the same entry only whether compressed
// raster data was announced.
class JobStreamComposer {
public:
    // `values` is read at each composition and must outlive the composer, as must the others.
    JobStreamComposer(const CUserObject& values, PrinterType printerType, MessageSink& messages,
                      const Clock& clock, HeaderExports* exports = nullptr);

    // Writes each non-empty block as one write. On the first failed write the user is told once,
    // later blocks are not composed, and the answer is false; blocks written stay written.
    bool ComposeJobHeader(PrintJob& job);

    // Writes the trailer that belongs to the last header; same failure rule.
    bool ComposeJobTrailer(PrintJob& job);

    bool compressedRasterFlag() const { return compressedRaster_; }

private:
    bool ComposeVelmarHeader(PrintJob& job);
    bool ComposeRchHeader(PrintJob& job);
    bool WriteBlock(PrintJob& job, bool withTerminatingZero = false);
    bool Write(PrintJob& job, const void* bytes, std::size_t length);

    const CUserObject& values_;
    PrinterType printerType_;
    MessageSink& messages_;
    const Clock& clock_;
    HeaderExports* exports_;
    CompositionBuffer buffer_;
    bool compressedRaster_ = false;
};

}  // namespace kestrum
