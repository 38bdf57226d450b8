#pragma once

// HATCH records. Their groups come in a fixed order with codes that mean different things in
// different places (72 and 73 in a polyline path and in an edge, 10 for the elevation, the
// edges and the seed points), so the record is read in order rather than by code. Curved edges
// become chords here, once, so that the walker only ever meets closed runs of points.

#include <optional>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

// A hatch's loops and fill; nullopt when it has no usable loop or a number that cannot be
// drawn. Gradient fills keep only their boundary, since a plot cannot shade.
std::optional<Shape> BuildHatch(DxfFields& fields);

}  // namespace acadhpgl
