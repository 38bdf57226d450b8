// Pictures of small plot files, checked pixel by pixel where the geometry fixes them, and plots
// that are damaged or hostile.

#include "render/hpgl_preview.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <string_view>

#include "shell/resource_ids.h"

namespace kestrum {
namespace {

using Outcome = HpglPlot::Outcome;

HpglPlot Read(std::string_view text, const HpglLimits& limits = {}) {
    return InterpretHpgl(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                         limits);
}

PreviewBitmap Picture(std::string_view text) {
    PreviewBitmap picture;
    DrawHpgl(Read(text), picture);
    return picture;
}

// A square's outline fills the whole picture's border and nothing else.
void ExpectFrame(const PreviewBitmap& picture) {
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(picture.Ink(i, 0) && picture.Ink(i, 299)) << "column " << i;
        ASSERT_TRUE(picture.Ink(0, i) && picture.Ink(299, i)) << "row " << i;
    }
    EXPECT_EQ(picture.InkCount(), 4u * 299u);
}

TEST(HpglPreview, SquareFillsThePicture) {
    const HpglPlot plot = Read("IN;SP1;PU0,0;PD1000,0,1000,1000,0,1000,0,0;");
    EXPECT_EQ(plot.outcome, Outcome::Complete);
    EXPECT_EQ(plot.lineCount(), 1u);  // one polyline of five points, not four lines
    EXPECT_EQ(plot.pointCount(), 5u);
    PreviewBitmap picture;
    DrawHpgl(plot, picture);
    ExpectFrame(picture);
}

// Older plots: no terminators, blanks between numbers, relative moves, lower case.
TEST(HpglPreview, RelativeSquareWithoutTerminators) {
    ExpectFrame(Picture("IN SP1 PU 500 500 PR PD 20 0 0 20 -20 0 0 -20"));
    ExpectFrame(Picture("in;sp1;pu0,0;pd0,3.5,3.5,3.5,3.5,0,0,0;"));
}

TEST(HpglPreview, CircleIsRoundAndHollow) {
    const PreviewBitmap picture = Picture("IN;SP1;PA5000,5000;CI2000;");
    EXPECT_TRUE(picture.Ink(299, 149) || picture.Ink(299, 150));  // starts at zero degrees
    EXPECT_TRUE(picture.Ink(0, 149) || picture.Ink(0, 150));
    EXPECT_TRUE(picture.Ink(149, 0) || picture.Ink(150, 0));
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (!picture.Ink(x, y)) continue;
            // Chords of five degrees lie inside the circle by at most 1 - cos(2.5 degrees).
            const double distance = std::hypot(x - 149.5, y - 149.5);
            ASSERT_GT(distance, 149.5 * std::cos(2.5 * M_PI / 180) - 1.5) << x << "," << y;
            ASSERT_LT(distance, 151.0) << x << "," << y;
        }
    }
    // Pen up stays up: the circle is drawn whatever the pen, and the pen returns to the centre
    // without a line.
    EXPECT_FALSE(picture.Ink(150, 150));
}

TEST(HpglPreview, ArcsSweepCounterClockwise) {
    // A quarter arc from (1000,0) around the origin to (0,1000), then a line back down.
    const HpglPlot plot = Read("IN;SP1;PU1000,0;PD;AA0,0,90,1;PD0,0;");
    ASSERT_EQ(plot.outcome, Outcome::Complete);
    EXPECT_EQ(plot.pointCount(), 92u);  // start, 90 chords of one degree, the line's end
    PreviewBitmap picture;
    DrawHpgl(plot, picture);
    EXPECT_TRUE(picture.Ink(299, 299));  // the arc's start at the bottom right
    EXPECT_TRUE(picture.Ink(0, 0));      // its end at the top left
    EXPECT_TRUE(picture.Ink(0, 299));    // the centre, reached by the line
    EXPECT_FALSE(picture.Ink(299, 0));   // the arc bulges towards the top right, not into it
    const int bulge = static_cast<int>(std::lround(299 * (1 - std::cos(M_PI / 4))));
    EXPECT_TRUE(picture.Ink(299 - bulge, bulge) || picture.Ink(299 - bulge, bulge + 1) ||
                picture.Ink(298 - bulge, bulge));
}

// Encodes one number of a PE command the way the format defines it, independently of the reader.
std::string Encode(long value, bool sevenBit = false) {
    unsigned long n = value < 0 ? static_cast<unsigned long>(-value) * 2 + 1
                                : static_cast<unsigned long>(value) * 2;
    const unsigned base = sevenBit ? 32 : 64;
    std::string out;
    while (n >= base) {
        out += static_cast<char>(63 + n % base);
        n /= base;
    }
    out += static_cast<char>((sevenBit ? 95 : 191) + n);
    return out;
}

TEST(HpglPreview, EncodedPolylines) {
    // 1000 is sent as 2000 = 16 + 31 * 64: "O", then the last digit 31 + 191.
    EXPECT_EQ(Encode(1000), "O\xde");
    EXPECT_EQ(Encode(1000, true), "O]`");
    const std::string diagonal = "IN;SP1;PE<\xbf\xbfO\xdeO\xde;";
    PreviewBitmap picture = Picture(diagonal);
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(picture.Ink(i, 299 - i)) << i;
    EXPECT_EQ(picture.InkCount(), 300u);

    // The same square four ways: eight-bit, seven-bit, absolute and with fraction bits.
    std::string eight = "IN;SP1;PE<" + Encode(0) + Encode(0);
    std::string seven = "IN;SP1;PE7<" + Encode(0, true) + Encode(0, true);
    for (auto [x, y] : {std::pair{500, 0}, {0, 500}, {-500, 0}, {0, -500}}) {
        eight += Encode(x) + Encode(y);
        seven += Encode(x, true) + Encode(y, true);
    }
    ExpectFrame(Picture(eight + ";"));
    ExpectFrame(Picture(seven + ";"));
    ExpectFrame(Picture("IN;SP1;PE<=" + Encode(100) + Encode(100) + "=" + Encode(600) +
                        Encode(100) + "=" + Encode(600) + Encode(600) + Encode(-500) + Encode(0) +
                        Encode(0) + Encode(-500) + ";"));
    ExpectFrame(Picture("IN;SP1;PE>" + Encode(3) + "<" + Encode(0) + Encode(0) + Encode(4) +
                        Encode(0) + Encode(0) + Encode(4) + Encode(-4) + Encode(0) + Encode(0) +
                        Encode(-4) + ";"));
    // A pen change inside the encoding: pen 0 draws nothing.
    EXPECT_EQ(Picture("IN;SP1;PE:" + Encode(0) + Encode(100) + Encode(100) + ";").InkCount(), 0u);
}

TEST(HpglPreview, ScalingMapsUserUnits) {
    // Anisotropic scaling onto P1-P2: the user square 0..10 becomes a 2:1 rectangle.
    const HpglPlot plot = Read("IN;IP0,0,2000,1000;SC0,10,0,10;SP1;PU0,0;PD10,0,10,10,0,10,0,0;");
    ASSERT_EQ(plot.outcome, Outcome::Complete);
    EXPECT_DOUBLE_EQ(plot.maxX - plot.minX, 2000);
    EXPECT_DOUBLE_EQ(plot.maxY - plot.minY, 1000);
    // Isotropic scaling keeps the square, centred in P1-P2.
    const HpglPlot iso = Read("IN;IP0,0,2000,1000;SC0,10,0,10,1;SP1;PU0,0;PD10,0,10,10;");
    EXPECT_DOUBLE_EQ(iso.maxX - iso.minX, 1000);
    EXPECT_DOUBLE_EQ(iso.originX, 500);
    // Point-factor scaling: 25 plotter units a user unit.
    const HpglPlot factor = Read("IN;SC0,25,0,25,2;SP1;PU0,0;PD4,0;");
    EXPECT_DOUBLE_EQ(factor.maxX - factor.minX, 100);
    // A scaling without a span is ignored, as a plotter ignores it.
    const HpglPlot flat = Read("IN;SC5,5,0,10;SP1;PU0,0;PD7,0;");
    EXPECT_EQ(flat.outcome, Outcome::Complete);
    EXPECT_DOUBLE_EQ(flat.maxX - flat.minX, 7);
}

TEST(HpglPreview, RotationTurnsThePlot) {
    // An L: a long leg to the right, then a short one up. Turned a quarter it stands upright.
    const std::string l = "SP1;PU0,0;PD1000,0,1000,500;";
    const HpglPlot flat = Read("IN;" + l), turned = Read("IN;RO90;" + l);
    EXPECT_DOUBLE_EQ(flat.maxX - flat.minX, 1000);
    EXPECT_DOUBLE_EQ(turned.maxY - turned.minY, 1000);
    EXPECT_DOUBLE_EQ(turned.maxX - turned.minX, 500);
    PreviewBitmap picture;
    DrawHpgl(turned, picture);
    EXPECT_TRUE(picture.Ink(150 + 74, 299));  // the long leg runs up the right-hand side
    EXPECT_TRUE(picture.Ink(150 + 74, 0));
    EXPECT_TRUE(picture.Ink(75, 0));  // the short leg runs left along the top
    EXPECT_FALSE(picture.Ink(75, 299));
}

TEST(HpglPreview, LabelsShowOneBoxPerCharacter) {
    // Two characters of a 1 cm cell: two 400-unit squares 200 units apart.
    const HpglPlot plot = Read("IN;SP1;SI1,1;PA0,0;LBA B\x03PR0,0;");
    ASSERT_EQ(plot.outcome, Outcome::Complete);
    EXPECT_EQ(plot.lineCount(), 2u);  // the blank shows nothing
    EXPECT_DOUBLE_EQ(plot.maxX - plot.minX, 2 * 600 + 400);
    EXPECT_DOUBLE_EQ(plot.maxY - plot.minY, 400);
    // Another terminator, and a label running upwards.
    const HpglPlot up = Read("IN;SP1;DT#;SI1,1;DI0,1;LBAB#PU;");
    EXPECT_EQ(up.lineCount(), 2u);
    EXPECT_DOUBLE_EQ(up.maxY - up.minY, 1000);
    // A buffered label is not drawn.
    EXPECT_FALSE(Read("IN;SP1;BLhidden\x03").hasInk());
}

// The wrappers printers take around HP-GL/2, including PCL data that holds bytes looking like
// HP-GL and like a switch back into it, must not change the picture.
TEST(HpglPreview, JobLanguagesAroundTheplotAreSkipped) {
    const std::string square = "IN;SP1;PU0,0;PD1000,0,1000,1000,0,1000,0,0;";
    const std::string raster = "PD5000,5000\x1b%1B";
    const std::string wrapped =
        "\x1b%-12345X@PJL JOB NAME=\"plot\"\r\n@PJL ENTER LANGUAGE=PCL\r\n\x1b"
        "E\x1b&l0O"
        "\x1b*b" +
        std::to_string(raster.size()) + "W" + raster + "PD9000,9000\x1b%1B" + square +
        "\x1b%0A\x1b*v2W\x1b%PD99,99\x1b"
        "E\x1b%-12345X@PJL EOJ\r\n";
    ExpectFrame(Picture(wrapped));
    ExpectFrame(Picture("\x1b%-12345X@PJL ENTER LANGUAGE = HPGL2\n" + square));
    ExpectFrame(Picture("\x1b.(;\x1b.I81;;17:\x1b.N;19:" + square));
}

TEST(HpglPreview, UnknownCommandsAreSkipped) {
    const HpglPlot plot = Read(
        "BP1,\"title; with PD\";IN;FT1;XX1,2,3;CO\"PD;\";WU0;"
        "PW0.35;LT;SP1;PD0,0,10,10;NR;");
    EXPECT_EQ(plot.outcome, Outcome::Complete);
    EXPECT_EQ(plot.pointCount(), 2u);
}

TEST(HpglPreview, GreyPictureOfAnySize) {
    GreyPicture picture(640, 480);
    DrawHpgl(Read("IN;SP1;PU0,0;PD1000,0,1000,1000,0,1000,0,0;"), picture);
    // A square in a wide picture: full height, centred.
    for (int y = 0; y < 480; ++y) {
        ASSERT_TRUE(picture.Ink(80, y) && picture.Ink(559, y)) << y;
    }
    EXPECT_FALSE(picture.Ink(79, 240));
    EXPECT_FALSE(picture.Ink(320, 240));
    EXPECT_TRUE(picture.Ink(320, 0) && picture.Ink(320, 479));
    // A single dot lands in the middle; a picture of one pixel still works.
    GreyPicture dot(9, 9), tiny(1, 1);
    DrawHpgl(Read("IN;SP1;PA50,50;PD;"), dot);
    EXPECT_TRUE(dot.Ink(4, 4));
    DrawHpgl(Read("IN;SP1;PD100,100;"), tiny);
    EXPECT_TRUE(tiny.Ink(0, 0));
}

// Polygons are kept in their buffer until FP fills them (by the rule asked) or EP edges them;
// RA fills a rectangle and EA only edges it.
TEST(HpglPreview, PolygonsAndRectanglesFilledAsAsked) {
    // An outer square and an island drawn the same way round: even-odd leaves the island empty,
    // non-zero winding fills it.
    const std::string square = "IN;SP1;PU0,0;PM0;PD1000,0,1000,1000,0,1000,0,0;PM1;";
    const std::string island = "PU300,300;PD700,300,700,700,300,700,300,300;PM2;";
    const PreviewBitmap evenOdd = Picture(square + island + "FP;");
    EXPECT_TRUE(evenOdd.Ink(50, 150));    // between the edges
    EXPECT_FALSE(evenOdd.Ink(150, 150));  // in the island
    EXPECT_TRUE(evenOdd.Ink(90, 150));    // the island's edge still shows
    const PreviewBitmap winding = Picture(square + island + "FP1;");
    EXPECT_TRUE(winding.Ink(150, 150));
    // An island drawn the other way round is a hole by either rule.
    const PreviewBitmap reversed =
        Picture(square + "PU300,300;PD300,700,700,700,700,300,300,300;PM2;FP1;");
    EXPECT_FALSE(reversed.Ink(150, 150));
    EXPECT_TRUE(reversed.Ink(50, 150));

    // Nothing is drawn while the buffer fills, and EP draws only the edges.
    EXPECT_EQ(Read(square + island).pointCount(), 0u);
    const PreviewBitmap edged = Picture(square + island + "EP;");
    EXPECT_TRUE(edged.Ink(0, 150) && edged.Ink(90, 150));
    EXPECT_FALSE(edged.Ink(50, 150));
    // After PM2 the pen draws again.
    EXPECT_EQ(Read(square + island + "PD0,1000;").pointCount(), 2u);

    const PreviewBitmap filled = Picture("IN;SP1;PU0,0;RA1000,1000;");
    EXPECT_EQ(filled.InkCount(), 300u * 300u);
    ExpectFrame(Picture("IN;SP1;PU0,0;EA1000,1000;"));
    const PreviewBitmap relative = Picture("IN;SP1;PU0,0;PD1000,1000;PU500,0;RR500,500;");
    EXPECT_TRUE(relative.Ink(225, 225));
    EXPECT_FALSE(relative.Ink(75, 150));
}

struct DamageCase {
    const char* name;
    std::string plot;
    Outcome outcome;
    std::size_t stoppedAt;  // for a plot that stops early
    int problem;
    bool ink;
};

class HpglDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(HpglDamage, StopsAtTheDamageAndKeepsWhatCameBefore) {
    const DamageCase& row = GetParam();
    const HpglPlot plot = Read(row.plot);
    EXPECT_EQ(plot.outcome, row.outcome);
    if (row.outcome != Outcome::Complete) {
        EXPECT_EQ(plot.stoppedAt, row.stoppedAt);
        EXPECT_EQ(plot.problem, row.problem);
        EXPECT_NE(HpglProblemText(plot, "f.plt").find("byte " + std::to_string(row.stoppedAt)),
                  std::string::npos);
    }
    EXPECT_EQ(plot.hasInk(), row.ink);
}

using std::string_literals::operator""s;

INSTANTIATE_TEST_SUITE_P(
    Rows, HpglDamage,
    testing::Values(
        DamageCase{"binaryAfterLine", "IN;PD0,0,100,100;\x80\x81PD0,0;", Outcome::Damaged, 17,
                   rid::kHpglPreviewBadByte, true},
        DamageCase{"binaryInParameters", "IN;PD0,0,100\x01,5;", Outcome::Damaged, 12,
                   rid::kHpglPreviewBadByte, true},
        DamageCase{"loneLetter", "IN;PD0,0,10,10;P1", Outcome::Damaged, 16,
                   rid::kHpglPreviewBadByte, true},
        DamageCase{"endlessDigits", "IN;PD" + std::string(60, '7'), Outcome::Damaged, 5,
                   rid::kHpglPreviewBadNumber, false},
        DamageCase{"hugeNumber", "IN;PD99999999999,0", Outcome::Damaged, 5,
                   rid::kHpglPreviewBadNumber, false},
        DamageCase{"signAlone", "IN;PD-,5;", Outcome::Damaged, 5, rid::kHpglPreviewBadNumber,
                   false},
        DamageCase{"badEscape", "IN;PD0,0,1,1;\x1b%1\x01", Outcome::Damaged, 13,
                   rid::kHpglPreviewBadEscape, true},
        DamageCase{"escapeWithoutEnd", "IN;\x1b*" + std::string(70, '-') + "1", Outcome::Damaged, 3,
                   rid::kHpglPreviewBadEscape, false},
        DamageCase{"encodedNumberTooLong", "IN;PE" + std::string(20, '?') + "\xbf;",
                   Outcome::Damaged, 5, rid::kHpglPreviewBadEncoded, false},
        DamageCase{"flagInsideEncodedNumber",
                   "IN;PE?"
                   "?<\xbf;",
                   Outcome::Damaged, 7, rid::kHpglPreviewBadEncoded, false},
        DamageCase{"scaledBeyondAnyPlot", "IN;SC0,2000000000,0,1,2;PD2000000000,0;",
                   Outcome::Damaged, 24, rid::kHpglPreviewBadPosition, false},
        // Cut off in the middle of something: what was read is drawn.
        DamageCase{"cutInNumber", "IN;PD0,0,100,1", Outcome::Complete, 0, 0, true},
        DamageCase{"cutInLabel", "IN;SP1;LBabc", Outcome::Complete, 0, 0, true},
        DamageCase{"cutInMnemonic", "IN;PD0,0,1,1;P", Outcome::Complete, 0, 0, true},
        DamageCase{"cutInEncoding",
                   "IN;PE<\xbf\xbf?"
                   "?",
                   Outcome::Complete, 0, 0, false},
        DamageCase{"cutInEscape", "IN;PD0,0,1,1;\x1b*b12", Outcome::Complete, 0, 0, true},
        DamageCase{"rasterLongerThanFile", "IN;\x1b*b99999W", Outcome::Complete, 0, 0, false},
        DamageCase{"paddingAtTheEnd", "IN;PD0,0,1,1;\x1a\0\0\0"s, Outcome::Complete, 0, 0, true},
        DamageCase{"penZeroDrawsNothing", "IN;SP0;PD0,0,1,1;", Outcome::Complete, 0, 0, false}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(HpglPreview, CapsStopHostilePlots) {
    HpglLimits limits;
    limits.maxPoints = 10;
    std::string lines = "IN;SP1;PU0,0;";
    for (int i = 0; i < 20; ++i)
        lines += "PD" + std::to_string(i * 7) + "," + std::to_string(i % 2) + ";";
    const HpglPlot plot = Read(lines, limits);
    EXPECT_EQ(plot.outcome, Outcome::LimitReached);
    EXPECT_EQ(plot.problem, rid::kHpglPreviewTooManyLines);
    EXPECT_LE(plot.pointCount(), 10u);
    EXPECT_TRUE(plot.hasInk());

    // Points held in the polygon buffer count against the same cap.
    std::string polygon = "IN;SP1;PM0;";
    for (int i = 0; i < 20; ++i)
        polygon += "PD" + std::to_string(i * 7) + "," + std::to_string(i % 2) + ";";
    EXPECT_EQ(Read(polygon + "PM2;FP;", limits).outcome, Outcome::LimitReached);

    // Filling is bounded by edges times rows: a zigzag whose every row crosses its 200 edges
    // keeps its outline when the bound is one short of its 300 rows' worth.
    std::string zigzag = "IN;SP1;PU0,0;PM0;PD";
    for (int i = 0; i < 200; ++i) zigzag += std::to_string(i * 5) + "," + (i % 2 ? "1000," : "0,");
    zigzag += "0,0;PM2;FP;";
    const auto ink = [&zigzag](std::uint64_t work) {
        HpglLimits bound;
        bound.maxFillWork = work;
        PreviewBitmap picture;
        DrawHpgl(Read(zigzag, bound), picture);
        return picture.InkCount();
    };
    EXPECT_EQ(ink(200 * 300 - 1), ink(0));
    EXPECT_GT(ink(200 * 300), ink(0) + 5000);

    limits = {};
    limits.maxArcSteps = 1000;
    EXPECT_EQ(Read("IN;CI1,0.5;CI1,0.5;", limits).outcome, Outcome::LimitReached);
    limits = {};
    limits.maxLabelCharacters = 5;
    EXPECT_EQ(Read("IN;LBabc\x03LBdef\x03", limits).problem, rid::kHpglPreviewTooManyLabels);
    limits = {};
    limits.maxCharactersPerLabel = 3;
    EXPECT_EQ(Read("IN;SP1;LBabcdef\x03", limits).lineCount(), 3u);
}

// A megabyte of circles of the finest chord, and of random bytes: bounded work, no crash. The
// bound is far above the real time, only low enough to catch work that never ends.
TEST(HpglPreview, HostilePlotsEndQuickly) {
    std::string circles = "IN;SP1;";
    while (circles.size() < (1u << 20)) circles += "CI1000,0.5;AA0,0,999999999,0.5;";
    const auto start = std::chrono::steady_clock::now();
    const HpglPlot plot = Read(circles);
    EXPECT_EQ(plot.outcome, Outcome::LimitReached);
    PreviewBitmap picture;
    DrawHpgl(plot, picture);
    std::mt19937 random(13);
    std::string noise(1u << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    for (std::size_t at = 0; at < noise.size(); at += 4096) {
        // Noise after a valid start, so that more than the first byte is read.
        (void)Read("IN;PE" + noise.substr(at, 4096));
        (void)Read("IN;LB" + noise.substr(at, 4096));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
}

TEST(HpglPreview, RecognisesPlotsAndNotProse) {
    EXPECT_TRUE(LooksLikeHpgl(Read("IN;SP1;PD0,0,1,1;")));
    EXPECT_TRUE(LooksLikeHpgl(Read("IN;")));  // an empty plot is still a plot
    EXPECT_FALSE(LooksLikeHpgl(Read("")));
    EXPECT_FALSE(LooksLikeHpgl(Read("Instructions for the plot room: ask first.\n")));
    EXPECT_FALSE(LooksLikeHpgl(Read("%!PS-Adobe-3.0\n")));
    EXPECT_FALSE(LooksLikeHpgl(Read("0\nSECTION\n2\nENTITIES\n")));
}

}  // namespace
}  // namespace kestrum
