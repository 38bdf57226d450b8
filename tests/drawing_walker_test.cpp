#include "plugins/acadhpgl/drawing_walker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace acadhpgl {
namespace {

struct Item {
    enum Kind { Run, Dot, Label } kind;
    int colour;
    std::vector<Point> points;  // the run, the dot, or the label's corner
    double height = 0;
    double degrees = 0;
    std::string text;
};

class RecordingSink final : public PlotSink {
  public:
    void SetColour(int colour) override { colour_ = colour; }
    void Polyline(std::span<const Point> points) override {
        items.push_back({Item::Run, colour_, {points.begin(), points.end()}, 0, 0, {}});
    }
    void Dot(Point at) override { items.push_back({Item::Dot, colour_, {at}, 0, 0, {}}); }
    void Label(Point at, double height, double degrees, double, std::string_view text) override {
        items.push_back({Item::Label, colour_, {at}, height, degrees, std::string(text)});
    }

    std::vector<Item> items;

  private:
    int colour_ = 0;
};

Entity Put(Shape shape, std::int16_t colour = kColourByLayer, std::uint32_t layer = 0) {
    return Entity{layer, colour, std::move(shape)};
}

Layer MakeLayer(const char* name, std::int16_t colour = kDefaultLayerColour, bool frozen = false,
                bool off = false) {
    return Layer{name, colour, frozen, off};
}

Block MakeBlock(std::vector<Entity> entities, Point base = {}, std::string externalPath = {}) {
    return Block{"b", base, std::move(entities), std::move(externalPath), true};
}

Drawing WithModel(std::vector<Entity> entities) {
    Drawing drawing;
    drawing.layers.push_back(MakeLayer("0"));
    drawing.entities = std::move(entities);
    return drawing;
}

Insert InsertOf(std::uint32_t block, Point at = {}, double scale = 1, double degrees = 0) {
    Insert insert;
    insert.block = block;
    insert.at = at;
    insert.scaleX = insert.scaleY = scale;
    insert.rotationDegrees = degrees;
    return insert;
}

std::vector<Item> Walk(const Drawing& drawing, WalkOptions options = {}) {
    RecordingSink sink;
    std::string error;
    EXPECT_TRUE(WalkDrawing(drawing, options, sink, error)) << error;
    return sink.items;
}

double Distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// --- Flattening: each shape's chords land on the shape -------------------------------------

// The shortest distance from `p` to the run.
double DistanceToRun(Point p, const std::vector<Point>& run) {
    double best = INFINITY;
    for (std::size_t i = 1; i < run.size(); ++i) {
        const Point a = run[i - 1], b = run[i];
        const double length2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
        double t =
            length2 > 0 ? ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, Distance(p, {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}));
    }
    return best;
}

struct ShapeRow {
    const char* name;
    Shape shape;
    Point first;
    Point last;
    Point through;  // the run passes within half a unit of it
    // When radius > 0, every point lies on this circle and no chord strays half a unit from it.
    Point centre = {};
    double radius = 0;
};

class WalkerFlatteningTest : public testing::TestWithParam<ShapeRow> {};

TEST_P(WalkerFlatteningTest, LandsOnTheShape) {
    const ShapeRow& row = GetParam();
    const auto items = Walk(WithModel({Put(row.shape)}));
    ASSERT_EQ(items.size(), 1u);
    const std::vector<Point>& points = items[0].points;
    ASSERT_GE(points.size(), 2u);
    EXPECT_LT(Distance(points.front(), row.first), 1e-9);
    EXPECT_LT(Distance(points.back(), row.last), 1e-9);
    EXPECT_LT(DistanceToRun(row.through, points), 0.5);
    if (row.radius == 0) return;
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(Distance(points[i], row.centre), row.radius, 1e-6) << "point " << i;
        if (i == 0) continue;
        const Point middle{(points[i - 1].x + points[i].x) / 2,
                           (points[i - 1].y + points[i].y) / 2};
        EXPECT_LE(row.radius - Distance(middle, row.centre), 0.5) << "chord " << i;
    }
}

Spline RationalQuarterCircle(double radius) {
    Spline spline;
    spline.degree = 2;
    spline.controlPoints = {{radius, 0}, {radius, radius}, {0, radius}};
    spline.weights = {1, std::numbers::sqrt2 / 2, 1};
    spline.knots = {0, 0, 0, 1, 1, 1};
    return spline;
}

Spline Controlled(std::vector<Point> points, std::vector<double> knots) {
    Spline spline;
    spline.controlPoints = std::move(points);
    spline.knots = std::move(knots);
    return spline;
}

Spline Fitted(std::vector<Point> points) {
    Spline spline;
    spline.fitPoints = std::move(points);
    return spline;
}

Polyline Bulged(double bulge) {
    return Polyline{{{{0, 0}, bulge}, {{20, 0}, 0}}, false, {}, {}};
}

const double kHalfTurn = std::numbers::pi;

// clang-format off
const ShapeRow kShapes[] = {
    {"lineEndsExactly", Line{{1, 2}, {3, 4}}, {1, 2}, {3, 4}, {2, 3}},
    {"arcQuarterEndsOnYAxis", Arc{{0, 0}, 10, 0, 90}, {10, 0}, {0, 10}, {7.07, 7.07}, {0, 0}, 10},
    {"arcAcrossZeroDegrees", Arc{{5, 5}, 100, 270, 90}, {5, -95}, {5, 105}, {105, 5}, {5, 5}, 100},
    {"circleCloses", Circle{{0, 0}, 400}, {400, 0}, {400, 0}, {-400, 0}, {0, 0}, 400},
    {"ellipseHalfTurnsLeft", Ellipse{{0, 0}, {0, 50}, 0.5, 0, kHalfTurn}, {0, 50}, {0, -50},
     {-25, 0}},
    // Counter-clockwise from (0,0) to (20,0) passes below the chord.
    {"positiveBulgeBelow", Bulged(1), {0, 0}, {20, 0}, {10, -10}, {10, 0}, 10},
    {"negativeBulgeAbove", Bulged(-1), {0, 0}, {20, 0}, {10, 10}, {10, 0}, 10},
    {"smallBulge", Bulged(0.25), {0, 0}, {20, 0}, {10, -2.5}, {10, 18.75}, 21.25},
    {"closedPolylineReturns", Polyline{{{{0, 0}}, {{10, 0}}, {{10, 10}}}, true, {}, {}}, {0, 0}, {0, 0},
     {5, 5}},
    {"rationalSplineIsCircle", RationalQuarterCircle(300), {300, 0}, {0, 300}, {212.13, 212.13},
     {0, 0}, 300},
    {"badKnotsGiveClampedEnds", Controlled({{0, 0}, {10, 20}, {30, 20}, {40, 0}}, {0, 1, 2}),
     {0, 0}, {40, 0}, {20, 15}},
    {"fitPointsAreOnTheCurve", Fitted({{0, 0}, {100, 100}, {200, 0}}), {0, 0}, {200, 0},
     {100, 100}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, WalkerFlatteningTest, testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WalkerFlatteningTest, SolidOutlineRunsCornersOneTwoFourThree) {
    const auto items = Walk(WithModel({Put(Solid{{{{0, 0}, {10, 0}, {0, 10}, {10, 10}}}})}));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].points, (std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
}

struct TurnRow {
    const char* name;
    double radius;
    double scale;  // drawing to sink
    std::size_t segments;
};

class WalkerSegmentsPerTurnTest : public testing::TestWithParam<TurnRow> {};

TEST_P(WalkerSegmentsPerTurnTest, FollowTheSizeInTheSink) {
    WalkOptions options;
    options.toSink = Affine::Scaling(GetParam().scale, GetParam().scale);
    const auto items = Walk(WithModel({Put(Circle{{0, 0}, GetParam().radius})}), options);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].points.size() - 1, GetParam().segments);
}

const TurnRow kTurns[] = {
    {"tinyCircleKeepsEight", 0.01, 1, 8},
    {"hugeCircleCappedAt4096", 1e7, 1, 4096},
    {"radius1000", 1000, 1, 100},
    {"scaledUpCountsInSinkUnits", 1, 1000, 100},
};
INSTANTIATE_TEST_SUITE_P(Rows, WalkerSegmentsPerTurnTest, testing::ValuesIn(kTurns),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Blocks ---------------------------------------------------------------------------------

TEST(WalkerInsertTest, NestedScaleAndRotationCompose) {
    Drawing drawing = WithModel({});
    const Block inner = MakeBlock({Put(Line{{1, 0}, {2, 0}})}, {1, 0});
    const Block outer = MakeBlock({Put(InsertOf(0, {5, 0}, 2, 90))});
    drawing.blocks = {inner, outer};
    drawing.entities = {Put(InsertOf(1, {100, 100}, 3, 0))};
    const auto items = Walk(drawing);
    ASSERT_EQ(items.size(), 1u);
    // inner: (1,0)-(2,0) less base (1,0) = (0,0)-(1,0); x2, turned 90: (0,0)-(0,2); at (5,0):
    // (5,0)-(5,2); x3 and at (100,100): (115,100)-(115,106).
    EXPECT_LT(Distance(items[0].points[0], {115, 100}), 1e-9);
    EXPECT_LT(Distance(items[0].points[1], {115, 106}), 1e-9);
}

TEST(WalkerInsertTest, MinsertGridRunsAlongTheRotatedAxes) {
    Drawing drawing = WithModel({});
    drawing.blocks = {MakeBlock({Put(PointMark{{0, 0}})})};
    Insert grid = InsertOf(0, {10, 10}, 5, 90);
    grid.columns = 3;
    grid.rows = 2;
    grid.columnSpacing = 1;
    grid.rowSpacing = 4;
    drawing.entities = {Put(grid)};
    const auto items = Walk(drawing);
    ASSERT_EQ(items.size(), 6u);
    // Columns step along the turned x axis (up), rows along the turned y axis (left); the
    // spacing is not scaled.
    const Point expected[] = {{10, 10}, {10, 11}, {10, 12}, {6, 10}, {6, 11}, {6, 12}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_LT(Distance(items[i].points[0], expected[i]), 1e-9) << i;
    }
}

struct CycleRow {
    const char* name;
    std::vector<std::vector<std::uint32_t>> inserts;  // per block, the blocks it inserts
    std::size_t runs;
};

class WalkerCycleTest : public testing::TestWithParam<CycleRow> {};

TEST_P(WalkerCycleTest, FinishesDrawingEachBlockOncePerPath) {
    Drawing drawing = WithModel({});
    for (const auto& targets : GetParam().inserts) {
        Block block = MakeBlock({Put(Line{{0, 0}, {1, 1}})});
        for (std::uint32_t target : targets) block.entities.push_back(Put(InsertOf(target)));
        drawing.blocks.push_back(block);
    }
    drawing.entities = {Put(InsertOf(0))};
    EXPECT_EQ(Walk(drawing).size(), GetParam().runs);
}

const CycleRow kCycles[] = {
    {"insertsItself", {{0}}, 1},
    {"throughAnother", {{1}, {0}}, 2},
    {"throughTwoOthers", {{1}, {2}, {0}}, 3},
    {"missingBlockIgnored", {{7}}, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, WalkerCycleTest, testing::ValuesIn(kCycles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WalkerInsertTest, ExponentialNestingStopsWithinTheBudget) {
    // 40 levels of ten inserts each: 10^40 lines if nothing stopped it.
    Drawing drawing = WithModel({});
    for (std::uint32_t level = 0; level < 40; ++level) {
        Block block = MakeBlock({Put(Line{{0, 0}, {1, 0}})});
        for (int i = 0; i < 10; ++i)
            block.entities.push_back(Put(InsertOf(level + 1, {1.0 * i, 0})));
        drawing.blocks.push_back(block);
    }
    drawing.entities = {Put(InsertOf(0))};
    WalkOptions options;
    options.workBudget = 200'000;
    RecordingSink sink;
    std::string error;
    EXPECT_FALSE(WalkDrawing(drawing, options, sink, error));
    EXPECT_FALSE(error.empty());
    EXPECT_LT(sink.items.size(), options.workBudget);

    std::optional<Box> extents;
    EXPECT_FALSE(MeasureExtents(drawing, nullptr, extents, error, options.workBudget));
}

TEST(WalkerInsertTest, NestingDeeperThanTheLimitIsCut) {
    Drawing drawing = WithModel({});
    for (std::uint32_t level = 0; level < 100; ++level) {
        drawing.blocks.push_back(MakeBlock({Put(Line{{0, 0}, {1, 0}}), Put(InsertOf(level + 1))}));
    }
    drawing.entities = {Put(InsertOf(0))};
    EXPECT_EQ(Walk(drawing).size(), 32u);
}

// --- Colours and layers ---------------------------------------------------------------------

struct ColourRow {
    const char* name;
    std::int16_t entityColour;
    std::uint32_t entityLayer;
    std::int16_t insertColour;  // < 0: the entity is in model space
    std::uint32_t insertLayer;
    int expectedColour;  // 0: nothing drawn
};

class WalkerColourTest : public testing::TestWithParam<ColourRow> {};

TEST_P(WalkerColourTest, ResolvesLikeTheDrawingSays) {
    const ColourRow& row = GetParam();
    Drawing drawing;
    drawing.layers = {MakeLayer("0", 2), MakeLayer("RED", 1), MakeLayer("GONE", 3, true, false),
                      MakeLayer("DARK", 4, false, true), MakeLayer("WEIRD", 999)};
    const Entity line = Put(Line{{0, 0}, {1, 0}}, row.entityColour, row.entityLayer);
    if (row.insertColour < 0) {
        drawing.entities = {line};
    } else {
        drawing.blocks = {MakeBlock({line})};
        drawing.entities = {Put(InsertOf(0), row.insertColour, row.insertLayer)};
    }
    const auto items = Walk(drawing);
    if (row.expectedColour == 0) {
        EXPECT_TRUE(items.empty());
        return;
    }
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].colour, row.expectedColour);
}

const ColourRow kColours[] = {
    {"byLayer", kColourByLayer, 1, -1, 0, 1},
    {"explicitWins", 6, 1, -1, 0, 6},
    {"byBlockAtTopIsSeven", kColourByBlock, 1, -1, 0, 7},
    {"layerZeroAtTopIsItself", kColourByLayer, 0, -1, 0, 2},
    {"outOfRangeLayerColourIsSeven", kColourByLayer, 4, -1, 0, 7},
    {"badLayerIndexIsLayerZero", kColourByLayer, 42, -1, 0, 2},
    {"byBlockTakesInsertColour", kColourByBlock, 1, 5, 0, 5},
    {"byBlockTakesInsertLayerColour", kColourByBlock, 1, kColourByLayer, 1, 1},
    {"layerZeroInBlockTakesInsertLayer", kColourByLayer, 0, kColourByLayer, 1, 1},
    {"otherLayerInBlockKeepsItsOwn", kColourByLayer, 1, 5, 0, 1},
    {"frozenLayerHidden", kColourByLayer, 2, -1, 0, 0},
    {"offLayerHidden", 6, 3, -1, 0, 0},
    {"insertOnFrozenLayerHidesAll", 6, 1, 6, 2, 0},
    {"frozenLayerInsideBlockHidden", kColourByLayer, 2, 5, 1, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, WalkerColourTest, testing::ValuesIn(kColours),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WalkerColourTest, LayerZeroInheritsThroughNestedBlocks) {
    Drawing drawing;
    drawing.layers = {MakeLayer("0", 2, true, false), MakeLayer("BLUE", 5)};
    // Layer "0" itself is frozen, but inside blocks it stands for the insert's layer.
    drawing.blocks = {MakeBlock({Put(Line{{0, 0}, {1, 0}})}),
                      MakeBlock({Put(InsertOf(0), kColourByBlock, 0)})};
    drawing.entities = {Put(InsertOf(1), kColourByLayer, 1)};
    const auto items = Walk(drawing);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].colour, 5);
}

// --- External references --------------------------------------------------------------------

class FakeReferences final : public ReferenceSource {
  public:
    const Drawing* Referenced(const Drawing&, std::uint32_t) override { return answer; }
    const Drawing* answer = nullptr;
};

TEST(WalkerReferenceTest, DrawsTheReferencedModelSpaceWithItsOwnLayers) {
    Drawing part;
    part.layers = {MakeLayer("0"), MakeLayer("PART", 3)};
    part.entities = {Put(Line{{0, 0}, {1, 0}}, kColourByLayer, 1)};
    Drawing host;
    host.layers = {MakeLayer("0"), MakeLayer("PART", 6)};
    host.blocks = {MakeBlock({}, {}, "C:\\parts\\part.dwg")};
    host.entities = {Put(InsertOf(0, {10, 0}, 2))};
    FakeReferences references;
    references.answer = &part;
    WalkOptions options;
    options.references = &references;
    const auto items = Walk(host, options);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].colour, 3);
    EXPECT_EQ(items[0].points[1], (Point{12, 0}));
}

TEST(WalkerReferenceTest, DrawingReferringToItselfFinishes) {
    Drawing host = WithModel({Put(Line{{0, 0}, {1, 0}})});
    host.blocks = {MakeBlock({}, {}, "self.dxf")};
    host.entities.push_back(Put(InsertOf(0)));
    FakeReferences references;
    references.answer = &host;
    WalkOptions options;
    options.references = &references;
    EXPECT_EQ(Walk(host, options).size(), 1u);
}

// --- Text, clipping and extents -------------------------------------------------------------

TEST(WalkerTextTest, LinesStackDownwardAlongTheRotatedAxis) {
    WalkOptions options;
    options.toSink = Affine::Scaling(2, 2);
    const auto items = Walk(WithModel({Put(Text{{10, 0}, 5, 90, 1, "ONE\nTWO\n\nFOUR"})}), options);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "ONE");
    EXPECT_EQ(items[2].text, "FOUR");
    EXPECT_DOUBLE_EQ(items[0].height, 10);
    EXPECT_NEAR(items[0].degrees, 90, 1e-9);
    // Turned 90 degrees, "down" the text is +x: 1.5 x height per line.
    EXPECT_NEAR(items[1].points[0].x, 2 * (10 + 7.5), 1e-9);
    EXPECT_NEAR(items[2].points[0].x, 2 * (10 + 22.5), 1e-9);
    EXPECT_NEAR(items[2].points[0].y, 0, 1e-9);
}

TEST(WalkerClipTest, HugeAndBrokenCoordinatesNeverReachTheSink) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto items = Walk(WithModel({
        Put(Line{{0, 0}, {1e12, 0}}),
        Put(Line{{nan, 0}, {1, 1}}),
        Put(Line{{1e300, 1e300}, {-1e300, -1e300}}),
        Put(Circle{{0, 0}, inf}),
        Put(Arc{{0, 0}, 1, nan, 90}),
        Put(PointMark{{1e20, 0}}),
        Put(Text{{0, 0}, nan, 0, 1, "X"}),
        Put(Polyline{{{{0, 0}, 1e300}, {{1, 0}, 0}}, false, {}, {}}),
    }));
    for (const Item& item : items) {
        for (const Point& p : item.points) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
            EXPECT_LE(std::fabs(p.x), 1e9);
            EXPECT_LE(std::fabs(p.y), 1e9);
        }
    }
    // The long line is cut at the limit, and the polyline with an absurd bulge is drawn
    // straight; the huge diagonal is kept inside the limit however imprecisely.
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].points[1], (Point{1e9, 0}));
    EXPECT_EQ(items[2].points, (std::vector<Point>{{0, 0}, {1, 0}}));
}

TEST(WalkerExtentsTest, CoverCurvesAndTextWithinAFewPercent) {
    const Drawing drawing = WithModel({
        Put(Circle{{0, 0}, 10}), Put(Text{{20, 0}, 2, 0, 1, "ABCDE"}),  // 5 x 0.6 x 2 = 6 wide
        Put(Arc{{0, -30}, 5, 180, 360}),  // its lowest point is at -35
    });
    std::optional<Box> extents;
    std::string error;
    ASSERT_TRUE(MeasureExtents(drawing, nullptr, extents, error)) << error;
    ASSERT_TRUE(extents);
    EXPECT_NEAR(extents->min.x, -10, 0.01);
    EXPECT_NEAR(extents->max.x, 26, 1e-9);
    EXPECT_NEAR(extents->min.y, -35, 0.01);
    EXPECT_NEAR(extents->max.y, 10, 0.01);

    std::optional<Box> none;
    ASSERT_TRUE(MeasureExtents(WithModel({}), nullptr, none, error));
    EXPECT_FALSE(none);
}

TEST(WalkerPlottedTextTest, ShowsWhatAPlotterCanPrint) {
    EXPECT_EQ(PlottedText("A\tB\x03"), "AB");
    EXPECT_EQ(PlottedText("\xc3\xa9t\xc3\xa9"), "\xe9t\xe9");  // UTF-8, in ISO 8859-1
    EXPECT_EQ(PlottedText("\xe9t\xe9"), "\xe9t\xe9");          // the Western code page
    EXPECT_EQ(PlottedText("\xe2\x82"), "\xe2?");               // cut-off sequence
    EXPECT_EQ(PlottedText("\xe4\xb8\xad"), "?");               // outside the set
    EXPECT_EQ(PlottedText(std::string_view("a\0b", 3)), "ab");
}

}  // namespace
}  // namespace acadhpgl
