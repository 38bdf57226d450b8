#pragma once

// Turns entity records into the shapes of drawing.h. This is where the file's conventions
// become the model's: object coordinates seen from below are mirrored into the plane, text
// alignment becomes a lower-left corner, splines get a knot vector that fits their control
// points. A record whose numbers cannot be drawn (not finite, a negative radius, a flat
// ellipse) gives no shape at all, so the walker never meets them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "plugins/acadhpgl/code_pages.h"
#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

// A spline with more control points (or fit points) keeps only the first this many.
inline constexpr std::size_t kMaxSplinePoints = 100'000;
// Higher degrees are refused: they serve no drawing and make evaluation slow.
inline constexpr int kMaxSplineDegree = 25;

struct DxfTextDefaults {
    double height = 0.2;  // $TEXTSIZE: for texts whose own height is missing or zero
    CodePage codePage = CodePage::Windows1252;  // $DWGCODEPAGE: of text that is not UTF-8
};

// The shape of a record that stands on its own: every kind the renderer draws except
// POLYLINE, whose vertices come as records of their own (see PolylineAssembler), and MTEXT,
// which may give several (BuildMText). INSERT and DIMENSION give an Insert with block =
// kNoBlock: the caller resolves InsertedBlockName. nullopt for kinds that are not drawn and
// for records that cannot be.
std::optional<Shape> BuildShape(DxfFields& fields, const DxfTextDefaults& defaults);

// MTEXT: one Text for each stretch of a laid-out line in one height, width and slant; none for
// an empty or damaged record.
std::vector<Text> BuildMText(DxfFields& fields, const DxfTextDefaults& defaults);

// False for entity kinds whose records BuildShape never draws (and that are no part of a
// POLYLINE or an INSERT's attributes): what the plot leaves out. Kinds that never show on a
// plot (viewports, attribute definitions) count as plotted.
bool IsPlottedKind(std::string_view kind);

// False for a shape with a number that is not finite (arithmetic on huge input overflows).
bool ShapeIsFinite(const Shape& shape);

// The block an INSERT or DIMENSION record draws; empty when it names none.
std::string_view InsertedBlockName(const DxfFields& fields);

// The direction a planar entity's plane faces (groups 210, 220, 230) and its height along it;
// what the arbitrary-axis rule needs to place object coordinates in the world.
struct Extrusion {
    double x = 0;
    double y = 0;
    double z = 1;
    double elevation = 0;
};

// Collects a POLYLINE record and the VERTEX records that follow it.
class PolylineAssembler {
  public:
    void Start(DxfFields& polyline);
    void AddVertex(DxfFields& vertex);
    // The shapes so far: the polyline, or a mesh's visible edges and lines; none when it has no
    // vertex or its header was damaged.
    std::vector<Shape> Finish();

  private:
    enum class Kind { Plain, Polyface, Mesh };

    Polyline polyline_;
    std::vector<std::array<std::int64_t, 4>> faces_;  // a polyface's vertex numbers, 0 for none
    Kind kind_ = Kind::Plain;
    std::int64_t meshColumns_ = 0;  // vertices per mesh line (N)
    std::int64_t meshRows_ = 0;     // (M)
    bool closedRows_ = false;
    bool closedColumns_ = false;
    bool valid_ = false;
    bool objectCoordinates_ = false;  // a 2D polyline, whose vertices may be mirrored
    bool mirrored_ = false;
    Extrusion extrusion_;
    SegmentWidth defaultWidth_;
    bool anyWidth_ = false;
};

}  // namespace acadhpgl
