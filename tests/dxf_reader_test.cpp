#include "plugins/acadhpgl/dxf_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dxf_test_drawings.h"
#include "plugins/acadhpgl/dxf_entities.h"
#include "plugins/acadhpgl/dxf_pairs.h"
#include "plugins/acadhpgl/mtext_text.h"
#include "temp_folder.h"

namespace acadhpgl {
namespace {

using test::BlockRecord;
using test::CircleRecord;
using test::DxfDrawing;
using test::InsertRecord;
using test::LayerRecord;
using test::LineRecord;
using test::MinimalDxf;
using test::Pairs;
using test::TextRecord;

// ---- Shapes as text, so that a table row can hold what it expects -------------------------

std::string N(double v) {
    if (std::fabs(v) < 1e-9) v = 0;  // what cos(90 degrees) leaves behind
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return std::strcmp(text, "-0") == 0 ? "0" : text;
}

std::string P(Point p) {
    return "(" + N(p.x) + "," + N(p.y) + ")";
}

template <typename T, typename F>
std::string Joined(const std::vector<T>& items, F each) {
    std::string out;
    for (const T& item : items) out += (out.empty() ? "" : " ") + each(item);
    return out;
}

std::string Describe(const Drawing& drawing, const Shape& shape) {
    struct Visitor {
        const Drawing& drawing;
        std::string operator()(const Line& s) { return "Line " + P(s.start) + " " + P(s.end); }
        std::string operator()(const Polyline& s) {
            return std::string("Polyline ") + (s.closed ? "closed " : "open ") +
                   Joined(s.vertices, [](const PolylineVertex& v) {
                       return P(v.at) + (v.bulge != 0 ? "b" + N(v.bulge) : "");
                   });
        }
        std::string operator()(const Circle& s) {
            return "Circle " + P(s.centre) + " " + N(s.radius);
        }
        std::string operator()(const Arc& s) {
            return "Arc " + P(s.centre) + " " + N(s.radius) + " " + N(s.startDegrees) + " " +
                   N(s.endDegrees);
        }
        std::string operator()(const Ellipse& s) {
            return "Ellipse " + P(s.centre) + " " + P(s.majorAxis) + " " + N(s.ratio) + " " +
                   N(s.startParameter) + " " + N(s.endParameter);
        }
        std::string operator()(const PointMark& s) { return "Point " + P(s.at); }
        std::string operator()(const Spline& s) {
            return "Spline d" + std::to_string(s.degree) + (s.closed ? " closed" : " open") +
                   " k[" + Joined(s.knots, N) + "] c[" + Joined(s.controlPoints, P) + "] w[" +
                   Joined(s.weights, N) + "] f[" + Joined(s.fitPoints, P) + "]";
        }
        std::string operator()(const Solid& s) {
            return "Solid " + P(s.corners[0]) + " " + P(s.corners[1]) + " " + P(s.corners[2]) +
                   " " + P(s.corners[3]);
        }
        std::string operator()(const Text& s) {
            std::string text;
            for (char c : s.text) text += c == '\n' ? std::string("|") : std::string(1, c);
            return "Text " + P(s.at) + " h" + N(s.height) + " r" + N(s.rotationDegrees) + " w" +
                   N(s.widthFactor) + " '" + text + "'";
        }
        std::string operator()(const Insert& s) {
            const std::string name =
                s.block < drawing.blocks.size() ? drawing.blocks[s.block].name : "?";
            return "Insert " + name + " " + P(s.at) + " " + N(s.scaleX) + " " + N(s.scaleY) + " r" +
                   N(s.rotationDegrees) + " " + std::to_string(s.columns) + "x" +
                   std::to_string(s.rows) + " " + N(s.columnSpacing) + " " + N(s.rowSpacing);
        }
        std::string operator()(const Ray& s) {
            return std::string(s.bothWays ? "Xline " : "Ray ") + P(s.start) + " " + P(s.direction);
        }
        std::string operator()(const Hatch& s) {
            return "Hatch " + std::to_string(s.loops.size()) + (s.solid ? " solid" : " pattern");
        }
    };
    return std::visit(Visitor{drawing}, shape);
}

std::string Describe(const Drawing& drawing, const std::vector<Entity>& entities) {
    std::string out;
    for (const Entity& entity : entities) {
        out += (out.empty() ? "" : "; ") + Describe(drawing, entity.shape);
    }
    return out;
}

Drawing Read(const std::string& bytes) {
    Drawing drawing;
    std::string error;
    EXPECT_TRUE(ReadDxf(bytes, drawing, error)) << error;
    return drawing;
}

// ---- Every entity kind ---------------------------------------------------------------------

struct EntityRow {
    const char* name;
    const char* pairs;     // compact entity records
    const char* expected;  // the entities read, described; empty when none is drawn
};

void PrintTo(const EntityRow& row, std::ostream* out) {
    *out << row.name;
}

class DxfEntityTest : public testing::TestWithParam<EntityRow> {};

TEST_P(DxfEntityTest, ReadsShape) {
    const Drawing drawing = Read(MinimalDxf(GetParam().pairs));
    EXPECT_EQ(Describe(drawing, drawing.entities), GetParam().expected);
}

const EntityRow kEntityRows[] = {
    {"line", "0 LINE\n8 0\n10 1\n20 2\n30 9\n11 3\n21 4", "Line (1,2) (3,4)"},
    {"hugeFiniteKept", "0 LINE\n10 1e300\n20 0\n11 -1e300\n21 0", "Line (1e+300,0) (-1e+300,0)"},
    {"lwpolylineBulgeBelongsToPrecedingVertex",
     "0 LWPOLYLINE\n90 3\n70 1\n10 0\n20 0\n42 1\n10 10\n20 0\n10 10\n20 10",
     "Polyline closed (0,0)b1 (10,0) (10,10)"},
    {"lwpolylineAbsurdCount", "0 LWPOLYLINE\n90 2147483647\n10 0\n20 0\n10 1\n20 1",
     "Polyline open (0,0) (1,1)"},
    {"leaderIsAnOpenWorldPolyline", "0 LEADER\n71 1\n76 2\n10 1\n20 1\n10 3\n20 2\n230 -1",
     "Polyline open (1,1) (3,2)"},
    {"polylineWithVertices",
     "0 POLYLINE\n66 1\n70 0\n0 VERTEX\n10 0\n20 0\n42 0.5\n0 VERTEX\n10 5\n20 0\n0 SEQEND",
     "Polyline open (0,0)b0.5 (5,0)"},
    {"polylineSkipsSplineFrame",
     "0 POLYLINE\n70 4\n0 VERTEX\n70 16\n10 9\n20 9\n0 VERTEX\n70 8\n10 1\n20 1\n"
     "0 VERTEX\n70 8\n10 2\n20 2\n0 SEQEND",
     "Polyline open (1,1) (2,2)"},
    {"polyfaceOutlineWithoutFaces",
     "0 POLYLINE\n70 64\n0 VERTEX\n70 192\n10 1\n20 1\n0 VERTEX\n70 192\n10 2\n20 1\n"
     "0 VERTEX\n70 128\n71 1\n72 2\n73 3\n10 0\n20 0\n0 SEQEND",
     "Polyline open (1,1) (2,1)"},
    {"polylineEndedByNextEntity",
     "0 POLYLINE\n70 1\n0 VERTEX\n10 0\n20 0\n0 VERTEX\n10 1\n20 0\n0 LINE\n10 0\n20 0\n11 1\n"
     "21 1",
     "Polyline closed (0,0) (1,0); Line (0,0) (1,1)"},
    {"polylineWithoutVertices", "0 POLYLINE\n70 0\n0 SEQEND", ""},
    {"polylineBadVertexLeavesItOut",
     "0 POLYLINE\n0 VERTEX\n10 0\n20 0\n0 VERTEX\n10 nan\n20 0\n0 SEQEND", ""},
    {"circle", "0 CIRCLE\n10 1\n20 2\n40 3", "Circle (1,2) 3"},
    {"arcInDegrees", "0 ARC\n10 0\n20 0\n40 5\n50 10\n51 80", "Arc (0,0) 5 10 80"},
    {"ellipse", "0 ELLIPSE\n10 1\n20 1\n11 4\n21 0\n40 0.5\n41 0\n42 3.14159",
     "Ellipse (1,1) (4,0) 0.5 0 3.14159"},
    {"point", "0 POINT\n10 7\n20 8", "Point (7,8)"},
    {"splineKeepsFittingKnots",
     "0 SPLINE\n70 8\n71 2\n72 6\n73 3\n40 0\n40 0\n40 0\n40 1\n40 1\n40 1\n10 0\n20 0\n"
     "10 1\n20 1\n41 1\n10 2\n20 0",
     "Spline d2 open k[0 0 0 1 1 1] c[(0,0) (1,1) (2,0)] w[] f[]"},
    {"splineLowersDegreeAndMakesKnots", "0 SPLINE\n70 1\n71 3\n10 0\n20 0\n10 1\n20 1\n10 2\n20 0",
     "Spline d2 closed k[0 0 0 1 1 1] c[(0,0) (1,1) (2,0)] w[] f[]"},
    {"splineReplacesDecreasingKnots",
     "0 SPLINE\n71 1\n40 0\n40 2\n40 1\n40 3\n10 0\n20 0\n10 1\n20 1\n",
     "Spline d1 open k[0 0 1 1] c[(0,0) (1,1)] w[] f[]"},
    {"splineKeepsPositiveWeights", "0 SPLINE\n71 1\n10 0\n20 0\n41 2\n10 1\n20 1\n41 0.5",
     "Spline d1 open k[0 0 1 1] c[(0,0) (1,1)] w[2 0.5] f[]"},
    {"splineDropsNonPositiveWeights", "0 SPLINE\n71 1\n10 0\n20 0\n41 2\n10 1\n20 1\n41 0",
     "Spline d1 open k[0 0 1 1] c[(0,0) (1,1)] w[] f[]"},
    {"splineFitPointsOnly", "0 SPLINE\n71 3\n74 3\n11 0\n21 0\n11 1\n21 1\n11 2\n21 0",
     "Spline d3 open k[] c[] w[] f[(0,0) (1,1) (2,0)]"},
    {"splineAbsurdDegree", "0 SPLINE\n71 99\n10 0\n20 0\n10 1\n20 1", ""},
    {"solidTriangleRepeatsThirdCorner", "0 SOLID\n10 0\n20 0\n11 1\n21 0\n12 0\n22 1",
     "Solid (0,0) (1,0) (0,1) (0,1)"},
    {"trace", "0 TRACE\n10 0\n20 0\n11 1\n21 0\n12 0\n22 1\n13 1\n23 1",
     "Solid (0,0) (1,0) (0,1) (1,1)"},
    {"faceCornersInSolidOrder", "0 3DFACE\n10 0\n20 0\n11 1\n21 0\n12 1\n22 1\n13 0\n23 1",
     "Solid (0,0) (1,0) (0,1) (1,1)"},
    {"textWithControlCodes", "0 TEXT\n10 1\n20 2\n40 2.5\n50 30\n41 0.8\n1 Hi %%c5",
     "Text (1,2) h2.5 r30 w0.8 'Hi \u23005'"},
    {"textCentredOnSecondPoint", "0 TEXT\n10 0\n20 0\n11 10\n21 0\n40 1\n72 1\n1 ABCD",
     "Text (8.8,0) h1 r0 w1 'ABCD'"},
    {"textRightTop", "0 TEXT\n10 0\n20 0\n11 10\n21 0\n40 1\n72 2\n73 3\n1 ABCD",
     "Text (7.6,-1) h1 r0 w1 'ABCD'"},
    {"textMiddle", "0 TEXT\n10 0\n20 0\n11 10\n21 0\n40 1\n72 4\n1 ABCD",
     "Text (8.8,-0.5) h1 r0 w1 'ABCD'"},
    {"textRightAlongRotatedBaseline", "0 TEXT\n11 0\n21 0\n40 1\n50 90\n72 2\n1 AB",
     "Text (0,-1.2) h1 r90 w1 'AB'"},
    {"textAlignedScalesHeight", "0 TEXT\n10 0\n20 0\n11 0\n21 4.8\n40 1\n72 3\n1 ABCD",
     "Text (0,0) h2 r90 w1 'ABCD'"},
    {"textFitScalesWidth", "0 TEXT\n10 0\n20 0\n11 4.8\n21 0\n40 1\n72 5\n1 ABCD",
     "Text (0,0) h1 r0 w2 'ABCD'"},
    {"textEmptyLeftOut", "0 TEXT\n10 0\n20 0\n40 1\n1 ", ""},
    {"mtextBottomLeftRaisesFirstLine",
     "0 MTEXT\n10 5\n20 5\n40 2\n71 7\n3 {\\fArial|b1;Hel\n1 lo\\P}World",
     "Text (5,8) h2 r0 w1 'Hello|World'"},
    {"mtextTopCentreAlongDirection", "0 MTEXT\n10 0\n20 0\n40 1\n71 2\n11 0\n21 1\n1 ABCD",
     "Text (1,-1.2) h1 r90 w1 'ABCD'"},
    {"mtextRotationWithoutDirection", "0 MTEXT\n10 0\n20 0\n40 1\n71 1\n50 90\n1 A",
     "Text (1,0) h1 r90 w1 'A'"},
    {"mtextIgnoresEmbeddedObject",
     "0 MTEXT\n10 5\n20 5\n40 1\n1 A\n101 Embedded Object\n70 1\n10 1\n20 0\n11 0\n21 9",
     "Text (5,4) h1 r0 w1 'A'"},
    {"insert", "0 INSERT\n2 B\n10 1\n20 2\n41 2\n42 3\n50 45", "Insert B (1,2) 2 3 r45 1x1 0 0"},
    {"minsertGrid", "0 INSERT\n2 B\n10 0\n20 0\n70 3\n71 2\n44 5\n45 6",
     "Insert B (0,0) 1 1 r0 3x2 5 6"},
    {"minsertCountsClamped", "0 INSERT\n2 B\n70 -4\n71 99999", "Insert B (0,0) 1 1 r0 1x32767 0 0"},
    {"dimensionDrawsItsBlockAtOrigin", "0 DIMENSION\n2 *D1\n10 9\n20 9\n11 4\n21 4",
     "Insert *D1 (0,0) 1 1 r0 1x1 0 0"},
    {"insertWithoutBlockName", "0 INSERT\n10 1\n20 1", ""},
    {"attributesFollowTheirInsert",
     "0 INSERT\n2 B\n66 1\n0 ATTRIB\n10 0\n20 0\n11 10\n21 0\n40 1\n1 AB\n2 TAG\n72 2\n73 5\n"
     "74 3\n0 ATTRIB\n70 1\n10 0\n20 0\n40 1\n1 hidden\n0 SEQEND\n0 ATTRIB\n1 stray",
     "Insert B (0,0) 1 1 r0 1x1 0 0; Text (8.8,-1) h1 r0 w1 'AB'"},
    {"paperSpaceLeftOut", "0 LINE\n67 1\n10 0\n20 0\n11 1\n21 1", ""},
    {"paperSpaceInsertTakesAttributes",
     "0 INSERT\n67 1\n2 B\n66 1\n0 ATTRIB\n10 0\n20 0\n40 1\n1 AB\n0 SEQEND", ""},
    {"invisibleLeftOut", "0 CIRCLE\n60 1\n10 0\n20 0\n40 1", ""},
    {"otherKindsSkipped",
     "0 HATCH\n10 0\n20 0\n91 1\n0 VIEWPORT\n10 0\n20 0\n0 IMAGE\n10 0\n20 0\n"
     "0 LINE\n10 0\n20 0\n11 1\n21 0",
     "Line (0,0) (1,0)"},

    // Object coordinates seen from below are mirrored into the plane.
    {"circleMirrored", "0 CIRCLE\n10 3\n20 4\n40 1\n210 0\n220 0\n230 -1", "Circle (-3,4) 1"},
    {"arcMirroredSwapsAngles", "0 ARC\n10 3\n20 4\n40 1\n50 10\n51 80\n230 -1",
     "Arc (-3,4) 1 100 170"},
    {"lwpolylineMirroredFlipsBulges", "0 LWPOLYLINE\n10 1\n20 0\n42 0.5\n10 2\n20 0\n230 -1",
     "Polyline open (-1,0)b-0.5 (-2,0)"},
    {"polylineMirroredFlipsBulges",
     "0 POLYLINE\n230 -1\n0 VERTEX\n10 1\n20 0\n42 0.5\n0 VERTEX\n10 2\n20 0\n0 SEQEND",
     "Polyline open (-1,0)b-0.5 (-2,0)"},
    {"polyline3dNotMirrored",
     "0 POLYLINE\n70 8\n230 -1\n0 VERTEX\n70 32\n10 1\n20 0\n0 VERTEX\n70 32\n10 2\n20 0\n"
     "0 SEQEND",
     "Polyline open (1,0) (2,0)"},
    {"insertMirroredBecomesNegativeScale",
     "0 INSERT\n2 B\n10 1\n20 2\n41 2\n50 30\n70 2\n44 5\n230 -1",
     "Insert B (-1,2) -2 1 r-30 2x1 -5 0"},
    {"textMirroredStaysReadableOverSameBox", "0 TEXT\n10 1\n20 0\n40 1\n1 AB\n230 -1",
     "Text (-2.2,0) h1 r0 w1 'AB'"},
    {"solidMirrored", "0 SOLID\n10 1\n20 0\n11 2\n21 0\n12 1\n22 1\n230 -1",
     "Solid (-1,0) (-2,0) (-1,1) (-1,1)"},
    {"ellipseMirroredReversesParameters",
     "0 ELLIPSE\n10 0\n20 0\n11 2\n21 0\n40 0.5\n41 0.5\n42 1.5\n230 -1",
     "Ellipse (0,0) (2,0) 0.5 4.78319 5.78319"},
    {"lineIgnoresExtrusion", "0 LINE\n10 1\n20 0\n11 2\n21 0\n230 -1", "Line (1,0) (2,0)"},
    {"tiltedExtrusionTakenAsUp", "0 CIRCLE\n10 3\n20 4\n40 1\n210 0.6\n220 0\n230 0.8",
     "Circle (3,4) 1"},

    // Numbers that cannot be drawn leave their entity out.
    {"nanCoordinate", "0 LINE\n10 nan\n20 0\n11 1\n21 1", ""},
    {"infiniteRadius", "0 CIRCLE\n10 0\n20 0\n40 inf", ""},
    {"overflowingNumber", "0 LINE\n10 1e400\n20 0\n11 1\n21 1", ""},
    {"notANumber", "0 LINE\n10 abc\n20 0\n11 1\n21 1", ""},
    {"negativeRadius", "0 CIRCLE\n10 0\n20 0\n40 -1", ""},
    {"ellipseWithoutAxis", "0 ELLIPSE\n10 0\n20 0\n11 0\n21 0\n40 0.5", ""},
    {"ellipseFlat", "0 ELLIPSE\n10 0\n20 0\n11 1\n21 0\n40 0", ""},
    {"lwpolylineWithNan", "0 LWPOLYLINE\n10 0\n20 0\n10 nan\n20 1", ""},
    {"textOverflowsWhenPlaced", "0 TEXT\n11 1e308\n21 0\n40 1e308\n72 2\n1 ABCDEFGH", ""},
};

INSTANTIATE_TEST_SUITE_P(Kinds, DxfEntityTest, testing::ValuesIn(kEntityRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Layers and colours --------------------------------------------------------------------

TEST(DxfReaderTest, LayersResolveWithoutRegardToCase) {
    const Drawing drawing = Read(DxfDrawing({
        .layers = LayerRecord("WALLS", 3) + LayerRecord("Hidden", -5) + LayerRecord("Ice", 1, 1) +
                  LayerRecord("Odd", 0) + "0 LAYER\n2 Huge\n62 -9223372036854775808\n",
        .entities = LineRecord(0, 0, 1, 1, "walls") + LineRecord(0, 0, 1, 1, "NEW") +
                    "0 LINE\n10 0\n20 0\n11 1\n21 1\n" + LineRecord(0, 0, 1, 1, "new"),
    }));
    ASSERT_GE(drawing.layers.size(), 7u);
    EXPECT_EQ(drawing.layers[0].name, "0");
    EXPECT_EQ(drawing.layers[0].colour, 7);

    auto layer = [&](std::string_view name) -> const Layer& {
        for (const Layer& l : drawing.layers) {
            if (l.name == name) return l;
        }
        ADD_FAILURE() << "no layer " << name;
        return drawing.layers[0];
    };
    EXPECT_EQ(layer("WALLS").colour, 3);
    EXPECT_FALSE(layer("WALLS").off);
    EXPECT_EQ(layer("Hidden").colour, 5);
    EXPECT_TRUE(layer("Hidden").off);
    EXPECT_TRUE(layer("Ice").frozen);
    EXPECT_EQ(layer("Odd").colour, 7);
    EXPECT_EQ(layer("Huge").colour, 7);
    EXPECT_TRUE(layer("Huge").off);
    EXPECT_EQ(layer("NEW").colour, 7);

    ASSERT_EQ(drawing.entities.size(), 4u);
    EXPECT_EQ(drawing.layers[drawing.entities[0].layer].name, "WALLS");
    EXPECT_EQ(drawing.layers[drawing.entities[1].layer].name, "NEW");
    EXPECT_EQ(drawing.entities[2].layer, 0u);
    EXPECT_EQ(drawing.entities[3].layer, drawing.entities[1].layer);
    EXPECT_EQ(drawing.layers.size(), 7u);
}

TEST(DxfReaderTest, EntityColours) {
    struct Row {
        const char* colour;
        int expected;
    };
    const Row rows[] = {{"0", kColourByBlock},
                        {"256", kColourByLayer},
                        {"7", 7},
                        {"255", 255},
                        {"-3", kColourByLayer},
                        {"300", kColourByLayer},
                        {nullptr, kColourByLayer}};
    for (const Row& row : rows) {
        std::string line = LineRecord(0, 0, 1, 1);
        if (row.colour != nullptr) line += "62 " + std::string(row.colour) + "\n";
        const Drawing drawing = Read(MinimalDxf(line));
        ASSERT_EQ(drawing.entities.size(), 1u);
        EXPECT_EQ(drawing.entities[0].colour, row.expected) << (row.colour ? row.colour : "none");
    }
}

// ---- Blocks --------------------------------------------------------------------------------

const Block* FindBlock(const Drawing& drawing, std::string_view name) {
    for (const Block& block : drawing.blocks) {
        if (block.name == name) return &block;
    }
    return nullptr;
}

TEST(DxfReaderTest, BlocksResolveForwardNestedAndMissingNames) {
    const Drawing drawing = Read(DxfDrawing({
        .blocks = BlockRecord("Outer", 1, 2, InsertRecord("inner", 5, 5) + LineRecord(0, 0, 1, 0)) +
                  BlockRecord("INNER", 0, 0, CircleRecord(0, 0, 1)) +
                  BlockRecord("Loop", 0, 0, InsertRecord("LOOP", 1, 1)) +
                  BlockRecord("Outer", 0, 0, CircleRecord(9, 9, 9)) +
                  BlockRecord("XR", 0, 0, "", 4, "parts/bolt.dwg"),
        .entities = InsertRecord("OUTER", 0, 0) + InsertRecord("Missing", 0, 0) +
                    InsertRecord("MISSING", 1, 1) + InsertRecord("xr", 2, 2),
    }));

    const Block* outer = FindBlock(drawing, "Outer");
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(outer->defined);
    EXPECT_EQ(outer->base, (Point{1, 2}));
    // The first definition counts; the second of the same name is dropped.
    EXPECT_EQ(Describe(drawing, outer->entities),
              "Insert INNER (5,5) 1 1 r0 1x1 0 0; Line (0,0) (1,0)");

    const Block* loop = FindBlock(drawing, "Loop");
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(Describe(drawing, loop->entities), "Insert Loop (1,1) 1 1 r0 1x1 0 0");

    const Block* xref = FindBlock(drawing, "XR");
    ASSERT_NE(xref, nullptr);
    EXPECT_EQ(xref->externalPath, "parts/bolt.dwg");
    EXPECT_TRUE(xref->defined);

    EXPECT_EQ(Describe(drawing, drawing.entities),
              "Insert Outer (0,0) 1 1 r0 1x1 0 0; Insert Missing (0,0) 1 1 r0 1x1 0 0; "
              "Insert Missing (1,1) 1 1 r0 1x1 0 0; Insert XR (2,2) 1 1 r0 1x1 0 0");
    const Block* missing = FindBlock(drawing, "Missing");
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->defined);
    EXPECT_EQ(drawing.blocks.size(), 5u);  // one block per name, whatever its spelling
}

TEST(DxfReaderTest, PaperSpaceKeptInsideBlocks) {
    // Only model space leaves paper space out; a block's own entities are all its picture.
    const Drawing drawing = Read(DxfDrawing({
        .blocks = BlockRecord("B", 0, 0, LineRecord(0, 0, 1, 1) + "67 1\n"),
        .entities = InsertRecord("B", 0, 0),
    }));
    ASSERT_NE(FindBlock(drawing, "B"), nullptr);
    EXPECT_EQ(FindBlock(drawing, "B")->entities.size(), 1u);
}

// ---- Header --------------------------------------------------------------------------------

TEST(DxfReaderTest, HeaderVariables) {
    const Drawing drawing = Read(DxfDrawing({
        .header = "9 $ACADVER\n1 AC1015\n9 $INSUNITS\n70 4\n9 $LIMMIN\n10 -10\n20 -5\n30 0\n"
                  "9 $LIMMAX\n10 420\n20 297\n9 $TEXTSIZE\n40 3.5\n",
        .entities = TextRecord(0, 0, 0, "default height"),
    }));
    EXPECT_EQ(drawing.insertionUnits, 4);
    ASSERT_TRUE(drawing.limits.has_value());
    EXPECT_EQ(drawing.limits->min, (Point{-10, -5}));
    EXPECT_EQ(drawing.limits->max, (Point{420, 297}));
    ASSERT_EQ(drawing.entities.size(), 1u);
    EXPECT_EQ(std::get<Text>(drawing.entities[0].shape).height, 3.5);
}

TEST(DxfReaderTest, LimitsOnlyWhenBothCornersSpanAnArea) {
    const char* headers[] = {
        "9 $LIMMIN\n10 0\n20 0\n9 $LIMMAX\n10 0\n20 0\n",
        "9 $LIMMIN\n10 0\n20 0\n",
        "9 $LIMMIN\n10 0\n20 0\n9 $LIMMAX\n10 nan\n20 5\n",
    };
    for (const char* header : headers) {
        const Drawing drawing = Read(DxfDrawing({.header = header}));
        EXPECT_FALSE(drawing.limits.has_value()) << header;
    }
}

// ---- Encodings -----------------------------------------------------------------------------

// The binary form, written from the group codes' value types independently of the reader.
std::string ToBinary(const std::string& ascii, bool wideCodes) {
    std::string out(kBinaryDxfSentinel);
    auto put = [&](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    std::size_t at = 0;
    auto line = [&] {
        const std::size_t end = ascii.find('\n', at);
        std::string text = ascii.substr(at, end - at);
        at = end + 1;
        return text;
    };
    while (at < ascii.size()) {
        const int code = std::stoi(line());
        const std::string value = line();
        if (wideCodes) {
            put(static_cast<std::uint64_t>(code), 2);
        } else if (code < 255) {
            put(static_cast<std::uint64_t>(code), 1);
        } else {
            put(255, 1);
            put(static_cast<std::uint64_t>(code), 2);
        }
        if ((code >= 10 && code < 60) || (code >= 110 && code < 150) ||
            (code >= 210 && code < 240)) {
            const double real = std::strtod(value.c_str(), nullptr);
            std::uint64_t bits = 0;
            std::memcpy(&bits, &real, sizeof bits);
            put(bits, 8);
        } else if ((code >= 60 && code < 80) || (code >= 170 && code < 180) ||
                   (code >= 270 && code < 290)) {
            put(static_cast<std::uint64_t>(std::stoll(value)), 2);
        } else if (code >= 90 && code < 100) {
            put(static_cast<std::uint64_t>(std::stoll(value)), 4);
        } else {
            out += value;
            out += '\0';
        }
    }
    return out;
}

std::string DescribeAll(const Drawing& drawing) {
    std::string out = Describe(drawing, drawing.entities);
    for (const Layer& layer : drawing.layers) {
        out += " | layer " + layer.name + " " + std::to_string(layer.colour) +
               (layer.off ? " off" : "") + (layer.frozen ? " frozen" : "");
    }
    for (const Block& block : drawing.blocks) {
        out += " | block " + block.name + " " + P(block.base) + " " +
               Describe(drawing, block.entities);
    }
    return out;
}

const std::string& SampleDrawing() {
    static const std::string dxf = DxfDrawing({
        .header = "9 $INSUNITS\n70 6\n",
        .layers = LayerRecord("A", -2, 1),
        .blocks = BlockRecord("B", 1, 1, CircleRecord(0, 0, 2)),
        .entities = LineRecord(0, 0, 1.5, -2.25, "A") + InsertRecord("B", 3, 4) +
                    "0 LWPOLYLINE\n8 A\n90 2\n70 1\n10 0\n20 0\n42 -0.25\n10 3\n20 0\n" +
                    "0 MTEXT\n10 0\n20 0\n40 1\n71 1\n1 \\H2;x\\Py\n" +
                    "0 ARC\n10 0\n20 0\n40 5\n50 10\n51 80\n230 -1\n" + "999 A comment\n",
    });
    return dxf;
}

TEST(DxfReaderTest, BinaryEqualsAscii) {
    const Drawing ascii = Read(SampleDrawing());
    ASSERT_EQ(ascii.entities.size(), 5u);
    for (bool wide : {true, false}) {
        const std::string binary = ToBinary(SampleDrawing(), wide);
        ASSERT_EQ(SniffDrawing(binary), DrawingFormat::BinaryDxf);
        const Drawing read = Read(binary);
        EXPECT_EQ(DescribeAll(read), DescribeAll(ascii))
            << (wide ? "2-byte codes" : "1-byte codes");
        EXPECT_EQ(read.insertionUnits, 6);
    }
}

TEST(DxfReaderTest, CrLfEqualsLf) {
    std::string crlf;
    for (char c : SampleDrawing()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(SniffDrawing(crlf), DrawingFormat::AsciiDxf);
    EXPECT_EQ(DescribeAll(Read(crlf)), DescribeAll(Read(SampleDrawing())));
}

TEST(DxfReaderTest, LongStringsAreCut) {
    const std::string text(100'000, 'x');
    const Drawing drawing = Read(MinimalDxf(TextRecord(0, 0, 1, text)));
    ASSERT_EQ(drawing.entities.size(), 1u);
    EXPECT_EQ(std::get<Text>(drawing.entities[0].shape).text.size(), kMaxStringValue);
}

TEST(DxfReaderTest, SplinePointsAreCapped) {
    std::string spline = "0 SPLINE\n71 1\n";
    for (std::size_t i = 0; i < kMaxSplinePoints + 5; ++i) {
        spline += "10 " + std::to_string(i) + "\n20 0\n";
    }
    const Drawing drawing = Read(MinimalDxf(spline));
    ASSERT_EQ(drawing.entities.size(), 1u);
    const Spline& read = std::get<Spline>(drawing.entities[0].shape);
    EXPECT_EQ(read.controlPoints.size(), kMaxSplinePoints);
    EXPECT_EQ(read.controlPoints.back(), (Point{kMaxSplinePoints - 1.0, 0}));
    EXPECT_EQ(read.knots.size(), kMaxSplinePoints + 2);  // made to fit what was kept
}

TEST(DxfReaderTest, DrawingWithoutEntitiesIsValid) {
    Drawing drawing;
    std::string error;
    EXPECT_TRUE(ReadDxf(Pairs("0 SECTION\n2 HEADER\n0 ENDSEC\n0 EOF"), drawing, error)) << error;
    EXPECT_TRUE(drawing.entities.empty());
    EXPECT_EQ(drawing.layers.size(), 1u);
}

// ---- Recognition and damage ----------------------------------------------------------------

TEST(DxfReaderTest, Sniff) {
    struct Row {
        const char* name;
        std::string head;
        DrawingFormat expected;
    };
    const std::string binary(kBinaryDxfSentinel);
    const Row rows[] = {
        {"asciiLf", "0\nSECTION\n2\nHEADER\n", DrawingFormat::AsciiDxf},
        {"asciiCrLfIndented", "  0\r\nSECTION\r\n", DrawingFormat::AsciiDxf},
        {"leadingBlankLinesAndComments", "\n \n999\nmade by hand\n0\nSECTION\n",
         DrawingFormat::AsciiDxf},
        {"byteOrderMark",
         "\xEF\xBB\xBF"
         "0\nSECTION\n",
         DrawingFormat::AsciiDxf},
        {"binarySentinel", binary + std::string("\0\0SECTION\0", 10), DrawingFormat::BinaryDxf},
        {"sentinelCutShort", binary.substr(0, 21), DrawingFormat::NotDrawing},
        {"dwg", "AC1032\0\0\0\0\0\0\0", DrawingFormat::NotDrawing},
        {"empty", "", DrawingFormat::NotDrawing},
        {"sectionSomewhereInText", "Meeting notes\n0\nSECTION\n", DrawingFormat::NotDrawing},
        {"firstPairNotSection", "0\nLINE\n", DrawingFormat::NotDrawing},
        {"sectionAsOtherCode", "2\nSECTION\n", DrawingFormat::NotDrawing},
    };
    for (const Row& row : rows) EXPECT_EQ(SniffDrawing(row.head), row.expected) << row.name;
}

TEST(DxfReaderTest, DamagedFilesAreErrorsThatSayWhere) {
    struct Row {
        const char* name;
        std::string bytes;
        const char* message;  // a part of the error
    };
    const std::string whole = MinimalDxf(LineRecord(0, 0, 1, 1) + LineRecord(1, 1, 2, 2));
    const std::string binary = ToBinary(whole, true);
    const Row rows[] = {
        {"empty", "", "no drawing"},
        {"prose", "Dear plotter,\nplease draw.\n", "line 1: a group code was expected"},
        {"numbersButNoSection", "12\nabc\n", "line 1: not a DXF drawing"},
        {"garbageWhereCodeBelongs", Pairs("0 SECTION\n2 ENTITIES") + "x7\n", "line 5"},
        {"blankLineInside", "0\nSECTION\n\n2\nENTITIES\n", "line 3"},
        {"cutAfterGroupCode", "0\nSECTION\n2\nENTITIES\n0\n", "cut off after group code"},
        {"cutInsideEntities", whole.substr(0, whole.find("ENDSEC") - 2), "ENTITIES section"},
        {"binaryCutInsideValue", binary.substr(0, binary.size() / 2 + 3), "cut off"},
        {"binaryNoSection", std::string(kBinaryDxfSentinel) + "\x05\x00xyz", "byte 22"},
        {"binaryUnknownCode",
         std::string(kBinaryDxfSentinel) + std::string("\0\0SECTION\0\x55\x00", 12),
         "group code 85"},
    };
    for (const Row& row : rows) {
        Drawing drawing;
        std::string error;
        EXPECT_FALSE(ReadDxf(row.bytes, drawing, error)) << row.name;
        EXPECT_NE(error.find(row.message), std::string::npos) << row.name << ": " << error;
        EXPECT_TRUE(drawing.entities.empty()) << row.name;
    }
}

TEST(DxfReaderTest, RandomBytesNeverCrash) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = round % 2 == 0 ? SampleDrawing() : ToBinary(SampleDrawing(), true);
        for (int flips = 0; flips < 8; ++flips) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        Drawing drawing;
        std::string error;
        if (!ReadDxf(bytes, drawing, error)) {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(DxfReaderTest, Files) {
    kestrum::test::TempFolder folder;
    Drawing drawing;
    std::string error;

    const std::string good = (folder / "good.dxf").string();
    kestrum::test::WriteFile(good, SampleDrawing());
    EXPECT_TRUE(ReadDxfFile(good, drawing, error)) << error;
    EXPECT_EQ(drawing.entities.size(), 5u);

    const std::string missing = (folder / "missing.dxf").string();
    EXPECT_FALSE(ReadDxfFile(missing, drawing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    // A sparse file: refused from its size, before a byte is read.
    const std::string huge = (folder / "huge.dxf").string();
    const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxDrawingBytes + 1)), 0);
    ::close(fd);
    EXPECT_FALSE(ReadDxfFile(huge, drawing, error));
    EXPECT_NE(error.find("1 GiB"), std::string::npos) << error;

    EXPECT_FALSE(ReadDxfFile(folder.path().string(), drawing, error));
}

// ---- Text codes ----------------------------------------------------------------------------

TEST(DxfTextTest, PlainText) {
    struct Row {
        const char* name;
        bool paragraph;  // MTEXT rather than TEXT
        const char* raw;
        const char* expected;
    };
    const Row rows[] = {
        {"paragraphs", true, "One\\PTwo\\nThree", "One\nTwo\nThree"},
        {"nonBreakingSpace", true, "a\\~b", "a b"},
        {"groupsAndFont", true, "{\\fArial|b1|i0;Bold} text", "Bold text"},
        {"switches", true, "\\H2.5x;\\C1;\\A1;\\W0.8;\\Q15;\\T1.1;\\pxqc;Big", "Big"},
        {"toggles", true, "\\LUnder\\l \\Oover\\o \\Kst\\k", "Under over st"},
        {"stackedCaret", true, "1\\S1^2; in", "11/2 in"},
        {"stackedSlashAndHash", true, "\\S3/4; \\S3#8;", "3/4 3/8"},
        {"percentCodes", true, "%%d%%p%%c%%%", "\u00B0\u00B1\u2300%"},
        {"escapedLiterals", true, "a\\\\b\\{c\\}", "a\\b{c}"},
        {"unicodeEscape", true, "\\U+00E9t\\U+00E9", "\u00E9t\u00E9"},
        {"unterminatedSwitchKeepsText", true, "\\fArial no end", "Arial no end"},
        {"caretControls", true, "a^Ib^Jc^M^A^ d^x", "a b\nc^d^x"},
        {"textCaretControls", false, "x^ 2^Iy^Jz^M^@ ^a", "x^2 y z ^a"},
        {"controlCharactersRemoved", true,
         "a\x03"
         "b\x1b",
         "ab"},
        {"westernCodePage", true, "caf\xE9 \x80", "caf\u00E9 \u20AC"},
        {"textPercentCodes", false, "%%c10 %%p0.1 45%%D", "\u230010 \u00B10.1 45\u00B0"},
        {"textKeepsBackslashes", false, "C:\\dir\\P", "C:\\dir\\P"},
        {"textDropsUnderline", false, "%%uAB%%u", "AB"},
        {"textCharacterNumber", false, "%%176", "\u00B0"},
        {"textLonePercent", false, "50% of %", "50% of %"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.paragraph ? PlainMText(row.raw) : PlainText(row.raw), row.expected)
            << row.name;
    }
}

TEST(DxfTextTest, ManyUnterminatedSwitchesKeepTheirText) {
    // Each switch without ';' must not search the whole rest of the text for one.
    std::string raw;
    for (int i = 0; i < 100'000; ++i) raw += "\\fx";
    EXPECT_EQ(PlainMText(raw), std::string(100'000, 'x'));
}

}  // namespace
}  // namespace acadhpgl
