#include "render/hpgl_preview.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/error_text.h"
#include "platform/unique_fd.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

// Where the plot's origin-relative units land in a picture: fitted to the ink's extent, aspect
// kept, centred, the y axis turned to run down.
struct Fit {
    double scale = 1;
    double offsetX = 0;
    double offsetY = 0;
    int width = 0;
    int height = 0;

    Fit(const HpglPlot& plot, int pictureWidth, int pictureHeight)
        : width(pictureWidth), height(pictureHeight) {
        const double spanX = plot.maxX - plot.minX, spanY = plot.maxY - plot.minY;
        const double roomX = width - 1, roomY = height - 1;
        if (spanX > 0 && spanY > 0) {
            scale = std::min(roomX / spanX, roomY / spanY);
        } else if (spanX > 0) {
            scale = roomX / spanX;
        } else if (spanY > 0) {
            scale = roomY / spanY;
        }
        offsetX = (roomX - spanX * scale) / 2 - plot.minX * scale;
        offsetY = (roomY - spanY * scale) / 2 - plot.minY * scale;
    }

    std::int64_t Column(float x) const { return Clamp(std::llround(x * scale + offsetX), width); }
    std::int64_t Row(float y) const {
        return Clamp(height - 1 - std::llround(y * scale + offsetY), height);
    }
    // Rounding can step half a pixel past the edge; nothing else can, since the fit holds the ink.
    static std::int64_t Clamp(std::int64_t value, int size) {
        return std::clamp<std::int64_t>(value, 0, size - 1);
    }
};

template <typename SetPixel>
void Line(std::int64_t x, std::int64_t y, std::int64_t endX, std::int64_t endY, SetPixel& set) {
    const std::int64_t dx = std::llabs(endX - x), dy = -std::llabs(endY - y);
    const std::int64_t stepX = x < endX ? 1 : -1, stepY = y < endY ? 1 : -1;
    std::int64_t error = dx + dy;
    while (true) {
        set(x, y);
        if (x == endX && y == endY) break;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

// The index one past the last point of polyline `line`.
std::size_t LineEnd(const HpglPlot& plot, std::size_t line) {
    return line + 1 < plot.lineStarts.size() ? plot.lineStarts[line + 1] : plot.pointCount();
}

// Fills each filled area row by row: where the row crosses the area's edges, by its rule.
template <typename SetPixel>
void FillAreas(const HpglPlot& plot, const Fit& fit, SetPixel& set) {
    struct Edge {
        double x0, y0, x1, y1;
    };
    std::vector<Edge> edges;
    std::vector<std::pair<double, int>> crossings;  // x, and +1 or -1 for the edge's direction
    std::uint64_t work = plot.fillWork;
    const auto column = [&fit](float x) { return x * fit.scale + fit.offsetX; };
    const auto row = [&fit](float y) { return fit.height - 1 - (y * fit.scale + fit.offsetY); };
    for (const HpglPlot::Fill& fill : plot.fills) {
        edges.clear();
        double top = fit.height, bottom = -1;
        for (std::size_t line = fill.firstLine; line < fill.endLine && line < plot.lineCount();
             ++line) {
            const std::size_t end = LineEnd(plot, line);
            for (std::size_t i = plot.lineStarts[line]; i + 1 < end; ++i) {
                const Edge edge{column(plot.points[2 * i]), row(plot.points[2 * i + 1]),
                                column(plot.points[2 * i + 2]), row(plot.points[2 * i + 3])};
                if (edge.y0 == edge.y1) continue;
                edges.push_back(edge);
                top = std::min({top, edge.y0, edge.y1});
                bottom = std::max({bottom, edge.y0, edge.y1});
            }
        }
        const std::int64_t firstRow = std::max<std::int64_t>(0, std::llround(std::ceil(top)));
        const std::int64_t lastRow =
            std::min<std::int64_t>(fit.height - 1, std::llround(std::floor(bottom)));
        if (edges.empty() || lastRow < firstRow) continue;
        const std::uint64_t cost = static_cast<std::uint64_t>(edges.size()) *
                                   static_cast<std::uint64_t>(lastRow - firstRow + 1);
        if (cost > work) continue;
        work -= cost;
        for (std::int64_t y = firstRow; y <= lastRow; ++y) {
            const double at = static_cast<double>(y);
            crossings.clear();
            for (const Edge& e : edges) {
                // Half open, so that a vertex shared by two edges counts once.
                if (at < std::min(e.y0, e.y1) || at >= std::max(e.y0, e.y1)) continue;
                crossings.emplace_back(e.x0 + (at - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0),
                                       e.y1 > e.y0 ? 1 : -1);
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += fill.nonZero ? crossings[i].second : 1;
                const bool inside = fill.nonZero ? winding != 0 : winding % 2 != 0;
                if (!inside) continue;
                const std::int64_t from =
                    std::max<std::int64_t>(0, std::llround(std::ceil(crossings[i].first)));
                const std::int64_t to = std::min<std::int64_t>(
                    fit.width - 1, std::llround(std::floor(crossings[i + 1].first)));
                for (std::int64_t x = from; x <= to; ++x) set(x, y);
            }
        }
    }
}

template <typename SetPixel>
void DrawPlot(const HpglPlot& plot, int width, int height, SetPixel set) {
    if (!plot.hasInk() || width < 1 || height < 1) return;
    const Fit fit(plot, width, height);
    FillAreas(plot, fit, set);
    for (std::size_t line = 0; line < plot.lineStarts.size(); ++line) {
        const std::size_t first = plot.lineStarts[line];
        const std::size_t end = LineEnd(plot, line);
        std::int64_t x = fit.Column(plot.points[2 * first]);
        std::int64_t y = fit.Row(plot.points[2 * first + 1]);
        set(x, y);
        for (std::size_t i = first + 1; i < end; ++i) {
            const std::int64_t nextX = fit.Column(plot.points[2 * i]);
            const std::int64_t nextY = fit.Row(plot.points[2 * i + 1]);
            if (nextX != x || nextY != y) Line(x, y, nextX, nextY, set);
            x = nextX;
            y = nextY;
        }
    }
}

}  // namespace

bool LooksLikeHpgl(const HpglPlot& plot) {
    // Prose read as HP-GL meets a word that begins like a command ("Input") and then damage; a
    // plot that stops at damage before any ink shows nothing worth a picture either.
    return plot.commands > 0 && (plot.hasInk() || plot.outcome != HpglPlot::Outcome::Damaged);
}

GreyPicture::GreyPicture(int pictureWidth, int pictureHeight)
    : width(std::max(1, pictureWidth)),
      height(std::max(1, pictureHeight)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 255) {}

void DrawHpgl(const HpglPlot& plot, PreviewBitmap& picture) {
    DrawPlot(plot, PreviewBitmap::kWidth, PreviewBitmap::kHeight,
             [&picture](std::int64_t x, std::int64_t y) {
                 picture.bits[static_cast<std::size_t>(y) * PreviewBitmap::kRowBytes +
                              static_cast<std::size_t>(x / 8)] |=
                     static_cast<std::uint8_t>(0x80u >> (x % 8));
             });
}

void DrawHpgl(const HpglPlot& plot, GreyPicture& picture) {
    if (picture.pixels.size() !=
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
        return;
    }
    DrawPlot(plot, picture.width, picture.height, [&picture](std::int64_t x, std::int64_t y) {
        picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                       static_cast<std::size_t>(x)] = 0;
    });
}

std::string HpglProblemText(const HpglPlot& plot, const std::string& path) {
    if (plot.outcome == HpglPlot::Outcome::Complete) return {};
    const int summary = plot.outcome == HpglPlot::Outcome::Damaged ? rid::kHpglPreviewDamagedMessage
                                                                   : rid::kHpglPreviewLimitMessage;
    return std::string(LoadResourceString(summary)) + " (" + path + ", byte " +
           std::to_string(plot.stoppedAt) + ": " + std::string(LoadResourceString(plot.problem)) +
           ")";
}

namespace {

// The bytes of the open regular file `file`, named `path` in errors.
Result<std::vector<std::uint8_t>> ReadWhole(int file, const std::string& path,
                                            std::size_t maxBytes) {
    struct stat status {};
    if (::fstat(file, &status) != 0) {
        return Fail("Cannot read the plot file " + path + ": " + ErrorText(errno) + ".");
    }
    if (!S_ISREG(status.st_mode)) {
        return Fail("Cannot read the plot file " + path + ": it is not a regular file.");
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return Fail("Cannot preview the plot file " + path + ": it is larger than " +
                    std::to_string(maxBytes >> 20) + " MiB.");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            ::pread(file, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail("Cannot read the plot file " + path + ": " + ErrorText(errno) + ".");
        if (n == 0) break;  // the file shrank while it was read: preview what there is
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadPlotFile(const std::string& path, std::size_t maxBytes) {
    // Non-blocking, so that a pipe under the name is refused instead of waited on.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        return Fail("Cannot read the plot file " + path + ": " + ErrorText(errno) + ".");
    }
    return ReadWhole(file.get(), path, maxBytes);
}

Result<HpglPlot> RenderDrawingPlot(const RendererBinding& renderer, OptionState& state,
                                   const std::string& drawing) {
    UniqueFd plot(::memfd_create("kestrum-drawing-plot", MFD_CLOEXEC));
    if (!plot.valid()) {
        return Fail(ErrorKind::Library,
                    FormatResourceString(rid::kPreviewNotMade, {drawing, ErrorText(errno)}));
    }
    if (Result<void> rendered = RenderDrawingToFile(renderer, state, drawing, plot.get());
        !rendered) {
        return rendered.error();
    }
    Result<std::vector<std::uint8_t>> bytes =
        ReadWhole(plot.get(), drawing, std::size_t{256} << 20);
    if (!bytes) return bytes.error();
    return InterpretHpgl(bytes.value());
}

}  // namespace kestrum
