#pragma once

// Where a plotted drawing goes: the walker hands every visible entity, already flattened into
// straight lines and placed in the sink's own coordinates (plotter units or preview pixels), to
// a PlotSink. The HP-GL writer and the preview bitmap are the two sinks.

#include <span>
#include <string_view>
#include <vector>

#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

class PlotSink {
  public:
    virtual ~PlotSink() = default;
    // The drawing colour (1 to 256) of what follows.
    virtual void SetColour(int colour) = 0;
    // A connected run of at least two points.
    virtual void Polyline(std::span<const Point> points) = 0;
    // A point entity.
    virtual void Dot(Point at) = 0;
    // The area inside closed loops by the odd-even rule (so an island inside a loop stays
    // empty), filled solid. Sinks that cannot fill draw the loops' outlines.
    virtual void Fill(std::span<const std::vector<Point>> loops) {
        for (const std::vector<Point>& loop : loops) {
            if (loop.size() >= 2) Polyline(loop);
        }
    }
    // A line of text: `at` is its lower-left corner, `height` its character height and
    // `directionDegrees` its baseline's angle, all in sink coordinates.
    virtual void Label(Point at, double height, double directionDegrees, double widthFactor,
                       std::string_view text) = 0;
    // A line of text whose characters lean: `slant` is the tangent of the angle between their
    // upright and the perpendicular to the baseline, positive leaning forwards. Sinks that
    // cannot slant draw it upright.
    virtual void SlantedLabel(Point at, double height, double directionDegrees, double widthFactor,
                              double slant, std::string_view text) {
        (void)slant;
        Label(at, height, directionDegrees, widthFactor, text);
    }
};

}  // namespace acadhpgl
