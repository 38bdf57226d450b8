#pragma once

// The text stamp: a line of text the controller prints on the plot, optionally followed by the
// time and date of composition.

#include <cstdint>
#include <string_view>

#include "compose/composition_buffer.h"
#include "options/user_object.h"
#include "platform/clock.h"

namespace kestrum {

struct TextStampInputs {
    std::uint16_t pointSize = 8;   // P
    std::uint16_t angle = 0;       // O
    std::uint16_t horizontal = 0;  // C, hundredths of an inch
    std::uint16_t vertical = 0;    // L, hundredths of an inch
    std::uint8_t gValue = 100;     // G
    std::uint8_t sValue = 0;       // S
    bool hSwitch = false;
    std::string_view text;
    std::uint8_t timeSwitch = 0;  // the time is added only when exactly 1
    std::uint8_t dateSwitch = 0;  // the date is added only when exactly 1
};

TextStampInputs PrepareTextStamp(const TextStampValues& values);

// Appends the stamp; the caller sends it with the zero byte that ends the text.
void TextStampBlock(CompositionBuffer& buffer, const TextStampInputs& in, LocalTime now,
                    char terminator);

}  // namespace kestrum
