#include "options/calcomp_options.h"

namespace kestrum {

void SetCalCompDefaults(CalCompSettings& settings, PenTable& pens) {
    settings = CalCompSettings{};
    pens = PenTable{};
}

void LoadCalComp(CalCompSettings& settings, PenTable& pens, const std::filesystem::path& file) {
    LoadSettingTexts(settings, kCalCompSettingTexts, file, rid::kCalCompSection);
    LoadPenTable(pens, file, kCalCompPenStorage);
}

bool SaveCalComp(const CalCompSettings& settings, const PenTable& pens,
                 const std::filesystem::path& file, MessageSink& messages) {
    const bool settingsSaved =
        SaveSettingTexts(settings, kCalCompSettingTexts, file, rid::kCalCompSection,
                         rid::kCalCompWriteFailedMessage, messages);
    const bool pensSaved = SavePenTable(pens, file, kCalCompPenStorage, messages);
    return settingsSaved && pensSaved;
}

}  // namespace kestrum
