#pragma once

// Entity kinds that a plot shows as several simple shapes: a multiline's element lines, a
// multileader's lines, arrowheads and text, a mesh's edges, the frames of pictures, underlays
// and wipeouts. Their records are read in order, since their group codes repeat.

#include <string_view>
#include <vector>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_entities.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

// True for the kinds BuildShapes reads.
bool IsCompoundKind(std::string_view kind);

// The shapes of a record of a compound kind; none when it holds nothing drawable.
std::vector<Shape> BuildShapes(DxfFields& fields, const DxfTextDefaults& defaults);

}  // namespace acadhpgl
