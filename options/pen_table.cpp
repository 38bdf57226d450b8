#include "options/pen_table.h"

#include <algorithm>
#include <utility>

#include "platform/private_profile.h"

namespace kestrum {
namespace {

// Attributes that hold a number are offered as these decimal entries.
constexpr int kWidestPen = 31;
constexpr int kGrayStep = 10;
constexpr int kGrayMax = 100;

// Keys of a pen in use are written in this order, so a new section reads the same as ever.
constexpr std::array<PenAttribute, kPenAttributeCount> kSaveOrder{
    PenAttribute::Width,     PenAttribute::GrayLevel, PenAttribute::LineJoin,
    PenAttribute::LineUpper, PenAttribute::Opaque,    PenAttribute::LineEnd};

constexpr std::array<PenAttribute, kPenAttributeCount> kLoadOrder{
    PenAttribute::Width,     PenAttribute::LineEnd, PenAttribute::LineJoin,
    PenAttribute::GrayLevel, PenAttribute::Opaque,  PenAttribute::LineUpper};

// The profile answers at most size - 1 characters, like a buffer with its closing zero.
std::string ReadLimited(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::size_t capacity) {
    return profile::ReadString(file, section, key, "", capacity + 1);
}

std::size_t Index(PenAttribute attribute) {
    return static_cast<std::size_t>(attribute);
}

std::vector<std::string> NumberEntries(std::string defaultEntry, int first, int last, int step) {
    std::vector<std::string> entries{std::move(defaultEntry)};
    for (int n = first; n <= last; n += step) entries.push_back(std::to_string(n));
    return entries;
}

std::vector<std::string> AttributeEntries(const PenTableLists& lists, PenAttribute attribute) {
    const std::string defaultEntry(LoadResourceString(lists.defaultEntry));
    const std::array onOff{lists.onEntry, lists.offEntry};
    switch (attribute) {
        case PenAttribute::Width:
            return NumberEntries(defaultEntry, 1, kWidestPen, 1);
        case PenAttribute::GrayLevel:
            return NumberEntries(defaultEntry, 0, kGrayMax, kGrayStep);
        case PenAttribute::LineEnd:
            return ListEntries(lists.defaultEntry, lists.lineEndEntries);
        case PenAttribute::LineJoin:
            return ListEntries(lists.defaultEntry, lists.lineJoinEntries);
        case PenAttribute::Opaque:
        case PenAttribute::LineUpper:
            return ListEntries(lists.defaultEntry, onOff);
    }
    return {defaultEntry};
}

}  // namespace

std::size_t AttributeCapacity(PenAttribute attribute) {
    return attribute == PenAttribute::Opaque ? kPenOpaqueCapacity : kPenTextCapacity;
}

std::string& AttributeText(PenParms& pen, PenAttribute attribute) {
    return const_cast<std::string&>(AttributeText(std::as_const(pen), attribute));
}

const std::string& AttributeText(const PenParms& pen, PenAttribute attribute) {
    switch (attribute) {
        case PenAttribute::Width:
            return pen.width;
        case PenAttribute::LineEnd:
            return pen.lineEnd;
        case PenAttribute::LineJoin:
            return pen.lineJoin;
        case PenAttribute::GrayLevel:
            return pen.grayLevel;
        case PenAttribute::Opaque:
            return pen.opaque;
        case PenAttribute::LineUpper:
            return pen.lineUpper;
    }
    return pen.width;
}

std::string PenSectionName(const PenTableStorage& storage, int pen) {
    return std::string(storage.sectionPrefix) + std::to_string(pen);
}

namespace pen_table_detail {

std::string ReadText(const std::filesystem::path& file, int section, int key,
                     std::size_t capacity) {
    return ReadLimited(file, LoadResourceString(section), LoadResourceString(key), capacity);
}

}  // namespace pen_table_detail

void LoadPenTable(PenTable& pens, const std::filesystem::path& file,
                  const PenTableStorage& storage) {
    for (int n = 1; n <= kPenCount; ++n) {
        PenParms& pen = pens[static_cast<std::size_t>(n - 1)];
        const std::string section = PenSectionName(storage, n);
        for (PenAttribute a : kLoadOrder) {
            AttributeText(pen, a) = ReadLimited(
                file, section, LoadResourceString(storage.keys[Index(a)]), AttributeCapacity(a));
        }
    }
}

bool SavePenTable(const PenTable& pens, const std::filesystem::path& file,
                  const PenTableStorage& storage, MessageSink& messages) {
    GroupWriter keys(file, storage.writeFailedMessage, messages);
    for (int n = 1; n <= kPenCount; ++n) {
        const PenParms& pen = pens[static_cast<std::size_t>(n - 1)];
        const std::string section = PenSectionName(storage, n);
        if (!pen.InUse()) {
            keys.RemoveSection(section);
            continue;
        }
        for (PenAttribute a : kSaveOrder) {
            const std::string& text = AttributeText(pen, a);
            keys.WriteOrRemove(section, LoadResourceString(storage.keys[Index(a)]), text,
                               text.empty());
        }
    }
    return keys.ok();
}

std::vector<std::string> ListEntries(int defaultEntry, std::span<const int> entries,
                                     std::initializer_list<std::string_view> plain) {
    std::vector<std::string> texts{std::string(LoadResourceString(defaultEntry))};
    for (int entry : entries) texts.emplace_back(LoadResourceString(entry));
    for (std::string_view text : plain) texts.emplace_back(text);
    return texts;
}

std::string ChosenText(const ListControl& list, std::size_t capacity) {
    if (list.selected <= 0) return {};
    return CutToCapacity(list.SelectedText(), capacity);
}

void SettingList::Show(std::string_view held) {
    SelectByPrefix(held);
    kept = selected == 0 ? std::string(held) : std::string();
}

bool SettingList::Choose(int entry) {
    if (entry < 0 || entry >= static_cast<int>(entries.size())) return false;
    selected = entry;
    kept.clear();
    return true;
}

std::string SettingList::Stored(std::size_t capacity) const {
    if (selected == 0 && !kept.empty()) return kept;
    return ChosenText(*this, capacity);
}

PenTablePanel::PenTablePanel(const PenTableLists& lists) : lists_(lists) {
    std::vector<std::string> pens;
    for (int n = 1; n <= kPenCount; ++n) pens.push_back(std::to_string(n));
    penSelector.Fill(std::move(pens));
    for (std::size_t i = 0; i < kPenAttributeCount; ++i) {
        attributes[i].Fill(AttributeEntries(lists_, static_cast<PenAttribute>(i)));
    }
}

int PenTablePanel::SelectedPen() const {
    return penSelector.selected >= 0 && penSelector.selected < kPenCount ? penSelector.selected : 0;
}

void PenTablePanel::SelectPen(int index, const PenTable& pens) {
    if (index < 0 || index >= kPenCount) return;
    penSelector.selected = index;
    const PenParms& pen = pens[static_cast<std::size_t>(index)];
    for (std::size_t i = 0; i < kPenAttributeCount; ++i) {
        attributes[i].SelectByPrefix(AttributeText(pen, static_cast<PenAttribute>(i)));
    }
}

bool PenTablePanel::ChooseAttribute(int control, int entry, PenTable& pens) {
    for (std::size_t i = 0; i < kPenAttributeCount; ++i) {
        if (lists_.controls[i] != control) continue;
        ListControl& list = attributes[i];
        if (entry < 0 || entry >= static_cast<int>(list.entries.size())) return false;
        list.selected = entry;
        const auto attribute = static_cast<PenAttribute>(i);
        AttributeText(pens[static_cast<std::size_t>(SelectedPen())], attribute) =
            ChosenText(list, AttributeCapacity(attribute));
        return true;
    }
    return false;
}

void PenTablePanel::SetEnabled(bool enabled) {
    penSelector.enabled = enabled;
    for (ListControl& list : attributes) list.enabled = enabled;
}

void PenTablePanel::AppendControls(std::vector<PageControl>& controls, int selectorId) {
    controls.push_back(PageControl::OfList(selectorId, penSelector));
    for (std::size_t i = 0; i < kPenAttributeCount; ++i) {
        controls.push_back(PageControl::OfList(lists_.controls[i], attributes[i]));
    }
}

bool PenTablePanel::Owns(int id, int selectorId) const {
    return id == selectorId ||
           std::find(lists_.controls.begin(), lists_.controls.end(), id) != lists_.controls.end();
}

bool PenTablePanel::Apply(const ControlEvent& event, int selectorId, PenTable& pens) {
    if (event.kind != ControlEvent::Kind::Select) return false;
    if (event.id == selectorId) {
        if (event.index < 0 || event.index >= kPenCount) return false;
        SelectPen(event.index, pens);
        return true;
    }
    return ChooseAttribute(event.id, event.index, pens);
}

int PenTablePanel::ShownEntry(const PenTable& pens, int index, PenAttribute a) const {
    if (index < 0 || index >= kPenCount) return 0;
    ListControl probe = Attribute(a);
    probe.SelectByPrefix(AttributeText(pens[static_cast<std::size_t>(index)], a));
    return probe.selected;
}

}  // namespace kestrum
