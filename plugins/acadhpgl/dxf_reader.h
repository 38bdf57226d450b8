#pragma once

// Reads DXF drawings, ASCII and binary, into a Drawing. The reader trusts nothing in the file:
// garbage, truncation, huge numbers, NaN and absurd counts give an error or a value left out,
// never a crash, an endless loop or an allocation beyond what the file's own size explains.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

enum class DrawingFormat { NotDrawing, AsciiDxf, BinaryDxf };

// How many bytes of a file's start SniffDrawing wants to see.
inline constexpr std::size_t kSniffBytes = 512;

// Recognises a DXF drawing from the start of its file (up to kSniffBytes bytes). A DWG file,
// an empty file and text that merely contains "SECTION" somewhere are NotDrawing.
DrawingFormat SniffDrawing(std::string_view head);

// Reads a whole drawing from memory. False, with `error` saying what is wrong and where (line
// or byte offset), when the bytes are not a DXF drawing or are damaged beyond use, for example
// cut off before the end of the entities section. Entities of kinds the renderer does not draw
// are skipped. INSERTs of blocks that the drawing does not define refer to a Block with
// defined = false, so that they can be resolved from other files.
//
// What it fills in can be trusted: every number is finite, every layer and block index points
// into its list, every polyline has a vertex, and a spline with control points has a degree
// below their count, knots that fit them and positive weights or none. After a failure the
// drawing holds nothing but layer "0".
bool ReadDxf(std::string_view bytes, Drawing& drawing, std::string& error);

// The largest file ReadDxfFile reads; larger ones are refused before anything is read.
inline constexpr std::uint64_t kMaxDrawingBytes = std::uint64_t{1} << 30;

// The same for a file, which is read once into memory (never mapped: a file shortened while it
// is read must not kill the process); `error` names the file.
bool ReadDxfFile(const std::string& path, Drawing& drawing, std::string& error);

}  // namespace acadhpgl
