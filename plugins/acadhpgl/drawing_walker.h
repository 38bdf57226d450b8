#pragma once

// Walks a drawing the way it is plotted: model space, blocks expanded through their INSERTs,
// colours and layers resolved, every shape flattened into straight runs placed in sink
// coordinates. The walk is bounded in depth and in work, so that a drawing whose blocks insert
// each other many times over ends with an error instead of running for ever.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/placement.h"
#include "plugins/acadhpgl/plot_sink.h"

namespace acadhpgl {

// Where the walker finds the drawing that an external-reference block stands for.
class ReferenceSource {
  public:
    virtual ~ReferenceSource() = default;
    // The drawing that block `block` of `owner` refers to, or nullptr when there is none to be
    // had. The drawing lives as long as the source. Called on the walking thread; may load files.
    virtual const Drawing* Referenced(const Drawing& owner, std::uint32_t block) = 0;
};

inline constexpr std::uint64_t kDefaultWorkBudget = 50'000'000;

struct WalkOptions {
    Affine toSink;
    // Largest distance, in sink units, between a curve and the chords that stand for it.
    double chordTolerance = 0.5;
    int minSegmentsPerTurn = 8;
    int maxSegmentsPerTurn = 4096;
    // Sink coordinates beyond +-clipLimit are cut off, so that no sink has to deal with numbers
    // it cannot convert. Shapes with coordinates that are not finite are left out.
    double clipLimit = 1e9;
    // Units of work (entities visited, INSERT and MINSERT cells expanded, segments emitted)
    // after which the walk gives up.
    std::uint64_t workBudget = kDefaultWorkBudget;
    int maxDepth = 32;
    // Polyline widths, in sink units, from which on a wide polyline is drawn as a filled band;
    // narrower ones are drawn as their centre line, which the pen covers anyway.
    double thinnestBand = 0;
    // The plotted area in sink coordinates, across which XLINE and RAY are drawn; without it
    // they are not drawn at all (as when the extents are measured).
    std::optional<Box> rayArea;
    ReferenceSource* references = nullptr;
};

// Draws everything visible into `sink`. False when the work budget ran out; what was drawn up
// to then stays drawn.
bool WalkDrawing(const Drawing& drawing, const WalkOptions& options, PlotSink& sink,
                 std::string& error);

// The bounding box, in drawing coordinates, of everything WalkDrawing would draw (text by its
// estimated size); none for a drawing with nothing visible. False when the work budget ran out.
bool MeasureExtents(const Drawing& drawing, ReferenceSource* references,
                    std::optional<Box>& extents, std::string& error,
                    std::uint64_t workBudget = kDefaultWorkBudget);

// `text` as a plotter shows it, one byte a character, the way ForPlotter writes it starting in
// ISO 8859-1 (the character sets the label switches to are left out): for telling empty texts
// and estimating widths.
std::string PlottedText(std::string_view text);

// The estimated width of a line of text, in the units of `height`.
double EstimatedTextWidth(double height, double widthFactor, std::string_view text);

}  // namespace acadhpgl
