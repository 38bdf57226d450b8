#pragma once

// One launch-list entry: a plot file, whether it is a drawing, the configuration it is sent with,
// and the record and reference list the delivery worker saves the option state into while it
// loads the entry's own configuration.

#include <cstdint>
#include <string>

#include "options/user_object.h"

namespace kestrum {

struct PlotFileEntry {
    std::string filePath;
    std::int32_t isDrawing = 0;  // 1 when the renderer recognised a drawing when it was added
    std::string renderedFile;    // the temporary HP-GL file of the last send, or empty
    std::string configuration;   // a .cfg path, empty, or one of the two markers
    CUserObject savedSettings;   // a fresh record in a new entry
    ReferenceList savedReferences;

    bool operator==(const PlotFileEntry&) const = default;
};

}  // namespace kestrum
