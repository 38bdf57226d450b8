#include "shell/printer_type.h"

#include "shell/text_compare.h"

namespace kestrum {

std::string_view PrinterTypeName(PrinterType type) {
    switch (type) {
        case PrinterType::Velmar:
            return "Velmar";
        case PrinterType::Oce9400:
            return "Oce9400";
        case PrinterType::Generic:
            break;
    }
    return "Generic";
}

std::optional<PrinterType> ParsePrinterType(std::string_view word) {
    for (PrinterType type : {PrinterType::Generic, PrinterType::Velmar, PrinterType::Oce9400}) {
        if (EqualsNoCase(word, PrinterTypeName(type))) return type;
    }
    return std::nullopt;
}

}  // namespace kestrum
