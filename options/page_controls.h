#pragma once

// The state of an option page's controls, without a toolkit. A page model holds these; the
// desktop program's Qt pages mirror them and pass the user's changes back, so every rule about
// what a page shows and stores lives in the model.

#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

struct ListControl {
    std::vector<std::string> entries;
    int selected = 0;  // -1: nothing selected
    bool enabled = true;

    // Replaces the entries and selects the first.
    void Fill(std::vector<std::string> newEntries);

    // Selects the first entry that begins with `text`, without regard to case; `fallback` when
    // none does. Pages show stored values this way.
    void SelectByPrefix(std::string_view text, int fallback = 0);

    // Selects the entry equal to `text` exactly; false (selection unchanged) when there is none.
    bool SelectExact(std::string_view text);

    // The selected entry's text; empty when nothing is selected.
    std::string_view SelectedText() const;
};

struct CheckControl {
    bool checked = false;
    bool enabled = true;
};

struct EditControl {
    std::string text;
    bool enabled = true;
};

// Radio buttons of one group: which one is chosen, by control id (0: none).
struct RadioGroup {
    int chosen = 0;
    bool enabled = true;
};

// At most `capacity` characters of `text`: stored values are cut to the width of their fields.
std::string CutToCapacity(std::string_view text, std::size_t capacity);

}  // namespace kestrum
