#pragma once

// The RCH configuration document that replaces the controller header for the Oce9400 printer
// class. It carries the copies and the paper roll.

#include <string_view>

#include "compose/composition_buffer.h"
#include "options/user_object.h"

namespace kestrum {

inline constexpr std::string_view kRchPreamble =
    "BEGMF \"RCH file\";\r\n"
    "MFVERSION 1;\r\n"
    "MFDESC \"Oce Graphics Configuration format V1.00\";\r\n";
inline constexpr std::string_view kRchClosing = "ENDMF;\r\n";

// Appends the application data lines; nothing when neither copies nor a roll is asked for.
void RchApplicationData(CompositionBuffer& buffer, const JobOptionsValues& job);

}  // namespace kestrum
