// Reads arbitrary bytes as an HP-GL plot and draws the result into both kinds of picture. The
// reading must stop inside the file, keep its polylines well formed and its points finite, and
// drawing must stay inside the pictures. Small caps keep each run quick and reach the limits.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "render/hpgl_preview.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum;
    HpglLimits limits;
    limits.maxPoints = 200'000;
    limits.maxArcSteps = 100'000;
    limits.maxLabelCharacters = 20'000;
    limits.maxFillWork = 2'000'000;
    const HpglPlot plot = InterpretHpgl(std::span(data, size), limits);

    if (plot.stoppedAt > size) std::abort();
    if ((plot.outcome == HpglPlot::Outcome::Complete) != (plot.problem == 0)) std::abort();
    if (plot.pointCount() > limits.maxPoints || plot.points.size() % 2 != 0) std::abort();
    for (std::size_t i = 0; i < plot.lineStarts.size(); ++i) {
        if (plot.lineStarts[i] >= plot.pointCount()) std::abort();
        if (i > 0 && plot.lineStarts[i] <= plot.lineStarts[i - 1]) std::abort();
    }
    if (plot.hasInk() && (plot.lineStarts.empty() || plot.lineStarts.front() != 0)) std::abort();
    for (const HpglPlot::Fill& fill : plot.fills) {
        if (fill.firstLine >= fill.endLine || fill.endLine > plot.lineCount()) std::abort();
    }
    for (float value : plot.points) {
        if (!std::isfinite(value)) std::abort();
    }

    PreviewBitmap bitmap;
    DrawHpgl(plot, bitmap);
    // A picture whose shape follows the data, small so that runs stay fast.
    const int width = size > 0 ? 1 + data[0] % 97 : 1;
    const int height = size > 1 ? 1 + data[1] % 89 : 1;
    GreyPicture picture(width, height);
    DrawHpgl(plot, picture);
    if (plot.hasInk() != (bitmap.InkCount() > 0)) std::abort();
    (void)HpglProblemText(plot, "fuzz.plt");
    (void)LooksLikeHpgl(plot);
    return 0;
}
