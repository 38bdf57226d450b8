#pragma once

// Entity kinds that a plot shows as several simple shapes: a multileader's lines, arrowheads
// and its text or block, a mesh's edges, the frames of pictures, underlays
// and wipeouts. Their records are read in order, since their group codes repeat.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_entities.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

// True for the kinds BuildShapes reads.
bool IsCompoundKind(std::string_view kind);

// What a record refers to elsewhere in the file by handle. Either may be empty.
struct CompoundLinks {
    // The block whose block record has this handle, with its base point.
    std::function<std::optional<std::pair<std::uint32_t, Point>>(std::string_view handle)> block;
    // The attribute definition with this handle, as the text that shows `value` in its block.
    std::function<std::optional<Text>(std::string_view handle, std::string_view value)> attribute;
};

// The shapes of a record of a compound kind; none when it holds nothing drawable. Without
// links a multileader's block content is left out.
std::vector<Shape> BuildShapes(DxfFields& fields, const DxfTextDefaults& defaults,
                               const CompoundLinks* links = nullptr);

}  // namespace acadhpgl
