#include "plugins/acadhpgl/dxf_multiline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <utility>

namespace acadhpgl {
namespace {

// What one record may hold, whatever counts it declares.
constexpr std::size_t kMaxVertices = 1'000'000;
constexpr std::size_t kMaxElements = 64;  // styles allow 16
constexpr std::size_t kMaxStretches = 256;
// Elements of all vertices of one record together: a record that declares more is read up to
// here, so that its memory stays a small multiple of what the file spends on it.
constexpr std::size_t kMaxElementsInAll = 4'000'000;

std::string Key(std::string_view text) {
    std::string key(text);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

// A style's colour number as an entity colour: BYLAYER and BYBLOCK give way to the MLINE's own.
std::optional<int> ElementColour(std::int64_t colour) {
    if (colour >= 1 && colour <= 255) return static_cast<int>(colour);
    return std::nullopt;
}

Point Plus(Point p, Point q, double times = 1) {
    return {p.x + q.x * times, p.y + q.y * times};
}

// The element's point at a vertex.
Point At(const MultiLine::Vertex& vertex, std::size_t element) {
    return Plus(vertex.at, vertex.mitre, vertex.elements[element].offset);
}

Polyline Run(std::vector<Point> points, bool closed) {
    Polyline line;
    line.closed = closed;
    for (const Point& p : points) line.vertices.push_back({p, 0});
    return line;
}

// A half circle from a to b, bowed towards `outward`. A bulge of +1 bows to the right of a-b.
Polyline HalfCircle(Point a, Point b, Point outward) {
    const Point chord{b.x - a.x, b.y - a.y};
    const double right = chord.y * outward.x - chord.x * outward.y;
    Polyline arc;
    arc.vertices = {{a, right >= 0 ? 1.0 : -1.0}, {b, 0}};
    return arc;
}

bool Trivial(const std::vector<double>& stretches) {
    return stretches.empty() || (stretches.size() == 1 && stretches[0] == 0);
}

// One element drawn piece by piece where it is broken.
void BrokenElement(const MultiLine& line, std::size_t element, std::vector<ColouredShape>& out,
                   std::optional<int> colour) {
    const std::size_t count = line.vertices.size();
    const std::size_t segments = line.closed ? count : count - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const Point from = At(line.vertices[i], element);
        const Point to = At(line.vertices[(i + 1) % count], element);
        const double length = std::hypot(to.x - from.x, to.y - from.y);
        if (!(length > 0)) continue;
        const Point unit{(to.x - from.x) / length, (to.y - from.y) / length};
        const std::vector<double>& s = line.vertices[i].elements[element].stretches;
        if (Trivial(s)) {
            out.push_back({Line{from, to}, colour});
            continue;
        }
        for (std::size_t k = 0; k < s.size(); k += 2) {
            const double begin = std::clamp(s[k], 0.0, length);
            const double end = std::clamp(k + 1 < s.size() ? s[k + 1] : length, 0.0, length);
            if (end > begin) {
                out.push_back({Line{Plus(from, unit, begin), Plus(from, unit, end)}, colour});
            }
        }
    }
}

}  // namespace

void MultiLineStyles::Define(DxfFields& f) {
    MultiLineStyle style;
    style.flags = static_cast<int>(f.Integer(70, 0));
    bool inElements = false;
    for (const DxfPair& pair : f.pairs()) {
        if (pair.code == 49) {
            inElements = true;
            if (style.elementColours.size() < kMaxElements) {
                style.elementColours.push_back(kColourByLayer);
            }
        }
        if (pair.code != 62) continue;
        const std::optional<std::int64_t> colour = pair.Integer();
        if (!colour) continue;
        const auto value = static_cast<int>(std::clamp<std::int64_t>(*colour, -1, 257));
        if (!inElements) {
            style.fillColour = value;
        } else if (!style.elementColours.empty()) {
            style.elementColours.back() = value;
        }
    }
    const std::size_t index = styles_.size();
    styles_.push_back(std::move(style));
    if (f.Has(5)) byHandle_.emplace(Key(f.Text(5)), index);
    if (f.Has(2)) byName_.emplace(Key(f.Text(2)), index);
}

const MultiLineStyle* MultiLineStyles::Find(std::string_view handle, std::string_view name) const {
    if (!handle.empty()) {
        const auto found = byHandle_.find(Key(handle));
        if (found != byHandle_.end()) return &styles_[found->second];
    }
    if (!name.empty()) {
        const auto found = byName_.find(Key(name));
        if (found != byName_.end()) return &styles_[found->second];
    }
    return nullptr;
}

std::optional<MultiLine> ReadMultiLine(DxfFields& f) {
    MultiLine line;
    const std::int64_t flags = f.Integer(71, 0);
    line.closed = (flags & 2) != 0;
    line.startCaps = (flags & 4) == 0;
    line.endCaps = (flags & 8) == 0;
    line.styleHandle = std::string(f.Text(340));
    line.styleName = std::string(f.Text(2));
    double expected = 0;  // parameters of the current element still to come
    bool first = false;   // the next one is the element's offset
    std::size_t elementsInAll = 0;
    for (const DxfPair& pair : f.pairs()) {
        const int code = pair.code;
        if (code != 11 && code != 21 && code != 12 && code != 22 && code != 13 && code != 23 &&
            code != 74 && code != 41) {
            continue;
        }
        const std::optional<double> value = pair.Real();
        if (!value || !std::isfinite(*value)) return std::nullopt;
        if (code == 11) {
            if (line.vertices.size() >= kMaxVertices) break;
            line.vertices.push_back({{*value, 0}, {}, {}, {}});
            expected = 0;
            continue;
        }
        if (line.vertices.empty()) continue;
        MultiLine::Vertex& vertex = line.vertices.back();
        if (code == 21) vertex.at.y = *value;
        if (code == 12) vertex.direction.x = *value;
        if (code == 22) vertex.direction.y = *value;
        if (code == 13) vertex.mitre.x = *value;
        if (code == 23) vertex.mitre.y = *value;
        if (code == 74) {
            expected = 0;
            if (vertex.elements.size() >= kMaxElements || elementsInAll >= kMaxElementsInAll) {
                continue;
            }
            ++elementsInAll;
            vertex.elements.emplace_back();
            expected = *value;
            first = true;
        }
        if (code == 41 && expected >= 1) {
            expected -= 1;
            MultiLine::Element& element = vertex.elements.back();
            if (first) {
                element.offset = *value;
                first = false;
            } else if (element.stretches.size() < kMaxStretches) {
                element.stretches.push_back(*value);
            }
        }
    }
    if (line.vertices.size() < 2) return std::nullopt;
    std::size_t elements = line.vertices[0].elements.size();
    for (const MultiLine::Vertex& vertex : line.vertices) {
        elements = std::min(elements, vertex.elements.size());
    }
    if (elements == 0) return std::nullopt;
    for (MultiLine::Vertex& vertex : line.vertices) vertex.elements.resize(elements);
    return line;
}

std::vector<ColouredShape> MultiLineShapes(const MultiLine& line, const MultiLineStyle* style) {
    std::vector<ColouredShape> out;
    const std::vector<MultiLine::Vertex>& vertices = line.vertices;
    const std::size_t count = vertices.size();
    if (count < 2 || vertices[0].elements.empty()) return out;
    const std::size_t elements = vertices[0].elements.size();
    const int flags = style != nullptr ? style->flags : 0;
    const auto colourOf = [&](std::size_t element) -> std::optional<int> {
        if (style == nullptr || element >= style->elementColours.size()) return std::nullopt;
        return ElementColour(style->elementColours[element]);
    };
    // The elements from the largest offset to the smallest, at the first and the last vertex.
    const auto order = [&](const MultiLine::Vertex& vertex) {
        std::vector<std::size_t> sorted(elements);
        std::iota(sorted.begin(), sorted.end(), std::size_t{0});
        std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
            return vertex.elements[a].offset > vertex.elements[b].offset;
        });
        return sorted;
    };
    const std::vector<std::size_t> sorted = order(vertices[0]);
    const std::size_t outer = sorted.front(), inner = sorted.back();
    const bool wide =
        elements > 1 && vertices[0].elements[outer].offset > vertices[0].elements[inner].offset;

    if ((flags & MultiLineStyle::kFill) != 0 && wide) {
        Hatch fill;
        fill.solid = true;
        std::vector<Point> left, right;
        for (const MultiLine::Vertex& vertex : vertices) {
            left.push_back(At(vertex, outer));
            right.push_back(At(vertex, inner));
        }
        if (line.closed) {
            fill.loops = {std::move(left), std::move(right)};
        } else {
            left.insert(left.end(), right.rbegin(), right.rend());
            fill.loops = {std::move(left)};
        }
        out.push_back({std::move(fill), ElementColour(style->fillColour)});
    }

    for (std::size_t e = 0; e < elements; ++e) {
        const bool broken = std::any_of(vertices.begin(), vertices.end(), [&](const auto& v) {
            return !Trivial(v.elements[e].stretches);
        });
        if (broken) {
            BrokenElement(line, e, out, colourOf(e));
            continue;
        }
        std::vector<Point> points;
        for (const MultiLine::Vertex& vertex : vertices) points.push_back(At(vertex, e));
        out.push_back({Run(std::move(points), line.closed), colourOf(e)});
    }
    if (!wide) return out;

    const std::optional<int> outerColour = colourOf(outer);
    if ((flags & MultiLineStyle::kJoints) != 0) {
        for (std::size_t i = line.closed ? 0 : 1; i < (line.closed ? count : count - 1); ++i) {
            out.push_back({Line{At(vertices[i], outer), At(vertices[i], inner)}, outerColour});
        }
    }
    if (line.closed) return out;

    // Caps close the ends across the elements: a line, a half circle joining the outermost
    // pair, half circles joining the pairs inside it.
    const auto caps = [&](const MultiLine::Vertex& vertex, Point outward, int lineFlag,
                          int outerFlag, int innerFlag) {
        const std::vector<std::size_t> byOffset = order(vertex);
        const Point a = At(vertex, byOffset.front()), b = At(vertex, byOffset.back());
        if ((flags & lineFlag) != 0) out.push_back({Line{a, b}, outerColour});
        if ((flags & outerFlag) != 0) out.push_back({HalfCircle(a, b, outward), outerColour});
        if ((flags & innerFlag) != 0) {
            for (std::size_t k = 1; k + 1 < elements - k; ++k) {
                out.push_back({HalfCircle(At(vertex, byOffset[k]),
                                          At(vertex, byOffset[elements - 1 - k]), outward),
                               colourOf(byOffset[k])});
            }
        }
    };
    const auto heading = [](const MultiLine::Vertex& from, Point to) {
        if (from.direction.x != 0 || from.direction.y != 0) return from.direction;
        return Point{to.x - from.at.x, to.y - from.at.y};
    };
    if (line.startCaps) {
        const Point d = heading(vertices[0], vertices[1].at);
        caps(vertices[0], {-d.x, -d.y}, MultiLineStyle::kStartLine, MultiLineStyle::kStartOuterArc,
             MultiLineStyle::kStartInnerArcs);
    }
    if (line.endCaps) {
        caps(vertices[count - 1], heading(vertices[count - 2], vertices[count - 1].at),
             MultiLineStyle::kEndLine, MultiLineStyle::kEndOuterArc, MultiLineStyle::kEndInnerArcs);
    }
    return out;
}

}  // namespace acadhpgl
