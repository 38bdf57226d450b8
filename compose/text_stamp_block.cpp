#include "compose/text_stamp_block.h"

#include <cstdio>

#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// Numbers in the stamp command are the controller's fixed-width fields: wider values wrap.
std::uint8_t Byte(std::string_view text) { return static_cast<std::uint8_t>(LeadingInteger(text)); }

}  // namespace

TextStampInputs PrepareTextStamp(const TextStampValues& v) {
    TextStampInputs in;
    in.pointSize = v.pointSize;
    in.angle = v.angle;
    in.horizontal = static_cast<std::uint16_t>(LeadingInteger(v.horizontalPosition));
    in.vertical = static_cast<std::uint16_t>(LeadingInteger(v.verticalPosition));
    in.gValue = MatchesResource(v.gValue, rid::kDefaultText) ? 100 : Byte(v.gValue);
    in.sValue = MatchesResource(v.sValue, rid::kDefaultText) ? 0 : Byte(v.sValue);
    in.hSwitch = v.hSwitch != 0;
    in.text = v.text;
    in.timeSwitch = v.timeSwitch;
    in.dateSwitch = v.dateSwitch;
    return in;
}

void TextStampBlock(CompositionBuffer& buffer, const TextStampInputs& in, LocalTime now,
                    char terminator) {
    char head[96];
    std::snprintf(head, sizeof head, ".TEXT O%u P%u C%u L%u G%u S%u", unsigned{in.angle},
                  unsigned{in.pointSize}, unsigned{in.horizontal}, unsigned{in.vertical},
                  unsigned{in.gValue}, unsigned{in.sValue});
    buffer.AppendCommand(head);
    if (in.hSwitch) buffer.Append(" H");
    buffer.Append(terminator);
    buffer.Append(in.text);
    // The clock is read once, so the time and date of one stamp always agree.
    char stamp[64];
    if (in.timeSwitch == 1) {
        std::snprintf(stamp, sizeof stamp, "  %02u:%02u:%02u  ", static_cast<unsigned>(now.hour),
                      static_cast<unsigned>(now.minute), static_cast<unsigned>(now.second));
        buffer.Append(stamp);
    }
    if (in.dateSwitch == 1) {
        std::snprintf(stamp, sizeof stamp, "%u/%u/%u", static_cast<unsigned>(now.month),
                      static_cast<unsigned>(now.day), static_cast<unsigned>(now.year));
        buffer.Append(stamp);
    }
}

}  // namespace kestrum
