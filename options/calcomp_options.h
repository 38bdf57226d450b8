#pragma once

// The CalComp emulation group's values side: ten settings in one section and the 15-pen table in
// one section per pen, stored by the same rules as the HP-GL group.

#include <array>
#include <cstddef>
#include <filesystem>

#include "options/pen_table.h"
#include "options/user_object.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {

inline constexpr std::size_t kCalCompSettingCapacity = 9;

// In the order the keys are written.
inline constexpr std::array<SettingText<CalCompSettings>, 10> kCalCompSettingTexts{{
    {rid::kCalCompPlotUnitKey, &CalCompSettings::plotUnit, kCalCompSettingCapacity},
    {rid::kCalCompTrailerKey, &CalCompSettings::trailer, kCalCompSettingCapacity},
    {rid::kCalCompPen0Key, &CalCompSettings::pen0Switch, kCalCompSettingCapacity},
    {rid::kCalCompAuxSwitchKey, &CalCompSettings::switch1186, kCalCompSettingCapacity},
    {rid::kCalCompStepKey, &CalCompSettings::step1187, kCalCompSettingCapacity},
    {rid::kCalCompHandshakeKey, &CalCompSettings::handshake, kCalCompSettingCapacity},
    {rid::kCalCompChecksumKey, &CalCompSettings::checksum, kCalCompSettingCapacity},
    {rid::kCalCompSyncCountKey, &CalCompSettings::syncCount, kCalCompSettingCapacity},
    {rid::kCalCompSyncCharKey, &CalCompSettings::syncCharacter, kCalCompSettingCapacity},
    {rid::kCalCompEomCharKey, &CalCompSettings::endOfMessageCharacter, kCalCompSettingCapacity},
}};

inline constexpr PenTableStorage kCalCompPenStorage{
    "CC PEN",
    {rid::kCalCompPenWidthKey, rid::kCalCompPenLineEndKey, rid::kCalCompPenLineJoinKey,
     rid::kCalCompPenGrayKey, rid::kCalCompPenOpaqueKey, rid::kCalCompPenLUKey},
    rid::kCalCompWriteFailedMessage,
};

// Every setting and every pen attribute empty.
void SetCalCompDefaults(CalCompSettings& settings, PenTable& pens);

void LoadCalComp(CalCompSettings& settings, PenTable& pens, const std::filesystem::path& file);

// As SaveHpgl, with the CalComp failure message.
[[nodiscard]] bool SaveCalComp(const CalCompSettings& settings, const PenTable& pens,
                               const std::filesystem::path& file, MessageSink& messages);

}  // namespace kestrum
