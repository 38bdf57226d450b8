#pragma once

// Turns entity records into the shapes of drawing.h. This is where the file's conventions
// become the model's: object coordinates seen from below are mirrored into the plane, text
// alignment becomes a lower-left corner, splines get a knot vector that fits their control
// points. A record whose numbers cannot be drawn (not finite, a negative radius, a flat
// ellipse) gives no shape at all, so the walker never meets them.

#include <cstddef>
#include <optional>
#include <string_view>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

// A spline with more control points (or fit points) keeps only the first this many.
inline constexpr std::size_t kMaxSplinePoints = 100'000;
// Higher degrees are refused: they serve no drawing and make evaluation slow.
inline constexpr int kMaxSplineDegree = 25;

struct DxfTextDefaults {
    double height = 0.2;  // $TEXTSIZE: for texts whose own height is missing or zero
};

// The shape of a record that stands on its own: every kind the renderer draws except
// POLYLINE, whose vertices come as records of their own (see PolylineAssembler). INSERT and
// DIMENSION give an Insert with block = kNoBlock: the caller resolves InsertedBlockName.
// nullopt for kinds that are not drawn and for records that cannot be.
std::optional<Shape> BuildShape(DxfFields& fields, const DxfTextDefaults& defaults);

// The block an INSERT or DIMENSION record draws; empty when it names none.
std::string_view InsertedBlockName(const DxfFields& fields);

// Collects a POLYLINE record and the VERTEX records that follow it.
class PolylineAssembler {
  public:
    void Start(DxfFields& polyline);
    void AddVertex(DxfFields& vertex);
    // The polyline so far; nullopt when it has no vertex or its header was damaged.
    std::optional<Shape> Finish();

  private:
    Polyline polyline_;
    bool valid_ = false;
    bool objectCoordinates_ = false;  // a 2D polyline, whose vertices may be mirrored
    bool mirrored_ = false;
};

}  // namespace acadhpgl
