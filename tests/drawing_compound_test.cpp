// Multilines with the caps, joints, fills and colours of their styles, and multileaders whose
// content is a block: read from small DXF fragments and walked the way they are plotted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "dxf_test_drawings.h"
#include "plugins/acadhpgl/drawing_walker.h"
#include "plugins/acadhpgl/dxf_reader.h"

namespace acadhpgl {
namespace {

using test::Number;
using test::Pairs;

struct Label {
    Point at;
    double height = 0;
    double degrees = 0;
    std::string text;
};

struct Walked {
    std::vector<std::vector<Point>> runs;
    std::vector<std::vector<std::vector<Point>>> fills;
    std::vector<Label> labels;
};

class Sink final : public PlotSink {
  public:
    explicit Sink(Walked& out) : out_(out) {}
    void SetColour(int) override {}
    void Polyline(std::span<const Point> points) override {
        out_.runs.emplace_back(points.begin(), points.end());
    }
    void Dot(Point) override {}
    void Fill(std::span<const std::vector<Point>> loops) override {
        out_.fills.emplace_back(loops.begin(), loops.end());
    }
    void Label(Point at, double height, double degrees, double, std::string_view text) override {
        out_.labels.push_back({at, height, degrees, std::string(text)});
    }

  private:
    Walked& out_;
};

// A drawing with a block record table, blocks, entities and objects, each part compact.
std::string Document(const std::string& blockRecords, const std::string& blocks,
                     const std::string& entities, const std::string& objects) {
    std::string compact;
    if (!blockRecords.empty()) {
        compact += "0 SECTION\n2 TABLES\n0 TABLE\n2 BLOCK_RECORD\n" + blockRecords +
                   "0 ENDTAB\n0 ENDSEC\n";
    }
    if (!blocks.empty()) compact += "0 SECTION\n2 BLOCKS\n" + blocks + "0 ENDSEC\n";
    compact += "0 SECTION\n2 ENTITIES\n" + entities + "0 ENDSEC\n";
    if (!objects.empty()) compact += "0 SECTION\n2 OBJECTS\n" + objects + "0 ENDSEC\n";
    return Pairs(compact + "0 EOF\n");
}

Walked Walk(const std::string& dxf, Drawing* read = nullptr) {
    Drawing drawing;
    std::string error;
    EXPECT_TRUE(ReadDxf(dxf, drawing, error)) << error;
    Walked walked;
    Sink sink(walked);
    EXPECT_TRUE(WalkDrawing(drawing, WalkOptions{}, sink, error)) << error;
    if (read != nullptr) *read = std::move(drawing);
    return walked;
}

bool Near(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y) < 1e-6;
}

// A run from a to b (either way) that passes through `through`.
bool HasRun(const Walked& walked, Point a, Point b, std::optional<Point> through = {}) {
    return std::any_of(walked.runs.begin(), walked.runs.end(), [&](const auto& run) {
        const bool ends = (Near(run.front(), a) && Near(run.back(), b)) ||
                          (Near(run.front(), b) && Near(run.back(), a));
        return ends && (!through || std::any_of(run.begin(), run.end(),
                                                [&](Point p) { return Near(p, *through); }));
    });
}

// --- Multilines -----------------------------------------------------------------------------

struct Vertex {
    Point at;
    Point direction;
    Point mitre;
};

// An MLINE through the vertices with one element per offset (along each vertex's mitre).
// `extra` holds further parameters of every element (where it is broken).
std::string MultiLineRecord(const std::vector<Vertex>& vertices, const std::vector<double>& offsets,
                            int flags = 1, const std::string& style = "340 2A\n2 WALLS\n",
                            const std::string& extra = "", const std::string& layerColour = "") {
    std::string out = "0 MLINE\n8 0\n" + layerColour + "100 AcDbMline\n" + style +
                      "40 1\n70 0\n71 " + std::to_string(flags) + "\n72 " +
                      std::to_string(vertices.size()) + "\n73 " + std::to_string(offsets.size()) +
                      "\n10 0\n20 0\n";
    for (const Vertex& v : vertices) {
        out += "11 " + Number(v.at.x) + "\n21 " + Number(v.at.y) + "\n12 " + Number(v.direction.x) +
               "\n22 " + Number(v.direction.y) + "\n13 " + Number(v.mitre.x) + "\n23 " +
               Number(v.mitre.y) + "\n";
        const int extras = static_cast<int>(std::count(extra.begin(), extra.end(), '\n'));
        for (double offset : offsets) {
            out += "74 " + std::to_string(1 + extras) + "\n41 " + Number(offset) + "\n" + extra +
                   "75 0\n";
        }
    }
    return out;
}

std::string StyleRecord(int flags, const std::vector<int>& colours, int fillColour = 256) {
    std::string out = "0 MLINESTYLE\n5 2A\n100 AcDbMlineStyle\n2 WALLS\n70 " +
                      std::to_string(flags) + "\n3 \n62 " + std::to_string(fillColour) +
                      "\n51 90\n52 90\n71 " + std::to_string(colours.size()) + "\n";
    for (std::size_t i = 0; i < colours.size(); ++i) {
        out += "49 " + Number(1.0 - static_cast<double>(i)) + "\n62 " + std::to_string(colours[i]) +
               "\n6 BYLAYER\n";
    }
    return out;
}

const std::vector<Vertex> kStraight = {{{0, 0}, {1, 0}, {0, 1}}, {{10, 0}, {1, 0}, {0, 1}}};

TEST(MultiLineStyleTest, CapsJointsAndBreaksFollowTheStyle) {
    const double root2 = std::sqrt(2.0);
    const std::vector<Vertex> corner = {{{0, 0}, {1, 0}, {0, 1}},
                                        {{10, 0}, {0, 1}, {-1 / root2, 1 / root2}},
                                        {{10, 10}, {0, 1}, {-1, 0}}};
    struct Row {
        const char* name;
        std::string entities;
        std::string objects;
        std::size_t runs;
        std::vector<std::vector<Point>> expected;  // a, b and optionally a point between
    } rows[] = {
        {"line caps at both ends",
         MultiLineRecord(kStraight, {1, -1}),
         StyleRecord(16 | 256, {256, 256}),
         4,
         {{{0, 1}, {0, -1}}, {{10, 1}, {10, -1}}, {{0, 1}, {10, 1}}}},
        {"outer arcs bow outwards",
         MultiLineRecord(kStraight, {1, -1}),
         StyleRecord(64 | 1024, {256, 256}),
         4,
         {{{0, 1}, {0, -1}, {-1, 0}}, {{10, 1}, {10, -1}, {11, 0}}}},
        {"inner arcs join the pairs inside",
         MultiLineRecord(kStraight, {1.5, 0.5, -0.5, -1.5}),
         StyleRecord(32, {256, 256, 256, 256}),
         5,
         {{{0, 0.5}, {0, -0.5}, {-0.5, 0}}}},
        {"start caps suppressed by the multiline",
         MultiLineRecord(kStraight, {1, -1}, 1 | 4),
         StyleRecord(16 | 256, {256, 256}),
         3,
         {{{10, 1}, {10, -1}}}},
        {"closed: no caps",
         MultiLineRecord({{{0, 0}, {1, 0}, {0, 1}}, {{10, 0}, {0, 1}, {-1, 0}}}, {1, -1}, 1 | 2),
         StyleRecord(16 | 256, {256, 256}),
         2,
         {}},
        {"joints at the inner vertices",
         MultiLineRecord(corner, {1, -1}, 1),
         StyleRecord(2, {256, 256}),
         3,
         {{{9.2928932188134521, 0.70710678118654757}, {10.707106781186548, -0.70710678118654757}}}},
        {"style found by name when the handle is unknown",
         MultiLineRecord(kStraight, {1, -1}, 1, "340 FF\n2 walls\n"),
         StyleRecord(16, {256, 256}),
         3,
         {{{0, 1}, {0, -1}}}},
        {"no style in the file: the elements only",
         MultiLineRecord(kStraight, {1, -1}),
         "",
         2,
         {{{0, 1}, {10, 1}}, {{0, -1}, {10, -1}}}},
        {"broken elements are drawn in pieces",
         MultiLineRecord(kStraight, {1}, 1, "2 WALLS\n", "41 0\n41 4\n41 6\n"),
         "",
         2,
         {{{0, 1}, {4, 1}}, {{6, 1}, {10, 1}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Walked walked = Walk(Document("", "", row.entities, row.objects));
        EXPECT_EQ(walked.runs.size(), row.runs);
        for (const auto& run : row.expected) {
            std::optional<Point> through;
            if (run.size() > 2) through = run[2];
            EXPECT_TRUE(HasRun(walked, run[0], run[1], through))
                << run[0].x << "," << run[0].y << " " << run[1].x << "," << run[1].y;
        }
    }
}

TEST(MultiLineStyleTest, FillAndElementColoursComeFromTheStyle) {
    Drawing drawing;
    const Walked walked =
        Walk(Document("", "", MultiLineRecord(kStraight, {1, -1}, 1, "340 2A\n", "", "62 3\n"),
                      StyleRecord(1, {1, 256}, 5)),
             &drawing);
    ASSERT_EQ(walked.fills.size(), 1u);
    double area = 0;  // the band between the outer elements
    const auto& loop = walked.fills[0][0];
    for (std::size_t i = 0; i + 1 < loop.size(); ++i) {
        area += loop[i].x * loop[i + 1].y - loop[i + 1].x * loop[i].y;
    }
    EXPECT_NEAR(std::fabs(area) / 2, 20, 1e-9);
    // The fill comes first, so that it does not cover the lines.
    ASSERT_EQ(drawing.entities.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<Hatch>(drawing.entities[0].shape));
    EXPECT_EQ(drawing.entities[0].colour, 5);
    EXPECT_EQ(drawing.entities[1].colour, 1);  // the element's own
    EXPECT_EQ(drawing.entities[2].colour, 3);  // by layer: the multiline's
}

TEST(MultiLineStyleTest, MultiLinesInBlocksAreDrawnWhereTheBlockIs) {
    const std::string block = "0 BLOCK\n8 0\n2 WALL\n70 0\n10 0\n20 0\n" +
                              MultiLineRecord(kStraight, {1, -1}) + "0 ENDBLK\n8 0\n";
    // A second definition of the same name is dropped with its multiline.
    const std::string again = "0 BLOCK\n8 0\n2 WALL\n70 0\n10 0\n20 0\n" +
                              MultiLineRecord(kStraight, {5, -5}) + "0 ENDBLK\n8 0\n";
    const Walked walked = Walk(Document("", block + again, "0 INSERT\n8 0\n2 WALL\n10 100\n20 0\n",
                                        StyleRecord(16, {256, 256})));
    EXPECT_EQ(walked.runs.size(), 3u);
    EXPECT_TRUE(HasRun(walked, {100, 1}, {110, 1}));
    EXPECT_TRUE(HasRun(walked, {100, 1}, {100, -1}));
}

// --- Multileaders with block content --------------------------------------------------------

const std::string kTagBlock =
    "0 BLOCK\n8 0\n2 TAG\n70 2\n10 0\n20 0\n"
    "0 LINE\n8 0\n10 0\n20 0\n11 1\n21 0\n"
    "0 ATTDEF\n5 A3\n8 0\n10 0\n20 1\n40 0.5\n1 X\n3 Number?\n2 NUMBER\n70 0\n"
    "0 ENDBLK\n8 0\n";

// A multileader whose content is the block with record handle `handle`, at 10,5, twice the
// size and turned a quarter left, filling in attribute A3. The leader data follow the context
// data, with a dogleg length and a block turn of their own.
std::string BlockLeader(const std::string& handle) {
    return "0 MULTILEADER\n5 B5\n330 1F\n100 AcDbEntity\n8 0\n100 AcDbMLeader\n270 2\n"
           "300 CONTEXT_DATA{\n40 1\n10 10\n20 5\n41 0.5\n140 0.25\n290 0\n296 1\n341 " +
           handle + "\n15 10\n25 5\n16 2\n26 2\n46 " + Number(std::numbers::pi / 2) +
           "\n302 LEADER{\n290 1\n291 1\n10 10\n20 5\n11 1\n21 0\n40 1\n"
           "304 LEADER_LINE{\n10 0\n20 0\n305 }\n303 }\n301 }\n"
           "340 6D\n170 1\n41 8\n42 4\n172 1\n344 " +
           handle + "\n43 0\n330 A3\n177 1\n44 0\n302 B7\n";
}

TEST(MultiLeaderBlockTest, DrawsTheBlockAndItsAttributesWhereTheLeaderPutsThem) {
    const std::string records =
        "0 BLOCK_RECORD\n5 1F\n2 *Model_Space\n0 BLOCK_RECORD\n5 fe\n2 TAG\n";
    struct Row {
        const char* name;
        std::string handle;
        bool block;
    } rows[] = {{"block by its record's handle", "FE", true},
                {"a handle the file lacks", "77", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Walked walked = Walk(Document(records, kTagBlock, BlockLeader(row.handle), ""));
        EXPECT_TRUE(HasRun(walked, {0, 0}, {10, 5}));  // the leader line stays either way
        EXPECT_EQ(HasRun(walked, {10, 5}, {10, 7}), row.block);
        if (!row.block) {
            EXPECT_TRUE(walked.labels.empty());
            continue;
        }
        ASSERT_EQ(walked.labels.size(), 1u);
        const Label& label = walked.labels[0];
        EXPECT_EQ(label.text, "B7");
        EXPECT_NEAR(label.at.x, 8, 1e-9);
        EXPECT_NEAR(label.at.y, 5, 1e-9);
        EXPECT_NEAR(label.height, 1, 1e-9);
        EXPECT_NEAR(label.degrees, 90, 1e-9);
    }
}

TEST(MultiLeaderBlockTest, LeaderDataAfterTheContextDoNotResizeTheText) {
    // Groups 41 and 43 after the context data are the dogleg length and the block's turn.
    const std::string leader =
        "0 MULTILEADER\n8 0\n100 AcDbMLeader\n300 CONTEXT_DATA{\n40 1\n10 5\n20 5\n41 0.5\n"
        "140 0.6\n290 1\n304 A fairly long note\n12 6\n22 5.25\n13 1\n23 0\n43 50\n"
        "302 LEADER{\n290 1\n291 1\n10 5\n20 5\n11 1\n21 0\n40 1\n"
        "304 LEADER_LINE{\n10 0\n20 0\n305 }\n303 }\n301 }\n41 8\n43 0\n";
    const Walked walked = Walk(Document("", "", leader, ""));
    ASSERT_EQ(walked.labels.size(), 1u);
    EXPECT_EQ(walked.labels[0].text, "A fairly long note");
    EXPECT_NEAR(walked.labels[0].height, 0.5, 1e-9);
}

}  // namespace
}  // namespace acadhpgl
