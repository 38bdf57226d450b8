#include "plugins/acadhpgl/dxf_entities.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "plugins/acadhpgl/dxf_hatch.h"
#include "plugins/acadhpgl/mtext_text.h"

namespace acadhpgl {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;
// How far below the baseline a text's bottom lies, in character heights.
constexpr double kDescent = 1.0 / 3.0;

Point ReadPoint(DxfFields& fields, int xCode) {
    return {fields.Real(xCode, 0), fields.Real(xCode + 10, 0)};
}

bool HasPoint(const DxfFields& fields, int xCode) {
    return fields.Has(xCode) || fields.Has(xCode + 10);
}

// Entities in object coordinates whose extrusion points down lie in a plane seen from below;
// seen from above, x runs the other way. Any other tilt is taken as straight up.
bool SeenFromBelow(DxfFields& fields) {
    return fields.Real(230, 1) < 0;
}

Point MirrorX(Point p) {
    return {-p.x, p.y};
}

Point Plus(Point p, Point direction, double distance) {
    return {p.x + direction.x * distance, p.y + direction.y * distance};
}

Point Direction(double degrees) {
    const double radians = degrees / kDegrees;
    return {std::cos(radians), std::sin(radians)};
}

bool Finite(double v) {
    return std::isfinite(v);
}
bool Finite(Point p) {
    return Finite(p.x) && Finite(p.y);
}

Extrusion ReadExtrusion(DxfFields& f, int elevationCode) {
    return {f.Real(210, 0), f.Real(220, 0), f.Real(230, 1), f.Real(elevationCode, 0)};
}

// A plane that is neither the world's nor the world's seen from below: its object coordinates
// need the arbitrary-axis rule, not just a mirror.
bool Tilted(const Extrusion& e) {
    const double length = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
    if (!(length > 0) || !Finite(length)) return false;
    return std::hypot(e.x, e.y) / length > 1e-9;
}

// The arbitrary-axis rule: the plane's x axis is world y (or, for planes close to upright
// about z, world z) crossed with its normal; its y axis the normal crossed with that. Plotted
// from above, only the world x and y of the result count.
Point OcsToWorld(Point p, const Extrusion& e) {
    const double length = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
    const double n[3] = {e.x / length, e.y / length, e.z / length};
    double ax[3];
    if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64) {
        ax[0] = n[2], ax[1] = 0, ax[2] = -n[0];  // (0, 1, 0) x n
    } else {
        ax[0] = -n[1], ax[1] = n[0], ax[2] = 0;  // (0, 0, 1) x n
    }
    const double axLength = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
    for (double& v : ax) v /= axLength;
    const double ay[3] = {n[1] * ax[2] - n[2] * ax[1], n[2] * ax[0] - n[0] * ax[2],
                          n[0] * ax[1] - n[1] * ax[0]};
    return {p.x * ax[0] + p.y * ay[0] + e.elevation * n[0],
            p.x * ax[1] + p.y * ay[1] + e.elevation * n[1]};
}

// A polyline of a tilted plane, placed in the world: the arbitrary-axis rule is an affine map
// of the plane's coordinates, which the polyline keeps for drawing.
void ProjectPolyline(Polyline& polyline, const Extrusion& e) {
    const Point origin = OcsToWorld({0, 0}, e);
    const Point x = OcsToWorld({1, 0}, e);
    const Point y = OcsToWorld({0, 1}, e);
    polyline.plane = {x.x - origin.x, y.x - origin.x, x.y - origin.y,
                      y.y - origin.y, origin.x,       origin.y};
}

// Widths that are all zero are no widths at all.
void DropZeroWidths(Polyline& polyline) {
    const bool any = std::any_of(polyline.widths.begin(), polyline.widths.end(),
                                 [](const SegmentWidth& w) { return w.start > 0 || w.end > 0; });
    if (!any || polyline.widths.size() != polyline.vertices.size()) polyline.widths.clear();
}

// Arithmetic on huge but finite input (1e300 and more) can still overflow; such a shape is
// left out like one with a non-finite number in the file.
bool IsFinite(const Shape& shape) {
    struct Visitor {
        bool operator()(const Line& s) const { return Finite(s.start) && Finite(s.end); }
        bool operator()(const Polyline& s) const {
            return std::all_of(s.vertices.begin(), s.vertices.end(),
                               [](const auto& v) { return Finite(v.at) && Finite(v.bulge); }) &&
                   std::all_of(s.widths.begin(), s.widths.end(),
                               [](const auto& w) { return Finite(w.start) && Finite(w.end); }) &&
                   (!s.plane || std::all_of(s.plane->begin(), s.plane->end(),
                                            [](double v) { return Finite(v); }));
        }
        bool operator()(const Circle& s) const { return Finite(s.centre) && Finite(s.radius); }
        bool operator()(const Arc& s) const {
            return Finite(s.centre) && Finite(s.radius) && Finite(s.startDegrees) &&
                   Finite(s.endDegrees);
        }
        bool operator()(const Ellipse& s) const {
            return Finite(s.centre) && Finite(s.majorAxis) && Finite(s.ratio) &&
                   Finite(s.startParameter) && Finite(s.endParameter);
        }
        bool operator()(const PointMark& s) const { return Finite(s.at); }
        bool operator()(const Spline& s) const {
            auto finitePoint = [](Point p) { return Finite(p); };
            auto finiteNumber = [](double v) { return Finite(v); };
            return std::all_of(s.controlPoints.begin(), s.controlPoints.end(), finitePoint) &&
                   std::all_of(s.fitPoints.begin(), s.fitPoints.end(), finitePoint) &&
                   std::all_of(s.knots.begin(), s.knots.end(), finiteNumber) &&
                   std::all_of(s.weights.begin(), s.weights.end(), finiteNumber);
        }
        bool operator()(const Solid& s) const {
            return std::all_of(s.corners.begin(), s.corners.end(),
                               [](Point p) { return Finite(p); });
        }
        bool operator()(const Text& s) const {
            return Finite(s.at) && Finite(s.height) && Finite(s.rotationDegrees) &&
                   Finite(s.widthFactor) && Finite(s.obliqueDegrees) &&
                   std::all_of(s.lineStarts.begin(), s.lineStarts.end(),
                               [](Point p) { return Finite(p); });
        }
        bool operator()(const Hatch& s) const {
            for (const auto& loop : s.loops) {
                if (!std::all_of(loop.begin(), loop.end(), [](Point p) { return Finite(p); })) {
                    return false;
                }
            }
            return std::all_of(s.lines.begin(), s.lines.end(), [](const HatchLine& l) {
                return Finite(l.angleDegrees) && Finite(l.base) && Finite(l.offset);
            });
        }
        bool operator()(const Ray& s) const { return Finite(s.start) && Finite(s.direction); }
        bool operator()(const Insert& s) const {
            return Finite(s.at) && Finite(s.scaleX) && Finite(s.scaleY) &&
                   Finite(s.rotationDegrees) && Finite(s.columnSpacing) && Finite(s.rowSpacing);
        }
    };
    return std::visit(Visitor{}, shape);
}

std::optional<Shape> Checked(DxfFields& fields, Shape shape) {
    if (fields.bad() || !IsFinite(shape)) return std::nullopt;
    return shape;
}

int ClampToInt(std::int64_t value, int low, int high) {
    return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

std::optional<Shape> BuildLine(DxfFields& f) {
    const Line line{ReadPoint(f, 10), ReadPoint(f, 11)};
    return Checked(f, line);
}

std::optional<Shape> BuildPoint(DxfFields& f) {
    return Checked(f, PointMark{ReadPoint(f, 10)});
}

std::optional<Shape> BuildCircle(DxfFields& f) {
    Circle circle{ReadPoint(f, 10), f.Real(40, 0)};
    if (circle.radius < 0) return std::nullopt;
    if (SeenFromBelow(f)) circle.centre = MirrorX(circle.centre);
    return Checked(f, circle);
}

std::optional<Shape> BuildArc(DxfFields& f) {
    Arc arc{ReadPoint(f, 10), f.Real(40, 0), f.Real(50, 0), f.Real(51, 360)};
    if (arc.radius < 0) return std::nullopt;
    if (SeenFromBelow(f)) {
        // Mirroring turns counter-clockwise into clockwise; swapping the ends turns it back.
        arc.centre = MirrorX(arc.centre);
        const double start = 180 - arc.endDegrees;
        const double end = 180 - arc.startDegrees;
        arc.startDegrees = start;
        arc.endDegrees = end;
    }
    return Checked(f, arc);
}

std::optional<Shape> BuildEllipse(DxfFields& f) {
    Ellipse ellipse{ReadPoint(f, 10), ReadPoint(f, 11), f.Real(40, 1), f.Real(41, 0),
                    f.Real(42, 2 * std::numbers::pi)};
    if (!(ellipse.ratio > 0) || (ellipse.majorAxis.x == 0 && ellipse.majorAxis.y == 0)) {
        return std::nullopt;
    }
    if (SeenFromBelow(f)) {
        // The centre and axis are world coordinates already, but the parameter runs round the
        // extrusion: seen from above, parameter t lies where -t would. Shifting by whole turns
        // keeps a full ellipse full and the start in [0, 2 pi).
        const double start = -ellipse.endParameter;
        const double end = -ellipse.startParameter;
        const double turns = std::floor(start / (2 * std::numbers::pi));
        if (Finite(turns)) {
            ellipse.startParameter = start - turns * 2 * std::numbers::pi;
            ellipse.endParameter = end - turns * 2 * std::numbers::pi;
        } else {
            ellipse.startParameter = start;
            ellipse.endParameter = end;
        }
    }
    return Checked(f, ellipse);
}

// LWPOLYLINE, and LEADER, whose vertices are world coordinates without bulges (its arrowhead
// depends on dimension styles and is not drawn).
std::optional<Shape> BuildLightweightPolyline(DxfFields& f, bool leader) {
    Polyline polyline;
    polyline.closed = !leader && (f.Integer(70, 0) & 1) != 0;
    const Extrusion extrusion = ReadExtrusion(f, 38);
    const double constantWidth = leader ? 0 : f.Real(43, 0);
    const bool tilted = !leader && Tilted(extrusion);
    const bool mirrored = !leader && !tilted && SeenFromBelow(f);
    for (const DxfPair& pair : f.pairs()) {
        const int code = pair.code;
        if (code != 10 && code != 20 && (leader || (code != 42 && code != 40 && code != 41))) {
            continue;
        }
        const std::optional<double> value = pair.Real();
        if (!value || !Finite(*value)) {
            f.MarkBad();
            break;
        }
        if (code == 10) {
            polyline.vertices.push_back({{*value, 0}, 0});
            if (!leader) polyline.widths.push_back({constantWidth, constantWidth});
        } else if (!polyline.vertices.empty()) {  // a y or a bulge before any x is stray
            PolylineVertex& last = polyline.vertices.back();
            if (code == 20) {
                last.at.y = *value;
            } else if (code == 42) {
                last.bulge = *value;
            } else if (code == 40) {
                polyline.widths.back().start = std::fabs(*value);
            } else {
                polyline.widths.back().end = std::fabs(*value);
            }
        }
    }
    if (polyline.vertices.empty()) return std::nullopt;
    DropZeroWidths(polyline);
    if (tilted) {
        ProjectPolyline(polyline, extrusion);
    } else if (mirrored) {
        // Mirrored, an arc that bulged to the left bulges to the right.
        for (PolylineVertex& vertex : polyline.vertices) {
            vertex.at = MirrorX(vertex.at);
            vertex.bulge = -vertex.bulge;
        }
    }
    return Checked(f, std::move(polyline));
}

// Knots that fit: count + degree + 1 of them, never decreasing, with a non-empty domain.
bool KnotsFit(const Spline& spline) {
    const std::size_t count = spline.controlPoints.size();
    const auto degree = static_cast<std::size_t>(spline.degree);
    if (spline.knots.size() != count + degree + 1) return false;
    if (!std::is_sorted(spline.knots.begin(), spline.knots.end())) return false;
    return spline.knots[degree] < spline.knots[count];
}

// A clamped uniform knot vector, the one drawing programs use for splines without knots.
std::vector<double> UniformKnots(std::size_t count, int degree) {
    const auto order = static_cast<std::size_t>(degree) + 1;
    std::vector<double> knots;
    knots.reserve(count + order);
    const double last = static_cast<double>(count - order + 1);
    for (std::size_t i = 0; i < order; ++i) knots.push_back(0);
    for (std::size_t i = 1; i + order <= count; ++i) knots.push_back(static_cast<double>(i));
    for (std::size_t i = 0; i < order; ++i) knots.push_back(last);
    return knots;
}

std::optional<Shape> BuildSpline(DxfFields& f) {
    Spline spline;
    spline.closed = (f.Integer(70, 0) & 1) != 0;
    const std::int64_t degree = f.Integer(71, 3);
    if (degree < 1 || degree > kMaxSplineDegree) return std::nullopt;
    spline.degree = static_cast<int>(degree);

    // Only points and knots that were stored are kept, never as many as a declared count
    // (72-74) claims: the file's own size bounds them.
    bool controlOpen = false;  // a 10 was taken, so its 20 belongs to it
    bool fitOpen = false;
    for (const DxfPair& pair : f.pairs()) {
        const int code = pair.code;
        if (code != 10 && code != 20 && code != 11 && code != 21 && code != 40 && code != 41) {
            continue;
        }
        const std::optional<double> value = pair.Real();
        if (!value || !Finite(*value)) {
            f.MarkBad();
            break;
        }
        switch (code) {
            case 10:
                controlOpen = spline.controlPoints.size() < kMaxSplinePoints;
                if (controlOpen) spline.controlPoints.push_back({*value, 0});
                break;
            case 20:
                if (controlOpen) spline.controlPoints.back().y = *value;
                break;
            case 11:
                fitOpen = spline.fitPoints.size() < kMaxSplinePoints;
                if (fitOpen) spline.fitPoints.push_back({*value, 0});
                break;
            case 21:
                if (fitOpen) spline.fitPoints.back().y = *value;
                break;
            case 40:
                if (spline.knots.size() < kMaxSplinePoints + kMaxSplineDegree + 1) {
                    spline.knots.push_back(*value);
                }
                break;
            case 41:
                if (spline.weights.size() < kMaxSplinePoints) spline.weights.push_back(*value);
                break;
        }
    }
    if (f.bad()) return std::nullopt;

    if (spline.controlPoints.size() < 2) spline.controlPoints.clear();
    if (spline.controlPoints.empty()) {
        spline.knots.clear();
        spline.weights.clear();
        if (spline.fitPoints.size() < 2) return std::nullopt;
        return Checked(f, std::move(spline));
    }
    // From here on the walker can rely on the control points: a degree it can evaluate, knots
    // that fit, weights that are usable or none.
    spline.fitPoints.clear();
    const std::size_t count = spline.controlPoints.size();
    if (static_cast<std::size_t>(spline.degree) >= count) {
        spline.degree = static_cast<int>(count - 1);
    }
    if (!KnotsFit(spline)) spline.knots = UniformKnots(count, spline.degree);
    const bool weightsUsable =
        spline.weights.size() == count &&
        std::all_of(spline.weights.begin(), spline.weights.end(), [](double w) { return w > 0; });
    if (!weightsUsable) spline.weights.clear();
    return Checked(f, std::move(spline));
}

std::optional<Shape> BuildSolid(DxfFields& f, bool objectCoordinates, bool faceOrder) {
    Solid solid;
    solid.filled = !faceOrder;
    for (int i = 0; i < 3; ++i) solid.corners[i] = ReadPoint(f, 10 + i);
    solid.corners[3] = HasPoint(f, 13) ? ReadPoint(f, 13) : solid.corners[2];
    if (faceOrder) {
        // A face runs round its corners in order; a Solid's outline is 1, 2, 4, 3.
        std::swap(solid.corners[2], solid.corners[3]);
    }
    if (objectCoordinates && SeenFromBelow(f)) {
        for (Point& corner : solid.corners) corner = MirrorX(corner);
    }
    return Checked(f, solid);
}

// A text's final place. `lowerLeft` and `degrees` give its first line's box in the plane as
// seen from above; `mirrored` says the plane is seen from below, so the glyphs would stand on
// the right of the baseline and read backwards. Plotted writing cannot be mirrored, so such a
// text is written forwards over the same box: from the far end of the baseline, turned round.
Text PlaceText(std::string text, Point lowerLeft, double degrees, bool mirrored, double height,
               double widthFactor, double width) {
    Text placed;
    placed.text = std::move(text);
    placed.height = height;
    placed.widthFactor = widthFactor;
    placed.at = lowerLeft;
    placed.rotationDegrees = degrees;
    if (mirrored) {
        placed.at = Plus(lowerLeft, Direction(degrees), width);
        placed.rotationDegrees = degrees + 180;
    }
    placed.rotationDegrees = std::fmod(placed.rotationDegrees, 360.0);
    if (placed.rotationDegrees < 0) placed.rotationDegrees += 360;
    return placed;
}

double TextHeight(DxfFields& f, const DxfTextDefaults& defaults) {
    const double height = f.Real(40, 0);
    return height > 0 ? height : defaults.height;
}

// TEXT and ATTRIB. They differ in the group of the vertical alignment (73 and 74) and in
// ATTRIB's invisible flag.
std::optional<Shape> BuildText(DxfFields& f, const DxfTextDefaults& defaults, bool attribute) {
    if (attribute && (f.Integer(70, 0) & 1) != 0) return std::nullopt;
    std::string text = PlainText(f.Text(1), defaults.codePage);
    double height = TextHeight(f, defaults);
    double widthFactor = f.Real(41, 1);
    if (!(widthFactor > 0)) widthFactor = 1;
    double degrees = f.Real(50, 0);
    const Point first = ReadPoint(f, 10);
    const bool hasSecond = HasPoint(f, 11);
    const Point second{f.Real(11, first.x), f.Real(21, first.y)};
    const std::int64_t horizontal = f.Integer(72, 0);
    const std::int64_t vertical = f.Integer(attribute ? 74 : 73, 0);
    const std::int64_t generation = f.Integer(71, 0);
    const bool mirrored = SeenFromBelow(f);
    double oblique = f.Real(51, 0);
    if (f.bad() || text.empty()) return std::nullopt;
    // Written forwards over a mirrored box, the characters lean the mirrored way.
    const int mirrors = ((generation & 2) != 0) + ((generation & 4) != 0) + (mirrored ? 1 : 0);
    oblique = std::clamp(std::remainder(oblique, 360.0), -85.0, 85.0);
    if (mirrors % 2 == 1) oblique = -oblique;

    const std::size_t characters = MeasureText(text).widestLine;
    Point lowerLeft = first;
    if ((horizontal == 3 || horizontal == 5) && hasSecond && !(second == first)) {
        // Aligned (3) and fit (5) run from the first point to the second: aligned scales the
        // height with the length, fit the width factor.
        const double dx = second.x - first.x;
        const double dy = second.y - first.y;
        const double length = std::hypot(dx, dy);
        degrees = std::atan2(dy, dx) * kDegrees;
        const double width = EstimatedWidth(characters, height, widthFactor);
        double& scaled = horizontal == 3 ? height : widthFactor;
        const double fitted = width > 0 ? scaled * (length / width) : 0;
        if (fitted > 0 && Finite(fitted)) scaled = fitted;  // else keep the text as it is
    } else if (horizontal != 0 || vertical != 0 || (generation & (2 | 4)) != 0) {
        const Point anchor = hasSecond && (horizontal != 0 || vertical != 0) ? second : first;
        const double width = EstimatedWidth(characters, height, widthFactor);
        // Horizontal 1 centre, 2 right, 4 middle (centred both ways); vertical 1 bottom, 2
        // middle, 3 top.
        const double along = (horizontal == 1 || horizontal == 4) ? -width / 2
                             : horizontal == 2                    ? -width
                                                                  : 0;
        const double across = (horizontal == 4 || vertical == 2) ? -height / 2
                              : vertical == 1                    ? height * kDescent
                              : vertical == 3                    ? -height
                                                                 : 0;
        // Backwards (2) and upside-down (4) text mirrors its box about the alignment point;
        // plotted writing cannot be mirrored, so it is written forwards over that box.
        const double boxAlong = (generation & 2) != 0 ? -along - width : along;
        const double boxAcross = (generation & 4) != 0 ? -across - height : across;
        const Point u = Direction(degrees);
        const Point v{-u.y, u.x};
        lowerLeft = Plus(Plus(anchor, u, boxAlong), v, boxAcross);
    }
    if (mirrored) {
        lowerLeft = MirrorX(lowerLeft);
        degrees = 180 - degrees;
    }
    const double width = EstimatedWidth(characters, height, widthFactor);
    Text placed =
        PlaceText(std::move(text), lowerLeft, degrees, mirrored, height, widthFactor, width);
    placed.obliqueDegrees = oblique;
    return Checked(f, std::move(placed));
}

// Files of the versions between the first with paragraph columns and those with groups for
// them keep the settings in the record's extended data, as 1070 keys each followed by its value:
// between ACAD_MTEXT_COLUMN_INFO_BEGIN and _END the groups of the newer records (75 type, 76
// count, 48 width, 49 gutter, 50 the number of column heights that follow), and after
// ACAD_MTEXT_DEFINED_HEIGHT_BEGIN the key 46 and the text's height. False when there are none.
bool ReadExtendedColumns(const DxfFields& f, int& type, MTextColumns& columns,
                         double& definedHeight) {
    enum class Block { None, Info, Height } block = Block::None;
    bool seen = false;
    int key = 0;              // the key whose value comes next; 0 when a key comes next
    std::size_t heights = 0;  // column heights still to come after key 50
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code == 1000) {
            if (pair.text == "ACAD_MTEXT_COLUMN_INFO_BEGIN") block = Block::Info, seen = true;
            if (pair.text == "ACAD_MTEXT_DEFINED_HEIGHT_BEGIN") block = Block::Height;
            if (pair.text.ends_with("_END")) block = Block::None;
            key = 0;
            heights = 0;
            continue;
        }
        if (block == Block::None || (pair.code != 1070 && pair.code != 1040)) continue;
        const std::optional<double> value = pair.Real();
        if (!value || !std::isfinite(*value)) continue;
        if (heights > 0 && pair.code == 1040) {
            if (columns.heights.size() < 10'000) columns.heights.push_back(*value);
            --heights;
            continue;
        }
        if (key == 0) {
            key = pair.code == 1070 ? static_cast<int>(*value) : 0;
            continue;
        }
        if (block == Block::Height && key == 46 && *value > 0) definedHeight = *value;
        if (block == Block::Info) {
            if (key == 75) type = static_cast<int>(*value);
            if (key == 76 && *value > 0)
                columns.count = static_cast<std::size_t>(std::min(*value, 1e4));
            if (key == 48) columns.width = *value;
            if (key == 49) columns.gutter = *value;
            if (key == 50 && *value > 0) heights = static_cast<std::size_t>(std::min(*value, 1e4));
        }
        key = 0;
    }
    return seen;
}

// The column settings of an MTEXT: its own groups from 75 on (newer files), else those of the
// embedded object it carries, else those of its extended data. None unless the columns are
// static or dynamic with a width.
std::optional<MTextColumns> ReadColumns(const DxfFields& f, double definedHeight) {
    MTextColumns columns;
    int type = 0;
    bool inColumns = false;
    // In the record itself group 50, the rotation before group 75, repeats as column heights
    // after it.
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code == 75) inColumns = true;
        if (!inColumns) continue;
        const std::optional<double> value = pair.Real();
        if (!value || !std::isfinite(*value)) continue;
        if (pair.code == 75) type = static_cast<int>(*value);
        if (pair.code == 76 && *value > 0)
            columns.count = static_cast<std::size_t>(std::min(*value, 1e4));
        if (pair.code == 48) columns.width = *value;
        if (pair.code == 49) columns.gutter = *value;
        if (pair.code == 50 && columns.heights.size() < 10'000) columns.heights.push_back(*value);
    }
    if (!inColumns) {
        // The embedded object: 71 type, 72 count, 44 width, 45 gutter, 41 its height, 46 the
        // heights of dynamic columns.
        bool seen = false;
        for (const DxfPair& pair : f.embedded()) {
            const std::optional<double> value = pair.Real();
            if (pair.code == 101 || !value || !std::isfinite(*value)) continue;
            if (pair.code == 71) type = static_cast<int>(*value), seen = true;
            if (pair.code == 72 && *value > 0)
                columns.count = static_cast<std::size_t>(std::min(*value, 1e4));
            if (pair.code == 44) columns.width = *value;
            if (pair.code == 45) columns.gutter = *value;
            if (pair.code == 41 && *value > 0) definedHeight = *value;
            if (pair.code == 46 && columns.heights.size() < 10'000)
                columns.heights.push_back(*value);
        }
        if (!seen && !ReadExtendedColumns(f, type, columns, definedHeight)) return std::nullopt;
    }
    if ((type != 1 && type != 2) || !(columns.width > 0) || !Finite(columns.width)) {
        return std::nullopt;
    }
    // Static columns, and dynamic ones of automatic height, share one height: the text's.
    if (type == 1 || columns.heights.empty()) columns.heights = {definedHeight};
    return columns;
}

}  // namespace

std::vector<Text> BuildMText(DxfFields& f, const DxfTextDefaults& defaults) {
    // The text comes in pieces of 250 characters: the groups 3 in order, then the group 1.
    // Formatting codes may straddle two pieces, so they are joined before anything else.
    std::string raw;
    double rotation = 0;
    bool columnData = false;
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code == 3) raw += pair.text;
        if (pair.code == 75) columnData = true;
        if (pair.code == 50 && !columnData) {
            const std::optional<double> value = pair.Real();
            if (!value || !Finite(*value)) f.MarkBad();
            rotation = value.value_or(0);
        }
    }
    raw += f.Text(1);

    MTextFormat format;
    format.height = TextHeight(f, defaults);
    format.width = f.Real(41, 0);
    format.lineSpacing = f.Real(44, 1);
    format.codePage = defaults.codePage;
    // The insertion point and the direction vector are world coordinates; only the rotation
    // angle, used when there is no direction, is measured in the text's own plane.
    const Point at = ReadPoint(f, 10);
    const bool mirrored = SeenFromBelow(f);
    double degrees = 0;
    const Point direction{f.Real(11, 0), f.Real(21, 0)};
    if (HasPoint(f, 11) && !(direction.x == 0 && direction.y == 0)) {
        degrees = std::atan2(direction.y, direction.x) * kDegrees;
    } else {
        degrees = mirrored ? 180 - rotation : rotation;
    }
    std::int64_t attachment = f.Integer(71, 1);
    if (attachment < 1 || attachment > 9) attachment = 1;
    const double definedHeight = f.Real(46, 0);
    if (f.bad() || !(format.height > 0)) return {};
    format.columns = ReadColumns(f, definedHeight);

    // Attachment 1-9 is top, middle, bottom rows of left, centre, right: the row places the
    // box, the column the box and, unless a paragraph says otherwise, its lines.
    const int column = static_cast<int>((attachment - 1) % 3);
    const int row = static_cast<int>((attachment - 1) / 3);
    format.alignment = column == 0   ? LineAlignment::Left
                       : column == 1 ? LineAlignment::Centre
                                     : LineAlignment::Right;
    MTextLayout layout = LayOutMText(raw, format);
    const double along = column == 0 ? 0 : column == 1 ? -layout.width / 2 : -layout.width;
    const double across = row == 0 ? 0 : row == 1 ? layout.depth / 2 : layout.depth;
    const Point u = Direction(degrees);
    const Point v = mirrored ? Point{u.y, -u.x} : Point{-u.y, u.x};
    // The lines of one height, width and slant share a Text, so that a text of many short
    // lines costs little more than its characters. A text that changes how it is written more
    // often than one in kBytesPerStyle bytes is written in the styles it has by then.
    constexpr std::size_t kBytesPerStyle = 64;
    const std::size_t mostStyles = 1 + raw.size() / kBytesPerStyle;
    std::vector<Text> texts;
    for (MTextPiece& piece : layout.pieces) {
        const Point lowerLeft = Plus(Plus(at, u, along + piece.at.x), v, across + piece.at.y);
        const double width =
            EstimatedWidth(MeasureText(piece.text).widestLine, piece.height, piece.widthFactor);
        Text line = PlaceText(std::move(piece.text), lowerLeft, degrees, mirrored, piece.height,
                              piece.widthFactor, width);
        line.obliqueDegrees = mirrored ? -piece.obliqueDegrees : piece.obliqueDegrees;
        if (!IsFinite(Shape(line))) continue;
        auto same = std::find_if(texts.begin(), texts.end(), [&](const Text& t) {
            return t.height == line.height && t.widthFactor == line.widthFactor &&
                   t.obliqueDegrees == line.obliqueDegrees;
        });
        if (same == texts.end() && texts.size() < mostStyles) {
            line.lineStarts.push_back({0, 0});
            texts.push_back(std::move(line));
            continue;
        }
        Text& into = same != texts.end() ? *same : texts.front();
        const Point baseline = Direction(into.rotationDegrees);
        const Point offset{line.at.x - into.at.x, line.at.y - into.at.y};
        into.lineStarts.push_back({offset.x * baseline.x + offset.y * baseline.y,
                                   offset.y * baseline.x - offset.x * baseline.y});
        into.text += '\n';
        into.text += line.text;
    }
    for (Text& text : texts) {
        if (text.lineStarts.size() == 1) text.lineStarts.clear();  // its own start: `at`
    }
    return texts;
}

namespace {

std::optional<Shape> BuildInsert(DxfFields& f) {
    if (InsertedBlockName(f).empty()) return std::nullopt;
    Insert insert;
    insert.at = ReadPoint(f, 10);
    insert.scaleX = f.Real(41, 1);
    insert.scaleY = f.Real(42, 1);
    insert.rotationDegrees = f.Real(50, 0);
    // Plain inserts carry no grid; the file stores the counts as 16-bit numbers.
    insert.columns = ClampToInt(f.Integer(70, 1), 1, 32767);
    insert.rows = ClampToInt(f.Integer(71, 1), 1, 32767);
    insert.columnSpacing = f.Real(44, 0);
    insert.rowSpacing = f.Real(45, 0);
    if (SeenFromBelow(f)) {
        // Mirror x after placing: the same as placing a block mirrored in its own x, at the
        // mirrored point, turned the other way.
        insert.at = MirrorX(insert.at);
        insert.rotationDegrees = -insert.rotationDegrees;
        insert.scaleX = -insert.scaleX;
        insert.columnSpacing = -insert.columnSpacing;
    }
    return Checked(f, insert);
}

std::optional<Shape> BuildDimension(DxfFields& f) {
    // Its picture is an anonymous block of world coordinates.
    if (InsertedBlockName(f).empty()) return std::nullopt;
    return Checked(f, Insert{});
}

// A table is drawn by its anonymous block, placed at its insertion point and turned along its
// horizontal direction.
std::optional<Shape> BuildTable(DxfFields& f) {
    if (InsertedBlockName(f).empty()) return std::nullopt;
    Insert insert;
    insert.at = ReadPoint(f, 10);
    const Point direction{f.Real(11, 1), f.Real(21, 0)};
    if (!(direction.x == 0 && direction.y == 0)) {
        insert.rotationDegrees = std::atan2(direction.y, direction.x) * kDegrees;
    }
    return Checked(f, insert);
}

}  // namespace

bool ShapeIsFinite(const Shape& shape) {
    return IsFinite(shape);
}

bool IsPlottedKind(std::string_view kind) {
    constexpr std::string_view kPlotted[] = {
        "LINE", "LWPOLYLINE", "CIRCLE", "ARC", "TEXT", "ATTRIB", "MTEXT", "INSERT", "MINSERT",
        "DIMENSION", "POINT", "ELLIPSE", "SPLINE", "SOLID", "TRACE", "3DFACE", "LEADER", "HATCH",
        "POLYLINE", "VERTEX", "SEQEND", "ARC_DIMENSION", "LARGE_RADIAL_DIMENSION", "ACAD_TABLE",
        "SHAPE", "XLINE", "RAY",
        // Never plotted by any program: a viewport of paper space, a block's attribute template.
        "VIEWPORT", "ATTDEF"};
    return std::find(std::begin(kPlotted), std::end(kPlotted), kind) != std::end(kPlotted);
}

std::string_view InsertedBlockName(const DxfFields& fields) {
    return fields.Text(2);
}

std::optional<Shape> BuildShape(DxfFields& fields, const DxfTextDefaults& defaults) {
    const std::string_view kind = fields.kind();
    if (kind == "LINE") return BuildLine(fields);
    if (kind == "LWPOLYLINE") return BuildLightweightPolyline(fields, false);
    if (kind == "CIRCLE") return BuildCircle(fields);
    if (kind == "ARC") return BuildArc(fields);
    if (kind == "TEXT") return BuildText(fields, defaults, false);
    if (kind == "ATTRIB") return BuildText(fields, defaults, true);
    if (kind == "INSERT" || kind == "MINSERT") return BuildInsert(fields);
    if (kind == "DIMENSION" || kind == "ARC_DIMENSION" || kind == "LARGE_RADIAL_DIMENSION") {
        return BuildDimension(fields);
    }
    if (kind == "ACAD_TABLE") return BuildTable(fields);
    if (kind == "SHAPE") return BuildPoint(fields);
    if (kind == "XLINE" || kind == "RAY") {
        const Ray ray{ReadPoint(fields, 10), ReadPoint(fields, 11), kind == "XLINE"};
        if (ray.direction.x == 0 && ray.direction.y == 0) return std::nullopt;  // upright
        return Checked(fields, ray);
    }
    if (kind == "POINT") return BuildPoint(fields);
    if (kind == "ELLIPSE") return BuildEllipse(fields);
    if (kind == "SPLINE") return BuildSpline(fields);
    if (kind == "SOLID" || kind == "TRACE") return BuildSolid(fields, true, false);
    if (kind == "3DFACE") return BuildSolid(fields, false, true);
    if (kind == "LEADER") return BuildLightweightPolyline(fields, true);
    if (kind == "HATCH") {
        std::optional<Shape> hatch = BuildHatch(fields);
        if (!hatch) return std::nullopt;
        return Checked(fields, std::move(*hatch));  // curves of huge numbers can overflow
    }
    return std::nullopt;
}

void PolylineAssembler::Start(DxfFields& polyline) {
    polyline_ = Polyline{};
    faces_.clear();
    const std::int64_t flags = polyline.Integer(70, 0);
    polyline_.closed = (flags & 1) != 0;
    kind_ = (flags & 64) != 0 ? Kind::Polyface : (flags & 16) != 0 ? Kind::Mesh : Kind::Plain;
    meshRows_ = polyline.Integer(71, 0);
    meshColumns_ = polyline.Integer(72, 0);
    closedRows_ = (flags & 1) != 0;
    closedColumns_ = (flags & 32) != 0;
    // 8 a 3D polyline, 16 a polygon mesh, 64 a polyface mesh: all in world coordinates.
    objectCoordinates_ = (flags & (8 | 16 | 64)) == 0;
    extrusion_ = ReadExtrusion(polyline, 30);
    mirrored_ = objectCoordinates_ && !Tilted(extrusion_) && SeenFromBelow(polyline);
    defaultWidth_ = {std::fabs(polyline.Real(40, 0)), std::fabs(polyline.Real(41, 0))};
    anyWidth_ = false;
    valid_ = !polyline.bad();
}

void PolylineAssembler::AddVertex(DxfFields& vertex) {
    if (!valid_) return;
    const std::int64_t flags = vertex.Integer(70, 0);
    // 16: a spline's frame control point, not on the curve.
    if ((flags & 16) != 0) return;
    if ((flags & 128) != 0 && (flags & 64) == 0) {
        // A polyface's face: up to four vertex numbers, negative where the edge is hidden.
        if (kind_ != Kind::Polyface) return;
        std::array<std::int64_t, 4> face{};
        for (int i = 0; i < 4; ++i) face[i] = vertex.Integer(71 + i, 0);
        if (!vertex.bad() && faces_.size() < kMaxSplinePoints) faces_.push_back(face);
        return;
    }
    PolylineVertex added{ReadPoint(vertex, 10), 0};
    SegmentWidth width = defaultWidth_;
    if (objectCoordinates_) {
        added.bulge = vertex.Real(42, 0);
        width = {std::fabs(vertex.Real(40, defaultWidth_.start)),
                 std::fabs(vertex.Real(41, defaultWidth_.end))};
    }
    if (vertex.bad()) {
        valid_ = false;  // like any entity with a number that cannot be drawn
        return;
    }
    if (mirrored_) {
        added.at = MirrorX(added.at);
        added.bulge = -added.bulge;
    }
    polyline_.vertices.push_back(added);
    if (objectCoordinates_) polyline_.widths.push_back(width);
}

std::vector<Shape> PolylineAssembler::Finish() {
    const bool usable = valid_ && !polyline_.vertices.empty();
    valid_ = false;
    std::vector<Shape> shapes;
    if (!usable) return shapes;
    const std::vector<PolylineVertex>& at = polyline_.vertices;
    const auto edge = [&](std::size_t a, std::size_t b) {
        shapes.push_back(Polyline{{{at[a].at, 0}, {at[b].at, 0}}, false, {}, {}});
    };
    if (kind_ == Kind::Polyface) {
        // Each visible edge once, however many faces share it.
        std::vector<std::pair<std::size_t, std::size_t>> drawn;
        for (const auto& face : faces_) {
            int corners = 0;
            while (corners < 4 && face[corners] != 0) ++corners;
            for (int i = 0; i < corners; ++i) {
                const std::int64_t from = face[i], to = face[(i + 1) % corners];
                if (from < 0) continue;  // the edge that starts here is hidden
                const std::size_t a = static_cast<std::size_t>(from) - 1;
                const std::size_t b = static_cast<std::size_t>(to < 0 ? -to : to) - 1;
                if (a >= at.size() || b >= at.size() || a == b) continue;
                drawn.emplace_back(std::min(a, b), std::max(a, b));
            }
        }
        std::sort(drawn.begin(), drawn.end());
        drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
        for (const auto& [a, b] : drawn) edge(a, b);
        return shapes;
    }
    if (kind_ == Kind::Mesh && meshRows_ > 0 && meshColumns_ > 0 &&
        static_cast<std::size_t>(meshRows_) * static_cast<std::size_t>(meshColumns_) <= at.size()) {
        // M lines of N vertices; every line along both directions, closed as the flags say.
        const auto rows = static_cast<std::size_t>(meshRows_);
        const auto columns = static_cast<std::size_t>(meshColumns_);
        for (std::size_t r = 0; r < rows; ++r) {
            Polyline line{{}, closedColumns_, {}, {}};
            for (std::size_t c = 0; c < columns; ++c)
                line.vertices.push_back({at[r * columns + c].at, 0});
            shapes.push_back(std::move(line));
        }
        for (std::size_t c = 0; c < columns; ++c) {
            Polyline line{{}, closedRows_, {}, {}};
            for (std::size_t r = 0; r < rows; ++r)
                line.vertices.push_back({at[r * columns + c].at, 0});
            shapes.push_back(std::move(line));
        }
        return shapes;
    }
    DropZeroWidths(polyline_);
    if (objectCoordinates_ && Tilted(extrusion_)) ProjectPolyline(polyline_, extrusion_);
    shapes.push_back(std::move(polyline_));
    return shapes;
}

}  // namespace acadhpgl
