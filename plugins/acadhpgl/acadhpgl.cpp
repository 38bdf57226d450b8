// The renderer's two C entry points. Everything that can go wrong inside, including running out
// of memory, ends here as a result value: no exception crosses into the caller.

#include "plugins/acadhpgl/acadhpgl.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// What the last call on this thread has to say (AcadLastMessage).
thread_local std::string lastMessage;

// Passes everything on and notes whether anything was drawn at all.
class CountingSink final : public PlotSink {
  public:
    explicit CountingSink(PlotSink& sink) : sink_(sink) {}
    void SetColour(int colour) override { sink_.SetColour(colour); }
    void Polyline(std::span<const Point> points) override {
        drawn_ = true;
        sink_.Polyline(points);
    }
    void Dot(Point at) override {
        drawn_ = true;
        sink_.Dot(at);
    }
    void Fill(std::span<const std::vector<Point>> loops) override {
        drawn_ = true;
        sink_.Fill(loops);
    }
    void Label(Point at, double height, double directionDegrees, double widthFactor,
               std::string_view text) override {
        drawn_ = true;
        sink_.Label(at, height, directionDegrees, widthFactor, text);
    }
    void SlantedLabel(Point at, double height, double directionDegrees, double widthFactor,
                      double slant, std::string_view text) override {
        drawn_ = true;
        sink_.SlantedLabel(at, height, directionDegrees, widthFactor, slant, text);
    }
    bool drawn() const { return drawn_; }

  private:
    PlotSink& sink_;
    bool drawn_ = false;
};

// Why a kind is left out, where there is more to say than that the renderer does not plot it.
std::string_view LeftOutReason(std::string_view kind) {
    if (kind == "IMAGE" || kind.ends_with("UNDERLAY")) {
        return ": HP-GL/2 plots hold no raster pictures nor underlaid files; only their frames "
               "are plotted";
    }
    if (kind == "SHAPE")
        return ": only their insertion points are plotted, as shape files are not read";
    if (kind == "3DSOLID" || kind == "BODY" || kind == "REGION" || kind == "SURFACE") {
        return ": their shapes are stored in a form the renderer does not read";
    }
    return "";
}

// The sentences a successful render has to say: what the reader tolerated, what the plot
// leaves out, and whether it is empty.
std::string RenderNotes(const Drawing& drawing, bool drawn, std::uint64_t unshownCharacters = 0) {
    std::string notes;
    const auto sentence = [&](const std::string& text) {
        if (!notes.empty()) notes += '\n';
        notes += text;
    };
    if (!drawn) {
        sentence(std::string(ACADHPGL_EMPTY_PLOT_TEXT) +
                 ": nothing in the drawing is on a layer that plots, or it holds only entities "
                 "the renderer leaves out.");
    }
    for (const std::string& warning : drawing.warnings) sentence("Note: " + warning + ".");
    for (const auto& [kind, count] : drawing.leftOut) {
        sentence("Left out: " + std::to_string(count) + " " + kind +
                 (count == 1 ? " entity" : " entities") + std::string(LeftOutReason(kind)) + ".");
    }
    if (unshownCharacters > 0) {
        sentence("Left out: " + std::to_string(unshownCharacters) +
                 (unshownCharacters == 1 ? " character" : " characters") +
                 " of texts that no plotter character set holds; each is plotted as '?'.");
    }
    return notes;
}

bool Render(const AcadRenderRecord& record, std::string& error, std::string& notes) {
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
    // Bands narrower than a fine pen (0.35 mm) or a pixel and a half are their centre lines.
    options.thinnestBand = preview ? 1.5 : 14;
    if (placement->area) {
        options.rayArea = placement->area;
    } else {
        // The paper follows the drawing: the plotted region, placed.
        const Point a = placement->toSink.Apply(region.min),
                    b = placement->toSink.Apply(region.max);
        options.rayArea =
            Box{{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
    }
    options.toSink = placement->toSink;
    options.references = &references;
    if (preview) {
        const Box whole{{0, 0}, {ACADHPGL_BITMAP_WIDTH - 1, ACADHPGL_BITMAP_HEIGHT - 1}};
        PreviewCanvas canvas(std::span<std::uint8_t, ACADHPGL_BITMAP_BYTES>(bitmap),
                             placement->area.value_or(whole));
        CountingSink counted(canvas);
        // A walk that ran out of work still leaves a useful partial picture.
        const bool walked = WalkDrawing(drawing, options, counted, error);
        if (!WriteExactly(record.deviceContext, bitmap, 0)) {
            error = "cannot write the preview bitmap";
            return false;
        }
        notes = RenderNotes(drawing, counted.drawn());
        return walked;
    }
    HpglWriter writer(record.outputFile, record.colours, record.outputChoice != 1);
    writer.Begin(placement->area);
    CountingSink counted(writer);
    const bool walked = WalkDrawing(drawing, options, counted, error);
    std::string writeError;
    if (!writer.Finish(writeError)) {
        error = writeError;
        return false;
    }
    notes = RenderNotes(drawing, counted.drawn(), writer.unshownCharacters());
    return walked;
}

}  // namespace
}  // namespace acadhpgl

extern "C" ACADHPGL_EXPORT int IsaACAD(AcadRenderRecord* record) {
    try {
        acadhpgl::lastMessage.clear();
        if (record == nullptr) return 0;
        const std::optional<std::string> path = acadhpgl::DrawingPath(*record);
        if (path && acadhpgl::IsDrawing(*path)) return 1;
        acadhpgl::lastMessage =
            path ? "not a DXF drawing: " + *path : "the record holds no drawing path";
        return 0;
    } catch (...) {
        return 0;
    }
}

extern "C" ACADHPGL_EXPORT int RenderACAD(AcadRenderRecord* record) {
    try {
        acadhpgl::lastMessage.clear();
        if (record == nullptr) return 1;
        std::string error, notes;
        const bool rendered = acadhpgl::Render(*record, error, notes);
        acadhpgl::lastMessage = rendered ? notes : error;
        return rendered ? 0 : 1;
    } catch (...) {
        try {
            acadhpgl::lastMessage = "the renderer ran out of memory";
        } catch (...) {
        }
        return 1;
    }
}

extern "C" ACADHPGL_EXPORT const char* AcadLastMessage(void) {
    return acadhpgl::lastMessage.c_str();
}
