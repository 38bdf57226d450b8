#include "options/raster_settings.h"

#include <array>

#include "options/group_writer.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

struct StoredValue {
    std::size_t index;
    int key;
};

// The order in which keys are read and written. It has no meaning for the file's contents, but
// keeps a new file's keys in the order earlier versions wrote them.
constexpr std::array<StoredValue, kRasterValueCount> kStoredValues = {{
    {raster::kSetting1, rid::kRasterSetting1Key},
    {raster::kSetting2, rid::kRasterSetting2Key},
    {raster::kSetting3, rid::kRasterSetting3Key},
    {raster::kSetting4, rid::kRasterSetting4Key},
    {raster::kSetting5, rid::kRasterSetting5Key},
    {raster::kSetting9, rid::kRasterSetting9Key},
    {raster::kRotation, rid::kRasterRotationKey},
    {raster::kSetting6, rid::kRasterSetting6Key},
    {raster::kSetting7, rid::kRasterSetting7Key},
    {raster::kSetting8, rid::kRasterSetting8Key},
}};

}  // namespace

std::size_t raster::Capacity(std::size_t index) {
    return index == kSetting3 ? kSetting3Capacity : kValueCapacity;
}

void SetRasterDefaults(RasterValues& values) {
    values.fill(std::string());
}

void LoadRaster(RasterValues& values, const std::filesystem::path& file) {
    const std::string_view section = LoadResourceString(rid::kRasterSection);
    for (const StoredValue& stored : kStoredValues) {
        values[stored.index] = profile::ReadString(file, section, LoadResourceString(stored.key),
                                                   "", raster::Capacity(stored.index) + 1);
    }
}

bool SaveRaster(const RasterValues& values, const std::filesystem::path& file,
                MessageSink& messages) {
    const std::string_view section = LoadResourceString(rid::kRasterSection);
    GroupWriter keys(file, rid::kRasterWriteFailedMessage, messages);
    for (const StoredValue& stored : kStoredValues) {
        const std::string& value = values[stored.index];
        keys.WriteOrRemove(section, LoadResourceString(stored.key), value, value.empty());
    }
    return keys.ok();
}

}  // namespace kestrum
