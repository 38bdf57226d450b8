#pragma once

// The raster settings group: ten texts from which the composer builds the raster settings block.
// An empty text means "not set": it sends no command and has no key in the configuration file.

#include <cstddef>
#include <filesystem>

#include "options/user_object.h"
#include "shell/message_sink.h"

namespace kestrum {

// Positions of the values in RasterValues: settings 1 to 9, then the rotation.
namespace raster {
inline constexpr std::size_t kSetting1 = 0;
inline constexpr std::size_t kSetting2 = 1;
inline constexpr std::size_t kSetting3 = 2;
inline constexpr std::size_t kSetting4 = 3;
inline constexpr std::size_t kSetting5 = 4;
inline constexpr std::size_t kSetting6 = 5;
inline constexpr std::size_t kSetting7 = 6;
inline constexpr std::size_t kSetting8 = 7;  // compression, set by the page's radio buttons
inline constexpr std::size_t kSetting9 = 8;
inline constexpr std::size_t kRotation = 9;

// Most values are short words; setting 3 (dithering) has longer list texts.
inline constexpr std::size_t kValueCapacity = 10;
inline constexpr std::size_t kSetting3Capacity = 20;

// The most characters a value holds, as loaded and as taken from the page.
std::size_t Capacity(std::size_t index);
}  // namespace raster

void SetRasterDefaults(RasterValues& values);

// Reads the section of the raster settings; a missing key leaves its value empty. Values are cut
// to their capacity, so anything a file holds loads without harm.
void LoadRaster(RasterValues& values, const std::filesystem::path& file);

// Writes every set value and removes the key of every value that is not set, so that a setting
// returned to "not set" stays so when the file is loaded again. A failed write or removal is
// reported through `messages` (one message per key) and the next key is still tried; false when
// any failed. The caller flushes the file.
[[nodiscard]] bool SaveRaster(const RasterValues& values, const std::filesystem::path& file,
                              MessageSink& messages);

}  // namespace kestrum
