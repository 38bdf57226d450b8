#include "compose/job_stream.h"

#include <array>
#include <string>

#include "compose/emulation_blocks.h"
#include "compose/job_header_blocks.h"
#include "compose/rch_document.h"
#include "compose/text_stamp_block.h"
#include "compose/tri_state.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

JobHeaderInputs PrepareJobHeader(const JobOptionsValues& job, std::string& copies) {
    copies = job.copies == 0 ? std::string() : std::to_string(job.copies);
    JobHeaderInputs in;
    in.copies = copies;
    in.format = job.format;
    in.rasterMode = job.rasterMode;
    in.tray = job.tray;
    in.media = MatchesResource(job.media, rid::kDefaultText) ? std::string_view() : job.media;
    in.pageScale = job.pageScale;
    in.pageSize = job.pageSize;
    return in;
}

RasterInputs PrepareRaster(const RasterValues& raster) {
    RasterInputs in;
    for (std::size_t i = 0; i < raster.size(); ++i) in.texts[i] = raster[i];
    in.imageTriState = TriStateValue(raster[4], {rid::kCalCompOn}, {rid::kCalCompOff});
    in.width = raster[5].empty() ? -1 : LeadingInteger(raster[5]);
    in.length = raster[6].empty() ? -1 : LeadingInteger(raster[6]);
    return in;
}

bool AnyRasterValueSet(const RasterValues& raster) {
    for (const std::string& value : raster) {
        if (!value.empty()) return true;
    }
    return false;
}

}  // namespace

JobStreamComposer::JobStreamComposer(const CUserObject& values, PrinterType printerType,
                                     const Clock& clock, HeaderExports* exports)
    : values_(values), printerType_(printerType), clock_(clock), exports_(exports) {}

Result<void> JobStreamComposer::Outcome() const {
    if (!failed_) return Ok();
    return MakeError(rid::kHeaderWriteFailed, ErrorKind::Printer);
}

Result<void> JobStreamComposer::ComposeJobHeader(PrintJob& job) {
    compressedRaster_ = false;
    failed_ = false;
    if (exports_ != nullptr) exports_->ExportForHeader();
    switch (printerType_) {
        case PrinterType::Velmar:
            return ComposeVelmarHeader(job);
        case PrinterType::Oce9400:
            return ComposeRchHeader(job);
        case PrinterType::Generic:
            break;
    }
    return Ok();
}

Result<void> JobStreamComposer::ComposeVelmarHeader(PrintJob& job) {
    const char terminator = CommandTerminator(values_.setCurrentFlag);

    for (int pen = 1; pen <= kPenCount; ++pen) {
        const PenParms& record = values_.calcompPens[pen - 1];
        if (!record.InUse()) continue;
        PenCommand(buffer_, PenDialect::CalComp, PreparePen(pen, record), terminator);
        if (!WriteBlock(job)) return Outcome();
    }
    CalCompSettingsBlock(buffer_, PrepareCalCompSettings(values_.calcomp), terminator);
    if (!WriteBlock(job)) return Outcome();

    if (values_.stamp.stampOn != 0) {
        buffer_.Clear();
        TextStampBlock(buffer_, PrepareTextStamp(values_.stamp), clock_.Now(), terminator);
        if (!WriteBlock(job, /*withTerminatingZero=*/true)) return Outcome();
    }

    for (int pen = 1; pen <= kPenCount; ++pen) {
        const PenParms& record = values_.hpglPens[pen - 1];
        if (!record.InUse()) continue;
        PenCommand(buffer_, PenDialect::Hpgl, PreparePen(pen, record), terminator);
        if (!WriteBlock(job)) return Outcome();
    }
    buffer_.Clear();
    HpglSettingsBlock(buffer_, values_.hpgl, terminator);
    if (!WriteBlock(job)) return Outcome();

    std::string copies;
    buffer_.Clear();
    JobHeaderBlock(buffer_, PrepareJobHeader(values_.job, copies), terminator);
    if (!WriteBlock(job)) return Outcome();

    buffer_.Clear();
    FolderCommand(buffer_, values_.job.folding);
    if (!WriteBlock(job)) return Outcome();

    if (!AnyRasterValueSet(values_.raster)) return Ok();
    compressedRaster_ = RasterSettingsBlock(buffer_, PrepareRaster(values_.raster), terminator);
    WriteBlock(job);
    return Outcome();
}

Result<void> JobStreamComposer::ComposeRchHeader(PrintJob& job) {
    buffer_.Clear();
    RchApplicationData(buffer_, values_.job);
    if (buffer_.empty()) return Ok();
    (void)(Write(job, kRchPreamble.data(), kRchPreamble.size()) &&
           Write(job, buffer_.text().data(), buffer_.size()) &&
           Write(job, kRchClosing.data(), kRchClosing.size()));
    return Outcome();
}

Result<void> JobStreamComposer::ComposeJobTrailer(PrintJob& job) {
    failed_ = false;
    if (printerType_ != PrinterType::Velmar) return Ok();
    if (compressedRaster_) {
        // The end of group-4 compressed data: 32 zero bytes, then "DONE".
        static constexpr auto kEndMarker = [] {
            std::array<char, 36> marker{};
            marker[32] = 'D';
            marker[33] = 'O';
            marker[34] = 'N';
            marker[35] = 'E';
            return marker;
        }();
        Write(job, kEndMarker.data(), kEndMarker.size());
        return Outcome();
    }
    if (MatchesResource(values_.job.rasterMode, rid::kOnWord)) {
        // Form feed, then the switch back from raster mode; its "!" is fixed.
        static constexpr char kRasterOff[] = "\x0c\x1b.PRMODE DIS!";
        if (!Write(job, kRasterOff, sizeof kRasterOff - 1)) return Outcome();
    }
    static constexpr char kEndOfJob[] = "\x1b.*";
    Write(job, kEndOfJob, sizeof kEndOfJob - 1);
    return Outcome();
}

bool JobStreamComposer::WriteBlock(PrintJob& job, bool withTerminatingZero) {
    if (buffer_.empty()) return true;
    // The text's terminating zero follows the buffer's last character.
    return Write(job, buffer_.text().c_str(), buffer_.size() + (withTerminatingZero ? 1 : 0));
}

bool JobStreamComposer::Write(PrintJob& job, const void* bytes, std::size_t length) {
    if (job.WriteToPrinter(bytes, length)) return true;
    failed_ = true;
    return false;
}

}  // namespace kestrum
