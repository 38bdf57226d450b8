#pragma once

// Small helpers shared by the tests.

#include <string>
#include <string_view>

#include "shell/language_strings.h"

namespace kestrum::test {

// The text of a numbered string, as an option page would store it.
inline std::string Text(int resource) {
    return std::string(LoadResourceString(resource));
}

// Writes ESC as "<ESC>" so that a failing comparison is readable.
inline std::string Visible(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\x1b')
            out += "<ESC>";
        else if (c == '\0')
            out += "<NUL>";
        else if (c == '\x0c')
            out += "<FF>";
        else
            out += c;
    }
    return out;
}

// The text with the case of every ASCII letter turned round.
inline std::string SwapCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace kestrum::test
