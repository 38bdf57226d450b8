// The renderer's two C entry points. Everything that can go wrong inside, including running out
// of memory, ends here as a result value: no exception crosses into the caller.

#include "plugins/acadhpgl/acadhpgl.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugins/acadhpgl/drawing_walker.h"
#include "plugins/acadhpgl/dxf_reader.h"
#include "plugins/acadhpgl/hpgl_writer.h"
#include "plugins/acadhpgl/placement.h"
#include "plugins/acadhpgl/preview_canvas.h"
#include "plugins/acadhpgl/reference_drawings.h"

#define ACADHPGL_EXPORT __attribute__((visibility("default")))

namespace acadhpgl {
namespace {

// The path, when the record holds a terminated, non-empty one.
std::optional<std::string> DrawingPath(const AcadRenderRecord& record) {
    const void* end = std::memchr(record.drawingPath, '\0', sizeof record.drawingPath);
    if (end == nullptr || end == record.drawingPath) return std::nullopt;
    return std::string(record.drawingPath, static_cast<const char*>(end));
}

// Only regular files: opening a FIFO or a device by mistake could block or never end.
bool IsRegularFile(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Reads exactly bytes.size() bytes at `offset`; false on a short file or an error.
bool ReadExactly(int fd, std::span<std::uint8_t> bytes, off_t offset) {
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, bytes.size() - got, offset + static_cast<off_t>(got));
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool WriteExactly(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

// The walk's work budget: enough for every entity of a large drawing to be flattened into many
// chords, so that only a drawing whose blocks multiply each other runs out of it.
std::uint64_t WorkBudget(const Drawing& drawing) {
    std::uint64_t entities = drawing.entities.size();
    for (const Block& block : drawing.blocks) entities += block.entities.size();
    return kDefaultWorkBudget + 64 * entities;
}

bool IsDrawing(const std::string& path) {
    // Non-blocking, so that a FIFO under the name cannot hold the caller up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat status;
    std::string head(kSniffBytes, '\0');
    std::size_t got = 0;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (got < head.size()) {
            const ssize_t n =
                ::pread(fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
            if (n > 0) {
                got += static_cast<std::size_t>(n);
            } else if (n == 0 || errno != EINTR) {
                break;
            }
        }
    }
    ::close(fd);
    head.resize(got);
    return SniffDrawing(head) != DrawingFormat::NotDrawing;
}

bool Render(const AcadRenderRecord& record, std::string& error) {
    const std::optional<std::string> path = DrawingPath(record);
    if (!path) {
        error = "the record holds no drawing path";
        return false;
    }
    const bool preview = record.outputKind == ACADHPGL_DRAW_PREVIEW;
    if (!preview && record.outputKind != ACADHPGL_WRITE_HPGL) {
        error = "unknown output kind " + std::to_string(record.outputKind);
        return false;
    }
    if (!preview) {
        // Checked first, so that a drawing is not rendered only to find nowhere to put it.
        const int flags = ::fcntl(record.outputFile, F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
            error = "the output file is not open for writing";
            return false;
        }
    }
    std::vector<std::uint8_t> bitmap;
    if (preview) {
        bitmap.resize(ACADHPGL_BITMAP_BYTES);
        if (!ReadExactly(record.deviceContext, bitmap, 0)) {
            error = "cannot read the preview bitmap";
            return false;
        }
    }
    if (!IsRegularFile(*path)) {
        error = "not a readable file: " + *path;
        return false;
    }
    Drawing drawing;
    if (!ReadDxfFile(*path, drawing, error)) return false;

    std::vector<std::string> folders;
    std::string listError;
    ReadReferenceList(record.referenceList, folders, listError);  // without it, fewer are found
    ReferenceDrawings references(drawing, *path, std::move(folders));

    Box region{};
    if (PlotsExtents(record, drawing)) {
        std::optional<Box> extents;
        if (!MeasureExtents(drawing, &references, extents, error, WorkBudget(drawing))) {
            return false;
        }
        if (extents) region = *extents;
    } else {
        region = *drawing.limits;
    }
    const std::optional<Placement> placement =
        ComputePlacement(record, region, drawing.insertionUnits, error);
    if (!placement) return false;

    WalkOptions options;
    options.workBudget = WorkBudget(drawing);
    options.toSink = placement->toSink;
    options.references = &references;
    if (preview) {
        const Box whole{{0, 0}, {ACADHPGL_BITMAP_WIDTH - 1, ACADHPGL_BITMAP_HEIGHT - 1}};
        PreviewCanvas canvas(std::span<std::uint8_t, ACADHPGL_BITMAP_BYTES>(bitmap),
                             placement->area.value_or(whole));
        // A walk that ran out of work still leaves a useful partial picture.
        const bool drawn = WalkDrawing(drawing, options, canvas, error);
        if (!WriteExactly(record.deviceContext, bitmap, 0)) {
            error = "cannot write the preview bitmap";
            return false;
        }
        return drawn;
    }
    HpglWriter writer(record.outputFile, record.colours, record.outputChoice != 1);
    writer.Begin(placement->area);
    const bool drawn = WalkDrawing(drawing, options, writer, error);
    std::string writeError;
    if (!writer.Finish(writeError)) {
        error = writeError;
        return false;
    }
    return drawn;
}

}  // namespace
}  // namespace acadhpgl

extern "C" ACADHPGL_EXPORT int IsaACAD(AcadRenderRecord* record) {
    try {
        if (record == nullptr) return 0;
        const std::optional<std::string> path = acadhpgl::DrawingPath(*record);
        return path && acadhpgl::IsDrawing(*path) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" ACADHPGL_EXPORT int RenderACAD(AcadRenderRecord* record) {
    try {
        if (record == nullptr) return 1;
        std::string error;
        return acadhpgl::Render(*record, error) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}
