#pragma once

// Texts of the string table as Qt strings.

#include <QString>

#include "shell/language_strings.h"

namespace kestrum {

inline QString UiText(int number) {
    const std::string_view text = LoadResourceString(number);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace kestrum
