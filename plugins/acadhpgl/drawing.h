#pragma once

// A drawing as the renderer holds it: layers, blocks and entities in world coordinates, in the
// drawing's own units, two-dimensional (heights are dropped; entities whose extrusion points
// down are mirrored into the plane by the reader). Shapes are kept as the file gives them and
// only flattened into lines when they are plotted, so memory follows the size of the file.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace acadhpgl {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

// Colour numbers as drawings store them.
inline constexpr int kColourByBlock = 0;
inline constexpr int kColourByLayer = 256;
inline constexpr int kDefaultLayerColour = 7;

inline constexpr std::uint32_t kNoBlock = UINT32_MAX;

struct Line {
    Point start;
    Point end;
};

struct PolylineVertex {
    Point at;
    // Tangent of a quarter of the arc's included angle to the next vertex; 0 is a straight
    // segment, negative turns clockwise.
    double bulge = 0;
};

// Start and end width of a polyline's segment from its vertex, in drawing units.
struct SegmentWidth {
    double start = 0;
    double end = 0;
};

// LWPOLYLINE and POLYLINE (2D and 3D; polyface and polygon meshes become one polyline per
// visible edge or mesh line).
struct Polyline {
    std::vector<PolylineVertex> vertices;
    bool closed = false;
    std::vector<SegmentWidth> widths;  // empty, or one per vertex when any is not zero
    // For a polyline in a tilted plane, whose vertices, bulges and widths stay in the plane's
    // own coordinates: the map from them to the world seen from above, as the six numbers of
    // x' = xx x + xy y + dx, y' = yx x + yy y + dy (in that order). Bands and arcs are drawn in
    // the plane and then mapped, so a wide segment keeps its width across the plane.
    std::optional<std::array<double, 6>> plane;
};

struct Circle {
    Point centre;
    double radius = 0;
};

// Counter-clockwise from start to end.
struct Arc {
    Point centre;
    double radius = 0;
    double startDegrees = 0;
    double endDegrees = 0;
};

struct Ellipse {
    Point centre;
    Point majorAxis;   // end of the major axis, relative to the centre
    double ratio = 1;  // minor to major
    double startParameter = 0;
    double endParameter = 0;  // radians; start 0 and end 2 pi is the whole ellipse
};

struct PointMark {
    Point at;
};

struct Spline {
    int degree = 3;
    bool closed = false;
    std::vector<double> knots;
    std::vector<Point> controlPoints;
    std::vector<double> weights;   // empty, or one per control point
    std::vector<Point> fitPoints;  // used when there are no control points
};

// SOLID and TRACE: three or four corners in the file's order (the fourth equals the third for
// a triangle). The outline is corner 1, 2, 4, 3. SOLID and TRACE are filled, 3DFACE is not.
struct Solid {
    std::array<Point, 4> corners;
    bool filled = false;
};

// One line family of a hatch pattern, as the file stores it: already scaled and turned.
struct HatchLine {
    double angleDegrees = 0;
    Point base;
    Point offset;                // from one line of the family to the next
    std::vector<double> dashes;  // positive drawn, negative a gap, zero a dot; empty solid
};

// HATCH: its boundary loops flattened into closed runs of points (the reader turns arcs,
// ellipses and splines into chords), filled solid or by its pattern's lines, which stop at the
// boundaries: by the odd-even rule, so an island inside a loop is left empty.
struct Hatch {
    std::vector<std::vector<Point>> loops;
    bool solid = false;
    std::vector<HatchLine> lines;  // empty for a solid fill
};

// How wide a character is, in character heights: a plotter's stroke font runs close to this,
// and nothing more exact is known without the drawing's fonts. The reader, the walker and the
// HP-GL writer must agree on it, or text would be placed for one width and drawn at another.
inline constexpr double kCharacterWidth = 0.6;
// Baseline to baseline of the lines of a paragraph text, in character heights.
inline constexpr double kTextLineSpacing = 1.5;

// TEXT, ATTRIB and MTEXT, as plain text: an MTEXT is laid out into lines, which become one
// Text for each height, width and slant they are written in.
struct Text {
    Point at;  // lower left of the first line
    double height = 0;
    double rotationDegrees = 0;
    double widthFactor = 1;
    std::string text;
    // How far the characters lean from upright, forwards positive (less than 90 either way).
    double obliqueDegrees = 0;
    // Where each line starts, from `at` along and across the baseline; empty for lines one
    // under the other kTextLineSpacing heights apart.
    std::vector<Point> lineStarts{};
};

// INSERT and MINSERT.
struct Insert {
    std::uint32_t block = kNoBlock;  // index into Drawing::blocks
    Point at;
    double scaleX = 1;
    double scaleY = 1;
    double rotationDegrees = 0;
    int columns = 1;
    int rows = 1;
    double columnSpacing = 0;
    double rowSpacing = 0;
};

// XLINE (both ways) and RAY (from `start` on): lines without end, plotted across the plotted
// area only and left out of the drawing's extents.
struct Ray {
    Point start;
    Point direction;
    bool bothWays = false;
};

using Shape = std::variant<Line, Polyline, Circle, Arc, Ellipse, PointMark, Spline, Solid, Text,
                           Insert, Hatch, Ray>;

inline constexpr std::uint32_t kNoLayer = UINT32_MAX;

struct Entity {
    std::uint32_t layer = 0;  // index into Drawing::layers
    std::int16_t colour = kColourByLayer;
    Shape shape;
    // For an insert's attribute: the insert's layer, whose visibility the attribute follows.
    std::uint32_t ownerLayer = kNoLayer;
    // A wipeout's frame, plotted only when the drawing shows wipeout frames.
    bool wipeoutFrame = false;
};

struct Layer {
    std::string name;
    std::int16_t colour = kDefaultLayerColour;  // 1 to 255
    bool frozen = false;
    bool off = false;  // stored as a negative colour in the file
    // Off for layer "Defpoints", which no plot shows, and for layers marked not to plot.
    bool plotted = true;
};

struct Block {
    std::string name;
    Point base;
    std::vector<Entity> entities;
    // Set for an external reference: the referenced drawing's path as the file gives it. A
    // block that INSERTs name but that the drawing never defines gets defined = false.
    std::string externalPath;
    bool defined = true;
};

struct Box {
    Point min;
    Point max;
};

// Units of $INSUNITS that the renderer converts: 0 unitless, 1 inches, 2 feet, 4 millimetres,
// 5 centimetres, 6 metres.
struct Drawing {
    std::vector<Layer> layers;  // layers[0] is layer "0", always present
    std::vector<Block> blocks;
    std::vector<Entity> entities;  // model space
    std::optional<Box> limits;     // $LIMMIN / $LIMMAX when both are present and not empty
    int insertionUnits = 0;        // $INSUNITS
    // Entity kinds the renderer does not plot, with how many of each the file holds.
    std::map<std::string, std::uint64_t> leftOut;
    // Wipeout frames are shown (the WIPEOUTVARIABLES object's frame setting).
    bool wipeoutFrames = false;
    // What the reader tolerated and the user should hear about, one sentence each.
    std::vector<std::string> warnings;
};

}  // namespace acadhpgl
