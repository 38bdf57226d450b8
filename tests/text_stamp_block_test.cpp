#include "compose/text_stamp_block.h"

#include <gtest/gtest.h>

#include "shell/resource_ids.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using test::Visible;

constexpr LocalTime kMorning{2026, 3, 7, 9, 5, 2};

std::string Stamp(const TextStampValues& values, char terminator = ':') {
    CompositionBuffer buffer;
    TextStampBlock(buffer, PrepareTextStamp(values), kMorning, terminator);
    return Visible(buffer.text());
}

TextStampValues OnWithText(std::string text) {
    TextStampValues v;
    v.stampOn = 1;
    v.text = std::move(text);
    return v;
}

TEST(TextStampBlockTest, DefaultEntriesGiveG100AndS0) {
    TextStampValues v = OnWithText("CHECKED");
    v.gValue = Text(rid::kDefaultText);
    v.sValue = test::SwapCase(Text(rid::kDefaultText));
    EXPECT_EQ(Stamp(v), "<ESC>.TEXT O0 P8 C0 L0 G100 S0:CHECKED");
}

TEST(TextStampBlockTest, ValuesPositionsAndHSwitch) {
    TextStampValues v = OnWithText("A:B!C");  // terminator characters in the text go out unchanged
    v.angle = 90;
    v.pointSize = 24;
    v.horizontalPosition = "125";
    v.verticalPosition = "4000";
    v.gValue = "50";
    v.sValue = "99";
    v.hSwitch = 1;
    EXPECT_EQ(Stamp(v, '!'), "<ESC>.TEXT O90 P24 C125 L4000 G50 S99 H!A:B!C");
}

TEST(TextStampBlockTest, TimeBeforeDateWithoutSeparators) {
    TextStampValues v = OnWithText("REV B");
    v.timeSwitch = 1;
    v.dateSwitch = 1;
    EXPECT_EQ(Stamp(v), "<ESC>.TEXT O0 P8 C0 L0 G0 S0:REV B  09:05:02  3/7/2026");
    v.timeSwitch = 0;
    EXPECT_EQ(Stamp(v), "<ESC>.TEXT O0 P8 C0 L0 G0 S0:REV B3/7/2026");
    // Only exactly 1 switches the time or date on.
    v.dateSwitch = 2;
    v.timeSwitch = 255;
    EXPECT_EQ(Stamp(v), "<ESC>.TEXT O0 P8 C0 L0 G0 S0:REV B");
}

struct FieldRow {
    const char* name;
    const char* horizontal;
    const char* vertical;
    const char* g;
    const char* s;
    const char* expected;
};

// A number that does not fit its field is not set: the positions fall back to 0, G to 100 and
// S to 0, as for missing keys, instead of wrapping to some other position or shade.
TEST(TextStampBlockTest, NumbersOverflowingTheirFieldAreNotSet) {
    const FieldRow rows[] = {
        {"largestFit", "65535", "65535", "255", "255", "C65535 L65535 G255 S255"},
        {"oneBeyond", "65536", "70000", "256", "300", "C0 L0 G100 S0"},
        {"thirtyTwoBits", "4294967296", "4294967297", "4294967296", "4294967301", "C0 L0 G100 S0"},
        {"beyondSixtyFourBits", "99999999999999999999999", "1", "99999999999999999999", "7",
         "C0 L1 G100 S7"},
        {"negative", "-1", "-65535", "-156", "-1", "C0 L0 G100 S0"},
    };
    for (const FieldRow& row : rows) {
        TextStampValues v = OnWithText("");
        v.horizontalPosition = row.horizontal;
        v.verticalPosition = row.vertical;
        v.gValue = row.g;
        v.sValue = row.s;
        EXPECT_EQ(Stamp(v), std::string("<ESC>.TEXT O0 P8 ") + row.expected + ":") << row.name;
    }
}

// Control characters cannot ride in the text into a command of their own; the terminator
// characters and everything from the blank up go out unchanged.
TEST(TextStampBlockTest, ControlCharactersInTheTextAreDropped) {
    struct Row {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"A\x1b.FORMAT PS:B", "A.FORMAT PS:B"},
        {std::string("X\0Y", 3), "XY"},
        {"tab\there\r\nnext\x1f", "tabherenext"},
        {"\x7f\xc3\xa9 !:", "\x7f\xc3\xa9 !:"},
    };
    for (const Row& row : rows) {
        TextStampValues v = OnWithText(row.text);
        CompositionBuffer buffer;
        TextStampBlock(buffer, PrepareTextStamp(v), kMorning, ':');
        EXPECT_EQ(buffer.text(), "\x1b.TEXT O0 P8 C0 L0 G0 S0:" + row.expected)
            << Visible(row.text);
    }
}

}  // namespace
}  // namespace kestrum
