#pragma once

// The program's numbered texts (shell/resource_ids.h names the numbers). They are compiled in,
// so looking one up cannot fail at run time; a number without a text gives the empty text.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace kestrum {

struct ResourceString {
    int number;
    std::string_view text;
};

// The text of the numbered string, or the empty text when there is none.
std::string_view LoadResourceString(int number);

// The numbered string with "%1", "%2", ... replaced by the arguments in order, for texts whose
// detail (a file or printer name) sits inside the sentence. A "%" followed by anything else stays.
std::string FormatResourceString(int number, std::initializer_list<std::string_view> arguments);

// Every string, in ascending number order (for `kestrum-cli strings`).
std::span<const ResourceString> AllResourceStrings();

}  // namespace kestrum
