#pragma once

// Block builders recognise option texts by comparing them with numbered strings; each table
// pairs a string with what the controller is sent for it.

#include <array>
#include <cstddef>
#include <string_view>

#include "shell/text_compare.h"

namespace kestrum {

struct TextChoice {
    int resource;
    std::string_view code;
};

// The code of the first choice whose text equals `value` (without regard to case); empty when
// none does.
template <std::size_t N>
std::string_view FirstMatch(std::string_view value, const std::array<TextChoice, N>& choices) {
    for (const TextChoice& choice : choices) {
        if (MatchesResource(value, choice.resource)) return choice.code;
    }
    return {};
}

}  // namespace kestrum
