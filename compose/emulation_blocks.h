#pragma once

// The emulation blocks of the header: the pen commands of the HP-GL and CalComp pen tables (one
// piece of logic, two dialects) and each emulation's settings block.

#include <cstdint>
#include <string_view>

#include "compose/composition_buffer.h"
#include "options/user_object.h"

namespace kestrum {

// The two pen tables differ only in the command head and in which text means "no line end".
enum class PenDialect { Hpgl, CalComp };

struct PenCommandInputs {
    std::uint16_t pen = 1;
    std::uint16_t width = 65535;  // 65535 when not set
    std::string_view lineEnd;
    std::string_view lineJoin;
    std::uint16_t grayLevel = 65535;  // 65535 when not set
    int opaque = -1;                  // 1 opaque, 0 transparent, -1 not set
    int lineUpper = -1;               // 1 L, 0 U, -1 not set
};

// The inputs of pen `number` (1 to 15) from its stored texts.
PenCommandInputs PreparePen(int number, const PenParms& pen);

// Overwrites the buffer with the pen's command.
void PenCommand(CompositionBuffer& buffer, PenDialect dialect, const PenCommandInputs& in,
                char terminator);

void HpglSettingsBlock(CompositionBuffer& buffer, const HpglSettings& settings, char terminator);

struct CalCompSettingsInputs {
    int plotUnit = -1;  // 0 to 6, or -1
    std::string_view syncCharacter;
    std::string_view endOfMessageCharacter;
    long long syncCount = -1;
    int checksum = -1;
    std::string_view trailer;
    int pen0 = -1;
    int handshake = -1;
};

CalCompSettingsInputs PrepareCalCompSettings(const CalCompSettings& settings);

// Empties the buffer, then composes the CalComp settings.
void CalCompSettingsBlock(CompositionBuffer& buffer, const CalCompSettingsInputs& in,
                          char terminator);

}  // namespace kestrum
