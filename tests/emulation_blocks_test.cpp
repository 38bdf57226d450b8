#include "compose/emulation_blocks.h"

#include <gtest/gtest.h>

#include "shell/resource_ids.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::SwapCase;
using test::Text;
using test::Visible;

std::string Pen(PenDialect dialect, int number, const PenParms& pen, char terminator = ':') {
    CompositionBuffer buffer;
    buffer.Append("left over from the last block");
    PenCommand(buffer, dialect, PreparePen(number, pen), terminator);
    return Visible(buffer.text());
}

TEST(PenCommandTest, AttributesInOrderWithBothDialectHeads) {
    PenParms pen;
    pen.width = "31";
    pen.lineEnd = Text(rid::kStyleRound);
    pen.lineJoin = Text(rid::kStyleMiter);
    pen.grayLevel = "100";
    pen.opaque = Text(rid::kOffWord);
    pen.lineUpper = SwapCase(Text(rid::kOnWord));
    EXPECT_EQ(Pen(PenDialect::Hpgl, 15, pen), "<ESC>.HPPEN 15 = W31CRJMG100TL:");
    EXPECT_EQ(Pen(PenDialect::CalComp, 15, pen, '!'), "<ESC>.CCPEN 15 = W31CRJMG100TL!");
}

TEST(PenCommandTest, NumbersOutsideTheirRangesAreLeftOut) {
    PenParms pen;
    pen.grayLevel = "50";
    EXPECT_EQ(Pen(PenDialect::Hpgl, 1, pen), "<ESC>.HPPEN 1 = G50:");
    pen.grayLevel = "0";
    EXPECT_EQ(Pen(PenDialect::Hpgl, 1, pen), "<ESC>.HPPEN 1 = G0:");
    pen.grayLevel = "55";
    EXPECT_EQ(Pen(PenDialect::Hpgl, 1, pen), "<ESC>.HPPEN 1 = :");
    pen.grayLevel = "110";
    pen.width = "0";
    EXPECT_EQ(Pen(PenDialect::Hpgl, 1, pen), "<ESC>.HPPEN 1 = :");
    pen.width = "32";
    EXPECT_EQ(Pen(PenDialect::Hpgl, 1, pen), "<ESC>.HPPEN 1 = :");
}

TEST(PenCommandTest, NumbersOverflowingTheirFieldAreNotSet) {
    struct Row {
        const char* width;
        const char* gray;
        const char* expected;
    };
    // 65537 and 65566 would wrap to width 1 and gray level 30.
    for (const Row& row :
         {Row{"65537", "", "<ESC>.HPPEN 3 = :"}, Row{"", "65566", "<ESC>.HPPEN 3 = :"},
          Row{"4294967298", "18446744073709551626", "<ESC>.HPPEN 3 = :"},
          Row{"-65535", "-65506", "<ESC>.HPPEN 3 = :"}, Row{"7", "40", "<ESC>.HPPEN 3 = W7G40:"}}) {
        PenParms pen;
        pen.width = row.width;
        pen.grayLevel = row.gray;
        EXPECT_EQ(Pen(PenDialect::Hpgl, 3, pen), row.expected) << row.width << " " << row.gray;
    }
}

TEST(PenCommandTest, TextsMatchingNothingStillGiveTheHead) {
    PenParms pen;
    pen.lineEnd = "wobbly";
    pen.opaque = "maybe";
    EXPECT_TRUE(pen.InUse());
    EXPECT_EQ(Pen(PenDialect::CalComp, 7, pen), "<ESC>.CCPEN 7 = :");
    EXPECT_FALSE(PenParms{}.InUse());
}

TEST(PenCommandTest, DialectsDifferInTheNoLineEndText) {
    PenParms none;
    none.lineEnd = Text(rid::kStyleNone);
    PenParms off;
    off.lineEnd = Text(rid::kOffWord);
    EXPECT_EQ(Pen(PenDialect::Hpgl, 2, none), "<ESC>.HPPEN 2 = CN:");
    EXPECT_EQ(Pen(PenDialect::Hpgl, 2, off), "<ESC>.HPPEN 2 = :");
    EXPECT_EQ(Pen(PenDialect::CalComp, 2, off), "<ESC>.CCPEN 2 = CN:");
    EXPECT_EQ(Pen(PenDialect::CalComp, 2, none), "<ESC>.CCPEN 2 = :");
    // Joins are the same in both.
    PenParms join;
    join.lineJoin = Text(rid::kStyleNone);
    EXPECT_EQ(Pen(PenDialect::CalComp, 2, join), "<ESC>.CCPEN 2 = JN:");
}

std::string Hpgl(const HpglSettings& settings, char terminator = ':') {
    CompositionBuffer buffer;
    HpglSettingsBlock(buffer, settings, terminator);
    return Visible(buffer.text());
}

TEST(HpglSettingsBlockTest, EachSettingAndItsRules) {
    EXPECT_EQ(Hpgl(HpglSettings{}), "");
    HpglSettings s;
    s.plotterModel = "7585";
    s.rotation = "90";
    s.pen0Handling = Text(rid::kOnWord);
    s.terminatorHandling = Text(rid::kIgnoreWord);
    s.trailer = Text(rid::kHpglTrailerSC);
    EXPECT_EQ(Hpgl(s, '!'),
              "<ESC>.HPTYPE 7585!<ESC>.HPROT 90!<ESC>.HPSP0 ON!<ESC>.HPTERM IGN!<ESC>.HPTRAIL SC!");
    s = {};
    s.plotterModel = "7470";  // not one of the two models
    s.rotation = "180";
    s.pen0Handling = Text(rid::kOffWord);
    s.terminatorHandling = Text(rid::kOffWord);
    s.trailer = Text(rid::kOffWord);
    EXPECT_EQ(Hpgl(s), "<ESC>.HPSP0 OFF:<ESC>.HPTERM OFF:<ESC>.HPTRAIL NO:");
    s = {};
    s.trailer = Text(rid::kHpglTrailerFF);
    s.terminatorHandling = Text(rid::kOnWord);
    EXPECT_EQ(Hpgl(s), "<ESC>.HPTERM ON:<ESC>.HPTRAIL FF:");
}

std::string CalComp(const CalCompSettings& settings, char terminator = ':') {
    CompositionBuffer buffer;
    buffer.Append("stale");
    CalCompSettingsBlock(buffer, PrepareCalCompSettings(settings), terminator);
    return Visible(buffer.text());
}

TEST(CalCompSettingsBlockTest, EachSettingAndItsRules) {
    EXPECT_EQ(CalComp(CalCompSettings{}), "");
    CalCompSettings s;
    s.plotUnit = Text(rid::kPlotUnit0);
    s.syncCharacter = "0d";
    s.endOfMessageCharacter = "1B";
    s.syncCount = "2";
    s.checksum = Text(rid::kCalCompOn);
    s.trailer = Text(rid::kCalCompTrailerFF);
    s.pen0Switch = Text(rid::kOffWord);
    s.handshake = Text(rid::kOnWord);
    s.switch1186 = Text(rid::kOnWord);  // carried, but no command of its own
    s.step1187 = ".5";
    EXPECT_EQ(CalComp(s),
              "<ESC>.CCPLOTUNIT 0:<ESC>.CCSYNC 0D:<ESC>.CCEOM 1B:<ESC>.CC#SYNC 2:<ESC>.CCSUM ON:"
              "<ESC>.CCTRAIL FF:<ESC>.CCPEN0 OFF:<ESC>.CCHAND ON:");
}

TEST(CalCompSettingsBlockTest, ValuesThatGiveNoCommand) {
    for (const char* sync : {"0G", "1", "123", " 1B", "1B "}) {
        CalCompSettings s;
        s.syncCharacter = sync;
        EXPECT_EQ(CalComp(s), "") << sync;
    }
    for (std::string count : {std::string("0"), std::string("3"), Text(rid::kSyncCountDefault)}) {
        CalCompSettings s;
        s.syncCount = count;
        EXPECT_EQ(CalComp(s), "") << count;
    }
    CalCompSettings s;
    s.plotUnit = "furlongs";
    s.checksum = "perhaps";
    EXPECT_EQ(CalComp(s), "");
}

TEST(CalCompSettingsBlockTest, PlotUnitsAndOnOffWords) {
    CalCompSettings s;
    s.plotUnit = Text(rid::kPlotUnit6);
    s.checksum = Text(rid::kOffWord);
    s.trailer = Text(rid::kOffWord);
    s.pen0Switch = Text(rid::kCalCompOn);
    EXPECT_EQ(CalComp(s, '!'),
              "<ESC>.CCPLOTUNIT 6!<ESC>.CCSUM OFF!<ESC>.CCTRAIL NO!<ESC>.CCPEN0 ON!");
}

}  // namespace
}  // namespace kestrum
