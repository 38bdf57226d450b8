#pragma once

// Option values are recognised by comparing texts with numbered strings, without regard to case
// (ASCII letters only: the texts are 8-bit and the stored files must compare the same everywhere).

#include <string>
#include <string_view>

namespace kestrum {

bool EqualsNoCase(std::string_view a, std::string_view b);

// True when `text` equals the numbered string, without regard to case.
bool MatchesResource(std::string_view text, int resource);

// True when `text` begins with `prefix`, without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

std::string ToUpperAscii(std::string_view text);

// The leading decimal integer of a text: optional blanks, an optional sign, digits; 0 when there
// are none. Saturates at the range of long long instead of overflowing.
long long LeadingInteger(std::string_view text);

}  // namespace kestrum
