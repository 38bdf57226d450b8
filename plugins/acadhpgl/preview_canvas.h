#pragma once

// The preview sink: rasterises what the walker draws into the caller's one-bit bitmap (the
// layout of acadhpgl.h). It only sets bits, and only inside its clip rectangle, so the caller's
// white background and everything outside the preview area stay as they were.

#include <cstdint>
#include <span>
#include <vector>

#include "plugins/acadhpgl/acadhpgl.h"
#include "plugins/acadhpgl/plot_sink.h"

namespace acadhpgl {

class PreviewCanvas final : public PlotSink {
  public:
    // `clip` is in pixel coordinates (column, row from the top-left pixel, whole numbers at pixel
    // centres); it is cut down to the bitmap.
    PreviewCanvas(std::span<std::uint8_t, ACADHPGL_BITMAP_BYTES> bitmap, const Box& clip);

    void SetColour(int) override {}
    void Polyline(std::span<const Point> points) override;
    void Dot(Point at) override;
    // Pixels whose centres lie inside, row by row, and the outlines.
    void Fill(std::span<const std::vector<Point>> loops) override;
    // Text shows as the line it would stand on, as long as its estimated width.
    void Label(Point at, double height, double directionDegrees, double widthFactor,
               std::string_view text) override;

  private:
    void Line(Point from, Point to);
    void Set(std::int64_t column, std::int64_t row);

    std::span<std::uint8_t, ACADHPGL_BITMAP_BYTES> bitmap_;
    std::int64_t left_;
    std::int64_t top_;
    std::int64_t right_;
    std::int64_t bottom_;
    std::vector<double> crossings_;
};

}  // namespace acadhpgl
