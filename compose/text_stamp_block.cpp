#include "compose/text_stamp_block.h"

#include <cstdio>
#include <limits>
#include <string>

#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// Numbers in the stamp command are the controller's fixed-width fields. A value that does not
// fit is unreadable, not a smaller number: it counts as not set and takes the key's default.
template <typename Field>
Field FieldOr(std::string_view text, Field unset) {
    const long long value = LeadingInteger(text);
    if (value < 0 || value > std::numeric_limits<Field>::max()) return unset;
    return static_cast<Field>(value);
}

}  // namespace

TextStampInputs PrepareTextStamp(const TextStampValues& v) {
    TextStampInputs in;
    in.pointSize = v.pointSize;
    in.angle = v.angle;
    in.horizontal = FieldOr<std::uint16_t>(v.horizontalPosition, 0);
    in.vertical = FieldOr<std::uint16_t>(v.verticalPosition, 0);
    in.gValue =
        MatchesResource(v.gValue, rid::kDefaultText) ? 100 : FieldOr<std::uint8_t>(v.gValue, 100);
    in.sValue =
        MatchesResource(v.sValue, rid::kDefaultText) ? 0 : FieldOr<std::uint8_t>(v.sValue, 0);
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
    // The text goes out inside the command: a control character in it (an escape above all)
    // would start a command of its own or end the block early, so those are dropped.
    std::string text(in.text);
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    buffer.Append(text);
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
