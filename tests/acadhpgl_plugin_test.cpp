// The renderer as Kestrum calls it: DXF files on disk, a parameter record, IsaACAD and
// RenderACAD, and the HP-GL or the bitmap that comes out.

#include "plugins/acadhpgl/acadhpgl.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dxf_test_drawings.h"
#include "plugins/acadhpgl/dxf_pairs.h"
#include "temp_folder.h"

namespace acadhpgl {
namespace {

using kestrum::test::ReadFile;
using kestrum::test::TempFolder;
using kestrum::test::WriteFile;
using test::DxfDrawing;
using test::LineRecord;
using test::MinimalDxf;

AcadRenderRecord RecordFor(const std::string& path) {
    AcadRenderRecord record;
    std::memset(&record, 0, sizeof record);
    EXPECT_LT(path.size(), sizeof record.drawingPath);
    std::memcpy(record.drawingPath, path.c_str(), path.size() + 1);
    return record;
}

std::string Header(int units) {
    return "9 $INSUNITS\n70 " + std::to_string(units) + "\n";
}

std::string ColouredLine(int colour, double x0, double y0, double x1, double y1) {
    return "0 LINE\n8 0\n62 " + std::to_string(colour) + "\n10 " + test::Number(x0) + "\n20 " +
           test::Number(y0) + "\n11 " + test::Number(x1) + "\n21 " + test::Number(y1) + "\n";
}

struct Rendered {
    int answer = -1;
    std::string hpgl;
};

// Renders `dxf` as HP-GL with the record `adjust` leaves.
Rendered RenderHpgl(const std::string& dxf,
                    const std::function<void(AcadRenderRecord&)>& adjust = {}) {
    TempFolder folder;
    WriteFile(folder / "drawing.dxf", dxf);
    AcadRenderRecord record = RecordFor((folder / "drawing.dxf").string());
    record.outputKind = ACADHPGL_WRITE_HPGL;
    if (adjust) adjust(record);
    const int fd = ::open((folder / "out.plt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    record.outputFile = fd;
    Rendered rendered;
    rendered.answer = RenderACAD(&record);
    ::close(fd);
    rendered.hpgl = ReadFile(folder / "out.plt");
    return rendered;
}

// --- Recognising drawings -------------------------------------------------------------------

struct IsaRow {
    const char* name;
    std::string bytes;
    int expected;
};

class PluginIsaTest : public testing::TestWithParam<IsaRow> {};

TEST_P(PluginIsaTest, AnswersOneOnlyForDxf) {
    TempFolder folder;
    WriteFile(folder / "file", GetParam().bytes);
    AcadRenderRecord record = RecordFor((folder / "file").string());
    EXPECT_EQ(IsaACAD(&record), GetParam().expected);
}

const IsaRow kIsaRows[] = {
    {"asciiDxf", MinimalDxf(LineRecord(0, 0, 1, 1)), 1},
    {"binaryDxf", std::string(kBinaryDxfSentinel) + std::string(64, '\0'), 1},
    {"dwgHeader", "AC1032" + std::string(200, '\0'), 0},
    {"garbage", "\x7f\x45\x4c\x46 not a drawing at all", 0},
    {"empty", "", 0},
    {"textMentioningSection", "notes about a SECTION of wall\nand EOF\n", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, PluginIsaTest, testing::ValuesIn(kIsaRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PluginIsaTest, UnreadablePathsAreNotDrawings) {
    TempFolder folder;
    AcadRenderRecord missing = RecordFor((folder / "missing.dxf").string());
    EXPECT_EQ(IsaACAD(&missing), 0);
    AcadRenderRecord directory = RecordFor(folder.path().string());
    EXPECT_EQ(IsaACAD(&directory), 0);

    WriteFile(folder / "a", MinimalDxf(LineRecord(0, 0, 1, 1)));
    AcadRenderRecord unterminated = RecordFor((folder / "a").string());
    std::memset(unterminated.drawingPath, 'a', sizeof unterminated.drawingPath);
    EXPECT_EQ(IsaACAD(&unterminated), 0);
    EXPECT_NE(RenderACAD(&unterminated), 0);
    EXPECT_EQ(IsaACAD(nullptr), 0);
    EXPECT_NE(RenderACAD(nullptr), 0);
}

// --- HP-GL: colour table, placement, text ---------------------------------------------------

TEST(PluginHpglTest, ColourTableChoosesPenWidthAndStyle) {
    const std::string dxf =
        DxfDrawing({.header = Header(1),
                    .entities = ColouredLine(1, 0, 0, 1, 0) + ColouredLine(2, 0, 1, 1, 1) +
                                ColouredLine(3, 0, 2, 1, 2)});
    const auto table = [](AcadRenderRecord& r) {
        r.colours[0] = {350, 2, 3};  // width, style, pen
        r.colours[1] = {350, 0, 3};  // same pen and width: only the style changes
        r.colours[2] = {0, 9, 0};    // pen 0 draws with pen 1; style 9 is solid
    };
    const Rendered withWidths = RenderHpgl(dxf, table);
    EXPECT_EQ(withWidths.answer, 0);
    EXPECT_EQ(withWidths.hpgl,
              "IN;PA;SP3;PW0.350,3;LT2;PU0,0;PD1016,0;LT;PU0,1016;PD1016,1016;SP1;PU0,2032;"
              "PD1016,2032;PU;SP0;");

    const Rendered fixedPens = RenderHpgl(dxf, [&](AcadRenderRecord& r) {
        table(r);
        r.outputChoice = 1;
    });
    EXPECT_EQ(fixedPens.answer, 0);
    EXPECT_EQ(fixedPens.hpgl.find("PW"), std::string::npos) << fixedPens.hpgl;
    EXPECT_NE(fixedPens.hpgl.find("SP3;LT2;"), std::string::npos) << fixedPens.hpgl;
}

struct PlaceRow {
    const char* name;
    int units;  // $INSUNITS
    std::string entities;
    std::int16_t paperMode;
    std::array<std::int32_t, 4> area;  // hundredths of an inch, on paper 1000 x 500
    bool limits;                       // plot the limits (0,0)-(20,20), not the extents
    double ratio;  // plotted per drawing unit; 0: fit; below 0: ratio with 0 drawing units
    std::array<double, 2> offsets;  // inches
    std::uint8_t plotChoice;
    const char* expected;  // must appear in the output
};

class PluginPlacementTest : public testing::TestWithParam<PlaceRow> {};

TEST_P(PluginPlacementTest, PutsTheDrawingWhereTheRecordSays) {
    const PlaceRow& row = GetParam();
    std::string header = Header(row.units);
    if (row.limits) header += "9 $LIMMIN\n10 0\n20 0\n9 $LIMMAX\n10 20\n20 20\n";
    const Rendered out =
        RenderHpgl(DxfDrawing({.header = header, .entities = row.entities}), [&](auto& r) {
            r.paperMode = row.paperMode;
            r.paperX = 1000;
            r.paperY = 500;
            r.areaX0 = row.area[0];
            r.areaY0 = row.area[1];
            r.areaX1 = row.area[2];
            r.areaY1 = row.area[3];
            r.fitSubMode = row.limits ? ACADHPGL_REGION_LIMITS : ACADHPGL_REGION_EXTENTS;
            r.scaleMode = row.ratio != 0 ? ACADHPGL_SCALE_RATIO : ACADHPGL_SCALE_FIT;
            r.plottedUnits = 1;
            r.drawingUnits = row.ratio < 0 ? 0 : 1 / row.ratio;
            r.offsetX = row.offsets[0];
            r.offsetY = row.offsets[1];
            r.plotChoice = row.plotChoice;
        });
    EXPECT_EQ(out.answer, 0);
    EXPECT_NE(out.hpgl.find(row.expected), std::string::npos) << out.hpgl;
}

const std::string kDiagonal = LineRecord(0, 0, 10, 10);
const std::string kInch = LineRecord(0, 0, 1, 0);
constexpr std::int16_t kPaper = ACADHPGL_PAPER_CUSTOM;
constexpr std::array<std::int32_t, 4> kSquare{0, 0, 1000, 1000};

// clang-format off
const PlaceRow kPlacements[] = {
    {"fitCentresInTheArea", 0, kDiagonal, kPaper, {100, 100, 1100, 600}, false, 0, {}, 0,
     "IN;IW1016,1016,11176,6096;PA;SP1;PU3556,1016;PD8636,6096;"},
    {"emptyAreaIsTheWholePaper", 0, kDiagonal, kPaper, {}, false, 0, {}, 0,
     "IN;IW0,0,10160,5080;PA;SP1;PU2540,0;PD7620,5080;"},
    {"ratioOneToOneInches", 1, kInch, kPaper, kSquare, false, 1, {}, 0, "PU0,0;PD1016,0;"},
    {"ratioStartsAtTheAreaCorner", 1, kInch, kPaper, {100, 200, 1000, 1000}, false, 1, {}, 0,
     "PU1016,2032;PD2032,2032;"},
    {"zeroRatioFallsBackToFit", 1, kInch, kPaper, kSquare, false, -1, {}, 0,
     "PU0,5080;PD10160,5080;"},
    {"offsetsMoveThePlot", 1, kInch, kPaper, kSquare, false, 1, {2, 1}, 0,
     "PU2032,1016;PD3048,1016;"},
    {"paperFollowsDrawingInMillimetres", 4, LineRecord(0, 0, 25.4, 0), 0, {}, false, 0, {}, 0,
     "IN;PA;SP1;PU0,0;PD1016,0;"},
    {"unitlessCountsAsMillimetres", 0, LineRecord(10, 0, 35.4, 0), 0, {}, false, 0, {}, 0,
     "IN;PA;SP1;PU0,0;PD1016,0;"},
    {"plotChoiceQuarterTurn", 1, kInch, kPaper, kSquare, false, 1, {}, 1, "PU0,0;PD0,1016;"},
    {"plotChoiceHalfTurn", 1, kInch, kPaper, kSquare, false, 1, {}, 2, "PU1016,0;PD0,0;"},
    {"unknownPlotChoiceIsUnturned", 1, kInch, kPaper, kSquare, false, 1, {}, 7, "PU0,0;PD1016,0;"},
    {"limitsAreTheRegion", 0, kDiagonal, kPaper, kSquare, true, 0, {}, 0, "PU0,0;PD5080,5080;"},
    {"extentsIgnoreLimits", 0, kDiagonal, kPaper, kSquare, false, 0, {}, 0, "PU0,0;PD10160,10160;"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, PluginPlacementTest, testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PluginHpglTest, TextBecomesLabelsInCentimetres) {
    const Rendered out = RenderHpgl(
        DxfDrawing({.header = Header(1), .entities = test::TextRecord(0, 0, 0.25, "AB\xc3\xa9")}));
    EXPECT_EQ(out.answer, 0);
    // 0.25 inch = 254 plotter units = 0.635 cm high; a pitch of 0.6 of that is a character
    // 0.4 of it wide.
    EXPECT_NE(out.hpgl.find("SI0.254,0.635;DI1.0000,0.0000;CS14;PU0,0;LBAB\xe9\x03"),
              std::string::npos)
        << out.hpgl;
}

// --- Preview --------------------------------------------------------------------------------

class Bitmap {
  public:
    explicit Bitmap(std::size_t bytes = ACADHPGL_BITMAP_BYTES) {
        fd_ = ::open((folder_ / "bitmap").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(::ftruncate(fd_, static_cast<off_t>(bytes)), 0);
    }
    ~Bitmap() { ::close(fd_); }

    int fd() const { return fd_; }
    std::string Bytes() const { return ReadFile(folder_ / "bitmap"); }
    static bool Ink(const std::string& bytes, int column, int row) {
        const auto byte =
            static_cast<unsigned char>(bytes[row * ACADHPGL_BITMAP_ROW_BYTES + column / 8]);
        return (byte & (0x80 >> (column % 8))) != 0;
    }
    bool Ink(int column, int row) const { return Ink(Bytes(), column, row); }
    int InkCount() const {
        int count = 0;
        for (unsigned char c : Bytes()) count += static_cast<int>(std::bitset<8>(c).count());
        return count;
    }

  private:
    TempFolder folder_;
    int fd_ = -1;
};

int RenderPreview(const std::string& dxf, int fd, int x0, int y0, int x1, int y1,
                  int region = ACADHPGL_REGION_EXTENTS) {
    TempFolder folder;
    WriteFile(folder / "drawing.dxf", dxf);
    AcadRenderRecord record = RecordFor((folder / "drawing.dxf").string());
    record.outputKind = ACADHPGL_DRAW_PREVIEW;
    record.deviceContext = fd;
    record.areaX0 = x0;
    record.areaY0 = y0;
    record.areaX1 = x1;
    record.areaY1 = y1;
    record.fitSubMode = static_cast<std::int16_t>(region);
    record.previewFlag = 1;
    record.offsetX = 5;  // a preview always fits: offsets must not move it
    return RenderACAD(&record);
}

TEST(PluginPreviewTest, DiagonalRunsCornerToCornerWithYUp) {
    Bitmap bitmap;
    ASSERT_EQ(RenderPreview(MinimalDxf(kDiagonal), bitmap.fd(), 1, 1, 300, 300), 0);
    EXPECT_EQ(bitmap.InkCount(), 300);
    const std::string bytes = bitmap.Bytes();
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(Bitmap::Ink(bytes, i, 299 - i)) << i;
}

TEST(PluginPreviewTest, NothingOutsideTheArea) {
    // Limits smaller than the drawing: the line would run far past the area.
    const std::string dxf =
        DxfDrawing({.header = "9 $LIMMIN\n10 0\n20 0\n9 $LIMMAX\n10 2\n20 2\n",
                    .entities = kDiagonal + test::TextRecord(-50, 5, 1, "LONG TEXT")});
    Bitmap bitmap;
    ASSERT_EQ(RenderPreview(dxf, bitmap.fd(), 51, 101, 150, 200, ACADHPGL_REGION_LIMITS), 0);
    const std::string bytes = bitmap.Bytes();
    int inside = 0;
    for (int row = 0; row < 300; ++row) {
        for (int column = 0; column < 300; ++column) {
            if (!Bitmap::Ink(bytes, column, row)) continue;
            EXPECT_TRUE(column >= 50 && column < 150 && row >= 100 && row < 200)
                << column << "," << row;
            ++inside;
        }
    }
    EXPECT_EQ(inside, 100);
    EXPECT_TRUE(bitmap.Ink(50, 199));
    EXPECT_TRUE(bitmap.Ink(149, 100));
}

TEST(PluginPreviewTest, KeepsTheCallersBitsAndRejectsASmallBitmap) {
    Bitmap bitmap;
    const std::string mark = "\xff\x81";
    ASSERT_EQ(::pwrite(bitmap.fd(), mark.data(), mark.size(), 0), 2);
    ASSERT_EQ(RenderPreview(MinimalDxf(LineRecord(0, 0, 1, 0)), bitmap.fd(), 1, 200, 300, 300), 0);
    EXPECT_EQ(bitmap.Bytes().substr(0, 2), mark);

    Bitmap small(100);
    ASSERT_EQ(::pwrite(small.fd(), mark.data(), mark.size(), 0), 2);
    EXPECT_NE(RenderPreview(MinimalDxf(kDiagonal), small.fd(), 1, 1, 300, 300), 0);
    EXPECT_EQ(small.Bytes(), mark + std::string(98, '\0'));
    EXPECT_NE(RenderPreview(MinimalDxf(kDiagonal), -1, 1, 1, 300, 300), 0);
}

// --- External references --------------------------------------------------------------------

TEST(PluginReferenceTest, FoundThroughTheReferenceList) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "host");
    std::filesystem::create_directories(folder / "parts");
    // Written on Windows: another drive, backslashes, a .dwg name in other letter case.
    const std::string host =
        DxfDrawing({.header = Header(1),
                    .blocks = test::BlockRecord("PART", 0, 0, "", 4, "C:\\elsewhere\\Part.DWG"),
                    .entities = LineRecord(0, 0, 0, 1) + test::InsertRecord("PART", 5, 0)});
    WriteFile(folder / "host" / "host.dxf", host);
    WriteFile(folder / "parts" / "part.dxf", DxfDrawing({.layers = test::LayerRecord("P", 3),
                                                         .entities = LineRecord(0, 0, 1, 0, "P")}));
    const std::string list = (folder / "nowhere").string() + '\0' + (folder / "parts").string();
    WriteFile(folder / "list", list);  // the last path without its terminator
    const int listFd = ::open((folder / "list").c_str(), O_RDONLY);
    ASSERT_GT(listFd, 0);

    const auto render = [&](int references) {
        AcadRenderRecord record = RecordFor((folder / "host" / "host.dxf").string());
        record.outputKind = ACADHPGL_WRITE_HPGL;
        record.referenceList = references;
        record.colours[2].pen = 4;
        const int out = ::open((folder / "out.plt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        record.outputFile = out;
        const int answer = RenderACAD(&record);
        ::close(out);
        EXPECT_EQ(answer, 0);
        return ReadFile(folder / "out.plt");
    };
    const std::string found = render(listFd);
    EXPECT_NE(found.find("SP4;PU5080,0;PD6096,0;"), std::string::npos) << found;
    // Without the list the part is left out, and the rest is still plotted.
    const std::string missing = render(0);
    EXPECT_EQ(missing.find("PU5080,0"), std::string::npos) << missing;
    EXPECT_NE(missing.find("PU0,0;PD0,1016;"), std::string::npos) << missing;
    ::close(listFd);
}

// --- Failures -------------------------------------------------------------------------------

TEST(PluginFailureTest, WriteFailuresAreReported) {
    TempFolder folder;
    WriteFile(folder / "drawing.dxf", MinimalDxf(kDiagonal));
    AcadRenderRecord record = RecordFor((folder / "drawing.dxf").string());
    record.outputKind = ACADHPGL_WRITE_HPGL;

    const int full = ::open("/dev/full", O_WRONLY);
    if (full >= 0) {
        record.outputFile = full;
        EXPECT_NE(RenderACAD(&record), 0);
        ::close(full);
    }
    // A pipe nobody reads: the write fails, and SIGPIPE must not end the process.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    record.outputFile = ends[1];
    EXPECT_NE(RenderACAD(&record), 0);
    ::close(ends[1]);

    record.outputFile = -1;
    EXPECT_NE(RenderACAD(&record), 0);
}

TEST(PluginFailureTest, BadInputFailsWithoutWriting) {
    const auto kind = [](std::int16_t kind) {
        return [kind](AcadRenderRecord& r) { r.outputKind = kind; };
    };
    const Rendered unknownKind = RenderHpgl(MinimalDxf(kDiagonal), kind(3));
    EXPECT_NE(unknownKind.answer, 0);
    EXPECT_EQ(unknownKind.hpgl, "");

    const Rendered garbage = RenderHpgl("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nbanana");
    EXPECT_NE(garbage.answer, 0);
    EXPECT_EQ(garbage.hpgl, "");
}

TEST(PluginFailureTest, AbsurdCoordinatesStayInThePlotterRange) {
    const std::string dxf = MinimalDxf(LineRecord(1e300, -1e300, -1e300, 1e300) +
                                       LineRecord(0, 0, 1, 1) + test::CircleRecord(0, 0, 1e305));
    const Rendered out = RenderHpgl(dxf);
    EXPECT_EQ(out.answer, 0);
    std::string number;
    for (char c : out.hpgl + ";") {
        if (c == '-' || (c >= '0' && c <= '9')) {
            number += c;
            continue;
        }
        if (!number.empty()) {
            EXPECT_LE(std::fabs(std::stod(number)), 1073741823.0) << number;
            number.clear();
        }
    }
}

// --- What the renderer says ------------------------------------------------------------------

struct MessageRow {
    const char* name;
    std::string dxf;
    int answer;
    std::vector<std::string> said;  // pieces the message holds
    std::vector<std::string> notSaid;
};

TEST(PluginMessageTest, SaysWhyAndWhatWasLeftOut) {
    const std::string line = LineRecord(0, 0, 10, 10);
    const MessageRow rows[] = {
        {"a plain drawing", MinimalDxf(line), 0, {}, {ACADHPGL_EMPTY_PLOT_TEXT, "Left out"}},
        {"kinds left out",
         MinimalDxf(line + "0 TOLERANCE\n8 0\n0 IMAGE\n8 0\n0 IMAGE\n8 0\n"),
         0,
         {"Left out: 1 TOLERANCE entity.",
          "Left out: 2 IMAGE entities: HP-GL/2 plots hold no "
          "raster pictures"},
         {ACADHPGL_EMPTY_PLOT_TEXT}},
        {"nothing plotted",
         MinimalDxf("0 REGION\n8 0\n"),
         0,
         {ACADHPGL_EMPTY_PLOT_TEXT, "Left out: 1 REGION entity: their shapes"},
         {}},
        {"only definition points",
         MinimalDxf("0 POINT\n8 DEFPOINTS\n10 1\n20 1\n"),
         0,
         {ACADHPGL_EMPTY_PLOT_TEXT},
         {}},
        {"no end marker",
         MinimalDxf(line).substr(0, MinimalDxf(line).rfind("0\nEOF")),
         0,
         {"end-of-file marker is missing"},
         {ACADHPGL_EMPTY_PLOT_TEXT}},
        {"characters no set holds",
         MinimalDxf(test::TextRecord(0, 0, 1, "\\U+4E2D\\U+6587 \\U+0416%%d")),
         0,
         {"Left out: 2 characters of texts that no plotter character set holds"},
         {ACADHPGL_EMPTY_PLOT_TEXT}},
        {"damaged", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nbanana", 1, {"cut off"}, {}},
    };
    for (const MessageRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Rendered out = RenderHpgl(row.dxf);
        EXPECT_EQ(out.answer, row.answer);
        const std::string said = AcadLastMessage();
        if (row.said.empty()) {
            EXPECT_EQ(said, "");
        }
        for (const std::string& piece : row.said)
            EXPECT_NE(said.find(piece), std::string::npos) << said;
        for (const std::string& piece : row.notSaid)
            EXPECT_EQ(said.find(piece), std::string::npos) << said;
        if (!row.said.empty() && row.said[0] == ACADHPGL_EMPTY_PLOT_TEXT) {
            EXPECT_TRUE(said.starts_with(ACADHPGL_EMPTY_PLOT_TEXT)) << said;
        }
    }
}

TEST(PluginMessageTest, WriteFailureIsToldApart) {
    TempFolder folder;
    WriteFile(folder / "drawing.dxf", MinimalDxf(LineRecord(0, 0, 10, 10)));
    AcadRenderRecord record = RecordFor((folder / "drawing.dxf").string());
    record.outputKind = ACADHPGL_WRITE_HPGL;
    record.outputFile = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(record.outputFile, 0);
    EXPECT_NE(RenderACAD(&record), 0);
    ::close(record.outputFile);
    EXPECT_TRUE(std::string(AcadLastMessage()).starts_with(ACADHPGL_WRITE_FAILED_TEXT ": "))
        << AcadLastMessage();
}

TEST(PluginHpglTest, FillsAreFilledPolygonsAndSignsUseLatin1) {
    const std::string solid = "0 SOLID\n8 0\n10 0\n20 0\n11 10\n21 0\n12 0\n22 10\n13 10\n23 10\n";
    const Rendered out = RenderHpgl(MinimalDxf(solid + test::TextRecord(0, 0, 1, "90%%d")));
    ASSERT_EQ(out.answer, 0);
    EXPECT_NE(out.hpgl.find(";PM0;PD"), std::string::npos) << out.hpgl;
    EXPECT_NE(out.hpgl.find("PM1;PM2;FP0;"), std::string::npos) << out.hpgl;
    const std::size_t set = out.hpgl.find("CS14;");
    ASSERT_NE(set, std::string::npos);
    EXPECT_LT(set, out.hpgl.find("LB90\xb0\x03"));

    // A drawing of plain lines and ASCII text keeps its plain HP-GL/2.
    const Rendered plain =
        RenderHpgl(MinimalDxf(LineRecord(0, 0, 1, 1) + test::TextRecord(0, 0, 1, "ab")));
    EXPECT_EQ(plain.hpgl.find("CS"), std::string::npos);
    EXPECT_EQ(plain.hpgl.find("PM"), std::string::npos);
}

}  // namespace
}  // namespace acadhpgl
