#pragma once

// The HP-GL emulation group's values side: five settings in one section and the 15-pen table in
// one section per pen. Every value is a list entry's text; the empty text is printer default.

#include <array>
#include <cstddef>
#include <filesystem>

#include "options/pen_table.h"
#include "options/user_object.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {

inline constexpr std::size_t kHpglSettingCapacity = 9;
inline constexpr std::size_t kHpglTrailerCapacity = 14;

inline constexpr std::array<SettingText<HpglSettings>, 5> kHpglSettingTexts{{
    {rid::kHpglModelKey, &HpglSettings::plotterModel, kHpglSettingCapacity},
    {rid::kHpglRotationKey, &HpglSettings::rotation, kHpglSettingCapacity},
    {rid::kHpglPen0Key, &HpglSettings::pen0Handling, kHpglSettingCapacity},
    {rid::kHpglTerminatorKey, &HpglSettings::terminatorHandling, kHpglSettingCapacity},
    {rid::kHpglTrailerKey, &HpglSettings::trailer, kHpglTrailerCapacity},
}};

inline constexpr PenTableStorage kHpglPenStorage{
    "HPGL PEN",
    {rid::kHpglPenWidthKey, rid::kHpglPenLineEndKey, rid::kHpglPenLineJoinKey, rid::kHpglPenGrayKey,
     rid::kHpglPenOpaqueKey, rid::kHpglPenLUKey},
    rid::kHpglWriteFailedMessage,
};

// Every setting and every pen attribute empty: a new configuration leaves it all to the printer.
void SetHpglDefaults(HpglSettings& settings, PenTable& pens);

void LoadHpgl(HpglSettings& settings, PenTable& pens, const std::filesystem::path& file);

// Writes the set values and removes the keys of empty ones; a pen with no attribute set loses its
// whole section. A failed write shows the HP-GL failure message and saving goes on.
[[nodiscard]] bool SaveHpgl(const HpglSettings& settings, const PenTable& pens,
                            const std::filesystem::path& file, MessageSink& messages);

}  // namespace kestrum
