#pragma once

// The job-wide blocks of a controller header: copies, format, raster mode, tray, media, page
// scaling and page size; folding; and the raster image settings.

#include <array>
#include <string_view>

#include "compose/composition_buffer.h"

namespace kestrum {

struct JobHeaderInputs {
    std::string_view copies;  // decimal copies, or empty for none
    std::string_view format;
    std::string_view rasterMode;
    std::string_view tray;
    std::string_view media;  // empty when the job options hold the default text
    std::string_view pageScale;
    std::string_view pageSize;
};

void JobHeaderBlock(CompositionBuffer& buffer, const JobHeaderInputs& in, char terminator);

// folding: 0 (or less) sends nothing, 1 folding off, n > 1 folding program n - 1.
void FolderCommand(CompositionBuffer& buffer, int folding);

// The ten raster values as the composer hands them over: values 5 and 6, 7 already converted.
struct RasterInputs {
    std::array<std::string_view, 10> texts;  // values 1 to 10; entries 5, 6 and 7 are unused
    int imageTriState = -1;                  // value 5
    long long width = -1;                    // value 6; -1 when not set
    long long length = -1;                   // value 7; -1 when not set
};

// Returns true when the block announced compressed raster data, which changes the trailer.
bool RasterSettingsBlock(CompositionBuffer& buffer, const RasterInputs& in, char terminator);

}  // namespace kestrum
