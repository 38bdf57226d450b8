#pragma once

// The program's numbered texts (shell/resource_ids.h names the numbers). They are compiled in,
// so looking one up cannot fail at run time; a number without a text gives the empty text.

#include <span>
#include <string_view>

namespace kestrum {

struct ResourceString {
    int number;
    std::string_view text;
};

// The text of the numbered string, or the empty text when there is none.
std::string_view LoadResourceString(int number);

// Every string, in ascending number order (for `kestrum-cli strings`).
std::span<const ResourceString> AllResourceStrings();

}  // namespace kestrum
