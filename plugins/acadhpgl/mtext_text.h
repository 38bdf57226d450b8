#pragma once

// The text that drawings store is not plain: single-line texts carry "%%" control codes and
// "\U+XXXX" escapes, paragraph texts carry inline formatting as well. The renderer draws plain
// UTF-8 lines, so the reader turns every text into that here, once, and lays paragraph texts
// out into the lines they are plotted as.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/acadhpgl/code_pages.h"
#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

// Single-line text (TEXT, ATTRIB): "%%d", "%%p", "%%c" become the degree, plus-minus and
// diameter signs, "%%%" a percent sign and "%%nnn" that character; the underline and overline
// toggles go; "\U+XXXX" becomes its character; in the caret notation of DXF strings "^ " is a
// caret, "^I" and "^J" show as spaces and other control characters go. Everything else is kept.
std::string PlainText(std::string_view raw, CodePage page = CodePage::Windows1252);

// Paragraph text (MTEXT): as PlainText, and besides "\P" (and "\n") start a new line, "\~" is
// a space, braces group and vanish, font, height, colour, width and similar switches ("\f...;")
// and the toggles "\L \l \O \o \K \k" are removed, "\S a^b;" stacks as "a/b", and "\\", "\{",
// "\}" stand for themselves.
std::string PlainMText(std::string_view raw, CodePage page = CodePage::Windows1252);

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

// Static columns of a paragraph text: lines flow into the next column where one is full.
struct MTextColumns {
    double width = 0;  // of each column
    double gutter = 0;
    std::size_t count = 0;  // as the file gives it; text needing more columns gets them
    // The height of each column in turn, the last one for all that follow; a column without a
    // positive height takes every line.
    std::vector<double> heights;
};

enum class LineAlignment { Left, Centre, Right };

struct MTextFormat {
    double height = 1;                              // the character height the text starts in
    double width = 0;                               // the reference width lines wrap at; 0 for none
    double lineSpacing = 1;                         // a factor on the usual distance between lines
    LineAlignment alignment = LineAlignment::Left;  // unless a paragraph says otherwise
    std::optional<MTextColumns> columns;
    CodePage codePage = CodePage::Windows1252;
};

// A stretch of one line in one height, width factor and slant, in the text's own frame: x
// along the lines from the box's left edge, y up from the box's top edge (so below zero).
struct MTextPiece {
    Point at;  // the left end of its baseline
    double height = 1;
    double widthFactor = 1;
    double obliqueDegrees = 0;
    std::string text;  // plain UTF-8, no line breaks
};

struct MTextLayout {
    std::vector<MTextPiece> pieces;
    double width = 0;  // the box: the reference width (all columns), else the widest line
    double depth = 0;  // from the top edge down to the lowest baseline
};

// A paragraph text laid out as it is plotted: lines broken at "\P" and wrapped at the width
// (and at the width of a column when there are columns), paragraph indents ("\pi...,l...,r...;"
// in character heights of the text's own height) and alignment ("\pq...;"), height ("\H"),
// width factor ("\W") and slant ("\Q") changes, braces keeping them local, stacked fractions
// as "a/b", and the rest of the codes as PlainMText treats them. Tab stops are not kept: a
// tab is a space. Character widths are estimates (kCharacterWidth).
MTextLayout LayOutMText(std::string_view raw, const MTextFormat& format);

// The bytes as UTF-8: text that already is valid UTF-8 is returned as it is; anything else is
// taken to be in the drawing's code page and converted.
std::string ValidUtf8(std::string_view raw, CodePage page = CodePage::Windows1252);

}  // namespace acadhpgl
