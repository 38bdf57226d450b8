#pragma once

// Previews of HP-GL and HP-GL/2 plot files, without the drawing renderer and without a toolkit.
//
// A plot is read once into its inked polylines (InterpretHpgl); the result is then drawn, fitted
// to the extent of its ink, into the 300 x 300 one-bit preview picture or into a grey picture of
// any size, as often as a window is resized. Reading stops at the first byte that cannot belong to
// a plot and keeps what came before; its work is bounded by the file's size and by fixed caps, so
// a hostile file can neither hang nor exhaust the reader.
//
// What is drawn: lines and arcs of the vector subset (IN, DF, SP, PU, PD, PA, PR, PE, CI, AA, AR,
// EA, ER, RA, RR, SC, IP, PS, RO, LB with DT, SI, SR, DI, DR). Pen widths and line types are read
// and not shown; every line is one pixel wide and solid. Polygons (PM, then FP or EP) and filled
// rectangles (RA, RR) are filled or edged as the plot asks; every fill is drawn solid.
// Labels show one box per printable character, in the character cell's size and direction.
// Other commands are skipped with their parameters. PJL, the universal exit and PCL around
// HP-GL/2 are skipped too: PCL data between ESC%#A and ESC%#B is not drawn.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"
#include "render/drawing_rendering.h"

namespace kestrum {

struct HpglPlot {
    enum class Outcome {
        Complete,      // read to the end
        Damaged,       // stopped at a byte that cannot belong to a plot; stoppedAt says where
        LimitReached,  // stopped at a cap on the work; stoppedAt says where
    };
    Outcome outcome = Outcome::Complete;
    std::size_t stoppedAt = 0;  // byte offset of the damage or of the command that hit the cap
    int problem = 0;            // resource string number of what stopped the reading; 0 when none
    std::size_t commands = 0;   // commands of the subset above that were carried out

    // The ink: polylines in plotter units, with the plot's rotation applied and the y axis
    // pointing up. Points are stored relative to `origin` so that floats keep their precision.
    double originX = 0, originY = 0;
    std::vector<float> points;              // x, y pairs
    std::vector<std::uint32_t> lineStarts;  // index of each polyline's first point
    // Filled areas: the polylines [firstLine, endLine) of lineStarts, each closed, filled by the
    // even-odd rule or by non-zero winding, as FP asks (filled rectangles are even-odd). They are
    // drawn as lines too, since a plotter fills to the edge.
    struct Fill {
        std::uint32_t firstLine = 0;
        std::uint32_t endLine = 0;
        bool nonZero = false;
    };
    std::vector<Fill> fills;
    // What filling may cost when the plot is drawn, in edges times rows over all its areas (from
    // HpglLimits); areas beyond it keep their outline only.
    std::uint64_t fillWork = 100'000'000;
    // The extent of the ink, relative to the origin; meaningful only when hasInk().
    double minX = 0, minY = 0, maxX = 0, maxY = 0;

    bool hasInk() const { return !points.empty(); }
    std::size_t pointCount() const { return points.size() / 2; }
    std::size_t lineCount() const { return lineStarts.size(); }
    std::size_t fillCount() const { return fills.size(); }
};

// Caps that bound the reading of any file, whatever its size.
struct HpglLimits {
    std::size_t maxPoints = 8'000'000;           // stored polyline points (8 bytes each)
    std::size_t maxArcSteps = 2'000'000;         // chords of arcs and circles, inked or not
    std::size_t maxLabelCharacters = 1'000'000;  // in all labels
    std::size_t maxCharactersPerLabel = 4096;    // drawn; the rest of a longer label is skipped
    // Filling, in edges times rows: far above any real plot's, low enough that a hostile one
    // ends quickly.
    std::uint64_t maxFillWork = 100'000'000;
};

// Reads `plot`. Never fails: the outcome says whether and where it stopped early. Pure; runs on
// the calling thread.
HpglPlot InterpretHpgl(std::span<const std::uint8_t> plot, const HpglLimits& limits = {});

// Whether the bytes read as an HP-GL plot: at least one command of the subset, and ink unless the
// reading went to the end or to a cap.
bool LooksLikeHpgl(const HpglPlot& plot);

// A picture of any size: one byte a pixel, rows top first, 255 paper and 0 ink.
struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    GreyPicture() = default;
    // A white picture; sizes below 1 are taken as 1.
    GreyPicture(int width, int height);
    bool Ink(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)] < 128;
    }
};

// Draws the plot's ink fitted to the whole picture (aspect kept, centred) onto what the picture
// holds already.
void DrawHpgl(const HpglPlot& plot, PreviewBitmap& picture);
void DrawHpgl(const HpglPlot& plot, GreyPicture& picture);

// The user's text for a plot that stopped early ("damaged at byte N: ..."), naming `path`;
// empty for a complete one.
std::string HpglProblemText(const HpglPlot& plot, const std::string& path);

// Reads a plot file whole. The error names the file; a file larger than `maxBytes` is refused,
// since a preview of only its beginning would mislead less than none at all.
[[nodiscard]] Result<std::vector<std::uint8_t>> ReadPlotFile(const std::string& path,
                                                             std::size_t maxBytes = std::size_t{256}
                                                                                    << 20);

// The drawing as the renderer plots it with the state's options, read as a plot, so that its
// preview can be drawn at any size. Fails as RenderDrawingToFile does, naming the drawing.
[[nodiscard]] Result<HpglPlot> RenderDrawingPlot(const RendererBinding& renderer,
                                                 OptionState& state, const std::string& drawing);

}  // namespace kestrum
