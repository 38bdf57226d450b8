#include "plugins/acadhpgl/dxf_hatch.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

namespace acadhpgl {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// Chords of a curved edge: one per this many degrees of turn, so that an arc keeps its shape
// at any plotted size a hatch is normally seen at.
constexpr double kDegreesPerChord = 5;
constexpr int kChordsPerSplineSpan = 8;
// Points and numbers kept per hatch: a file can declare any count, only what it holds counts.
constexpr std::size_t kMaxPoints = 1'000'000;
constexpr int kMaxDegree = 15;

// Reads the record's pairs in order.
class PairCursor {
  public:
    explicit PairCursor(std::span<const DxfPair> pairs) : pairs_(pairs) {}

    bool AtEnd() const { return next_ >= pairs_.size(); }
    int Code() const { return AtEnd() ? -1 : pairs_[next_].code; }
    void Skip() { ++next_; }

    // The next pair's number when its code is `code`; it is then taken. Otherwise nothing is.
    std::optional<double> Take(int code) {
        if (Code() != code) return std::nullopt;
        const std::optional<double> value = pairs_[next_++].Real();
        if (!value || !std::isfinite(*value)) {
            bad_ = true;
            return std::nullopt;
        }
        return value;
    }
    double Take(int code, double fallback) { return Take(code).value_or(fallback); }
    // Skips pairs up to the next one with `code`; false when there is none.
    bool SeekTo(int code) {
        while (!AtEnd() && Code() != code) ++next_;
        return !AtEnd();
    }
    bool bad() const { return bad_; }

  private:
    std::span<const DxfPair> pairs_;
    std::size_t next_ = 0;
    bool bad_ = false;
};

// Appends `point` unless it repeats the last one.
void Add(std::vector<Point>& loop, Point point) {
    if (loop.size() >= kMaxPoints) return;
    if (!loop.empty() && loop.back() == point) return;
    loop.push_back(point);
}

// centre + u cos t + v sin t from `start` over `sweep` radians (negative: clockwise).
void AddConic(std::vector<Point>& loop, Point centre, Point u, Point v, double start,
              double sweep) {
    const int chords = std::clamp(
        static_cast<int>(std::ceil(std::fabs(sweep) / (kDegreesPerChord * kRadiansPerDegree))), 1,
        360);
    for (int i = 0; i <= chords; ++i) {
        const double t = start + sweep * i / chords;
        Add(loop, {centre.x + u.x * std::cos(t) + v.x * std::sin(t),
                   centre.y + u.y * std::cos(t) + v.y * std::sin(t)});
    }
}

// The sweep from start to end degrees counter-clockwise, a whole turn when they are equal.
double SweepDegrees(double start, double end) {
    double sweep = std::fmod(end - start, 360.0);
    if (sweep <= 1e-9) sweep += 360;
    return sweep;
}

void AddBulge(std::vector<Point>& loop, Point from, Point to, double bulge) {
    const Point chord{to.x - from.x, to.y - from.y};
    const double length = std::hypot(chord.x, chord.y);
    if (std::fabs(bulge) < 1e-12 || !(length > 0)) {
        Add(loop, to);
        return;
    }
    const double radius = length * (1 + bulge * bulge) / (4 * std::fabs(bulge));
    const double offset = length * (1 - bulge * bulge) / (4 * bulge);
    const Point centre{(from.x + to.x) / 2 - chord.y / length * offset,
                       (from.y + to.y) / 2 + chord.x / length * offset};
    const double start = std::atan2(from.y - centre.y, from.x - centre.x);
    AddConic(loop, centre, {radius, 0}, {0, radius}, start, 4 * std::atan(bulge));
    loop.back() = to;
}

// A polyline path: 72 has bulges, 73 closed, 93 the number of vertices, then 10 20 [42].
bool ReadPolylinePath(PairCursor& cursor, std::vector<Point>& loop) {
    const bool bulges = cursor.Take(72, 0) != 0;
    cursor.Take(73, 1);
    const double declared = cursor.Take(93, 0);
    std::vector<PolylineVertex> vertices;
    for (double i = 0; i < declared && cursor.Code() == 10; ++i) {
        PolylineVertex vertex;
        vertex.at.x = cursor.Take(10, 0);
        vertex.at.y = cursor.Take(20, 0);
        if (bulges) vertex.bulge = cursor.Take(42, 0);
        if (vertices.size() < kMaxPoints) vertices.push_back(vertex);
    }
    if (cursor.bad() || vertices.size() < 2) return false;
    Add(loop, vertices[0].at);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        AddBulge(loop, vertices[i].at, vertices[(i + 1) % vertices.size()].at, vertices[i].bulge);
    }
    return true;
}

// A B-spline edge as chords, from its control points and knots, or through its fit points.
void AddSpline(std::vector<Point>& loop, int degree, std::vector<double> knots,
               const std::vector<Point>& control, std::vector<double> weights,
               const std::vector<Point>& fit) {
    const std::size_t count = control.size();
    if (count < 2) {
        for (const Point& p : fit) Add(loop, p);
        return;
    }
    degree = std::clamp(degree, 1, std::min(kMaxDegree, static_cast<int>(count) - 1));
    const auto order = static_cast<std::size_t>(degree) + 1;
    const bool knotsFit = knots.size() == count + order &&
                          std::is_sorted(knots.begin(), knots.end()) &&
                          knots[degree] < knots[count];
    if (!knotsFit) {
        knots.assign(count + order, 0);
        for (std::size_t i = 0; i < knots.size(); ++i) {
            knots[i] = std::clamp(static_cast<double>(i) - degree, 0.0,
                                  static_cast<double>(count - degree));
        }
    }
    if (weights.size() != count ||
        !std::all_of(weights.begin(), weights.end(), [](double w) { return w > 0; })) {
        weights.assign(count, 1);
    }
    double homogeneous[kMaxDegree + 1][3];
    for (std::size_t span = degree; span < count; ++span) {
        const double from = knots[span], to = knots[span + 1];
        if (!(from < to)) continue;
        for (int step = 0; step <= kChordsPerSplineSpan; ++step) {
            const double t = from + (to - from) * step / kChordsPerSplineSpan;
            for (int j = 0; j <= degree; ++j) {
                const std::size_t i = span - degree + j;
                homogeneous[j][0] = control[i].x * weights[i];
                homogeneous[j][1] = control[i].y * weights[i];
                homogeneous[j][2] = weights[i];
            }
            for (int r = 1; r <= degree; ++r) {
                for (int j = degree; j >= r; --j) {
                    const std::size_t i = span - degree + j;
                    const double denominator = knots[i + degree - r + 1] - knots[i];
                    const double alpha = denominator > 0 ? (t - knots[i]) / denominator : 0;
                    for (int c = 0; c < 3; ++c) {
                        homogeneous[j][c] = homogeneous[j - 1][c] +
                                            (homogeneous[j][c] - homogeneous[j - 1][c]) * alpha;
                    }
                }
            }
            if (homogeneous[degree][2] > 0) {
                Add(loop, {homogeneous[degree][0] / homogeneous[degree][2],
                           homogeneous[degree][1] / homogeneous[degree][2]});
            }
        }
    }
}

// One edge of an edge path: 72 its type, then its numbers.
bool ReadEdge(PairCursor& cursor, std::vector<Point>& loop) {
    const double type = cursor.Take(72, 0);
    if (type == 1) {  // line
        const Point from{cursor.Take(10, 0), cursor.Take(20, 0)};
        const Point to{cursor.Take(11, 0), cursor.Take(21, 0)};
        Add(loop, from);
        Add(loop, to);
    } else if (type == 2 || type == 3) {  // circular and elliptic arc
        const Point centre{cursor.Take(10, 0), cursor.Take(20, 0)};
        Point major{0, 0};
        if (type == 3) major = {cursor.Take(11, 0), cursor.Take(21, 0)};
        const double size = cursor.Take(40, 0);  // radius, or minor to major ratio
        const double start = cursor.Take(50, 0);
        const double end = cursor.Take(51, 360);
        const bool counterClockwise = cursor.Take(73, 1) != 0;
        if (type == 2) major = {size, 0};
        const Point minor{-major.y * (type == 2 ? 1 : size), major.x * (type == 2 ? 1 : size)};
        if (!(std::hypot(major.x, major.y) > 0)) return false;
        // A clockwise edge stores the angles of its mirror image.
        const double sweep = SweepDegrees(start, end) * kRadiansPerDegree;
        if (counterClockwise) {
            AddConic(loop, centre, major, minor, start * kRadiansPerDegree, sweep);
        } else {
            AddConic(loop, centre, major, minor, -start * kRadiansPerDegree, -sweep);
        }
    } else if (type == 4) {  // spline
        const int degree = static_cast<int>(cursor.Take(94, 3));
        cursor.Take(73, 0);
        cursor.Take(74, 0);
        cursor.Take(95, 0);
        cursor.Take(96, 0);
        std::vector<double> knots, weights;
        std::vector<Point> control, fit;
        while (cursor.Code() == 40) {
            const double knot = cursor.Take(40, 0);
            if (knots.size() < kMaxPoints) knots.push_back(knot);
        }
        while (cursor.Code() == 10) {
            Point p{cursor.Take(10, 0), cursor.Take(20, 0)};
            if (control.size() < kMaxPoints) control.push_back(p);
            if (cursor.Code() == 42 && weights.size() < kMaxPoints) {
                weights.push_back(cursor.Take(42, 1));
            }
        }
        if (cursor.Code() == 97) {
            cursor.Take(97, 0);
            while (cursor.Code() == 11) {
                Point p{cursor.Take(11, 0), cursor.Take(21, 0)};
                if (fit.size() < kMaxPoints) fit.push_back(p);
            }
            cursor.Take(12, 0), cursor.Take(22, 0), cursor.Take(13, 0), cursor.Take(23, 0);
        }
        if (cursor.bad()) return false;
        AddSpline(loop, degree, std::move(knots), control, std::move(weights), fit);
    } else {
        return false;
    }
    return !cursor.bad();
}

Point MirrorX(Point p) {
    return {-p.x, p.y};
}

}  // namespace

std::optional<Shape> BuildHatch(DxfFields& fields) {
    const bool seenFromBelow = fields.Real(230, 1) < 0;
    PairCursor cursor(fields.pairs());
    Hatch hatch;
    // The fill flag and the path count follow the pattern name; 91 opens the boundary data.
    if (!cursor.SeekTo(70)) return std::nullopt;
    hatch.solid = cursor.Take(70, 0) == 1;
    if (!cursor.SeekTo(91)) return std::nullopt;
    const double paths = cursor.Take(91, 0);
    std::vector<int> flags;
    for (double path = 0; path < paths && cursor.Code() == 92; ++path) {
        const int flag = static_cast<int>(cursor.Take(92, 0));
        std::vector<Point> loop;
        bool usable = true;
        if ((flag & 2) != 0) {
            usable = ReadPolylinePath(cursor, loop);
        } else {
            const double edges = cursor.Take(93, 0);
            for (double edge = 0; edge < edges && cursor.Code() == 72; ++edge) {
                usable = ReadEdge(cursor, loop) && usable;
            }
        }
        // The boundary objects the path came from do not change its shape.
        if (cursor.Code() == 97) {
            const double sources = cursor.Take(97, 0);
            for (double i = 0; i < sources && cursor.Code() == 330; ++i) cursor.Skip();
        }
        if (cursor.bad()) return std::nullopt;
        if (usable && loop.size() >= 3) {
            hatch.loops.push_back(std::move(loop));
            flags.push_back(flag);
        }
    }
    while (!cursor.AtEnd() && cursor.Code() != 75) cursor.Skip();
    const double style = cursor.Take(75, 0);
    cursor.Take(76, 1);
    if (!hatch.solid) {
        cursor.Take(52, 0);
        cursor.Take(41, 1);
        cursor.Take(77, 0);
        const double families = cursor.Take(78, 0);
        for (double i = 0; i < families && cursor.Code() == 53; ++i) {
            HatchLine line;
            line.angleDegrees = cursor.Take(53, 0);
            line.base = {cursor.Take(43, 0), cursor.Take(44, 0)};
            line.offset = {cursor.Take(45, 0), cursor.Take(46, 0)};
            const double dashes = cursor.Take(79, 0);
            for (double d = 0; d < dashes && cursor.Code() == 49; ++d) {
                line.dashes.push_back(cursor.Take(49, 0));
            }
            if (hatch.lines.size() < 1000) hatch.lines.push_back(std::move(line));
        }
    }
    if (cursor.bad() || fields.bad() || hatch.loops.empty()) return std::nullopt;
    // A gradient is shaded on screen; a plot keeps its boundary only.
    if (fields.Has(450) && fields.Integer(450, 0) != 0) {
        hatch.solid = false;
        hatch.lines.clear();
    }
    // Style 2 fills the outermost area only; 0 and 1 leave islands empty, which the odd-even
    // rule does for every level of nesting.
    if (style == 2) {
        std::vector<std::vector<Point>> outer;
        for (std::size_t i = 0; i < hatch.loops.size(); ++i) {
            if ((flags[i] & (1 | 16)) != 0) outer.push_back(std::move(hatch.loops[i]));
        }
        if (!outer.empty()) hatch.loops = std::move(outer);
    }
    if (seenFromBelow) {
        for (auto& loop : hatch.loops) {
            for (Point& p : loop) p = MirrorX(p);
        }
        for (HatchLine& line : hatch.lines) {
            line.angleDegrees = 180 - line.angleDegrees;
            line.base = MirrorX(line.base);
            line.offset = MirrorX(line.offset);
        }
    }
    return Shape(std::move(hatch));
}

}  // namespace acadhpgl
