#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrum {

// The kind of printer jobs are composed for: no header, controller commands, or an RCH document.
enum class PrinterType : std::uint8_t { Generic = 0, Velmar = 1, Oce9400 = 2 };

// The word stored in kestrum.ini: "Generic", "Velmar" or "Oce9400".
std::string_view PrinterTypeName(PrinterType type);

// The type a stored word names, compared without regard to case; nothing for any other word.
std::optional<PrinterType> ParsePrinterType(std::string_view word);

}  // namespace kestrum
