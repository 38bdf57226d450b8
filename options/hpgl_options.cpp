#include "options/hpgl_options.h"

namespace kestrum {

void SetHpglDefaults(HpglSettings& settings, PenTable& pens) {
    settings = HpglSettings{};
    pens = PenTable{};
}

void LoadHpgl(HpglSettings& settings, PenTable& pens, const std::filesystem::path& file) {
    LoadSettingTexts(settings, kHpglSettingTexts, file, rid::kHpglSection);
    LoadPenTable(pens, file, kHpglPenStorage);
}

bool SaveHpgl(const HpglSettings& settings, const PenTable& pens, const std::filesystem::path& file,
              MessageSink& messages) {
    const bool settingsSaved =
        SaveSettingTexts(settings, kHpglSettingTexts, file, rid::kHpglSection,
                         rid::kHpglWriteFailedMessage, messages);
    const bool pensSaved = SavePenTable(pens, file, kHpglPenStorage, messages);
    return settingsSaved && pensSaved;
}

}  // namespace kestrum
