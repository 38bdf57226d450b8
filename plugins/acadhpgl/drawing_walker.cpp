#include "plugins/acadhpgl/drawing_walker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

#include "plugins/acadhpgl/code_pages.h"

namespace acadhpgl {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// Marks the model space of a referenced drawing on the stack of what is being expanded.
constexpr std::uint32_t kModelSpace = kNoBlock - 1;
constexpr int kMaxSplineDegree = 15;
constexpr int kMinSegmentsPerSpan = 4;
constexpr int kMaxSegmentsPerSpan = 1024;
// Long runs go to the sink in pieces, so that one polyline with millions of curved vertices
// never needs more than this many points in memory.
constexpr std::size_t kRunChunk = 8192;
// Beyond this, differences of coordinates could overflow; such points are left out.
constexpr double kSaneMagnitude = 1e300;
// A hatch family with more lines than this across its boundary is filled instead.
constexpr double kMaxPatternLines = 20'000;
// A stretch of a pattern line with more dashes than this is drawn unbroken.
constexpr double kMaxDashesPerStroke = 100'000;

bool IsSane(Point p) {
    return std::fabs(p.x) <= kSaneMagnitude && std::fabs(p.y) <= kSaneMagnitude;
}

bool IsFinite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double Length(Point v) {
    return std::hypot(v.x, v.y);
}

Point Lerp(Point a, Point b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The largest factor by which the linear map with columns u and v stretches a unit vector.
double LargestStretch(Point u, Point v) {
    const double squares = u.x * u.x + u.y * u.y + v.x * v.x + v.y * v.y;
    const double det = u.x * v.y - u.y * v.x;
    const double discriminant = squares * squares - 4 * det * det;
    return std::sqrt((squares + std::sqrt(std::max(0.0, discriminant))) / 2);
}

// Liang-Barsky: the part [t0, t1] of segment a-b inside the square +-limit; false when none is.
bool ClipSegment(Point a, Point b, double limit, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double d[2] = {b.x - a.x, b.y - a.y};
    const double start[2] = {a.x, a.y};
    for (int axis = 0; axis < 2; ++axis) {
        const double edges[2][2] = {{-d[axis], start[axis] + limit},
                                    {d[axis], limit - start[axis]}};
        for (const auto& [p, q] : edges) {
            if (p == 0) {
                if (q < 0) return false;
                continue;
            }
            const double r = q / p;
            if (p < 0) {
                if (r > t1) return false;
                t0 = std::max(t0, r);
            } else {
                if (r < t0) return false;
                t1 = std::min(t1, r);
            }
        }
    }
    return true;
}

struct Homogeneous {
    double x = 0;
    double y = 0;
    double w = 1;
};

Homogeneous Lerp(const Homogeneous& a, const Homogeneous& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.w + (b.w - a.w) * t};
}

bool UsableKnots(const std::vector<double>& knots, std::size_t count, int degree) {
    if (knots.size() != count + degree + 1) return false;
    for (std::size_t i = 0; i < knots.size(); ++i) {
        if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return false;
    }
    return knots[degree] < knots[count] && std::isfinite(knots[count] - knots[degree]);
}

// Ends touching the first and last control points, equal steps between.
std::vector<double> ClampedUniformKnots(std::size_t count, int degree) {
    std::vector<double> knots(count + degree + 1);
    const double last = static_cast<double>(count - degree);
    for (std::size_t i = 0; i < knots.size(); ++i) {
        knots[i] = std::clamp(static_cast<double>(i) - degree, 0.0, last);
    }
    return knots;
}

bool UsableWeights(const std::vector<double>& weights, std::size_t count) {
    return weights.size() == count && std::all_of(weights.begin(), weights.end(), [](double w) {
               return std::isfinite(w) && w > 0;
           });
}

struct LayerLook {
    int colour = kDefaultLayerColour;
    bool visible = true;
};

// What an entity inherits from where it is drawn.
struct Frame {
    const Drawing* drawing = nullptr;
    Affine toSink;
    int blockColour = kDefaultLayerColour;  // the enclosing INSERT's resolved colour
    std::optional<LayerLook> insertLayer;   // the enclosing INSERT's layer, for layer "0"
    int depth = 0;
};

class Walker {
  public:
    Walker(const WalkOptions& options, PlotSink& sink) : options_(options), sink_(sink) {}

    bool Walk(const Drawing& drawing, std::string& error) {
        active_.push_back({&drawing, kModelSpace});
        WalkEntities(drawing.entities,
                     Frame{&drawing, options_.toSink, kDefaultLayerColour, std::nullopt, 0});
        active_.pop_back();
        if (!exhausted_) return true;
        error = "the drawing expands to more than " + std::to_string(options_.workBudget) +
                " pieces (blocks inserted too many times over)";
        return false;
    }

  private:
    void Draw(const Line& line, const Frame& frame) {
        BeginRun();
        Append(frame.toSink.Apply(line.start));
        Append(frame.toSink.Apply(line.end));
        EndRun();
    }

    void Draw(const Polyline& polyline, const Frame& outer) {
        const auto& vertices = polyline.vertices;
        if (vertices.size() < 2) return;
        Frame frame = outer;
        if (polyline.plane) {
            const auto& [xx, xy, yx, yy, dx, dy] = *polyline.plane;
            frame.toSink = Affine{xx, xy, yx, yy, dx, dy}.Then(outer.toSink);
        }
        if (!polyline.widths.empty() && DrawBands(polyline, frame)) return;
        BeginRun();
        Append(frame.toSink.Apply(vertices[0].at));
        const std::size_t segments = polyline.closed ? vertices.size() : vertices.size() - 1;
        for (std::size_t i = 0; i < segments && !exhausted_; ++i) {
            const PolylineVertex& from = vertices[i];
            AppendBulge(from.at, vertices[(i + 1) % vertices.size()].at, from.bulge, frame.toSink);
        }
        EndRun();
    }

    // A polyline with widths as one filled band per segment, each from its start width to its
    // end width. False when every width is too thin to be worth a band.
    bool DrawBands(const Polyline& polyline, const Frame& frame) {
        const auto& vertices = polyline.vertices;
        const double stretch =
            LargestStretch(frame.toSink.ApplyToVector({1, 0}), frame.toSink.ApplyToVector({0, 1}));
        const bool wide =
            std::any_of(polyline.widths.begin(), polyline.widths.end(), [&](const SegmentWidth& w) {
                return std::max(w.start, w.end) * stretch > options_.thinnestBand;
            });
        if (!wide || polyline.widths.size() != vertices.size()) return false;
        const std::size_t segments = polyline.closed ? vertices.size() : vertices.size() - 1;
        for (std::size_t i = 0; i < segments && !exhausted_; ++i) {
            const PolylineVertex& from = vertices[i];
            const Point to = vertices[(i + 1) % vertices.size()].at;
            const SegmentWidth width = polyline.widths[i];
            if (std::max(width.start, width.end) * stretch <= options_.thinnestBand) {
                BeginRun();
                Append(frame.toSink.Apply(from.at));
                AppendBulge(from.at, to, from.bulge, frame.toSink);
                EndRun();
                continue;
            }
            Band(from.at, to, from.bulge, width, frame.toSink);
        }
        return true;
    }

    void Band(Point from, Point to, double bulge, SegmentWidth width, const Affine& toSink) {
        const Point chord{to.x - from.x, to.y - from.y};
        const double length = Length(chord);
        if (!(length > 0) || !std::isfinite(length)) return;
        // Points along the centre line with their sideways directions, in drawing units.
        centre_.clear();
        normals_.clear();
        if (std::fabs(bulge) > 1e-12) {
            const double radius = length * (1 + bulge * bulge) / (4 * std::fabs(bulge));
            const double offset = length * (1 - bulge * bulge) / (4 * bulge);
            const Point c{(from.x + to.x) / 2 - chord.y / length * offset,
                          (from.y + to.y) / 2 + chord.x / length * offset};
            const double start = std::atan2(from.y - c.y, from.x - c.x);
            const double sweep = 4 * std::atan(bulge);
            const int segments = ConicSegments(toSink.ApplyToVector({radius, 0}),
                                               toSink.ApplyToVector({0, radius}), sweep);
            for (int i = 0; i <= segments; ++i) {
                const double t = start + sweep * i / segments;
                const Point radial{std::cos(t), std::sin(t)};
                centre_.push_back({c.x + radius * radial.x, c.y + radius * radial.y});
                normals_.push_back(radial);
            }
        } else {
            const Point n{-chord.y / length, chord.x / length};
            centre_ = {from, to};
            normals_ = {n, n};
        }
        if (!Spend(2 * centre_.size())) return;
        loops_.resize(1);
        std::vector<Point>& outline = loops_[0];
        outline.clear();
        const std::size_t count = centre_.size();
        for (std::size_t i = 0; i < 2 * count; ++i) {
            const bool back = i >= count;
            const std::size_t j = back ? 2 * count - 1 - i : i;
            const double t = count > 1 ? static_cast<double>(j) / (count - 1) : 0;
            const double half = (width.start + (width.end - width.start) * t) / 2 * (back ? -1 : 1);
            outline.push_back(toSink.Apply(
                {centre_[j].x + normals_[j].x * half, centre_[j].y + normals_[j].y * half}));
        }
        outline.push_back(outline.front());
        FillLoops(1);
        DrawRun(loops_[0]);
    }

    void Draw(const Circle& circle, const Frame& frame) {
        const double r = std::fabs(circle.radius);
        if (!(r > 0) || !std::isfinite(r)) return;
        DrawConic(circle.centre, {r, 0}, {0, r}, 0, kTwoPi, frame.toSink);
    }

    void Draw(const Arc& arc, const Frame& frame) {
        const double r = std::fabs(arc.radius);
        if (!(r > 0) || !std::isfinite(r)) return;
        if (!std::isfinite(arc.startDegrees) || !std::isfinite(arc.endDegrees)) return;
        const double start = std::fmod(arc.startDegrees, 360);
        double sweep = std::fmod(arc.endDegrees, 360) - start;
        if (sweep <= 0) sweep += 360;  // equal angles make a whole circle
        DrawConic(arc.centre, {r, 0}, {0, r}, start * kRadiansPerDegree, sweep * kRadiansPerDegree,
                  frame.toSink);
    }

    void Draw(const Ellipse& ellipse, const Frame& frame) {
        const Point major = ellipse.majorAxis;
        if (!IsFinite(major) || !(Length(major) > 0) || !std::isfinite(ellipse.ratio)) return;
        if (!std::isfinite(ellipse.startParameter) || !std::isfinite(ellipse.endParameter)) return;
        const Point minor{-major.y * ellipse.ratio, major.x * ellipse.ratio};
        const double start = std::fmod(ellipse.startParameter, kTwoPi);
        double sweep = std::fmod(ellipse.endParameter - ellipse.startParameter, kTwoPi);
        if (sweep <= 1e-12) sweep += kTwoPi;
        DrawConic(ellipse.centre, major, minor, start, sweep, frame.toSink);
    }

    void Draw(const PointMark& mark, const Frame& frame) {
        const Point at = frame.toSink.Apply(mark.at);
        if (!Inside(at) || !Spend(1)) return;
        UseColour();
        sink_.Dot(at);
    }

    void Draw(const Solid& solid, const Frame& frame) {
        if (solid.filled) {
            loops_.resize(1);
            loops_[0].clear();
            for (int corner : {0, 1, 3, 2, 0}) {
                loops_[0].push_back(frame.toSink.Apply(solid.corners[corner]));
            }
            FillLoops(1);
        }
        BeginRun();
        for (int corner : {0, 1, 3, 2, 0}) Append(frame.toSink.Apply(solid.corners[corner]));
        EndRun();
    }

    void Draw(const Hatch& hatch, const Frame& frame) {
        // The loops in sink coordinates; the pattern is laid out there as well, since an affine
        // map keeps a family of parallel lines parallel and evenly spaced.
        std::size_t count = 0;
        for (const std::vector<Point>& loop : hatch.loops) {
            if (loop.size() < 2 || !Spend(loop.size())) continue;
            if (loops_.size() <= count) loops_.emplace_back();
            std::vector<Point>& placed = loops_[count++];
            placed.clear();
            for (const Point& p : loop) placed.push_back(frame.toSink.Apply(p));
            if (!(placed.front() == placed.back())) placed.push_back(placed.front());
        }
        if (count == 0) return;
        if (hatch.solid) {
            FillLoops(count);
            for (std::size_t i = 0; i < count; ++i) DrawRun(loops_[i]);
            return;
        }
        bool drawn = false;
        for (const HatchLine& line : hatch.lines) drawn |= DrawPatternLine(line, count, frame);
        if (!drawn) {
            // No pattern to lay out: the boundary at least shows where the hatch is.
            for (std::size_t i = 0; i < count; ++i) DrawRun(loops_[i]);
        }
    }

    // One family of pattern lines inside the first `count` of loops_. False when the family
    // cannot be laid out (no spacing between its lines).
    bool DrawPatternLine(const HatchLine& line, std::size_t count, const Frame& frame) {
        const double radians = std::fmod(line.angleDegrees, 360) * kRadiansPerDegree;
        const Point along = frame.toSink.ApplyToVector({std::cos(radians), std::sin(radians)});
        const double stretch = Length(along);
        if (!(stretch > 0) || !std::isfinite(stretch)) return false;
        const Point u{along.x / stretch, along.y / stretch};
        const Point n{-u.y, u.x};
        const Point origin = frame.toSink.Apply(line.base);
        const Point offset = frame.toSink.ApplyToVector(line.offset);
        const double spacing = offset.x * n.x + offset.y * n.y;
        const double shift = offset.x * u.x + offset.y * u.y;
        if (!IsFinite(origin) || !std::isfinite(spacing) || !std::isfinite(shift)) return false;
        double low = std::numeric_limits<double>::infinity(), high = -low;
        for (std::size_t i = 0; i < count; ++i) {
            for (const Point& p : loops_[i]) {
                const double d = (p.x - origin.x) * n.x + (p.y - origin.y) * n.y;
                low = std::min(low, d);
                high = std::max(high, d);
            }
        }
        if (!(std::fabs(spacing) > 0) || !(high >= low)) return false;
        const double first = std::ceil(std::min(low / spacing, high / spacing));
        const double last = std::floor(std::max(low / spacing, high / spacing));
        if (!(last - first < kMaxPatternLines)) {
            // Lines closer than any pen can draw them would look solid: so be it.
            FillLoops(count);
            return true;
        }
        double period = 0;
        for (double dash : line.dashes) period += std::fabs(dash) * stretch;
        const bool dashed = period > 0 && std::isfinite(period);
        for (double k = first; k <= last && !exhausted_; ++k) {
            const Point start{origin.x + offset.x * k, origin.y + offset.y * k};
            crossings_.clear();
            for (std::size_t i = 0; i < count; ++i) {
                const std::vector<Point>& loop = loops_[i];
                for (std::size_t j = 1; j < loop.size(); ++j) {
                    const Point a = loop[j - 1], b = loop[j];
                    const double da = (a.x - start.x) * n.x + (a.y - start.y) * n.y;
                    const double db = (b.x - start.x) * n.x + (b.y - start.y) * n.y;
                    // Half-open, so that a line through a vertex crosses once, not twice.
                    if ((da > 0) == (db > 0)) continue;
                    const double ta = (a.x - start.x) * u.x + (a.y - start.y) * u.y;
                    const double tb = (b.x - start.x) * u.x + (b.y - start.y) * u.y;
                    crossings_.push_back(ta + (tb - ta) * da / (da - db));
                }
            }
            if (!Spend(crossings_.size() + 1)) break;
            std::sort(crossings_.begin(), crossings_.end());
            for (std::size_t i = 0; i + 1 < crossings_.size(); i += 2) {
                const double from = crossings_[i], to = crossings_[i + 1];
                if (!dashed || (to - from) / period > kMaxDashesPerStroke) {
                    Stroke(start, u, from, to);
                    continue;
                }
                // Each line's dashes begin at its own origin, which moves along by `shift`.
                double at = std::floor((from - shift * k) / period) * period + shift * k;
                while (at <= to && !exhausted_) {
                    for (double dash : line.dashes) {
                        const double length = std::fabs(dash) * stretch;
                        if (dash > 0 && at + length > from && at < to) {
                            Stroke(start, u, std::max(at, from), std::min(at + length, to));
                        } else if (dash == 0 && at >= from && at <= to) {
                            Stroke(start, u, at, at);
                        }
                        at += length;
                    }
                }
            }
        }
        return true;
    }

    void Stroke(Point start, Point u, double from, double to) {
        BeginRun();
        Append({start.x + u.x * from, start.y + u.y * from});
        Append({start.x + u.x * to, start.y + u.y * to});
        EndRun();
    }

    void DrawRun(const std::vector<Point>& points) {
        BeginRun();
        for (const Point& p : points) Append(p);
        EndRun();
    }

    // The first `count` of loops_, filled by the odd-even rule; points beyond the clip square
    // are held to it, which keeps the inside of a fill that reaches beyond the page.
    void FillLoops(std::size_t count) {
        const double limit = options_.clipLimit;
        std::uint64_t points = 0;
        for (std::size_t i = 0; i < count; ++i) {
            for (Point& p : loops_[i]) {
                if (!IsSane(p)) return;
                p = {std::clamp(p.x, -limit, limit), std::clamp(p.y, -limit, limit)};
            }
            points += loops_[i].size();
        }
        if (!Spend(points)) return;
        UseColour();
        sink_.Fill(std::span<const std::vector<Point>>(loops_.data(), count));
    }

    void Draw(const Text& text, const Frame& frame) {
        if (!(text.height > 0) || !std::isfinite(text.height)) return;
        if (!std::isfinite(text.rotationDegrees) || !IsFinite(text.at)) return;
        const double widthFactor =
            std::isfinite(text.widthFactor) && text.widthFactor > 0 ? text.widthFactor : 1;
        const double radians = std::fmod(text.rotationDegrees, 360) * kRadiansPerDegree;
        const Point along{std::cos(radians), std::sin(radians)};
        const Point up{-along.y, along.x};
        const Point sinkAlong = frame.toSink.ApplyToVector(along);
        const Point sinkUp = frame.toSink.ApplyToVector(up);
        if (!(Length(sinkUp) > 0)) return;
        const double height = text.height * Length(sinkUp);
        const double sinkWidthFactor = widthFactor * Length(sinkAlong) / Length(sinkUp);
        if (!(height > 0) || !std::isfinite(height)) return;
        if (!(sinkWidthFactor > 0) || !std::isfinite(sinkWidthFactor)) return;
        const double degrees = std::atan2(sinkAlong.y, sinkAlong.x) / kRadiansPerDegree;
        const double slant = SinkSlant(text.obliqueDegrees, sinkAlong, sinkUp);

        std::string_view rest = text.text;
        for (double line = 0; !rest.empty() && !exhausted_; ++line) {
            const std::size_t end = rest.find('\n');
            std::string_view content = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (PlottedText(content).empty()) continue;
            Point start{0, -kTextLineSpacing * text.height * line};
            if (!text.lineStarts.empty()) {
                const auto index = static_cast<std::size_t>(line);
                if (index >= text.lineStarts.size()) break;
                start = text.lineStarts[index];
            }
            const Point at = frame.toSink.Apply({text.at.x + along.x * start.x + up.x * start.y,
                                                 text.at.y + along.y * start.x + up.y * start.y});
            if (!Inside(at) || !Spend(1)) continue;
            UseColour();
            if (slant == 0) {
                sink_.Label(at, height, degrees, sinkWidthFactor, content);
            } else {
                sink_.SlantedLabel(at, height, degrees, sinkWidthFactor, slant, content);
            }
        }
    }

    // The lean of a text's characters once placed: the placement may shear or mirror the
    // text's frame, so the slanted upright is carried over and measured against the placed
    // baseline. Mirrored frames lean the mirrored way, as the glyphs are written forwards.
    static double SinkSlant(double obliqueDegrees, Point sinkAlong, Point sinkUp) {
        if (!std::isfinite(obliqueDegrees)) return 0;
        const double tangent = std::tan(std::fmod(obliqueDegrees, 360) * kRadiansPerDegree);
        const Point upright{sinkUp.x + tangent * sinkAlong.x, sinkUp.y + tangent * sinkAlong.y};
        const double along = Length(sinkAlong);
        if (!(along > 0)) return 0;
        const Point unit{sinkAlong.x / along, sinkAlong.y / along};
        const double forwards = upright.x * unit.x + upright.y * unit.y;
        const double across = std::fabs(-unit.y * upright.x + unit.x * upright.y);
        if (!(across > 0)) return 0;
        const double slant = forwards / across;
        return std::isfinite(slant) && std::fabs(slant) > 1e-9 ? slant : 0;
    }

    void Draw(const Spline& spline, const Frame& frame) {
        if (spline.controlPoints.size() >= 2) {
            DrawBSpline(spline, frame.toSink);
        } else if (spline.fitPoints.size() >= 2) {
            DrawThrough(spline.fitPoints, spline.closed, frame.toSink);
        }
    }

    void Draw(const Insert&, const Frame&) {}

    void Draw(const Ray& ray, const Frame& frame) {
        if (!options_.rayArea) return;
        const Point start = frame.toSink.Apply(ray.start);
        const Point along = frame.toSink.ApplyToVector(ray.direction);
        const double length = Length(along);
        if (!IsFinite(start) || !(length > 0) || !std::isfinite(length)) return;
        // Far enough from the start to cross the whole area, wherever the start lies.
        const Box& area = *options_.rayArea;
        const Point centre{(area.min.x + area.max.x) / 2, (area.min.y + area.max.y) / 2};
        const double reach = Length({start.x - centre.x, start.y - centre.y}) +
                             Length({area.max.x - area.min.x, area.max.y - area.min.y});
        const Point u{along.x / length * reach, along.y / length * reach};
        BeginRun();
        Append(ray.bothWays ? Point{start.x - u.x, start.y - u.y} : start);
        Append({start.x + u.x, start.y + u.y});
        EndRun();
    }

    void WalkEntities(const std::vector<Entity>& entities, const Frame& frame) {
        for (const Entity& entity : entities) {
            if (!Spend(1)) return;
            LayerLook look = LayerOf(entity.layer, frame);
            if (entity.ownerLayer != kNoLayer) {
                // An attribute is seen only with its insert, and on layer "0" takes its look.
                const LayerLook owner = LayerOf(entity.ownerLayer, frame);
                if (!owner.visible) continue;
                if (entity.layer == 0) look = owner;
            }
            if (!look.visible) continue;
            if (entity.wipeoutFrame && !frame.drawing->wipeoutFrames) continue;
            const int colour = ResolveColour(entity.colour, look, frame.blockColour);
            if (const auto* insert = std::get_if<Insert>(&entity.shape)) {
                Expand(*insert, colour, look, frame);
                continue;
            }
            colour_ = colour;
            std::visit([&](const auto& shape) { Draw(shape, frame); }, entity.shape);
        }
    }

    static LayerLook LayerOf(std::uint32_t index, const Frame& frame) {
        const std::vector<Layer>& layers = frame.drawing->layers;
        if (index >= layers.size()) index = 0;
        // Inside a block, layer "0" stands for whatever layer the block is inserted on.
        if (index == 0 && frame.insertLayer) return *frame.insertLayer;
        if (layers.empty()) return {};
        const Layer& layer = layers[index];
        const bool plain = layer.colour >= 1 && layer.colour <= 255;
        return {plain ? layer.colour : kDefaultLayerColour,
                !layer.frozen && !layer.off && layer.plotted};
    }

    static int ResolveColour(int colour, const LayerLook& look, int blockColour) {
        if (colour == kColourByBlock) return blockColour;
        if (colour >= 1 && colour <= 255) return colour;
        return look.colour;
    }

    void Expand(const Insert& insert, int colour, const LayerLook& look, const Frame& frame) {
        const Drawing& drawing = *frame.drawing;
        if (frame.depth >= options_.maxDepth || insert.block >= drawing.blocks.size()) return;
        const Block& block = drawing.blocks[insert.block];
        const Drawing* target = &drawing;
        std::uint32_t key = insert.block;
        const std::vector<Entity>* entities = &block.entities;
        if ((!block.externalPath.empty() || !block.defined) && options_.references) {
            if (const Drawing* referenced =
                    options_.references->Referenced(drawing, insert.block)) {
                target = referenced;
                key = kModelSpace;
                entities = &referenced->entities;
            }
        }
        // A block that is already being expanded further up would repeat without end.
        if (std::find(active_.begin(), active_.end(), std::pair{target, key}) != active_.end()) {
            return;
        }
        const double numbers[] = {insert.at.x,
                                  insert.at.y,
                                  insert.scaleX,
                                  insert.scaleY,
                                  insert.rotationDegrees,
                                  insert.columnSpacing,
                                  insert.rowSpacing,
                                  block.base.x,
                                  block.base.y};
        if (!std::all_of(std::begin(numbers), std::end(numbers),
                         [](double v) { return std::isfinite(v); })) {
            return;
        }
        const Affine scaled = Affine::Translation(-block.base.x, -block.base.y)
                                  .Then(Affine::Scaling(insert.scaleX, insert.scaleY));
        const Affine placed = Affine::Rotation(std::fmod(insert.rotationDegrees, 360))
                                  .Then(Affine::Translation(insert.at.x, insert.at.y))
                                  .Then(frame.toSink);
        const int rows = std::max(1, insert.rows);
        const int columns = std::max(1, insert.columns);
        active_.push_back({target, key});
        for (int row = 0; row < rows && !exhausted_; ++row) {
            for (int column = 0; column < columns; ++column) {
                if (!Spend(1)) break;
                // MINSERT spacing runs along the insert's rotated axes, unscaled.
                Affine shifted = placed;
                const Point offset =
                    placed.ApplyToVector({column * insert.columnSpacing, row * insert.rowSpacing});
                shifted.dx += offset.x;
                shifted.dy += offset.y;
                WalkEntities(*entities,
                             Frame{target, scaled.Then(shifted), colour, look, frame.depth + 1});
            }
        }
        active_.pop_back();
    }

    bool Spend(std::uint64_t units) {
        if (exhausted_) return false;
        work_ += units;
        if (work_ > options_.workBudget) exhausted_ = true;
        return !exhausted_;
    }

    bool Inside(Point p) const {
        return std::fabs(p.x) <= options_.clipLimit && std::fabs(p.y) <= options_.clipLimit;
    }

    void UseColour() {
        if (colour_ == sinkColour_) return;
        sink_.SetColour(colour_);
        sinkColour_ = colour_;
    }

    int SegmentsPerTurn(double stretch) const {
        if (!(stretch > 0)) return options_.minSegmentsPerTurn;
        const double ratio = options_.chordTolerance / stretch;
        if (!(ratio < 1)) return options_.minSegmentsPerTurn;
        const double step = 2 * std::acos(1 - ratio);
        if (!(step > 0)) return options_.maxSegmentsPerTurn;
        return static_cast<int>(std::clamp(std::ceil(kTwoPi / step),
                                           static_cast<double>(options_.minSegmentsPerTurn),
                                           static_cast<double>(options_.maxSegmentsPerTurn)));
    }

    // Chords for one span of a polynomial curve of `degree` whose control polygon bends by
    // at most `bend` (largest second difference): the chord error is at most
    // degree (degree - 1) / 8 * bend / segments^2.
    int SegmentsPerSpan(int degree, double bend) const {
        if (degree < 2) return 1;
        const double wanted =
            std::ceil(std::sqrt(degree * (degree - 1) * bend / (8 * options_.chordTolerance)));
        if (!(wanted >= kMinSegmentsPerSpan)) return kMinSegmentsPerSpan;
        return static_cast<int>(std::min(wanted, static_cast<double>(kMaxSegmentsPerSpan)));
    }

    // centre + u cos t + v sin t for t from start over sweep (radians), in drawing coordinates.
    void DrawConic(Point centre, Point u, Point v, double start, double sweep,
                   const Affine& toSink) {
        const Point c = toSink.Apply(centre);
        const Point su = toSink.ApplyToVector(u);
        const Point sv = toSink.ApplyToVector(v);
        const int segments = ConicSegments(su, sv, sweep);
        const bool whole = sweep >= kTwoPi;
        BeginRun();
        Point first;
        for (int i = 0; i <= segments && !exhausted_; ++i) {
            const double t = i == segments ? start + sweep : start + sweep * i / segments;
            Point p{c.x + su.x * std::cos(t) + sv.x * std::sin(t),
                    c.y + su.y * std::cos(t) + sv.y * std::sin(t)};
            if (i == 0) first = p;
            if (i == segments && whole) p = first;
            Append(p);
        }
        EndRun();
    }

    int ConicSegments(Point su, Point sv, double sweep) const {
        const double perTurn = SegmentsPerTurn(LargestStretch(su, sv));
        return std::max(1, static_cast<int>(std::ceil(perTurn * std::fabs(sweep) / kTwoPi - 1e-9)));
    }

    // The chords of a polyline segment to `to`; the run already ends at `from`.
    void AppendBulge(Point from, Point to, double bulge, const Affine& toSink) {
        const Point chord{to.x - from.x, to.y - from.y};
        const double length = Length(chord);
        if (!(std::fabs(bulge) > 1e-12) || !(length > 0) || !std::isfinite(length)) {
            Append(toSink.Apply(to));
            return;
        }
        // With the tangent b of a quarter of the included angle, the radius is
        // c (1 + b^2) / 4|b| and the centre lies c (1 - b^2) / 4b left of the chord's middle.
        const double radius = length * (1 + bulge * bulge) / (4 * std::fabs(bulge));
        const double offset = length * (1 - bulge * bulge) / (4 * bulge);
        if (!std::isfinite(radius) || !std::isfinite(offset)) {
            Append(toSink.Apply(to));
            return;
        }
        const Point centre{(from.x + to.x) / 2 - chord.y / length * offset,
                           (from.y + to.y) / 2 + chord.x / length * offset};
        const double start = std::atan2(from.y - centre.y, from.x - centre.x);
        const double sweep = 4 * std::atan(bulge);
        const Point c = toSink.Apply(centre);
        const Point su = toSink.ApplyToVector({radius, 0});
        const Point sv = toSink.ApplyToVector({0, radius});
        const int segments = ConicSegments(su, sv, sweep);
        for (int i = 1; i < segments && !exhausted_; ++i) {
            const double t = start + sweep * i / segments;
            Append({c.x + su.x * std::cos(t) + sv.x * std::sin(t),
                    c.y + su.y * std::cos(t) + sv.y * std::sin(t)});
        }
        Append(toSink.Apply(to));
    }

    void DrawBSpline(const Spline& spline, const Affine& toSink) {
        const std::vector<Point>& points = spline.controlPoints;
        const std::size_t count = points.size();
        const int degree = static_cast<int>(
            std::min<std::size_t>(std::clamp(spline.degree, 1, kMaxSplineDegree), count - 1));
        const bool weighted = UsableWeights(spline.weights, count);
        const std::vector<double> knots = UsableKnots(spline.knots, count, degree)
                                              ? spline.knots
                                              : ClampedUniformKnots(count, degree);
        std::vector<Homogeneous> control;
        control.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double w = weighted ? spline.weights[i] : 1;
            control.push_back({points[i].x * w, points[i].y * w, w});
        }
        BeginRun();
        bool first = true;
        for (std::size_t span = degree; span < count && !exhausted_; ++span) {
            const double from = knots[span], to = knots[span + 1];
            if (!(from < to)) continue;
            double bend = 0;
            for (std::size_t i = span - degree + 1; i + 1 <= span; ++i) {
                const Point a = toSink.Apply(points[i - 1]), b = toSink.Apply(points[i]),
                            c = toSink.Apply(points[i + 1]);
                bend = std::max(bend, Length({a.x - 2 * b.x + c.x, a.y - 2 * b.y + c.y}));
            }
            if (weighted) {
                // Uneven weights crowd the parameter along the curve; bend more to make up.
                const auto [lightest, heaviest] = std::minmax_element(
                    spline.weights.begin() + (span - degree), spline.weights.begin() + span + 1);
                bend *= (*heaviest / *lightest) * (*heaviest / *lightest);
            }
            const int segments = SegmentsPerSpan(degree, bend);
            for (int j = first ? 0 : 1; j <= segments && !exhausted_; ++j) {
                const double t = j == segments ? to : from + (to - from) * j / segments;
                const Homogeneous h = DeBoor(control, knots, degree, span, t);
                if (!(h.w > 0)) continue;
                Append(toSink.Apply({h.x / h.w, h.y / h.w}));
            }
            first = false;
        }
        EndRun();
    }

    Homogeneous DeBoor(const std::vector<Homogeneous>& control, const std::vector<double>& knots,
                       int degree, std::size_t span, double t) {
        Spend(static_cast<std::uint64_t>(degree));  // evaluation costs grow with the degree
        std::array<Homogeneous, kMaxSplineDegree + 1> d;
        for (int j = 0; j <= degree; ++j) d[j] = control[j + span - degree];
        for (int r = 1; r <= degree; ++r) {
            for (int j = degree; j >= r; --j) {
                const std::size_t i = j + span - degree;
                const double denominator = knots[i + degree - r + 1] - knots[i];
                const double alpha = denominator > 0 ? (t - knots[i]) / denominator : 0;
                d[j] = Lerp(d[j - 1], d[j], alpha);
            }
        }
        return d[degree];
    }

    // A smooth curve through the points (Catmull-Rom, as cubic Bezier pieces).
    void DrawThrough(const std::vector<Point>& fit, bool closed, const Affine& toSink) {
        const std::size_t count = fit.size();
        const auto at = [&](std::size_t base, int step) {
            std::size_t i = base;
            if (step < 0) i = base > 0 ? base - 1 : (closed ? count - 1 : 0);
            if (step > 0)
                i = base + step < count ? base + step
                                        : (closed ? (base + step) % count : count - 1);
            return toSink.Apply(fit[i]);
        };
        const std::size_t pieces = closed ? count : count - 1;
        BeginRun();
        for (std::size_t piece = 0; piece < pieces && !exhausted_; ++piece) {
            const Point p0 = at(piece, -1), p1 = at(piece, 0), p2 = at(piece, 1), p3 = at(piece, 2);
            const Point b[4] = {p1,
                                {p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6},
                                {p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6},
                                p2};
            double bend = 0;
            for (int i = 1; i < 3; ++i) {
                bend = std::max(bend, Length({b[i - 1].x - 2 * b[i].x + b[i + 1].x,
                                              b[i - 1].y - 2 * b[i].y + b[i + 1].y}));
            }
            const int segments = SegmentsPerSpan(3, bend);
            for (int j = piece == 0 ? 0 : 1; j <= segments && !exhausted_; ++j) {
                const double t = static_cast<double>(j) / segments, s = 1 - t;
                const double w[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
                Append({w[0] * b[0].x + w[1] * b[1].x + w[2] * b[2].x + w[3] * b[3].x,
                        w[0] * b[0].y + w[1] * b[1].y + w[2] * b[2].y + w[3] * b[3].y});
            }
        }
        EndRun();
    }

    void BeginRun() { path_.clear(); }

    void Append(Point p) {
        if (!Spend(1)) return;
        path_.push_back(p);
        if (path_.size() < kRunChunk) return;
        EmitClipped(path_);
        path_.erase(path_.begin(), path_.end() - 1);
    }

    void EndRun() {
        EmitClipped(path_);
        path_.clear();
    }

    // Hands the run to the sink in the pieces that lie inside the clip square; a point that is
    // not finite or absurdly large breaks the run.
    void EmitClipped(std::span<const Point> points) {
        piece_.clear();
        for (std::size_t i = 1; i < points.size(); ++i) {
            const Point a = points[i - 1], b = points[i];
            double t0 = 0, t1 = 1;
            if (!IsSane(a) || !IsSane(b) || !ClipSegment(a, b, options_.clipLimit, t0, t1)) {
                FlushPiece();
                continue;
            }
            if (piece_.empty() || t0 > 0) {
                FlushPiece();
                piece_.push_back(t0 > 0 ? ClampedLerp(a, b, t0) : a);
            }
            piece_.push_back(t1 < 1 ? ClampedLerp(a, b, t1) : b);
            if (t1 < 1) FlushPiece();
        }
        FlushPiece();
    }

    // Between points far beyond the limit the interpolation loses its precision; holding the
    // result to the limit keeps the promise that nothing larger reaches the sink.
    Point ClampedLerp(Point a, Point b, double t) const {
        const Point p = Lerp(a, b, t);
        const double limit = options_.clipLimit;
        return {std::clamp(p.x, -limit, limit), std::clamp(p.y, -limit, limit)};
    }

    void FlushPiece() {
        if (piece_.size() >= 2) {
            UseColour();
            sink_.Polyline(piece_);
        }
        piece_.clear();
    }

    const WalkOptions& options_;
    PlotSink& sink_;
    std::uint64_t work_ = 0;
    bool exhausted_ = false;
    int colour_ = kDefaultLayerColour;
    int sinkColour_ = -1;
    std::vector<std::pair<const Drawing*, std::uint32_t>> active_;
    std::vector<Point> path_;
    std::vector<Point> piece_;
    std::vector<std::vector<Point>> loops_;  // a hatch's or solid's boundary in sink coordinates
    std::vector<double> crossings_;
    std::vector<Point> centre_;
    std::vector<Point> normals_;
};

class ExtentsSink final : public PlotSink {
  public:
    void SetColour(int) override {}
    void Polyline(std::span<const Point> points) override {
        for (const Point& p : points) Add(p);
    }
    void Dot(Point at) override { Add(at); }
    void Fill(std::span<const std::vector<Point>> loops) override {
        for (const std::vector<Point>& loop : loops) Polyline(loop);
    }
    void Label(Point at, double height, double directionDegrees, double widthFactor,
               std::string_view text) override {
        const double width = EstimatedTextWidth(height, widthFactor, text);
        const double radians = directionDegrees * kRadiansPerDegree;
        const Point along{std::cos(radians) * width, std::sin(radians) * width};
        const Point up{-std::sin(radians) * height, std::cos(radians) * height};
        Add(at);
        Add({at.x + along.x, at.y + along.y});
        Add({at.x + up.x, at.y + up.y});
        Add({at.x + along.x + up.x, at.y + along.y + up.y});
    }

    std::optional<Box> box;

  private:
    void Add(Point p) {
        if (!IsFinite(p)) return;
        if (!box) {
            box = Box{p, p};
            return;
        }
        box->min = {std::min(box->min.x, p.x), std::min(box->min.y, p.y)};
        box->max = {std::max(box->max.x, p.x), std::max(box->max.y, p.y)};
    }
};

}  // namespace

bool WalkDrawing(const Drawing& drawing, const WalkOptions& options, PlotSink& sink,
                 std::string& error) {
    return Walker(options, sink).Walk(drawing, error);
}

bool MeasureExtents(const Drawing& drawing, ReferenceSource* references,
                    std::optional<Box>& extents, std::string& error, std::uint64_t workBudget) {
    WalkOptions options;
    options.workBudget = workBudget;
    // Drawing units have no natural resolution: a fixed number of chords per turn keeps the
    // box of a curve within a fraction of a percent of its size, whatever its units.
    options.chordTolerance = std::numeric_limits<double>::infinity();
    options.minSegmentsPerTurn = 64;
    options.clipLimit = 1e150;
    options.references = references;
    ExtentsSink sink;
    if (!WalkDrawing(drawing, options, sink, error)) return false;
    extents = sink.box;
    return true;
}

std::string PlottedText(std::string_view text) {
    std::string out;
    for (const PlotterPiece& piece : ForPlotter(text, kLatin1Set).pieces) out += piece.bytes;
    return out;
}

double EstimatedTextWidth(double height, double widthFactor, std::string_view text) {
    return kCharacterWidth * height * widthFactor * static_cast<double>(PlottedText(text).size());
}

}  // namespace acadhpgl
