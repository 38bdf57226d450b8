#include "plugins/acadhpgl/preview_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "plugins/acadhpgl/drawing_walker.h"

namespace acadhpgl {
namespace {

// Clips to the pixels' outer edges less a little, so that clipped ends still round into range.
constexpr double kEdge = 0.499;

std::int64_t PixelIndex(double value, std::int64_t lowest, std::int64_t highest) {
    if (!(value >= static_cast<double>(lowest))) return lowest;  // also not-a-number
    if (!(value <= static_cast<double>(highest))) return highest;
    return std::llround(value);
}

// Liang-Barsky against an axis-aligned rectangle; false when nothing of from-to lies inside.
bool Clip(Point& from, Point& to, double left, double top, double right, double bottom) {
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
        !std::isfinite(to.y)) {
        return false;
    }
    double t0 = 0, t1 = 1;
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {from.x - left, right - from.x, from.y - top, bottom - from.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    const Point start = from;
    from = {start.x + dx * t0, start.y + dy * t0};
    to = {start.x + dx * t1, start.y + dy * t1};
    return true;
}

}  // namespace

PreviewCanvas::PreviewCanvas(std::span<std::uint8_t, ACADHPGL_BITMAP_BYTES> bitmap, const Box& clip)
    : bitmap_(bitmap),
      left_(PixelIndex(std::ceil(clip.min.x), 0, ACADHPGL_BITMAP_WIDTH - 1)),
      top_(PixelIndex(std::ceil(clip.min.y), 0, ACADHPGL_BITMAP_HEIGHT - 1)),
      right_(PixelIndex(std::floor(clip.max.x), 0, ACADHPGL_BITMAP_WIDTH - 1)),
      bottom_(PixelIndex(std::floor(clip.max.y), 0, ACADHPGL_BITMAP_HEIGHT - 1)) {}

void PreviewCanvas::Polyline(std::span<const Point> points) {
    for (std::size_t i = 1; i < points.size(); ++i) Line(points[i - 1], points[i]);
}

void PreviewCanvas::Dot(Point at) {
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
    if (std::fabs(at.x) > 1e9 || std::fabs(at.y) > 1e9) return;
    Set(std::llround(at.x), std::llround(at.y));
}

void PreviewCanvas::Fill(std::span<const std::vector<Point>> loops) {
    for (std::int64_t row = top_; row <= bottom_; ++row) {
        const double y = static_cast<double>(row);
        crossings_.clear();
        for (const std::vector<Point>& loop : loops) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const Point a = loop[i], b = loop[(i + 1) % loop.size()];
                if ((a.y > y) == (b.y > y)) continue;
                crossings_.push_back(a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y));
            }
        }
        std::sort(crossings_.begin(), crossings_.end());
        for (std::size_t i = 0; i + 1 < crossings_.size(); i += 2) {
            if (!std::isfinite(crossings_[i]) || !std::isfinite(crossings_[i + 1])) continue;
            const std::int64_t from = PixelIndex(std::ceil(crossings_[i]), left_, right_ + 1);
            const std::int64_t to = PixelIndex(std::floor(crossings_[i + 1]), left_ - 1, right_);
            for (std::int64_t column = from; column <= to; ++column) Set(column, row);
        }
    }
    for (const std::vector<Point>& loop : loops) Polyline(loop);
}

void PreviewCanvas::Label(Point at, double height, double directionDegrees, double widthFactor,
                          std::string_view text) {
    const double width = EstimatedTextWidth(height, widthFactor, text);
    if (!(width > 0) || !std::isfinite(width)) return;
    // Pixel rows run downward: a counter-clockwise direction goes up the picture.
    const double radians = directionDegrees * std::numbers::pi / 180;
    Line(at, {at.x + std::cos(radians) * width, at.y - std::sin(radians) * width});
}

void PreviewCanvas::Line(Point from, Point to) {
    if (right_ < left_ || bottom_ < top_) return;
    if (!Clip(from, to, left_ - kEdge, top_ - kEdge, right_ + kEdge, bottom_ + kEdge)) return;
    std::int64_t x = PixelIndex(from.x, left_, right_), y = PixelIndex(from.y, top_, bottom_);
    const std::int64_t endX = PixelIndex(to.x, left_, right_);
    const std::int64_t endY = PixelIndex(to.y, top_, bottom_);
    const std::int64_t dx = std::llabs(endX - x), dy = -std::llabs(endY - y);
    const std::int64_t stepX = x < endX ? 1 : -1, stepY = y < endY ? 1 : -1;
    std::int64_t error = dx + dy;
    while (true) {
        Set(x, y);
        if (x == endX && y == endY) break;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void PreviewCanvas::Set(std::int64_t column, std::int64_t row) {
    if (column < left_ || column > right_ || row < top_ || row > bottom_) return;
    bitmap_[static_cast<std::size_t>(row) * ACADHPGL_BITMAP_ROW_BYTES +
            static_cast<std::size_t>(column / 8)] |=
        static_cast<std::uint8_t>(0x80u >> (column % 8));
}

}  // namespace acadhpgl
