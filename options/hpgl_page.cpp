#include "options/hpgl_page.h"

#include <array>
#include <string>

#include "options/hpgl_options.h"
#include "shell/language_strings.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

using Binding = SettingListBinding<HpglPage, HpglSettings>;

constexpr std::array<Binding, 5> kSettingLists{{
    {HpglPage::kModelList, &HpglPage::plotterModel, &HpglSettings::plotterModel,
     kHpglSettingCapacity},
    {HpglPage::kRotationList, &HpglPage::rotation, &HpglSettings::rotation, kHpglSettingCapacity},
    {HpglPage::kPen0List, &HpglPage::pen0Handling, &HpglSettings::pen0Handling,
     kHpglSettingCapacity},
    {HpglPage::kTerminatorList, &HpglPage::terminatorHandling, &HpglSettings::terminatorHandling,
     kHpglSettingCapacity},
    {HpglPage::kTrailerList, &HpglPage::trailer, &HpglSettings::trailer, kHpglTrailerCapacity},
}};

// The trailer is stored as the short word the composer reads, not as the entry's text; both
// directions must agree, or a saved trailer shows as the default entry after loading.
struct TrailerWord {
    int entry;
    int stored;
};
constexpr std::array<TrailerWord, 2> kTrailerWords{{
    {rid::kHpglTrailerFFEntry, rid::kHpglTrailerFF},
    {rid::kHpglTrailerSCEntry, rid::kHpglTrailerSC},
}};

std::string StoredTrailer(const std::string& entryText) {
    for (const TrailerWord& word : kTrailerWords) {
        if (MatchesResource(entryText, word.entry)) {
            return std::string(LoadResourceString(word.stored));
        }
    }
    return entryText;
}

std::string_view ShownTrailer(std::string_view stored) {
    for (const TrailerWord& word : kTrailerWords) {
        if (MatchesResource(stored, word.stored)) return LoadResourceString(word.entry);
    }
    return stored;
}

}  // namespace

HpglPage::HpglPage() {
    const std::array onOff{rid::kHpglOnEntry, rid::kHpglOffEntry};
    const std::array terminator{rid::kHpglOnEntry, rid::kHpglOffEntry, rid::kHpglIgnoreEntry};
    const std::array trailers{rid::kHpglOffEntry, rid::kHpglTrailerSCEntry,
                              rid::kHpglTrailerFFEntry};
    plotterModel.Fill(ListEntries(rid::kHpglDefaultEntry, {}, {"7475", "7585"}));
    rotation.Fill(ListEntries(rid::kHpglDefaultEntry, {}, {"0", "90"}));
    pen0Handling.Fill(ListEntries(rid::kHpglDefaultEntry, onOff));
    terminatorHandling.Fill(ListEntries(rid::kHpglDefaultEntry, terminator));
    trailer.Fill(ListEntries(rid::kHpglDefaultEntry, trailers));
    Refresh(HpglSettings{}, PenTable{});
}

void HpglPage::Refresh(const HpglSettings& settings, const PenTable& pens) {
    ShowSettingLists(*this, settings, kSettingLists);
    trailer.Show(ShownTrailer(settings.trailer));  // again, through the word it is stored as
    penTable.SelectPen(0, pens);
}

void HpglPage::Export(HpglSettings& settings) const {
    ExportSettingLists(*this, settings, kSettingLists);
    settings.trailer = StoredTrailer(settings.trailer);
}

void HpglPage::ApplyPrinterType(PrinterType type) {
    const bool enabled = type == PrinterType::Velmar;
    EnableSettingLists(*this, enabled, kSettingLists);
    penTable.SetEnabled(enabled);
}

bool HpglPage::ChooseSetting(int control, int entry) {
    return ChooseInSettingList(*this, control, entry, kSettingLists);
}

std::vector<PageControl> HpglPage::Controls() {
    std::vector<PageControl> controls;
    for (const Binding& b : kSettingLists)
        controls.push_back(PageControl::OfList(b.control, this->*b.list));
    penTable.AppendControls(controls, kPenSelector);
    controls.push_back(PageControl::OfButton(kApplyButton));
    return controls;
}

void HpglPage::Refresh(CUserObject& values, MessageSink&) {
    Refresh(values.hpgl, values.hpglPens);
}

void HpglPage::Export(CUserObject& values) const {
    Export(values.hpgl);
}

bool HpglPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    if (event.kind == ControlEvent::Kind::Click && event.id == kApplyButton) {
        Export(values.hpgl);
        return true;
    }
    if (event.kind == ControlEvent::Kind::Select) {
        const bool taken = penTable.Owns(event.id, kPenSelector)
                               ? penTable.Apply(event, kPenSelector, values.hpglPens)
                               : ChooseSetting(event.id, event.index);
        if (taken) return true;
    }
    return RefuseEvent("HP-GL", event);
}

}  // namespace kestrum
