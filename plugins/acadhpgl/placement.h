#pragma once

// Where a drawing lands on the paper or in the preview: the record's area, paper, scale, plot
// choice and offsets turned into one affine transform from drawing coordinates to sink
// coordinates. Sink coordinates are plotter units (1016 per inch, y up) for HP-GL and pixel
// coordinates (column, row: pixel centres at whole numbers, row 0 at the top) for the preview.

#include <optional>
#include <string>

#include "plugins/acadhpgl/acadhpgl.h"
#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

inline constexpr double kPlotterUnitsPerInch = 1016;

// x' = xx x + xy y + dx, y' = yx x + yy y + dy.
struct Affine {
    double xx = 1;
    double xy = 0;
    double yx = 0;
    double yy = 1;
    double dx = 0;
    double dy = 0;

    Point Apply(Point p) const { return {xx * p.x + xy * p.y + dx, yx * p.x + yy * p.y + dy}; }
    // Only the linear part: for directions and lengths.
    Point ApplyToVector(Point v) const { return {xx * v.x + xy * v.y, yx * v.x + yy * v.y}; }
    // This transform followed by `next`.
    Affine Then(const Affine& next) const {
        return {next.xx * xx + next.xy * yx,           next.xx * xy + next.xy * yy,
                next.yx * xx + next.yy * yx,           next.yx * xy + next.yy * yy,
                next.xx * dx + next.xy * dy + next.dx, next.yx * dx + next.yy * dy + next.dy};
    }

    static Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine Scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }
    static Affine Rotation(double degrees);
    // Exact turns by multiples of 90 degrees counter-clockwise, free of rounding.
    static Affine QuarterTurns(int turns);
};

struct Placement {
    Affine toSink;
    // The part of the sink that may be drawn on, in sink coordinates; none when the paper follows
    // the drawing.
    std::optional<Box> area;
};

// Whether the region to plot is the drawing's extents, which the caller must measure by walking
// the drawing, rather than its limits.
bool PlotsExtents(const AcadRenderRecord& record, const Drawing& drawing);

// The transform that puts `region` (drawing coordinates) where the record asks. Fails only when
// the region is unusable (not finite, inverted or too large to compute with).
std::optional<Placement> ComputePlacement(const AcadRenderRecord& record, const Box& region,
                                          int insertionUnits, std::string& error);

// Inches per drawing unit for a $INSUNITS code; codes it does not know count as millimetres.
double InchesPerUnit(int insertionUnits);

}  // namespace acadhpgl
