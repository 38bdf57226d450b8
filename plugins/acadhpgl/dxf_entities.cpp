#include "plugins/acadhpgl/dxf_entities.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>

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

// Arithmetic on huge but finite input (1e300 and more) can still overflow; such a shape is
// left out like one with a non-finite number in the file.
bool IsFinite(const Shape& shape) {
    struct Visitor {
        bool operator()(const Line& s) const { return Finite(s.start) && Finite(s.end); }
        bool operator()(const Polyline& s) const {
            return std::all_of(s.vertices.begin(), s.vertices.end(),
                               [](const auto& v) { return Finite(v.at) && Finite(v.bulge); });
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
                   Finite(s.widthFactor);
        }
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
    const bool mirrored = !leader && SeenFromBelow(f);
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code != 10 && pair.code != 20 && (pair.code != 42 || leader)) continue;
        const std::optional<double> value = pair.Real();
        if (!value || !Finite(*value)) {
            f.MarkBad();
            break;
        }
        if (pair.code == 10) {
            polyline.vertices.push_back({{*value, 0}, 0});
        } else if (!polyline.vertices.empty()) {  // a y or a bulge before any x is stray
            PolylineVertex& last = polyline.vertices.back();
            if (pair.code == 20) {
                last.at.y = *value;
            } else {
                last.bulge = *value;
            }
        }
    }
    if (polyline.vertices.empty()) return std::nullopt;
    if (mirrored) {
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
    std::string text = PlainText(f.Text(1));
    double height = TextHeight(f, defaults);
    double widthFactor = f.Real(41, 1);
    if (!(widthFactor > 0)) widthFactor = 1;
    double degrees = f.Real(50, 0);
    const Point first = ReadPoint(f, 10);
    const bool hasSecond = HasPoint(f, 11);
    const Point second{f.Real(11, first.x), f.Real(21, first.y)};
    const std::int64_t horizontal = f.Integer(72, 0);
    const std::int64_t vertical = f.Integer(attribute ? 74 : 73, 0);
    const bool mirrored = SeenFromBelow(f);
    if (f.bad() || text.empty()) return std::nullopt;

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
    } else if (horizontal != 0 || vertical != 0) {
        const Point anchor = hasSecond ? second : first;
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
        const Point u = Direction(degrees);
        const Point v{-u.y, u.x};
        lowerLeft = Plus(Plus(anchor, u, along), v, across);
    }
    if (mirrored) {
        lowerLeft = MirrorX(lowerLeft);
        degrees = 180 - degrees;
    }
    const double width = EstimatedWidth(characters, height, widthFactor);
    return Checked(
        f, PlaceText(std::move(text), lowerLeft, degrees, mirrored, height, widthFactor, width));
}

std::optional<Shape> BuildMText(DxfFields& f, const DxfTextDefaults& defaults) {
    // The text comes in pieces of 250 characters: the groups 3 in order, then the group 1.
    // Formatting codes may straddle two pieces, so they are joined before anything else.
    std::string raw;
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code == 3) raw += pair.text;
    }
    raw += f.Text(1);
    std::string text = PlainMText(raw);
    if (text.find_first_not_of(" \n") == std::string::npos) return std::nullopt;

    const double height = TextHeight(f, defaults);
    // The insertion point and the direction vector are world coordinates; only the rotation
    // angle, used when there is no direction, is measured in the text's own plane.
    const Point at = ReadPoint(f, 10);
    const bool mirrored = SeenFromBelow(f);
    double degrees = 0;
    const Point direction{f.Real(11, 0), f.Real(21, 0)};
    if (HasPoint(f, 11) && !(direction.x == 0 && direction.y == 0)) {
        degrees = std::atan2(direction.y, direction.x) * kDegrees;
    } else {
        degrees = f.Real(50, 0);
        if (mirrored) degrees = 180 - degrees;
    }
    std::int64_t attachment = f.Integer(71, 1);
    if (attachment < 1 || attachment > 9) attachment = 1;
    if (f.bad()) return std::nullopt;

    // Attachment 1-9 is top, middle, bottom rows of left, centre, right. The model draws all
    // lines from the first line's lower-left corner, so the widest line places the block.
    const TextExtent extent = MeasureText(text);
    const double width = EstimatedWidth(extent.widestLine, height, 1);
    const double below = static_cast<double>(extent.lines - 1) * kTextLineSpacing * height;
    const int column = static_cast<int>((attachment - 1) % 3);
    const int row = static_cast<int>((attachment - 1) / 3);
    const double along = column == 0 ? 0 : column == 1 ? -width / 2 : -width;
    const double across = row == 0 ? -height : row == 1 ? (below + height) / 2 - height : below;
    const Point u = Direction(degrees);
    const Point v = mirrored ? Point{u.y, -u.x} : Point{-u.y, u.x};
    const Point lowerLeft = Plus(Plus(at, u, along), v, across);
    return Checked(f, PlaceText(std::move(text), lowerLeft, degrees, mirrored, height, 1, width));
}

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

}  // namespace

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
    if (kind == "MTEXT") return BuildMText(fields, defaults);
    if (kind == "INSERT" || kind == "MINSERT") return BuildInsert(fields);
    if (kind == "DIMENSION") return BuildDimension(fields);
    if (kind == "POINT") return BuildPoint(fields);
    if (kind == "ELLIPSE") return BuildEllipse(fields);
    if (kind == "SPLINE") return BuildSpline(fields);
    if (kind == "SOLID" || kind == "TRACE") return BuildSolid(fields, true, false);
    if (kind == "3DFACE") return BuildSolid(fields, false, true);
    if (kind == "LEADER") return BuildLightweightPolyline(fields, true);
    return std::nullopt;
}

void PolylineAssembler::Start(DxfFields& polyline) {
    polyline_ = Polyline{};
    const std::int64_t flags = polyline.Integer(70, 0);
    polyline_.closed = (flags & 1) != 0;
    // 8 a 3D polyline, 16 a polygon mesh, 64 a polyface mesh: all in world coordinates.
    objectCoordinates_ = (flags & (8 | 16 | 64)) == 0;
    mirrored_ = objectCoordinates_ && SeenFromBelow(polyline);
    valid_ = !polyline.bad();
}

void PolylineAssembler::AddVertex(DxfFields& vertex) {
    if (!valid_) return;
    const std::int64_t flags = vertex.Integer(70, 0);
    // 16: a spline's frame control point, not on the curve. 128 without 64: a polyface's face
    // record, which holds vertex numbers rather than a position.
    if ((flags & 16) != 0) return;
    if ((flags & 128) != 0 && (flags & 64) == 0) return;
    PolylineVertex added{ReadPoint(vertex, 10), 0};
    if (objectCoordinates_) added.bulge = vertex.Real(42, 0);
    if (vertex.bad()) {
        valid_ = false;  // like any entity with a number that cannot be drawn
        return;
    }
    if (mirrored_) {
        added.at = MirrorX(added.at);
        added.bulge = -added.bulge;
    }
    polyline_.vertices.push_back(added);
}

std::optional<Shape> PolylineAssembler::Finish() {
    const bool usable = valid_ && !polyline_.vertices.empty();
    valid_ = false;
    if (!usable) return std::nullopt;
    return Shape(std::move(polyline_));
}

}  // namespace acadhpgl
