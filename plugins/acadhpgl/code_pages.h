#pragma once

// Characters in and out of the renderer. Drawings older than the UTF-8 ones store their text in
// the code page their header names ($DWGCODEPAGE); the renderer turns it into UTF-8 on reading.
// Plotters take 8-bit text in a character set chosen by number (CS); the sets chosen here are
// the ISO 8859 ones, whose lower half is ASCII, so a label switches set only for the letters
// that need it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace acadhpgl {

enum class CodePage {
    Windows1252,
    Windows1250,
    Windows1251,
    Windows1253,
    Windows1254,
    Windows1257,
    Dos437,
    Dos850
};

// The code page a header names ("ANSI_1251", "dos850"; case does not matter); nullopt for one
// without a table here (the caller keeps the Western page).
std::optional<CodePage> CodePageNamed(std::string_view name);

// The character a byte stands for; U+FFFD for the few bytes a page leaves undefined.
char32_t FromCodePage(CodePage page, unsigned char byte);

// HP-GL/2 character set numbers (CS), the PCL symbol set values of the ISO 8859 sets.
inline constexpr int kAnyCharacterSet = 0;  // ASCII only: every set below holds it
inline constexpr int kLatin1Set = 14;       // 8859-1, Western Europe
inline constexpr int kLatin2Set = 78;       // 8859-2, Central Europe
inline constexpr int kLatin5Set = 174;      // 8859-9, Turkish
inline constexpr int kLatin4Set = 142;      // 8859-4, the Baltic languages
inline constexpr int kCyrillicSet = 334;    // 8859-5
inline constexpr int kGreekSet = 398;       // 8859-7

// One stretch of a label in one character set.
struct PlotterPiece {
    int characterSet = kAnyCharacterSet;
    std::string bytes;
};

struct PlotterText {
    std::vector<PlotterPiece> pieces;
    // Characters no set here holds, each plotted as '?'.
    std::size_t unshown = 0;
};

// UTF-8 text (a byte that begins no well-formed sequence is a character of the Western code
// page) split into pieces a plotter can print, staying in `current` (the set already
// selected) as long as it serves. Control characters go; the diameter sign becomes 'Ø', a
// bullet the middle dot, typographic dashes and quotes their ASCII forms.
PlotterText ForPlotter(std::string_view utf8, int current);

}  // namespace acadhpgl
