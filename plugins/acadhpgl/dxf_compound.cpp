#include "plugins/acadhpgl/dxf_compound.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>

#include "plugins/acadhpgl/mtext_text.h"

namespace acadhpgl {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;
// What one record may hold, whatever counts it declares.
constexpr std::size_t kMaxItems = 1'000'000;

std::optional<double> Number(const DxfPair& pair) {
    const std::optional<double> value = pair.Real();
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

Point Plus(Point p, Point q, double times = 1) {
    return {p.x + q.x * times, p.y + q.y * times};
}

Shape Segment(Point a, Point b) {
    return Polyline{{{a, 0}, {b, 0}}, false, {}, {}};
}

// The points of the pairs with codes xCode and xCode + 10, in order.
std::vector<Point> PointsOf(std::span<const DxfPair> pairs, int xCode, bool& bad) {
    std::vector<Point> points;
    for (const DxfPair& pair : pairs) {
        if (pair.code != xCode && pair.code != xCode + 10) continue;
        const std::optional<double> value = Number(pair);
        if (!value) {
            bad = true;
            return {};
        }
        if (pair.code == xCode) {
            if (points.size() < kMaxItems) points.push_back({*value, 0});
        } else if (!points.empty()) {
            points.back().y = *value;
        }
    }
    return points;
}

// IMAGE and WIPEOUT: a raster's frame, its clipping boundary when clipping is on. Boundary
// points are in pixels, y down from the top row, with the first pixel's centre at 0, 0.
std::vector<Shape> PictureFrame(DxfFields& f) {
    const Point at{f.Real(10, 0), f.Real(20, 0)};
    const Point u{f.Real(11, 1), f.Real(21, 0)};
    const Point v{f.Real(12, 0), f.Real(22, 1)};
    // Without its size in pixels a picture has no frame to draw.
    if (!f.Has(13) || !f.Has(23)) return {};
    const double width = f.Real(13, 1), height = f.Real(23, 1);
    if (!(width > 0) || !(height > 0)) return {};
    bool bad = f.bad();
    std::vector<Point> boundary = PointsOf(f.pairs(), 14, bad);
    if (bad) return {};
    const bool clipped = f.Integer(280, 0) != 0 || f.kind() == "WIPEOUT";
    if (!clipped || boundary.size() < 2) {
        boundary = {{-0.5, -0.5}, {width - 0.5, height - 0.5}};
    }
    if (boundary.size() == 2) {
        const Point a = boundary[0], b = boundary[1];
        boundary = {a, {b.x, a.y}, b, {a.x, b.y}};
    }
    const Point origin = Plus(Plus(at, u, 0.5), v, -0.5);
    Polyline frame;
    frame.closed = true;
    for (const Point& p : boundary) {
        frame.vertices.push_back({Plus(Plus(origin, u, p.x), v, height - p.y), 0});
    }
    return {Shape(std::move(frame))};
}

// An underlay's clipping boundary, in its own units before its scale and turn. Without one
// its size is in the underlaid file, which is not read.
std::vector<Shape> UnderlayFrame(DxfFields& f) {
    const Point at{f.Real(10, 0), f.Real(20, 0)};
    const double sx = f.Real(41, 1), sy = f.Real(42, 1);
    const double radians = f.Real(50, 0) / kDegrees;
    bool bad = f.bad();
    std::vector<Point> boundary = PointsOf(f.pairs(), 11, bad);
    if (bad || boundary.size() < 2) return {};
    if (boundary.size() == 2) {
        const Point a = boundary[0], b = boundary[1];
        boundary = {a, {b.x, a.y}, b, {a.x, b.y}};
    }
    Polyline frame;
    frame.closed = true;
    for (const Point& p : boundary) {
        const Point scaled{p.x * sx, p.y * sy};
        frame.vertices.push_back(
            {{at.x + scaled.x * std::cos(radians) - scaled.y * std::sin(radians),
              at.y + scaled.x * std::sin(radians) + scaled.y * std::cos(radians)},
             0});
    }
    return {Shape(std::move(frame))};
}

// A closed arrowhead with its tip at `tip`, pointing away from `from`.
std::optional<Shape> Arrowhead(Point tip, Point from, double size) {
    const Point d{tip.x - from.x, tip.y - from.y};
    const double length = std::hypot(d.x, d.y);
    if (!(length > 0) || !(size > 0)) return std::nullopt;
    const Point u{d.x / length, d.y / length};
    const Point base = Plus(tip, u, -size);
    const Point side{-u.y * size / 6, u.x * size / 6};
    Solid head;
    head.filled = true;
    head.corners = {tip, Plus(base, side), Plus(base, side, -1), Plus(base, side, -1)};
    return Shape(head);
}

// A multileader's block content: the block placed as an INSERT would place it, and the
// values of its attributes where the block's attribute definitions stand.
struct LeaderBlock {
    std::string handle;  // of the block record
    Insert insert;
    std::vector<std::pair<std::string, std::string>> attributes;  // definition handle, value
};

std::vector<Shape> BlockContent(const LeaderBlock& content, const CompoundLinks* links) {
    if (links == nullptr || !links->block || content.handle.empty()) return {};
    const std::optional<std::pair<std::uint32_t, Point>> block = links->block(content.handle);
    if (!block) return {};
    std::vector<Shape> shapes;
    Insert insert = content.insert;
    insert.block = block->first;
    shapes.push_back(insert);
    if (!links->attribute) return shapes;
    // Block coordinates to the leader's: less the base, scaled, turned, moved.
    const double radians = insert.rotationDegrees / kDegrees;
    const double c = std::cos(radians), s = std::sin(radians);
    const auto place = [&](Point p) {
        const Point scaled{(p.x - block->second.x) * insert.scaleX,
                           (p.y - block->second.y) * insert.scaleY};
        return Point{insert.at.x + scaled.x * c - scaled.y * s,
                     insert.at.y + scaled.x * s + scaled.y * c};
    };
    for (const auto& [handle, value] : content.attributes) {
        std::optional<Text> text = links->attribute(handle, value);
        if (!text) continue;
        text->at = place(text->at);
        text->height *= std::fabs(insert.scaleY);
        if (insert.scaleY != 0) text->widthFactor *= std::fabs(insert.scaleX / insert.scaleY);
        text->rotationDegrees = std::fmod(text->rotationDegrees + insert.rotationDegrees, 360);
        if (text->rotationDegrees < 0) text->rotationDegrees += 360;
        shapes.push_back(std::move(*text));
    }
    return shapes;
}

// MULTILEADER: its leader lines with their arrowheads, doglegs and its text or block. The
// drawing's own values are those of its context data; the same codes outside it are the
// style's overrides (41 the dogleg length, 43 the block's turn), which must not be taken for
// the text's height or width.
std::vector<Shape> MultiLeader(DxfFields& f, const DxfTextDefaults& defaults,
                               const CompoundLinks* links) {
    std::vector<Shape> shapes;
    LeaderBlock block;
    bool hasBlock = false, inContext = false, inLeaderData = false;
    std::string entityBlock;  // the block record handle outside the context data
    std::string attributeHandle;
    std::string text;
    Point textAt{}, textDirection{1, 0};
    double textHeight = defaults.height, arrowSize = 0, textWidth = 0;
    bool inLeader = false, inLine = false, haveText = false;
    Point last{}, dogleg{1, 0};
    double doglegLength = 0;
    bool haveLast = false;
    std::vector<Point> line;
    std::vector<std::vector<Point>> lines;
    const auto endLeader = [&] {
        for (std::vector<Point>& run : lines) {
            if (haveLast) run.push_back(last);
            if (run.size() < 2) continue;
            if (std::optional<Shape> head = Arrowhead(run[0], run[1], arrowSize)) {
                shapes.push_back(*head);
            }
            Polyline polyline;
            for (const Point& p : run) polyline.vertices.push_back({p, 0});
            shapes.push_back(std::move(polyline));
        }
        if (haveLast && doglegLength > 0) {
            shapes.push_back(Segment(last, Plus(last, dogleg, doglegLength)));
        }
        lines.clear();
        haveLast = false;
        doglegLength = 0;
    };
    for (const DxfPair& pair : f.pairs()) {
        const int code = pair.code;
        if (code == 100) inLeaderData = pair.text == "AcDbMLeader";
        if (code == 300 && pair.text == "CONTEXT_DATA{") {
            inContext = true;
            continue;
        }
        if (code == 301 && inContext && !inLeader) {
            inContext = false;
            continue;
        }
        if (!inContext) {
            // The entity's own part: the block record again, and the attributes' values.
            if (code == 344) entityBlock = std::string(pair.text);
            if (code == 330 && inLeaderData) attributeHandle = std::string(pair.text);
            if (code == 302 && !attributeHandle.empty() && block.attributes.size() < kMaxItems) {
                block.attributes.emplace_back(std::move(attributeHandle), std::string(pair.text));
                attributeHandle.clear();
            }
            continue;
        }
        if (!inLeader && !inLine) {
            if (code == 296) hasBlock = pair.Integer().value_or(0) != 0;
            if (code == 341) block.handle = std::string(pair.text);
            constexpr int kBlock[] = {15, 25, 16, 26, 46};
            if (std::find(std::begin(kBlock), std::end(kBlock), code) != std::end(kBlock)) {
                const std::optional<double> value = Number(pair);
                if (!value) return {};
                if (code == 15) block.insert.at.x = *value;
                if (code == 25) block.insert.at.y = *value;
                if (code == 16) block.insert.scaleX = *value;
                if (code == 26) block.insert.scaleY = *value;
                if (code == 46) block.insert.rotationDegrees = *value * kDegrees;
                continue;
            }
        }
        if (code == 302 && pair.text == "LEADER{") {
            inLeader = true;
            continue;
        }
        if (code == 304 && pair.text == "LEADER_LINE{") {
            inLine = true;
            line.clear();
            continue;
        }
        if (code == 305 && inLine) {
            inLine = false;
            if (lines.size() < kMaxItems) lines.push_back(std::move(line));
            line.clear();
            continue;
        }
        if (code == 303 && inLeader) {
            inLeader = false;
            endLeader();
            continue;
        }
        if (code == 304 && !inLeader) {
            text = std::string(pair.text);
            haveText = true;
            continue;
        }
        constexpr int kRead[] = {10, 20, 11, 21, 12, 22, 13, 23, 40, 41, 43, 140};
        if (std::find(std::begin(kRead), std::end(kRead), code) == std::end(kRead)) continue;
        const std::optional<double> value = Number(pair);
        if (!value) return {};
        if (inLine) {
            if (code == 10 && line.size() < kMaxItems) line.push_back({*value, 0});
            if (code == 20 && !line.empty()) line.back().y = *value;
        } else if (inLeader) {
            if (code == 10) last.x = *value, haveLast = true;
            if (code == 20) last.y = *value;
            if (code == 11) dogleg.x = *value;
            if (code == 21) dogleg.y = *value;
            if (code == 40) doglegLength = *value;
        } else {
            if (code == 41) textHeight = *value > 0 ? *value : textHeight;
            if (code == 140) arrowSize = *value;
            if (code == 12) textAt.x = *value;
            if (code == 22) textAt.y = *value;
            if (code == 13) textDirection.x = *value;
            if (code == 23) textDirection.y = *value;
            if (code == 43) textWidth = *value;
        }
    }
    if (inLeader) endLeader();
    if (hasBlock || !block.handle.empty()) {
        if (block.handle.empty()) block.handle = std::move(entityBlock);
        for (Shape& shape : BlockContent(block, links)) shapes.push_back(std::move(shape));
    }
    if (haveText) {
        std::string plain = PlainMText(text, defaults.codePage);
        if (textWidth > 0) plain = WrapText(plain, EstimatedCharacters(textWidth, textHeight));
        if (plain.find_first_not_of(" \n") != std::string::npos) {
            // The text location is the top left corner of the first line.
            const double degrees = (textDirection.x == 0 && textDirection.y == 0)
                                       ? 0
                                       : std::atan2(textDirection.y, textDirection.x) * kDegrees;
            const Point up{-std::sin(degrees / kDegrees), std::cos(degrees / kDegrees)};
            Text label;
            label.at = Plus(textAt, up, -textHeight);
            label.height = textHeight;
            label.rotationDegrees = degrees < 0 ? degrees + 360 : degrees;
            label.text = std::move(plain);
            shapes.push_back(std::move(label));
        }
    }
    return shapes;
}

// MESH: its edges when it lists them, else the edges of its faces (level 0, before smoothing).
std::vector<Shape> Mesh(DxfFields& f) {
    std::vector<Point> vertices;
    std::vector<std::int64_t> faceList, edgeList;
    enum { None, Faces, Edges } list = None;
    for (const DxfPair& pair : f.pairs()) {
        const int code = pair.code;
        if (code == 93) list = Faces;
        if (code == 94) list = Edges;
        if (code == 95) list = None;
        if (code != 10 && code != 20 && code != 90) continue;
        const std::optional<double> value = Number(pair);
        if (!value) return {};
        if (code == 10 && vertices.size() < kMaxItems) vertices.push_back({*value, 0});
        if (code == 20 && !vertices.empty()) vertices.back().y = *value;
        if (code == 90 && list == Faces && faceList.size() < kMaxItems) {
            faceList.push_back(static_cast<std::int64_t>(*value));
        }
        if (code == 90 && list == Edges && edgeList.size() < kMaxItems) {
            edgeList.push_back(static_cast<std::int64_t>(*value));
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> edges;
    const auto add = [&](std::int64_t a, std::int64_t b) {
        if (a < 0 || b < 0 || a == b) return;
        const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
        if (i < vertices.size() && j < vertices.size())
            edges.emplace_back(std::min(i, j), std::max(i, j));
    };
    if (edgeList.size() >= 2) {
        for (std::size_t i = 0; i + 1 < edgeList.size(); i += 2) add(edgeList[i], edgeList[i + 1]);
    } else {
        for (std::size_t i = 0; i < faceList.size();) {
            const std::int64_t count = faceList[i];
            if (count < 2 || static_cast<std::size_t>(count) > faceList.size() - i - 1) break;
            const auto n = static_cast<std::size_t>(count);
            for (std::size_t k = 0; k < n; ++k)
                add(faceList[i + 1 + k], faceList[i + 1 + (k + 1) % n]);
            i += n + 1;
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<Shape> shapes;
    for (const auto& [a, b] : edges) shapes.push_back(Segment(vertices[a], vertices[b]));
    return shapes;
}

}  // namespace

bool IsCompoundKind(std::string_view kind) {
    return kind == "IMAGE" || kind == "WIPEOUT" || kind == "MULTILEADER" || kind == "MLEADER" ||
           kind == "MESH" || kind.ends_with("UNDERLAY");
}

std::vector<Shape> BuildShapes(DxfFields& fields, const DxfTextDefaults& defaults,
                               const CompoundLinks* links) {
    const std::string_view kind = fields.kind();
    std::vector<Shape> shapes;
    if (kind == "IMAGE" || kind == "WIPEOUT") shapes = PictureFrame(fields);
    if (kind.ends_with("UNDERLAY")) shapes = UnderlayFrame(fields);
    if (kind == "MULTILEADER" || kind == "MLEADER") shapes = MultiLeader(fields, defaults, links);
    if (kind == "MESH") shapes = Mesh(fields);
    if (fields.bad()) return {};
    return shapes;
}

}  // namespace acadhpgl
