// Reads arbitrary bytes as a drawing, ASCII or binary. Whatever the bytes, reading ends either
// with an error that says something or with a drawing the walker can trust: every index points
// into its list, every number is finite, every spline's knots fit its control points.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "plugins/acadhpgl/dxf_reader.h"

namespace {

using namespace acadhpgl;

void Require(bool condition) {
    if (!condition) std::abort();
}

bool Finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

struct ShapeCheck {
    const Drawing& drawing;
    void operator()(const Line& s) const { Require(Finite(s.start) && Finite(s.end)); }
    void operator()(const Polyline& s) const {
        Require(!s.vertices.empty());
        for (const PolylineVertex& v : s.vertices) Require(Finite(v.at) && std::isfinite(v.bulge));
        Require(s.widths.empty() || s.widths.size() == s.vertices.size());
        for (const SegmentWidth& w : s.widths)
            Require(std::isfinite(w.start) && std::isfinite(w.end));
    }
    void operator()(const Ray& s) const { Require(Finite(s.start) && Finite(s.direction)); }
    void operator()(const Hatch& s) const {
        Require(!s.loops.empty());
        for (const auto& loop : s.loops) {
            Require(loop.size() >= 3);
            for (Point p : loop) Require(Finite(p));
        }
        for (const HatchLine& l : s.lines) {
            Require(std::isfinite(l.angleDegrees) && Finite(l.base) && Finite(l.offset));
        }
    }
    void operator()(const Circle& s) const { Require(Finite(s.centre) && s.radius >= 0); }
    void operator()(const Arc& s) const {
        Require(Finite(s.centre) && s.radius >= 0 && std::isfinite(s.startDegrees) &&
                std::isfinite(s.endDegrees));
    }
    void operator()(const Ellipse& s) const {
        Require(Finite(s.centre) && Finite(s.majorAxis) && s.ratio > 0 && std::isfinite(s.ratio) &&
                !(s.majorAxis.x == 0 && s.majorAxis.y == 0));
    }
    void operator()(const PointMark& s) const { Require(Finite(s.at)); }
    void operator()(const Spline& s) const {
        for (Point p : s.controlPoints) Require(Finite(p));
        for (Point p : s.fitPoints) Require(Finite(p));
        if (s.controlPoints.empty()) {
            Require(s.fitPoints.size() >= 2);
            return;
        }
        Require(s.degree >= 1 && static_cast<std::size_t>(s.degree) < s.controlPoints.size());
        Require(s.knots.size() == s.controlPoints.size() + static_cast<std::size_t>(s.degree) + 1);
        for (std::size_t i = 1; i < s.knots.size(); ++i) Require(s.knots[i - 1] <= s.knots[i]);
        Require(s.weights.empty() || s.weights.size() == s.controlPoints.size());
        for (double w : s.weights) Require(w > 0 && std::isfinite(w));
    }
    void operator()(const Solid& s) const {
        for (Point p : s.corners) Require(Finite(p));
    }
    void operator()(const Text& s) const {
        Require(Finite(s.at) && s.height > 0 && std::isfinite(s.height) &&
                std::isfinite(s.rotationDegrees) && s.widthFactor > 0 &&
                std::isfinite(s.widthFactor) && std::fabs(s.obliqueDegrees) < 90);
        for (Point p : s.lineStarts) Require(Finite(p));
        if (!s.lineStarts.empty()) {
            Require(s.lineStarts.size() ==
                    1 + static_cast<std::size_t>(std::count(s.text.begin(), s.text.end(), '\n')));
        }
    }
    void operator()(const Insert& s) const {
        Require(s.block < drawing.blocks.size());
        Require(Finite(s.at) && std::isfinite(s.scaleX) && std::isfinite(s.scaleY) &&
                std::isfinite(s.rotationDegrees) && std::isfinite(s.columnSpacing) &&
                std::isfinite(s.rowSpacing));
        Require(s.columns >= 1 && s.rows >= 1);
    }
};

void CheckEntities(const Drawing& drawing, const std::vector<Entity>& entities) {
    for (const Entity& entity : entities) {
        Require(entity.layer < drawing.layers.size());
        Require(entity.colour >= kColourByBlock && entity.colour <= kColourByLayer);
        std::visit(ShapeCheck{drawing}, entity.shape);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DrawingFormat format = SniffDrawing(bytes);

    Drawing drawing;
    std::string error;
    if (!ReadDxf(bytes, drawing, error)) {
        Require(!error.empty() && drawing.entities.empty());
        return 0;
    }
    // What reads as a drawing begins like one.
    Require(format != DrawingFormat::NotDrawing || size > kSniffBytes);
    Require(!drawing.layers.empty() && drawing.layers[0].name == "0");
    for (const Layer& layer : drawing.layers) Require(layer.colour >= 1 && layer.colour <= 255);
    CheckEntities(drawing, drawing.entities);
    for (const Block& block : drawing.blocks) CheckEntities(drawing, block.entities);
    return 0;
}
