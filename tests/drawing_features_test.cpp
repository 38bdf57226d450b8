// Drawings as users draw them: hatches, paragraph texts, layers that do not plot, attributes,
// filled solids and the characters of real drawings, read from small DXF fragments and walked
// the way they are plotted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "dxf_test_drawings.h"
#include "plugins/acadhpgl/drawing_walker.h"
#include "plugins/acadhpgl/dxf_reader.h"
#include "plugins/acadhpgl/mtext_text.h"

namespace acadhpgl {
namespace {

using test::DxfDrawing;
using test::MinimalDxf;
using test::Pairs;

struct Walked {
    std::vector<std::vector<Point>> runs;
    std::vector<std::vector<std::vector<Point>>> fills;
    std::vector<Point> dots;
    std::vector<std::string> labels;
};

class Sink final : public PlotSink {
  public:
    explicit Sink(Walked& out) : out_(out) {}
    void SetColour(int) override {}
    void Polyline(std::span<const Point> points) override {
        out_.runs.emplace_back(points.begin(), points.end());
    }
    void Dot(Point at) override { out_.dots.push_back(at); }
    void Fill(std::span<const std::vector<Point>> loops) override {
        out_.fills.emplace_back(loops.begin(), loops.end());
    }
    void Label(Point, double, double, double, std::string_view text) override {
        out_.labels.emplace_back(text);
    }

  private:
    Walked& out_;
};

Walked WalkDxf(const std::string& dxf, Drawing* read = nullptr) {
    Drawing drawing;
    std::string error;
    EXPECT_TRUE(ReadDxf(dxf, drawing, error)) << error;
    Walked walked;
    Sink sink(walked);
    EXPECT_TRUE(WalkDrawing(drawing, WalkOptions{}, sink, error)) << error;
    if (read != nullptr) *read = std::move(drawing);
    return walked;
}

// A closed polyline path of a hatch through the corners.
std::string PolylinePath(int flags, const std::vector<Point>& corners) {
    std::string out =
        "92 " + std::to_string(flags) + "\n72 0\n73 1\n93 " + std::to_string(corners.size()) + "\n";
    for (const Point& p : corners) {
        out += "10 " + test::Number(p.x) + "\n20 " + test::Number(p.y) + "\n";
    }
    return out + "97 0\n";
}

std::string Square(int flags, double low, double high) {
    return PolylinePath(flags, {{low, low}, {high, low}, {high, high}, {low, high}});
}

// A hatch with the given paths (their count first) and a pattern body from group 75 on.
std::string HatchRecord(bool solid, int paths, const std::string& body, const std::string& tail) {
    return "0 HATCH\n8 0\n10 0\n20 0\n30 0\n210 0\n220 0\n230 1\n2 " +
           std::string(solid ? "SOLID" : "USER") + "\n70 " + (solid ? "1" : "0") + "\n71 0\n91 " +
           std::to_string(paths) + "\n" + body + tail + "98 0\n";
}

// Horizontal lines one unit apart, half a unit off the grid, with the given dashes.
std::string Horizontal(const std::string& dashes = "79 0\n") {
    return "75 0\n76 1\n52 0\n41 1\n77 0\n78 1\n53 0\n43 0\n44 0.5\n45 0\n46 1\n" + dashes;
}

bool StrictlyInside(Point p, double low, double high) {
    return p.x > low + 1e-6 && p.x < high - 1e-6 && p.y > low + 1e-6 && p.y < high - 1e-6;
}

TEST(HatchTest, PatternStaysInsideTheBoundaryAndOutOfTheIsland) {
    const Walked walked = WalkDxf(
        MinimalDxf(HatchRecord(false, 2, Square(3, 0, 10) + Square(2, 4, 6), Horizontal())));
    ASSERT_FALSE(walked.runs.empty());
    double inked = 0;
    bool besideIsland[2] = {false, false};
    for (const auto& run : walked.runs) {
        ASSERT_EQ(run.size(), 2u);
        const Point middle{(run[0].x + run[1].x) / 2, (run[0].y + run[1].y) / 2};
        for (const Point& end : run) {
            EXPECT_GE(end.x, -1e-6);
            EXPECT_LE(end.x, 10 + 1e-6);
        }
        EXPECT_FALSE(StrictlyInside(middle, 4, 6)) << middle.x << "," << middle.y;
        inked += std::fabs(run[1].x - run[0].x);
        if (std::fabs(middle.y - 5.5) < 1e-9) besideIsland[middle.x < 5 ? 0 : 1] = true;
    }
    // Ten lines of ten units, less two of the island's two.
    EXPECT_NEAR(inked, 100 - 4, 1e-6);
    EXPECT_TRUE(besideIsland[0] && besideIsland[1]);
}

struct FillRow {
    const char* name;
    std::string hatch;
    std::size_t loops;
    double area;  // by the odd-even rule
};

double Area(const std::vector<std::vector<Point>>& loops) {
    double total = 0;
    for (const auto& loop : loops) {
        double twice = 0;
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const Point a = loop[i], b = loop[(i + 1) % loop.size()];
            twice += a.x * b.y - b.x * a.y;
        }
        total += std::fabs(twice) / 2;
    }
    return total;
}

TEST(HatchTest, SolidFillsFollowEveryKindOfBoundary) {
    const std::string end = "75 0\n76 1\n";
    const std::string halfDisc =  // a line and a counter-clockwise arc of radius 2
        "92 1\n93 2\n72 1\n10 2\n20 0\n11 -2\n21 0\n72 2\n10 0\n20 0\n40 2\n50 180\n51 360\n73 "
        "1\n97 0\n";
    const std::string clockwise =  // the same half below, drawn clockwise
        "92 1\n93 2\n72 1\n10 -2\n20 0\n11 2\n21 0\n72 2\n10 0\n20 0\n40 2\n50 0\n51 180\n73 "
        "0\n97 0\n";
    const std::string ellipse =  // a whole ellipse, 4 by 2
        "92 1\n93 1\n72 3\n10 0\n20 0\n11 2\n21 0\n40 0.5\n50 0\n51 360\n73 1\n97 0\n";
    const std::string bulged =  // a polyline path of two half circles: a disc of radius 1
        "92 2\n72 1\n73 1\n93 2\n10 -1\n20 0\n42 1\n10 1\n20 0\n42 1\n97 0\n";
    const std::string spline =  // a degree 1 spline edge closing a triangle
        "92 1\n93 2\n72 1\n10 0\n20 0\n11 4\n21 0\n72 4\n94 1\n73 0\n74 0\n95 4\n96 2\n40 0\n40 "
        "0\n40 1\n40 1\n10 4\n20 0\n10 0\n20 3\n97 0\n";
    const double pi = std::acos(-1.0);
    const FillRow rows[] = {
        {"square with island", HatchRecord(true, 2, Square(3, 0, 10) + Square(2, 4, 6), end), 2,
         104},
        {"line and arc", HatchRecord(true, 1, halfDisc, end), 1, pi * 2},
        {"clockwise arc", HatchRecord(true, 1, clockwise, end), 1, pi * 2},
        {"ellipse", HatchRecord(true, 1, ellipse, end), 1, pi * 2},
        {"bulges", HatchRecord(true, 1, bulged, end), 1, pi},
        {"spline edge", HatchRecord(true, 1, spline, end), 1, 6},
    };
    for (const FillRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Walked walked = WalkDxf(MinimalDxf(row.hatch));
        ASSERT_EQ(walked.fills.size(), 1u);
        EXPECT_EQ(walked.fills[0].size(), row.loops);
        // Chords cut a little off curves; the island counts with the outer square here.
        EXPECT_NEAR(Area(walked.fills[0]), row.area, row.area * 0.01);
    }
}

TEST(HatchTest, ClockwiseArcLiesBelowItsChord) {
    const std::string clockwise =
        "92 1\n93 2\n72 1\n10 -2\n20 0\n11 2\n21 0\n72 2\n10 0\n20 0\n40 2\n50 0\n51 180\n73 "
        "0\n97 0\n";
    const Walked walked = WalkDxf(MinimalDxf(HatchRecord(true, 1, clockwise, "75 0\n76 1\n")));
    ASSERT_EQ(walked.fills.size(), 1u);
    for (const Point& p : walked.fills[0][0]) EXPECT_LE(p.y, 1e-9);
}

TEST(HatchTest, DashesBreakThePatternLines) {
    const Walked walked = WalkDxf(
        MinimalDxf(HatchRecord(false, 1, Square(3, 0, 10), Horizontal("79 2\n49 1\n49 -1\n"))));
    double inked = 0;
    for (const auto& run : walked.runs) {
        const double length = std::fabs(run.back().x - run.front().x);
        EXPECT_LE(length, 1 + 1e-9);
        inked += length;
    }
    EXPECT_NEAR(inked, 50, 1e-6);  // half of ten lines of ten units
}

TEST(HatchTest, IgnoreStyleFillsOverIslands) {
    const std::string ignore = "75 2\n76 1\n";
    const Walked walked =
        WalkDxf(MinimalDxf(HatchRecord(true, 2, Square(3, 0, 10) + Square(2, 4, 6), ignore)));
    ASSERT_EQ(walked.fills.size(), 1u);
    EXPECT_EQ(walked.fills[0].size(), 1u);
}

TEST(HatchTest, DamagedHatchesAreLeftOutWithoutHarm) {
    const std::string rows[] = {
        "0 HATCH\n8 0\n",
        "0 HATCH\n8 0\n70 1\n91 5\n92 2\n72 0\n73 1\n93 1000000\n10 0\n20 0\n",
        "0 HATCH\n8 0\n70 0\n91 1\n92 1\n93 1\n72 9\n",
        "0 HATCH\n8 0\n70 1\n91 1\n92 2\n72 0\n73 1\n93 3\n10 0\n20 0\n10 nan\n20 1\n10 1\n20 "
        "1\n",
    };
    for (const std::string& row : rows) {
        const Walked walked = WalkDxf(MinimalDxf(row));
        EXPECT_TRUE(walked.fills.empty());
        EXPECT_TRUE(walked.runs.empty());
    }
}

// --- Paragraph texts -------------------------------------------------------------------------

TEST(MTextTest, ChunksKeepTheirSpacesAndLinesWrapAtTheWidth) {
    // 41 = 6 with height 1: ten characters of 0.6 to a line.
    const std::string mtext =
        "0 MTEXT\n8 0\n10 0\n20 0\n40 1\n41 6\n71 1\n3 Lorem ipsum cursus \n1 lectus vitae\n";
    const Walked walked = WalkDxf(MinimalDxf(mtext));
    std::string joined;
    for (const std::string& label : walked.labels) {
        EXPECT_LE(label.size(), 10u) << label;
        joined += (joined.empty() ? "" : " ") + label;
    }
    EXPECT_EQ(joined, "Lorem ipsum cursus lectus vitae");
    EXPECT_GE(walked.labels.size(), 3u);
}

struct WrapRow {
    const char* text;
    std::size_t columns;
    const char* wrapped;
};

TEST(MTextTest, WrapsAtSpacesAndBreaksLongWords) {
    const WrapRow rows[] = {
        {"aa bb cc", 5, "aa bb\ncc"},
        {"aa bb cc", 8, "aa bb cc"},
        {"abcdefgh", 3, "abc\ndef\ngh"},
        {"ab  cd\nef gh", 2, "ab\ncd\nef\ngh"},
        {"\xc3\xa9\xc3\xa9 \xc3\xa9", 2, "\xc3\xa9\xc3\xa9\n\xc3\xa9"},  // characters, not bytes
        {"", 4, ""},
    };
    for (const WrapRow& row : rows) EXPECT_EQ(WrapText(row.text, row.columns), row.wrapped);
}

// --- Layers and attributes ---------------------------------------------------------------------

TEST(LayerVisibilityTest, DefinitionPointsAndNonPlottingLayersStayOffThePlot) {
    const std::string layers = test::LayerRecord("Defpoints", 7) +
                               "0 LAYER\n2 NOPLOT\n70 0\n62 7\n290 0\n" +
                               test::LayerRecord("OFF", -3);
    const std::string entities =
        "0 POINT\n8 DEFPOINTS\n10 1\n20 1\n0 POINT\n8 NOPLOT\n10 2\n20 2\n0 POINT\n8 0\n10 3\n20 "
        "3\n0 POINT\n8 defpoints\n10 4\n20 4\n";
    const Walked walked = WalkDxf(DxfDrawing({.layers = layers, .entities = entities}));
    ASSERT_EQ(walked.dots.size(), 1u);
    EXPECT_EQ(walked.dots[0], (Point{3, 3}));
}

TEST(LayerVisibilityTest, AttributesFollowTheirInsert) {
    const std::string layers = test::LayerRecord("OFF", -3) + test::LayerRecord("ON", 3);
    const std::string blocks = test::BlockRecord("B", 0, 0, test::LineRecord(0, 0, 1, 0));
    const auto insert = [](const char* layer, const char* attributeLayer, const char* value) {
        return "0 INSERT\n8 " + std::string(layer) + "\n66 1\n2 B\n10 0\n20 0\n0 ATTRIB\n8 " +
               attributeLayer + "\n10 0\n20 0\n40 1\n1 " + value + "\n2 TAG\n0 SEQEND\n8 0\n";
    };
    const Walked walked = WalkDxf(
        DxfDrawing({.layers = layers,
                    .blocks = blocks,
                    .entities = insert("OFF", "ON", "hidden1") + insert("OFF", "0", "hidden2") +
                                insert("ON", "0", "shown") + insert("0", "OFF", "hidden3")}));
    EXPECT_EQ(walked.labels, std::vector<std::string>{"shown"});
}

// --- Solids, the end marker, what is left out, characters -------------------------------------

TEST(DrawingFeaturesTest, SolidsAndTracesAreFilledFacesAreNot) {
    const std::string corners = "8 0\n10 0\n20 0\n11 1\n21 0\n12 0\n22 1\n13 1\n23 1\n";
    const Walked walked =
        WalkDxf(MinimalDxf("0 SOLID\n" + corners + "0 TRACE\n" + corners + "0 3DFACE\n" + corners));
    ASSERT_EQ(walked.fills.size(), 2u);
    EXPECT_NEAR(Area(walked.fills[0]), 1, 1e-9);  // corner order 1, 2, 4, 3: a square
    EXPECT_EQ(walked.runs.size(), 3u);            // every one outlined
}

TEST(DrawingFeaturesTest, MissingEndMarkerIsToleratedOnlyAfterWholeSections) {
    std::string whole = MinimalDxf(test::LineRecord(0, 0, 1, 1));
    const std::string withoutEnd = whole.substr(0, whole.rfind("0\nEOF"));
    Drawing drawing;
    std::string error;
    ASSERT_TRUE(ReadDxf(withoutEnd, drawing, error)) << error;
    EXPECT_EQ(drawing.entities.size(), 1u);
    ASSERT_EQ(drawing.warnings.size(), 1u);
    EXPECT_NE(drawing.warnings[0].find("end-of-file"), std::string::npos);
    const std::string cutInSection = withoutEnd.substr(0, withoutEnd.rfind("0\nENDSEC"));
    EXPECT_FALSE(ReadDxf(cutInSection, drawing, error));
}

TEST(DrawingFeaturesTest, KindsLeftOutAreCounted) {
    Drawing drawing;
    WalkDxf(MinimalDxf("0 REGION\n8 0\n0 REGION\n8 0\n0 IMAGE\n8 0\n0 VIEWPORT\n8 "
                       "0\n0 ATTDEF\n8 0\n0 SHAPE\n8 0\n10 1\n20 1\n" +
                       test::LineRecord(0, 0, 1, 1)),
            &drawing);
    const std::map<std::string, std::uint64_t> expected{{"IMAGE", 1}, {"REGION", 2}, {"SHAPE", 1}};
    EXPECT_EQ(drawing.leftOut, expected);
}

TEST(DrawingFeaturesTest, SignsAndAccentedLettersReachThePlotterInLatin1) {
    struct Row {
        const char* text;
        const char* plotted;
    } rows[] = {
        {"90%%d", "90\xb0"},
        {"%%p0.5",
         "\xb1"
         "0.5"},
        {"%%c27",
         "\xd8"
         "27"},
        {"\\U+2022 item", "\xb7 item"},
        {"Caf\xc3\xa9", "Caf\xe9"},
        {"Caf\xe9", "Caf\xe9"},  // an older drawing in the Western code page
        {"\\U+4E2D", "?"},
    };
    for (const Row& row : rows) {
        const Walked walked = WalkDxf(MinimalDxf(test::TextRecord(0, 0, 1, row.text)));
        ASSERT_EQ(walked.labels.size(), 1u) << row.text;
        EXPECT_EQ(PlottedText(walked.labels[0]), row.plotted) << row.text;
    }
}

// --- Meshes, widths, tilted planes and the kinds that become several shapes ----------------

struct RunsRow {
    const char* name;
    std::string entities;
    std::vector<std::vector<Point>> runs;  // in order; points compared within 1e-6
};

TEST(CompoundShapesTest, DrawTheirEdgesAndLines) {
    const std::string polyface =
        "0 POLYLINE\n8 0\n66 1\n70 64\n71 4\n72 2\n"
        "0 VERTEX\n8 0\n10 0\n20 0\n70 192\n0 VERTEX\n8 0\n10 1\n20 0\n70 192\n"
        "0 VERTEX\n8 0\n10 1\n20 1\n70 192\n0 VERTEX\n8 0\n10 0\n20 1\n70 192\n"
        "0 VERTEX\n8 0\n70 128\n71 1\n72 2\n73 -3\n"
        "0 VERTEX\n8 0\n70 128\n71 -1\n72 3\n73 4\n0 SEQEND\n8 0\n";
    std::string mesh = "0 POLYLINE\n8 0\n66 1\n70 16\n71 2\n72 3\n";
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            mesh += "0 VERTEX\n8 0\n70 64\n10 " + std::to_string(c) + "\n20 " + std::to_string(r) +
                    "\n";
        }
    }
    mesh += "0 SEQEND\n8 0\n";
    const std::string tilted =  // a plane facing +x, 2 units along it
        "0 POLYLINE\n8 0\n66 1\n70 0\n10 0\n20 0\n30 2\n210 1\n220 0\n230 0\n"
        "0 VERTEX\n8 0\n10 0\n20 0\n0 VERTEX\n8 0\n10 5\n20 0\n0 SEQEND\n8 0\n";
    const std::string mline =
        "0 MLINE\n8 0\n2 STANDARD\n40 1\n70 0\n71 1\n72 2\n73 2\n10 0\n20 0\n"
        "11 0\n21 0\n12 1\n22 0\n13 0\n23 1\n74 2\n41 0.5\n41 0\n75 0\n74 2\n41 -0.5\n41 "
        "0\n75 0\n"
        "11 10\n21 0\n12 1\n22 0\n13 0\n23 1\n74 2\n41 0.5\n41 0\n75 0\n74 2\n41 -0.5\n41 "
        "0\n75 0\n";
    const std::string image =
        "0 IMAGE\n8 0\n10 0\n20 0\n11 1\n21 0\n12 0\n22 1\n13 10\n23 5\n280 0\n";
    const std::string meshEntity =
        "0 MESH\n8 0\n71 2\n72 0\n91 0\n92 4\n10 0\n20 0\n10 2\n20 0\n10 2\n20 2\n10 "
        "0\n20 2\n93 5\n90 4\n90 0\n90 1\n90 2\n90 3\n94 0\n95 0\n";
    const RunsRow rows[] = {
        {"polyface, hidden diagonal",
         polyface,
         {{{0, 0}, {1, 0}}, {{0, 0}, {0, 1}}, {{1, 0}, {1, 1}}, {{1, 1}, {0, 1}}}},
        {"polygon mesh",
         mesh,
         {{{0, 0}, {1, 0}, {2, 0}},
          {{0, 1}, {1, 1}, {2, 1}},
          {{0, 0}, {0, 1}},
          {{1, 0}, {1, 1}},
          {{2, 0}, {2, 1}}}},
        {"tilted 2D polyline", tilted, {{{2, 0}, {2, 5}}}},
        {"multiline", mline, {{{0, 0.5}, {10, 0.5}}, {{0, -0.5}, {10, -0.5}}}},
        {"image frame", image, {{{0, 5}, {10, 5}, {10, 0}, {0, 0}, {0, 5}}}},
        {"wipeout frame hidden",
         "0 WIPEOUT\n8 0\n10 0\n20 0\n11 1\n21 0\n12 0\n22 1\n13 1\n23 1\n",
         {}},
        {"mesh faces",
         meshEntity,
         {{{0, 0}, {2, 0}}, {{0, 0}, {0, 2}}, {{2, 0}, {2, 2}}, {{2, 2}, {0, 2}}}},
    };
    for (const RunsRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Walked walked = WalkDxf(MinimalDxf(row.entities));
        ASSERT_EQ(walked.runs.size(), row.runs.size());
        for (std::size_t i = 0; i < row.runs.size(); ++i) {
            ASSERT_EQ(walked.runs[i].size(), row.runs[i].size()) << i;
            for (std::size_t j = 0; j < row.runs[i].size(); ++j) {
                EXPECT_NEAR(walked.runs[i][j].x, row.runs[i][j].x, 1e-6) << i << "," << j;
                EXPECT_NEAR(walked.runs[i][j].y, row.runs[i][j].y, 1e-6) << i << "," << j;
            }
        }
    }
}

TEST(CompoundShapesTest, MultiLeaderDrawsLineArrowDoglegAndText) {
    const std::string leader =
        "0 MULTILEADER\n8 0\n100 AcDbMLeader\n300 CONTEXT_DATA{\n40 1\n10 5\n20 5\n41 "
        "0.5\n140 0.6\n290 1\n304 Note\\Ptwo\n12 6\n22 5.25\n13 1\n23 0\n302 LEADER{\n290 "
        "1\n291 1\n10 5\n20 5\n11 1\n21 0\n40 1\n304 LEADER_LINE{\n10 0\n20 0\n91 0\n305 "
        "}\n303 }\n301 }\n";
    const Walked walked = WalkDxf(MinimalDxf(leader));
    ASSERT_EQ(walked.fills.size(), 1u);  // the arrowhead, its tip on the first point
    const auto& head = walked.fills[0][0];
    EXPECT_TRUE(
        std::any_of(head.begin(), head.end(), [](Point p) { return std::hypot(p.x, p.y) < 1e-9; }));
    const auto hasRun = [&](Point a, Point b) {
        return std::any_of(walked.runs.begin(), walked.runs.end(), [&](const auto& run) {
            return run.size() == 2 && std::hypot(run[0].x - a.x, run[0].y - a.y) < 1e-9 &&
                   std::hypot(run[1].x - b.x, run[1].y - b.y) < 1e-9;
        });
    };
    EXPECT_TRUE(hasRun({0, 0}, {5, 5}));
    EXPECT_TRUE(hasRun({5, 5}, {6, 5}));
    EXPECT_EQ(walked.labels, (std::vector<std::string>{"Note", "two"}));
}

TEST(CompoundShapesTest, WideSegmentsAreFilledBands) {
    const Walked walked =
        WalkDxf(MinimalDxf("0 LWPOLYLINE\n8 0\n90 2\n70 0\n43 2\n10 0\n20 0\n10 10\n20 0\n"));
    ASSERT_EQ(walked.fills.size(), 1u);
    EXPECT_NEAR(Area(walked.fills[0]), 20, 1e-6);
    for (const Point& p : walked.fills[0][0]) EXPECT_NEAR(std::fabs(p.y), 1, 1e-9);

    // Tapering per vertex: from 0 to 4 wide.
    const Walked tapered =
        WalkDxf(MinimalDxf("0 LWPOLYLINE\n8 0\n90 2\n70 0\n10 0\n20 0\n40 0\n41 4\n10 10\n20 0\n"));
    ASSERT_EQ(tapered.fills.size(), 1u);
    EXPECT_NEAR(Area(tapered.fills[0]), 20, 1e-6);

    // A plane tilted about the world's x axis (normal 0, -0.6, 0.8): its y runs at 0.8 of the
    // world's seen from above, so a band 2 wide in the plane is 1.6 wide on the plot. The
    // polyline's default widths stand for vertices without their own.
    const Walked tilted = WalkDxf(
        MinimalDxf("0 POLYLINE\n8 0\n66 1\n70 0\n40 2\n41 2\n210 0\n220 -0.6\n230 0.8\n"
                   "0 VERTEX\n8 0\n10 0\n20 0\n0 VERTEX\n8 0\n10 10\n20 0\n0 SEQEND\n8 0\n"));
    ASSERT_EQ(tilted.fills.size(), 1u);
    EXPECT_NEAR(Area(tilted.fills[0]), 16, 1e-6);
    for (const Point& p : tilted.fills[0][0]) EXPECT_NEAR(std::fabs(p.y), 0.8, 1e-9);

    // Narrower than the thinnest band: the centre line.
    Drawing drawing;
    std::string error;
    ASSERT_TRUE(ReadDxf(MinimalDxf("0 LWPOLYLINE\n8 0\n90 2\n43 2\n10 0\n20 0\n10 10\n20 0\n"),
                        drawing, error));
    Walked thin;
    Sink sink(thin);
    WalkOptions options;
    options.thinnestBand = 5;
    ASSERT_TRUE(WalkDrawing(drawing, options, sink, error));
    EXPECT_TRUE(thin.fills.empty());
    EXPECT_EQ(thin.runs.size(), 1u);
}

TEST(TextGeometryTest, BackwardsAndUpsideDownTextKeepsItsBox) {
    struct Row {
        int flags;
        Point lowerLeft;
    } rows[] = {{0, {10, 0}}, {2, {10 - 1.8, 0}}, {4, {10, -1}}, {6, {10 - 1.8, -1}}};
    for (const Row& row : rows) {
        Drawing drawing;
        std::string error;
        ASSERT_TRUE(ReadDxf(MinimalDxf("0 TEXT\n8 0\n10 10\n20 0\n40 1\n1 abc\n71 " +
                                       std::to_string(row.flags) + "\n"),
                            drawing, error));
        ASSERT_EQ(drawing.entities.size(), 1u);
        const Text& text = std::get<Text>(drawing.entities[0].shape);
        EXPECT_NEAR(text.at.x, row.lowerLeft.x, 1e-9) << row.flags;
        EXPECT_NEAR(text.at.y, row.lowerLeft.y, 1e-9) << row.flags;
    }
}

TEST(CompoundShapesTest, EndlessLinesCrossThePlottedAreaOnly) {
    Drawing drawing;
    std::string error;
    ASSERT_TRUE(ReadDxf(MinimalDxf("0 XLINE\n8 0\n10 5\n20 5\n11 1\n21 0\n0 RAY\n8 0\n10 5\n20 "
                                   "5\n11 0\n21 1\n" +
                                   test::LineRecord(0, 0, 10, 10)),
                        drawing, error));
    std::optional<Box> extents;
    ASSERT_TRUE(MeasureExtents(drawing, nullptr, extents, error));
    ASSERT_TRUE(extents);
    EXPECT_EQ(extents->max, (Point{10, 10}));  // the endless lines do not count

    Walked walked;
    Sink sink(walked);
    WalkOptions options;
    options.rayArea = Box{{0, 0}, {10, 10}};
    ASSERT_TRUE(WalkDrawing(drawing, options, sink, error));
    ASSERT_EQ(walked.runs.size(), 3u);
    const auto& xline = walked.runs[0];
    EXPECT_LT(std::min(xline[0].x, xline[1].x), 0);  // beyond both sides of the area
    EXPECT_GT(std::max(xline[0].x, xline[1].x), 10);
    const auto& ray = walked.runs[1];
    EXPECT_EQ(ray[0], (Point{5, 5}));  // from its start, upwards only
    EXPECT_GT(ray[1].y, 10);
}

}  // namespace
}  // namespace acadhpgl
