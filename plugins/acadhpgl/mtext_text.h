#pragma once

// The text that drawings store is not plain: single-line texts carry "%%" control codes and
// "\U+XXXX" escapes, paragraph texts carry inline formatting as well. The renderer draws plain
// UTF-8 lines, so the reader turns every text into that here, once.

#include <cstddef>
#include <string>
#include <string_view>

#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

// Single-line text (TEXT, ATTRIB): "%%d", "%%p", "%%c" become the degree, plus-minus and
// diameter signs, "%%%" a percent sign and "%%nnn" that character; the underline and overline
// toggles go; "\U+XXXX" becomes its character. Everything else is kept.
std::string PlainText(std::string_view raw);

// Paragraph text (MTEXT): as PlainText, and besides "\P" (and "\n") start a new line, "\~" is
// a space, braces group and vanish, font, height, colour, width and similar switches ("\f...;")
// and the toggles "\L \l \O \o \K \k" are removed, "\S a^b;" stacks as "a/b", and "\\", "\{",
// "\}" stand for themselves.
std::string PlainMText(std::string_view raw);

struct TextExtent {
    std::size_t lines = 1;
    std::size_t widestLine = 0;  // in characters
};

// The number of '\n'-separated lines of plain UTF-8 text and the longest line's length.
TextExtent MeasureText(std::string_view plain);

// An estimate of a line's length in drawing units: characters x height x kCharacterWidth x
// width factor.
double EstimatedWidth(std::size_t characters, double height, double widthFactor);

// How many characters of `height` fit in `width` (at least one).
std::size_t EstimatedCharacters(double width, double height);

// Plain text with every line longer than `columns` characters broken at its spaces, as a
// paragraph text wraps at its reference width; a word longer than a line is broken where the
// line ends. The spaces a line is broken at go.
std::string WrapText(std::string_view plain, std::size_t columns);

// The bytes as UTF-8: text that already is valid UTF-8 is returned as it is; anything else is
// taken to be in the Western code page older drawings use and converted.
std::string ValidUtf8(std::string_view raw);

}  // namespace acadhpgl
