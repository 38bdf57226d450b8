#include "options/page_controls.h"

#include "shell/text_compare.h"

namespace kestrum {

void ListControl::Fill(std::vector<std::string> newEntries) {
    entries = std::move(newEntries);
    selected = entries.empty() ? -1 : 0;
}

void ListControl::SelectByPrefix(std::string_view text, int fallback) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (StartsWithNoCase(entries[i], text)) {
            selected = static_cast<int>(i);
            return;
        }
    }
    selected = fallback < static_cast<int>(entries.size()) ? fallback : -1;
}

bool ListControl::SelectExact(std::string_view text) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) {
            selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

std::string_view ListControl::SelectedText() const {
    if (selected < 0 || selected >= static_cast<int>(entries.size())) return {};
    return entries[static_cast<std::size_t>(selected)];
}

std::string CutToCapacity(std::string_view text, std::size_t capacity) {
    return std::string(text.substr(0, capacity));
}

}  // namespace kestrum
