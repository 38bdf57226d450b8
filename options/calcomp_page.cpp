#include "options/calcomp_page.h"

#include <array>

#include "options/calcomp_options.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

using Binding = SettingListBinding<CalCompPage, CalCompSettings>;

constexpr std::size_t kCapacity = kCalCompSettingCapacity;

constexpr std::array<Binding, 8> kSettingLists{{
    {CalCompPage::kPlotUnitList, &CalCompPage::plotUnit, &CalCompSettings::plotUnit, kCapacity},
    {CalCompPage::kTrailerList, &CalCompPage::trailer, &CalCompSettings::trailer, kCapacity},
    {CalCompPage::kPen0List, &CalCompPage::pen0Switch, &CalCompSettings::pen0Switch, kCapacity},
    {CalCompPage::kAuxSwitchList, &CalCompPage::auxSwitch, &CalCompSettings::switch1186, kCapacity},
    {CalCompPage::kStepList, &CalCompPage::step, &CalCompSettings::step1187, kCapacity},
    {CalCompPage::kHandshakeList, &CalCompPage::handshake, &CalCompSettings::handshake, kCapacity},
    {CalCompPage::kChecksumList, &CalCompPage::checksum, &CalCompSettings::checksum, kCapacity},
    {CalCompPage::kSyncCountList, &CalCompPage::syncCount, &CalCompSettings::syncCount, kCapacity},
}};

}  // namespace

CalCompPage::CalCompPage() {
    constexpr int kDefault = rid::kSyncCountDefault;
    const std::array units{rid::kPlotUnit0, rid::kPlotUnit1, rid::kPlotUnit2, rid::kPlotUnit3,
                           rid::kPlotUnit4, rid::kPlotUnit5, rid::kPlotUnit6};
    const std::array onOff{rid::kCalCompOnEntry, rid::kCalCompOffEntry};
    const std::array off{rid::kCalCompOffEntry};
    const std::array trailers{rid::kCalCompOffEntry, rid::kCalCompTrailerCREntry,
                              rid::kCalCompTrailerFFEntry};
    plotUnit.Fill(ListEntries(kDefault, units));
    syncCount.Fill(ListEntries(kDefault, {}, {"1", "2"}));
    checksum.Fill(ListEntries(kDefault, onOff));
    trailer.Fill(ListEntries(kDefault, trailers));
    auxSwitch.Fill(ListEntries(kDefault, onOff));
    pen0Switch.Fill(ListEntries(kDefault, onOff));
    step.Fill(ListEntries(kDefault, off, {".25", ".5", ".75", "1.0"}));
    handshake.Fill(ListEntries(kDefault, onOff));
    Refresh(CalCompSettings{}, PenTable{});
}

void CalCompPage::Refresh(const CalCompSettings& settings, const PenTable& pens) {
    ShowSettingLists(*this, settings, kSettingLists);
    syncCharacter.text = settings.syncCharacter;
    endOfMessageCharacter.text = settings.endOfMessageCharacter;
    penTable.SelectPen(0, pens);
}

void CalCompPage::Export(CalCompSettings& settings) const {
    ExportSettingLists(*this, settings, kSettingLists);
    settings.step1187 = ToUpperAscii(settings.step1187);
    // Typed as the user likes; the composer turns the characters into capitals when it sends them.
    settings.syncCharacter = CutToCapacity(syncCharacter.text, kCapacity);
    settings.endOfMessageCharacter = CutToCapacity(endOfMessageCharacter.text, kCapacity);
}

void CalCompPage::ApplyPrinterType(PrinterType type) {
    const bool enabled = type == PrinterType::Velmar;
    EnableSettingLists(*this, enabled, kSettingLists);
    syncCharacter.enabled = enabled;
    endOfMessageCharacter.enabled = enabled;
    penTable.SetEnabled(enabled);
}

bool CalCompPage::ChooseSetting(int control, int entry) {
    return ChooseInSettingList(*this, control, entry, kSettingLists);
}

std::vector<PageControl> CalCompPage::Controls() {
    std::vector<PageControl> controls;
    for (const Binding& b : kSettingLists)
        controls.push_back(PageControl::OfList(b.control, this->*b.list));
    controls.push_back(PageControl::OfEdit(kSyncCharacterEdit, syncCharacter));
    controls.push_back(PageControl::OfEdit(kEndOfMessageEdit, endOfMessageCharacter));
    penTable.AppendControls(controls, kPenSelector);
    controls.push_back(PageControl::OfButton(kApplyButton));
    return controls;
}

void CalCompPage::Refresh(CUserObject& values, MessageSink&) {
    Refresh(values.calcomp, values.calcompPens);
}

void CalCompPage::Export(CUserObject& values) const {
    Export(values.calcomp);
}

bool CalCompPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    using K = ControlEvent::Kind;
    if (event.kind == K::Click && event.id == kApplyButton) {
        Export(values.calcomp);
        return true;
    }
    if (event.kind == K::Edit && event.id == kSyncCharacterEdit) {
        syncCharacter.text = event.text;
        return true;
    }
    if (event.kind == K::Edit && event.id == kEndOfMessageEdit) {
        endOfMessageCharacter.text = event.text;
        return true;
    }
    if (event.kind == K::Select) {
        const bool taken = penTable.Owns(event.id, kPenSelector)
                               ? penTable.Apply(event, kPenSelector, values.calcompPens)
                               : ChooseSetting(event.id, event.index);
        if (taken) return true;
    }
    return RefuseEvent("CalComp", event);
}

}  // namespace kestrum
