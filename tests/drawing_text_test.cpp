// Texts as they reach the plotter: paragraph texts laid out within their width and columns,
// slanted characters, and the letters of drawings in other code pages in a character set that
// holds them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dxf_test_drawings.h"
#include "plugins/acadhpgl/code_pages.h"
#include "plugins/acadhpgl/drawing_walker.h"
#include "plugins/acadhpgl/dxf_reader.h"
#include "plugins/acadhpgl/hpgl_writer.h"
#include "plugins/acadhpgl/mtext_text.h"
#include "render/hpgl_preview.h"

namespace acadhpgl {
namespace {

using test::DxfDrawing;
using test::MinimalDxf;

struct PlacedLabel {
    Point at;
    double height = 0;
    double widthFactor = 1;
    double slant = 0;
    std::string text;
};

class LabelSink final : public PlotSink {
  public:
    void SetColour(int) override {}
    void Polyline(std::span<const Point>) override {}
    void Dot(Point) override {}
    void Label(Point at, double height, double, double widthFactor,
               std::string_view text) override {
        labels.push_back({at, height, widthFactor, 0, std::string(text)});
    }
    void SlantedLabel(Point at, double height, double, double widthFactor, double slant,
                      std::string_view text) override {
        labels.push_back({at, height, widthFactor, slant, std::string(text)});
    }
    std::vector<PlacedLabel> labels;
};

Drawing ReadOrFail(const std::string& dxf) {
    Drawing drawing;
    std::string error;
    EXPECT_TRUE(ReadDxf(dxf, drawing, error)) << error;
    return drawing;
}

std::vector<PlacedLabel> Labels(const std::string& dxf) {
    const Drawing drawing = ReadOrFail(dxf);
    LabelSink sink;
    std::string error;
    EXPECT_TRUE(WalkDrawing(drawing, WalkOptions{}, sink, error)) << error;
    return sink.labels;
}

// The HP-GL/2 of a drawing placed one to one (a drawing unit a plotter unit).
std::string Hpgl(const std::string& dxf, std::uint64_t* unshown = nullptr) {
    const Drawing drawing = ReadOrFail(dxf);
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return {};
    const std::array<AcadColourRow, ACADHPGL_COLOURS> colours{};
    HpglWriter writer(fileno(file), colours, false);
    writer.Begin(std::nullopt);
    std::string error;
    EXPECT_TRUE(WalkDrawing(drawing, WalkOptions{}, writer, error)) << error;
    EXPECT_TRUE(writer.Finish(error)) << error;
    if (unshown != nullptr) *unshown = writer.unshownCharacters();
    std::string out;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) out += static_cast<char>(c);
    std::fclose(file);
    return out;
}

std::string MText(const std::string& groups, const std::string& text) {
    return "0 MTEXT\n8 0\n10 0\n20 0\n40 1\n71 1\n" + groups + "1 " + text + "\n";
}

std::string Joined(const std::vector<PlacedLabel>& labels) {
    std::string out;
    for (const PlacedLabel& label : labels) out += (out.empty() ? "" : "|") + label.text;
    return out;
}

// --- Paragraph layout ---------------------------------------------------------------------

struct WidthRow {
    const char* name;
    const char* groups;  // besides the insertion point at 0,0, height 1 and attachment 1
    const char* text;
    double width;  // where every label must end
    const char* joined;
};

TEST(MTextLayoutTest, EveryLabelStaysWithinTheWidth) {
    const WidthRow rows[] = {
        {"wrapped", "41 6\n", "aaaa bbbb cccc dddd", 6, "aaaa bbbb|cccc dddd"},
        {"widerLetters", "41 6\n", "\\W2;aa bb cc", 6, "aa bb|cc"},
        {"tallerLetters", "41 6\n", "ab {\\H2x;cd ef} gh", 6, "ab|cd|ef|gh"},
        {"relativeHeightOnce", "41 6\n", "{\\H0.5x;aaaaaaaaaaaaaaaaaaaa}", 6,
         "aaaaaaaaaaaaaaaaaaaa"},
        {"indentedParagraph", "41 6\n", "\\pi-2,l3;aaaaaa bb cc dd", 6, "aaaaaa|bb cc|dd"},
        {"rightIndent", "41 6\n", "\\pr2;aa bb cc dd", 6, "aa bb|cc dd"},
        {"stackedAsText", "41 6\n", "1\\S1/2; in", 6, "11/2 in"},
        {"longWordBroken", "41 3\n", "abcdefgh", 3, "abcde|fgh"},
        {"columnsWrapAtTheirWidth", "41 20\n46 1\n75 1\n76 2\n48 3\n49 1\n", "aaa bbb", 7,
         "aaa|bbb"},
    };
    for (const WidthRow& row : rows) {
        const std::vector<PlacedLabel> labels = Labels(MinimalDxf(MText(row.groups, row.text)));
        EXPECT_EQ(Joined(labels), row.joined) << row.name;
        for (const PlacedLabel& label : labels) {
            const double end =
                label.at.x + EstimatedTextWidth(label.height, label.widthFactor, label.text);
            EXPECT_GE(label.at.x, -1e-9) << row.name << ": " << label.text;
            EXPECT_LE(end, row.width + 1e-9) << row.name << ": " << label.text;
        }
    }
}

TEST(MTextLayoutTest, IndentsHeightsAndFractionsPlaceEachLine) {
    MTextFormat format;
    format.height = 2;
    format.width = 20;
    // First line from (left + first) heights, the rest from left; a taller line moves the
    // baseline down by its own height.
    const MTextLayout layout = LayOutMText("\\pi-1,l2;aa bb cc dd ee ff gg\\P{\\H2x;T}x", format);
    ASSERT_GE(layout.pieces.size(), 4u);
    EXPECT_DOUBLE_EQ(layout.pieces[0].at.x, 2);
    EXPECT_DOUBLE_EQ(layout.pieces[0].at.y, -2);
    EXPECT_DOUBLE_EQ(layout.pieces[1].at.x, 4);
    EXPECT_DOUBLE_EQ(layout.pieces[1].at.y, -5);
    const MTextPiece& tall = layout.pieces[layout.pieces.size() - 2];
    const MTextPiece& after = layout.pieces.back();
    EXPECT_EQ(tall.text, "T");
    EXPECT_DOUBLE_EQ(tall.height, 4);
    EXPECT_EQ(after.text, "x");
    EXPECT_DOUBLE_EQ(after.height, 2);  // the brace ended the change
    EXPECT_DOUBLE_EQ(after.at.y, tall.at.y);
    EXPECT_DOUBLE_EQ(after.at.x, tall.at.x + 0.6 * 4);
    EXPECT_DOUBLE_EQ(layout.depth, -tall.at.y);

    // A group that ends before its paragraph does takes the letters' changes with it, not
    // the paragraph's indent.
    const MTextLayout grouped = LayOutMText("{\\pl1;\\H2x;a}b\\Pc", format);
    ASSERT_EQ(grouped.pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(grouped.pieces[0].at.x, 2);
    EXPECT_DOUBLE_EQ(grouped.pieces[1].height, 2);
    EXPECT_DOUBLE_EQ(grouped.pieces[2].at.x, 2);

    // Centred lines share a middle; a paragraph may ask to be right-aligned instead.
    format.alignment = LineAlignment::Centre;
    const MTextLayout centred = LayOutMText("aa\\Pbbbb\\P\\pqr;c", format);
    ASSERT_EQ(centred.pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(centred.pieces[0].at.x + 1.2, 10);
    EXPECT_DOUBLE_EQ(centred.pieces[1].at.x + 2.4, 10);
    EXPECT_DOUBLE_EQ(centred.pieces[2].at.x + 1.2, 20);

    // Attached at its top centre or right, a paragraph text's lines are each centred on or end
    // at the insertion point, not only its widest line.
    for (const auto& [attachment, share] : {std::pair{2, 0.5}, {3, 1.0}}) {
        const std::vector<PlacedLabel> labels =
            Labels(MinimalDxf("0 MTEXT\n8 0\n10 0\n20 0\n40 1\n71 " + std::to_string(attachment) +
                              "\n1 aa\\Pbbbb\n"));
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_NEAR(labels[0].at.x, -1.2 * share, 1e-9) << attachment;
        EXPECT_NEAR(labels[1].at.x, -2.4 * share, 1e-9) << attachment;
    }
}

TEST(MTextLayoutTest, LinesFlowIntoTheNextColumnAtTheColumnHeight) {
    // Height 1: baselines at -1, -2.5, -4; a column 3 high holds two lines.
    const std::string ownGroups = "46 3\n75 1\n76 2\n48 5\n49 1\n";
    const std::string embedded =
        "101 Embedded Object\n70 1\n10 1\n20 0\n11 0\n21 0\n40 11\n41 "
        "3\n71 1\n72 2\n44 5\n45 1\n";
    // Files between: extended data of 1070 keys and their values, the height apart.
    const std::string extended =
        "1001 ACAD\n1000 ACAD_MTEXT_COLUMN_INFO_BEGIN\n1070 75\n1070 2\n1070 79\n1070 0\n"
        "1070 76\n1070 2\n1070 48\n1040 5\n1070 49\n1040 1\n1070 50\n1070 2\n1040 3\n"
        "1040 3\n1000 ACAD_MTEXT_COLUMN_INFO_END\n1000 ACAD_MTEXT_DEFINED_HEIGHT_BEGIN\n"
        "1070 46\n1040 3\n1000 ACAD_MTEXT_DEFINED_HEIGHT_END\n";
    const std::string text = "one\\Ptwo\\Pthree\\Pfour\\Pfive";
    for (const std::string& dxf :
         {MinimalDxf(MText(ownGroups, text)),
          MinimalDxf("0 MTEXT\n8 0\n10 0\n20 0\n40 1\n71 1\n1 " + text + "\n" + embedded),
          MinimalDxf(MText("46 3\n", text) + extended)}) {
        const std::vector<PlacedLabel> labels = Labels(dxf);
        ASSERT_EQ(labels.size(), 5u);
        const double x[] = {0, 0, 6, 6, 12};
        const double y[] = {-1, -2.5, -1, -2.5, -1};
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_NEAR(labels[i].at.x, x[i], 1e-9) << labels[i].text;
            EXPECT_NEAR(labels[i].at.y, y[i], 1e-9) << labels[i].text;
        }
    }
    // "\N" ends a column early; without columns it is a line break.
    const std::vector<PlacedLabel> early = Labels(MinimalDxf(MText(ownGroups, "a\\Nb")));
    ASSERT_EQ(early.size(), 2u);
    EXPECT_NEAR(early[1].at.x, 6, 1e-9);
    EXPECT_NEAR(early[1].at.y, -1, 1e-9);
    const std::vector<PlacedLabel> plain = Labels(MinimalDxf(MText("", "a\\Nb")));
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_NEAR(plain[1].at.x, 0, 1e-9);
    // A rotation of 90 before the column groups turns the text; the column heights after
    // group 75 (also group 50) do not.
    const std::vector<PlacedLabel> turned =
        Labels(MinimalDxf(MText("50 90\n75 2\n76 2\n48 5\n49 1\n50 3\n50 3\n", "a")));
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_NEAR(turned[0].at.x, 1, 1e-9);
}

TEST(MTextLayoutTest, LinesShareTextsSoThatMemoryFollowsTheFile) {
    // A thousand centred lines of two letters: one text, every line where the layout put it.
    std::string lines;
    for (int i = 0; i < 1000; ++i) lines += (i % 2 ? "bbbb" : "aa") + std::string("\\P");
    const std::string dxf = MinimalDxf("0 MTEXT\n8 0\n10 0\n20 0\n40 1\n71 2\n1 " + lines + "\n");
    ASSERT_EQ(ReadOrFail(dxf).entities.size(), 1u);
    const std::vector<PlacedLabel> labels = Labels(dxf);
    ASSERT_EQ(labels.size(), 1000u);
    EXPECT_NEAR(labels[999].at.x, -1.2, 1e-9);
    EXPECT_NEAR(labels[999].at.y, -1 - 999 * 1.5, 1e-6);

    // A height change before every letter: a bounded number of texts, and every letter kept.
    std::string changes;
    for (int i = 0; i < 1000; ++i) changes += "\\H" + std::to_string(1 + i % 500) + ";x ";
    const Drawing changing = ReadOrFail(MinimalDxf(MText("41 100\n", changes)));
    EXPECT_LE(changing.entities.size(), 1 + changes.size() / 64);
    std::size_t letters = 0;
    for (const PlacedLabel& label : Labels(MinimalDxf(MText("41 100\n", changes)))) {
        letters += std::count(label.text.begin(), label.text.end(), 'x');
    }
    EXPECT_EQ(letters, 1000u);
}

// --- Slanted and narrowed characters -------------------------------------------------------

TEST(TextSlantTest, ObliqueTextIsSlantedAndTheSlantEndsWithIt) {
    struct Row {
        const char* name;
        std::string entity;
        const char* slant;  // in the SL before the label
    } rows[] = {
        {"text", "0 TEXT\n8 0\n10 0\n20 0\n40 1\n51 15\n1 lean\n", "SL0.2679;"},
        {"backwards", "0 TEXT\n8 0\n10 0\n20 0\n40 1\n51 15\n71 2\n1 lean\n", "SL-0.2679;"},
        {"leftwards", "0 TEXT\n8 0\n10 0\n20 0\n40 1\n51 -30\n1 lean\n", "SL-0.5774;"},
        {"paragraph", MText("", "{\\Q15;lean}"), "SL0.2679;"},
    };
    for (const Row& row : rows) {
        const std::string hpgl = Hpgl(MinimalDxf(row.entity + test::TextRecord(0, 10, 1, "up")));
        const std::size_t slanted = hpgl.find(row.slant);
        const std::size_t lean = hpgl.find("LBlean\x03");
        const std::size_t upright = hpgl.find("SL0;", lean);
        const std::size_t up = hpgl.find("LBup\x03");
        ASSERT_NE(slanted, std::string::npos) << row.name << ": " << hpgl;
        ASSERT_NE(upright, std::string::npos) << row.name << ": " << hpgl;
        EXPECT_LT(slanted, lean) << row.name;
        EXPECT_LT(upright, up) << row.name;
        EXPECT_EQ(hpgl.find("SL", upright + 1), std::string::npos) << row.name << ": " << hpgl;
    }
    EXPECT_EQ(Hpgl(MinimalDxf(test::TextRecord(0, 0, 1, "up"))).find("SL"), std::string::npos);
}

TEST(TextSlantTest, WidthFactorNarrowsTheCharacterCell) {
    // Height 400 units is 1 cm; a pitch 0.6 of the height (a character 0.4 of it), halved.
    const std::string hpgl =
        Hpgl(MinimalDxf("0 TEXT\n8 0\n10 0\n20 0\n40 400\n41 0.5\n1 thin\n"
                        "0 MTEXT\n8 0\n10 0\n20 1000\n40 400\n41 4000\n1 \\W0.5;thin\n"));
    EXPECT_NE(hpgl.find("SI0.200,1.000;"), std::string::npos) << hpgl;
    EXPECT_EQ(hpgl.find("SI0.400"), std::string::npos) << hpgl;
}

// The ink a plotter lays down for a drawing's labels, read back from the HP-GL/2 (x only).
struct InkRow {
    const char* name;
    std::string entities;
    double left, right;  // the ink must lie within these, in drawing (= plotter) units
    double reaches;      // and its right edge reach at least this far
};

TEST(LabelLengthTest, PlottedLabelsStayWhereTheyWerePlaced) {
    // Height 100: a pitch of 60 per character. "WIDTH" is placed 300 long, ending 20 short
    // of its last cell (a character is 40 of the 60).
    const std::string words = "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll";
    const std::vector<InkRow> rows = {
        {"rightAligned", "0 TEXT\n8 0\n10 0\n20 0\n11 1000\n21 0\n40 100\n72 2\n1 WIDTH\n", 700,
         1000, 960},
        {"centred", "0 TEXT\n8 0\n10 0\n20 0\n11 1000\n21 0\n40 100\n72 1\n1 WIDTH\n", 850, 1150,
         1110},
        {"wrappedAtTheWidth", "0 MTEXT\n8 0\n10 0\n20 0\n40 100\n41 1000\n71 1\n1 " + words + "\n",
         0, 1000, 800},
        {"narrowedByTheWidthFactor",
         "0 TEXT\n8 0\n10 0\n20 0\n11 1000\n21 0\n40 100\n41 0.5\n72 2\n1 WIDTH\n", 850, 1000, 980},
    };
    for (const InkRow& row : rows) {
        const std::string hpgl = Hpgl(MinimalDxf(row.entities));
        const kestrum::HpglPlot plot = kestrum::InterpretHpgl(
            std::span(reinterpret_cast<const std::uint8_t*>(hpgl.data()), hpgl.size()));
        ASSERT_TRUE(plot.hasInk()) << row.name << ": " << hpgl;
        const double left = plot.originX + plot.minX, right = plot.originX + plot.maxX;
        EXPECT_GE(left, row.left - 1) << row.name << ": " << hpgl;
        EXPECT_LE(right, row.right + 1) << row.name << ": " << hpgl;
        EXPECT_GE(right, row.reaches) << row.name << ": " << hpgl;
    }
}

// --- Code pages and character sets ---------------------------------------------------------

struct CharacterRow {
    const char* name;
    const char* codePage;  // $DWGCODEPAGE, empty for none
    const char* text;      // as the file stores it
    const char* plotted;   // the label's commands from the character set on
};

TEST(PlotterCharactersTest, LettersReachThePlotterInASetThatHoldsThem) {
    const CharacterRow rows[] = {
        {"cyrillic1251", "ANSI_1251", "\xC4\xEE\xEC", "CS334;PU0,0;LB\xB4\xDE\xDC\x03"},
        {"centralEurope1250", "ANSI_1250", "\x8A\xE8", "CS78;PU0,0;LB\xA9\xE8\x03"},
        {"greek1253", "ANSI_1253", "\xC1\xE2", "CS398;PU0,0;LB\xC1\xE2\x03"},
        {"turkish1254", "ANSI_1254", "\xD0\xFE", "CS174;PU0,0;LB\xD0\xFE\x03"},
        {"baltic1257", "ANSI_1257", "\xEC\xE7", "CS142;PU0,0;LB\xBB\xBA\x03"},
        {"dos850", "DOS850", "\x82t\x82", "CS14;PU0,0;LB\xE9t\xE9\x03"},
        {"unknownPageStaysWestern", "ANSI_932", "caf\xE9", "CS14;PU0,0;LBcaf\xE9\x03"},
        {"unicodeEscape", "", "\\U+0416a",
         "CS334;PU0,0;LB\xB6"
         "a\x03"},
        {"signs", "", "%%d%%p%%c\\U+2022", "CS14;PU0,0;LB\xB0\xB1\xD8\xB7\x03"},
        {"degreeAfterCyrillic", "", "\\U+0416%%d",
         "CS334;PU0,0;LB\xB6\x03"
         "CS14;LB\xB0\x03"},
        {"asciiNeedsNoSet", "ANSI_1251", "plain", "PU0,0;LBplain\x03"},
    };
    for (const CharacterRow& row : rows) {
        const std::string header =
            *row.codePage ? "9 $DWGCODEPAGE\n3 " + std::string(row.codePage) + "\n" : "";
        std::uint64_t unshown = 0;
        const std::string hpgl =
            Hpgl(DxfDrawing({.header = header, .entities = test::TextRecord(0, 0, 1, row.text)}),
                 &unshown);
        EXPECT_NE(hpgl.find(row.plotted), std::string::npos) << row.name << ": " << hpgl;
        EXPECT_EQ(unshown, 0u) << row.name;
    }
}

TEST(PlotterCharactersTest, MultiLeaderTextIsReadInTheDrawingsCodePage) {
    const std::string leader =
        "0 MULTILEADER\n8 0\n100 AcDbMLeader\n300 CONTEXT_DATA{\n40 1\n10 5\n20 5\n41 1\n"
        "290 1\n304 \xC4\xEE\xEC\n12 0\n22 1\n13 1\n23 0\n301 }\n";
    const std::string hpgl =
        Hpgl(DxfDrawing({.header = "9 $DWGCODEPAGE\n3 ANSI_1251\n", .entities = leader}));
    EXPECT_NE(hpgl.find("CS334;"), std::string::npos) << hpgl;
    EXPECT_NE(hpgl.find("LB\xB4\xDE\xDC\x03"), std::string::npos) << hpgl;
}

TEST(PlotterCharactersTest, SetsSwitchOnlyWhenNeededAndTheRestIsCounted) {
    // The second label's letters are in the set the first one selected.
    const std::string twice = Hpgl(
        MinimalDxf(test::TextRecord(0, 0, 1, "\\U+0416") + test::TextRecord(0, 10, 1, "\\U+0417")));
    EXPECT_EQ(twice.find("CS334;"), twice.rfind("CS334;")) << twice;
    // Back to Latin-1 when a later label needs it.
    const std::string back = Hpgl(
        MinimalDxf(test::TextRecord(0, 0, 1, "\\U+0416") + test::TextRecord(0, 10, 1, "\xC3\xA9")));
    EXPECT_NE(back.find("CS14;PU0,10;LB\xE9\x03"), std::string::npos) << back;

    std::uint64_t unshown = 0;
    const std::string chinese =
        Hpgl(MinimalDxf(test::TextRecord(0, 0, 1, "a\\U+4E2D\\U+4E2Db")), &unshown);
    EXPECT_NE(chinese.find("LBa??b\x03"), std::string::npos) << chinese;
    EXPECT_EQ(unshown, 2u);

    // Control characters never reach a label, whatever set is selected.
    const PlotterText controls = ForPlotter(
        "a\x03\x1b"
        "b\xC2\x85",
        kCyrillicSet);
    ASSERT_EQ(controls.pieces.size(), 1u);
    EXPECT_EQ(controls.pieces[0].bytes, "ab");
    EXPECT_EQ(controls.pieces[0].characterSet, kCyrillicSet);
}

TEST(PlotterCharactersTest, CodePageNamesAreReadLoosely) {
    EXPECT_EQ(CodePageNamed("ansi_1251"), CodePage::Windows1251);
    EXPECT_EQ(CodePageNamed("DOS437"), CodePage::Dos437);
    EXPECT_EQ(CodePageNamed("ANSI_936"), std::nullopt);
    EXPECT_EQ(FromCodePage(CodePage::Dos437, 0xF8), U'\u00B0');
    EXPECT_EQ(FromCodePage(CodePage::Windows1251, 0xB9), U'\u2116');
}

}  // namespace
}  // namespace acadhpgl
