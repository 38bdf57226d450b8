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

TEST(TextStampBlockTest, OversizedNumbersWrapToTheirFields) {
    TextStampValues v = OnWithText("");
    v.gValue = "300";  // one byte: 300 - 256
    v.horizontalPosition = "70000";  // 16 bits: 70000 - 65536
    EXPECT_EQ(Stamp(v), "<ESC>.TEXT O0 P8 C4464 L0 G44 S0:");
}

}  // namespace
}  // namespace kestrum
