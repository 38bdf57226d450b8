#include "options/raster_settings_page.h"

#include <array>

#include "options/raster_settings.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

struct ListBinding {
    ListControl RasterSettingsPage::*list;
    std::size_t index;
};

constexpr std::array<ListBinding, 7> kLists = {{
    {&RasterSettingsPage::setting1, raster::kSetting1},
    {&RasterSettingsPage::setting2, raster::kSetting2},
    {&RasterSettingsPage::setting3, raster::kSetting3},
    {&RasterSettingsPage::setting4, raster::kSetting4},
    {&RasterSettingsPage::setting5, raster::kSetting5},
    {&RasterSettingsPage::setting9, raster::kSetting9},
    {&RasterSettingsPage::rotation, raster::kRotation},
}};

std::vector<std::string> Entries(std::initializer_list<int> resources) {
    std::vector<std::string> entries;
    for (int resource : resources) entries.emplace_back(LoadResourceString(resource));
    return entries;
}

}  // namespace

RasterSettingsPage::RasterSettingsPage() {
    const std::vector<std::string> image =
        Entries({rid::kRasterNotSetEntry, rid::kRasterNormalEntry, rid::kRasterReverseEntry});
    const std::vector<std::string> switches =
        Entries({rid::kRasterNotSetEntry, rid::kRasterEnableEntry, rid::kRasterDisableEntry});
    setting1.Fill(image);
    setting2.Fill(image);
    setting3.Fill(
        Entries({rid::kRasterNotSetEntry, rid::kRasterNormalEntry, rid::kRasterDitherAutoEntry,
                 rid::kRasterDitherD2Entry, rid::kRasterDitherDREntry, rid::kRasterDitherDP50Entry,
                 rid::kRasterDisableEntry}));
    setting4.Fill(image);
    setting5.Fill(switches);
    setting9.Fill(switches);
    // The rotation is sent as the plain number, so its entries are not translated.
    rotation.Fill({std::string(LoadResourceString(rid::kRasterNotSetEntry)), "0", "90"});
    compression.chosen = kCompressionNone;
    RasterValues defaults;
    SetRasterDefaults(defaults);
    Refresh(defaults);
}

void RasterSettingsPage::Refresh(RasterValues& values) {
    for (const ListBinding& binding : kLists)
        (this->*binding.list).SelectByPrefix(values[binding.index]);
    setting6.text = values[raster::kSetting6];
    setting7.text = values[raster::kSetting7];
    std::string& chosen = values[raster::kSetting8];
    if (chosen.empty()) {
        compression.chosen = kCompressionNone;
    } else if (MatchesResource(chosen, rid::kRasterCompressionTG4Radio)) {
        compression.chosen = kCompressionTG4;
        chosen = LoadResourceString(rid::kRasterCompressionTG4Radio);
    } else if (MatchesResource(chosen, rid::kRasterCompressionC4Radio)) {
        compression.chosen = kCompressionC4;
        chosen = LoadResourceString(rid::kRasterCompressionC4Radio);
    }
}

void RasterSettingsPage::Export(RasterValues& values) const {
    for (const ListBinding& binding : kLists) {
        const ListControl& list = this->*binding.list;
        // The first entry, or none at all, is "not set".
        values[binding.index] =
            list.selected > 0 ? CutToCapacity(list.SelectedText(), raster::Capacity(binding.index))
                              : std::string();
    }
    values[raster::kSetting6] = CutToCapacity(setting6.text, raster::kValueCapacity);
    values[raster::kSetting7] = CutToCapacity(setting7.text, raster::kValueCapacity);
}

void RasterSettingsPage::ChooseCompression(int radioId, RasterValues& values) {
    std::string& value = values[raster::kSetting8];
    switch (radioId) {
        case kCompressionNone:
            value.clear();
            break;
        case kCompressionTG4:
            value = LoadResourceString(rid::kRasterCompressionTG4Radio);
            break;
        case kCompressionC4:
            value = LoadResourceString(rid::kRasterCompressionC4Radio);
            break;
        default:
            return;
    }
    compression.chosen = radioId;
}

void RasterSettingsPage::ApplyPrinterType(PrinterType type) {
    const bool enabled = type == PrinterType::Velmar;
    for (const ListBinding& binding : kLists) (this->*binding.list).enabled = enabled;
    setting6.enabled = enabled;
    setting7.enabled = enabled;
    compression.enabled = enabled;
}

std::vector<PageControl> RasterSettingsPage::Controls() {
    using C = PageControl;
    return {
        C::OfList(kSetting1List, setting1),       C::OfList(kSetting2List, setting2),
        C::OfList(kSetting3List, setting3),       C::OfList(kSetting4List, setting4),
        C::OfList(kSetting5List, setting5),       C::OfEdit(kSetting6Edit, setting6),
        C::OfEdit(kSetting7Edit, setting7),       C::OfRadio(kCompressionNone, compression),
        C::OfRadio(kCompressionTG4, compression), C::OfRadio(kCompressionC4, compression),
        C::OfList(kSetting9List, setting9),       C::OfList(kRotationList, rotation),
    };
}

void RasterSettingsPage::Refresh(CUserObject& values, MessageSink&) {
    Refresh(values.raster);
}

void RasterSettingsPage::Export(CUserObject& values) const {
    Export(values.raster);
}

bool RasterSettingsPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    using K = ControlEvent::Kind;
    switch (event.kind) {
        case K::Select:
            switch (event.id) {
                case kSetting1List:
                    return SelectEntry(setting1, event.index);
                case kSetting2List:
                    return SelectEntry(setting2, event.index);
                case kSetting3List:
                    return SelectEntry(setting3, event.index);
                case kSetting4List:
                    return SelectEntry(setting4, event.index);
                case kSetting5List:
                    return SelectEntry(setting5, event.index);
                case kSetting9List:
                    return SelectEntry(setting9, event.index);
                case kRotationList:
                    return SelectEntry(rotation, event.index);
            }
            break;
        case K::Edit:
            if (event.id == kSetting6Edit) {
                setting6.text = event.text;
                return true;
            }
            if (event.id == kSetting7Edit) {
                setting7.text = event.text;
                return true;
            }
            break;
        case K::Toggle:
            switch (event.id) {
                case kCompressionNone:
                case kCompressionTG4:
                case kCompressionC4:
                    ChooseCompression(event.id, values.raster);
                    return true;
            }
            break;
        case K::Click:
            break;
    }
    return RefuseEvent("raster settings", event);
}

}  // namespace kestrum
