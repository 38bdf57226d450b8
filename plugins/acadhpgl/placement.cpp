#include "plugins/acadhpgl/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace acadhpgl {
namespace {

constexpr double kPlotterUnitsPerHundredth = kPlotterUnitsPerInch / 100;

bool IsFinite(const Box& box) {
    return std::isfinite(box.min.x) && std::isfinite(box.min.y) && std::isfinite(box.max.x) &&
           std::isfinite(box.max.y) && std::isfinite(box.max.x - box.min.x) &&
           std::isfinite(box.max.y - box.min.y);
}

Box TransformedBox(const Box& box, const Affine& transform) {
    const Point corners[] = {box.min, {box.max.x, box.min.y}, box.max, {box.min.x, box.max.y}};
    Box out{transform.Apply(corners[0]), transform.Apply(corners[0])};
    for (const Point& corner : corners) {
        const Point p = transform.Apply(corner);
        out.min = {std::min(out.min.x, p.x), std::min(out.min.y, p.y)};
        out.max = {std::max(out.max.x, p.x), std::max(out.max.y, p.y)};
    }
    return out;
}

// Uniform scale that makes `region` fill `area` in its tighter direction, centred. A region
// without extent in one direction is fitted by the other; a single point is drawn at scale 1.
Affine FitInto(const Box& region, const Box& area) {
    const double regionWidth = region.max.x - region.min.x;
    const double regionHeight = region.max.y - region.min.y;
    double scale = std::numeric_limits<double>::infinity();
    if (regionWidth > 0) scale = (area.max.x - area.min.x) / regionWidth;
    if (regionHeight > 0) scale = std::min(scale, (area.max.y - area.min.y) / regionHeight);
    if (!std::isfinite(scale)) scale = 1;
    const Point regionCentre{region.min.x / 2 + region.max.x / 2,
                             region.min.y / 2 + region.max.y / 2};
    const Point areaCentre{area.min.x / 2 + area.max.x / 2, area.min.y / 2 + area.max.y / 2};
    return Affine::Translation(-regionCentre.x, -regionCentre.y)
        .Then(Affine::Scaling(scale, scale))
        .Then(Affine::Translation(areaCentre.x, areaCentre.y));
}

// `scale` sink units per drawing unit with the region's lower-left corner at `origin`.
Affine PlaceAt(const Box& region, double scale, Point origin) {
    return Affine::Translation(-region.min.x, -region.min.y)
        .Then(Affine::Scaling(scale, scale))
        .Then(Affine::Translation(origin.x, origin.y));
}

// Plotter units per drawing unit in ratio mode; none when the ratio is unusable, which makes
// the plot fall back to fit rather than to nothing.
std::optional<double> RatioScale(const AcadRenderRecord& record) {
    if (!(record.drawingUnits > 0)) return std::nullopt;
    const double scale = record.plottedUnits / record.drawingUnits * kPlotterUnitsPerInch;
    if (!std::isfinite(scale) || scale <= 0) return std::nullopt;
    return scale;
}

// The preview always fits the turned region into the area's pixels. The fit is computed with y
// up (row 0 at the bottom) and flipped at the end, so that the drawing's y points up on the
// picture.
Placement PreviewPlacement(const AcadRenderRecord& record, const Box& turned, const Affine& turn) {
    const int lastRow = ACADHPGL_BITMAP_HEIGHT - 1;
    int x0 = std::clamp(record.areaX0, 1, ACADHPGL_BITMAP_WIDTH);
    int y0 = std::clamp(record.areaY0, 1, ACADHPGL_BITMAP_HEIGHT);
    int x1 = std::clamp(record.areaX1, 1, ACADHPGL_BITMAP_WIDTH);
    int y1 = std::clamp(record.areaY1, 1, ACADHPGL_BITMAP_HEIGHT);
    if (x1 < x0 || y1 < y0) {
        x0 = y0 = 1;
        x1 = ACADHPGL_BITMAP_WIDTH;
        y1 = ACADHPGL_BITMAP_HEIGHT;
    }
    const Box pixels{{x0 - 1.0, y0 - 1.0}, {x1 - 1.0, y1 - 1.0}};
    const Box upward{{pixels.min.x, lastRow - pixels.max.y},
                     {pixels.max.x, lastRow - pixels.min.y}};
    const Affine flip{1, 0, 0, -1, 0, static_cast<double>(lastRow)};
    return {turn.Then(FitInto(turned, upward)).Then(flip), pixels};
}

std::optional<Box> PaperArea(const AcadRenderRecord& record) {
    if (record.paperMode != ACADHPGL_PAPER_CUSTOM) return std::nullopt;
    double x0 = record.areaX0, y0 = record.areaY0, x1 = record.areaX1, y1 = record.areaY1;
    if (x1 <= x0 || y1 <= y0) {
        if (record.paperX <= 0 || record.paperY <= 0) return std::nullopt;
        x0 = y0 = 0;
        x1 = record.paperX;
        y1 = record.paperY;
    }
    return Box{{x0 * kPlotterUnitsPerHundredth, y0 * kPlotterUnitsPerHundredth},
               {x1 * kPlotterUnitsPerHundredth, y1 * kPlotterUnitsPerHundredth}};
}

}  // namespace

Affine Affine::Rotation(double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    const double c = std::cos(radians), s = std::sin(radians);
    return {c, -s, s, c, 0, 0};
}

Affine Affine::QuarterTurns(int turns) {
    switch (((turns % 4) + 4) % 4) {
        case 1:
            return {0, -1, 1, 0, 0, 0};
        case 2:
            return {-1, 0, 0, -1, 0, 0};
        case 3:
            return {0, 1, -1, 0, 0, 0};
        default:
            return {};
    }
}

double InchesPerUnit(int insertionUnits) {
    switch (insertionUnits) {
        case 1:
            return 1;
        case 2:
            return 12;
        case 5:
            return 1 / 2.54;
        case 6:
            return 1000 / 25.4;
        default:
            return 1 / 25.4;
    }
}

bool PlotsExtents(const AcadRenderRecord& record, const Drawing& drawing) {
    // Values other than the two known ones plot everything rather than guess at limits.
    return record.fitSubMode != ACADHPGL_REGION_LIMITS || !drawing.limits ||
           !IsFinite(*drawing.limits) || drawing.limits->max.x <= drawing.limits->min.x ||
           drawing.limits->max.y <= drawing.limits->min.y;
}

std::optional<Placement> ComputePlacement(const AcadRenderRecord& record, const Box& region,
                                          int insertionUnits, std::string& error) {
    if (!IsFinite(region) || region.max.x < region.min.x || region.max.y < region.min.y) {
        error = "the drawing's region is not usable (too large or not a number)";
        return std::nullopt;
    }
    const Affine turn = Affine::QuarterTurns(record.plotChoice <= 3 ? record.plotChoice : 0);
    const Box turned = TransformedBox(region, turn);
    if (record.outputKind == ACADHPGL_DRAW_PREVIEW) return PreviewPlacement(record, turned, turn);

    Placement placement;
    placement.area = PaperArea(record);
    const std::optional<double> ratio =
        record.scaleMode == ACADHPGL_SCALE_RATIO ? RatioScale(record) : std::nullopt;
    Affine place;
    if (placement.area) {
        place =
            ratio ? PlaceAt(turned, *ratio, placement.area->min) : FitInto(turned, *placement.area);
    } else {
        // Without paper the fit has nothing to fill: the drawing comes out at its own size.
        place = PlaceAt(
            turned, ratio ? *ratio : InchesPerUnit(insertionUnits) * kPlotterUnitsPerInch, {0, 0});
    }
    placement.toSink = turn.Then(place);
    const double offsetX = std::isfinite(record.offsetX) ? record.offsetX : 0;
    const double offsetY = std::isfinite(record.offsetY) ? record.offsetY : 0;
    placement.toSink = placement.toSink.Then(
        Affine::Translation(offsetX * kPlotterUnitsPerInch, offsetY * kPlotterUnitsPerInch));
    return placement;
}

}  // namespace acadhpgl
