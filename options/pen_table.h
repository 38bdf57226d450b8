#pragma once

// What the HP-GL and the CalComp emulation pages share: the 15-pen table with its six line
// attributes (storage in one section per pen, the attribute lists, the pen selector), and the
// rules by which both pages store and show their settings texts. The two emulations differ only
// in names, numbers and list entries, which each passes in as a layout; every rule lives here.
//
// All functions run on the user-interface thread (or on a worker's own copy of the values).

#include <array>
#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options/group_writer.h"
#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"

namespace kestrum {

using PenTable = std::array<PenParms, kPenCount>;

// The six attributes, in the order a pen section is read.
enum class PenAttribute { Width, LineEnd, LineJoin, GrayLevel, Opaque, LineUpper };
inline constexpr std::size_t kPenAttributeCount = 6;

// Stored texts are at most this long; the opaque/transparent attribute has always been read with
// room for 14, and files written that way must keep loading whole.
inline constexpr std::size_t kPenTextCapacity = 9;
inline constexpr std::size_t kPenOpaqueCapacity = 14;

std::size_t AttributeCapacity(PenAttribute attribute);
std::string& AttributeText(PenParms& pen, PenAttribute attribute);
const std::string& AttributeText(const PenParms& pen, PenAttribute attribute);

// Where one emulation keeps its pens in a configuration file.
struct PenTableStorage {
    std::string_view sectionPrefix;  // pen n lives in the section prefix + n (decimal, 1 to 15)
    std::array<int, kPenAttributeCount> keys;  // resource numbers of the keys, by PenAttribute
    int writeFailedMessage;                    // resource number
};

// Pen n's section name, n from 1 to 15.
std::string PenSectionName(const PenTableStorage& storage, int pen);

// A missing file, section or key loads as the empty text (printer default).
void LoadPenTable(PenTable& pens, const std::filesystem::path& file,
                  const PenTableStorage& storage);

// Writes each pen in use and deletes the section of every other pen. Within a pen in use an empty
// attribute's key is removed, so an attribute set back to the printer default stays that way.
// Every failure is shown and saving goes on; false when anything failed.
[[nodiscard]] bool SavePenTable(const PenTable& pens, const std::filesystem::path& file,
                                const PenTableStorage& storage, MessageSink& messages);

// One settings text of an emulation section: its key, its place in the settings and how long a
// stored text may be.
template <typename Settings>
struct SettingText {
    int key;  // resource number
    std::string Settings::*field;
    std::size_t capacity;
};

// Loads and saves every text of an emulation's settings section (`section` a resource number).
template <typename Settings, std::size_t N>
void LoadSettingTexts(Settings& settings, const std::array<SettingText<Settings>, N>& texts,
                      const std::filesystem::path& file, int section);

template <typename Settings, std::size_t N>
[[nodiscard]] bool SaveSettingTexts(const Settings& settings,
                                    const std::array<SettingText<Settings>, N>& texts,
                                    const std::filesystem::path& file, int section,
                                    int writeFailedMessage, MessageSink& messages);

// ---- Page side ----

// The entries of a list: the default entry first, then the numbered strings, then plain texts
// (numbers and model names that no language changes).
std::vector<std::string> ListEntries(int defaultEntry, std::span<const int> entries,
                                     std::initializer_list<std::string_view> plain = {});

// What a list stores when the user chooses in it: the empty text for the default entry, else the
// entry's text cut to `capacity`.
std::string ChosenText(const ListControl& list, std::size_t capacity);

// A settings list. It shows a held text as the first entry beginning with it, or as the default
// entry. The held text is taken from the list only when the user exports, so a held text that the
// default entry stands in for (one matching no entry) would be lost on the next save; such a text
// is kept until the user chooses an entry in this list.
struct SettingList : ListControl {
    std::string kept;

    void Show(std::string_view held);
    // The user's choice; the Qt page reports every change of selection through it. False,
    // changing nothing, when there is no such entry.
    bool Choose(int entry);
    // The text Export stores.
    std::string Stored(std::size_t capacity) const;
};

// Ties a page's settings list to the held text it shows.
template <typename Page, typename Settings>
struct SettingListBinding {
    int control;
    SettingList Page::*list;
    std::string Settings::*field;
    std::size_t capacity;
};

template <typename Page, typename Settings, std::size_t N>
void ShowSettingLists(Page& page, const Settings& settings,
                      const std::array<SettingListBinding<Page, Settings>, N>& bindings) {
    for (const auto& b : bindings) (page.*b.list).Show(settings.*b.field);
}

template <typename Page, typename Settings, std::size_t N>
void ExportSettingLists(const Page& page, Settings& settings,
                        const std::array<SettingListBinding<Page, Settings>, N>& bindings) {
    for (const auto& b : bindings) settings.*b.field = (page.*b.list).Stored(b.capacity);
}

template <typename Page, typename Settings, std::size_t N>
void EnableSettingLists(Page& page, bool enabled,
                        const std::array<SettingListBinding<Page, Settings>, N>& bindings) {
    for (const auto& b : bindings) (page.*b.list).enabled = enabled;
}

// The user's choice of `entry` in the list `control`; false when the page has no such list or
// the list no such entry.
template <typename Page, typename Settings, std::size_t N>
bool ChooseInSettingList(Page& page, int control, int entry,
                         const std::array<SettingListBinding<Page, Settings>, N>& bindings) {
    for (const auto& b : bindings) {
        if (b.control == control) return (page.*b.list).Choose(entry);
    }
    return false;
}

// How one emulation's pen lists look: control ids and the list entries (resource numbers).
struct PenTableLists {
    std::array<int, kPenAttributeCount> controls;  // by PenAttribute
    int defaultEntry;
    std::array<int, 4> lineEndEntries;
    std::array<int, 5> lineJoinEntries;
    int onEntry;
    int offEntry;
};

// The pen selector and the six attribute lists. The lists show the selected pen; a choice in one
// of them is stored into that pen at once, so pens need no export.
class PenTablePanel {
  public:
    explicit PenTablePanel(const PenTableLists& lists);

    ListControl penSelector;                                 // "1" to "15", no default entry
    std::array<ListControl, kPenAttributeCount> attributes;  // by PenAttribute

    ListControl& Attribute(PenAttribute a) { return attributes[static_cast<std::size_t>(a)]; }
    const ListControl& Attribute(PenAttribute a) const {
        return attributes[static_cast<std::size_t>(a)];
    }

    // Index into the pen table of the pen shown, 0 to 14.
    int SelectedPen() const;

    // A change of the pen selector, and the pen part of Refresh: shows pen `index` (0 to 14;
    // anything else is ignored).
    void SelectPen(int index, const PenTable& pens);

    // A choice in the attribute list `control`: stores it into the pen shown. False, changing
    // nothing, when `control` is not an attribute list of this panel or `entry` is not in it.
    bool ChooseAttribute(int control, int entry, PenTable& pens);

    void SetEnabled(bool enabled);

    // The pen selector (`selectorId`) and the six attribute lists, for a page's control table.
    void AppendControls(std::vector<PageControl>& controls, int selectorId);

    // Whether `id` is one of this panel's lists (the selector `selectorId` included).
    bool Owns(int id, int selectorId) const;

    // A Select event on one of this panel's lists: the pen selector shows that pen, an attribute
    // list stores its choice into the pen shown. False, changing nothing, for any other event.
    bool Apply(const ControlEvent& event, int selectorId, PenTable& pens);

    // The entry pen `index` shows in attribute list `a`, by the same rule as SelectPen, so that a
    // front end can show every pen at once.
    int ShownEntry(const PenTable& pens, int index, PenAttribute a) const;

    const PenTableLists& lists() const { return lists_; }

  private:
    PenTableLists lists_;
};

// ---- Template definitions ----

namespace pen_table_detail {
// The text under the numbered key of the numbered section, at most `capacity` characters.
std::string ReadText(const std::filesystem::path& file, int section, int key, std::size_t capacity);
}  // namespace pen_table_detail

template <typename Settings, std::size_t N>
void LoadSettingTexts(Settings& settings, const std::array<SettingText<Settings>, N>& texts,
                      const std::filesystem::path& file, int section) {
    for (const auto& t : texts) {
        settings.*t.field = pen_table_detail::ReadText(file, section, t.key, t.capacity);
    }
}

template <typename Settings, std::size_t N>
bool SaveSettingTexts(const Settings& settings, const std::array<SettingText<Settings>, N>& texts,
                      const std::filesystem::path& file, int section, int writeFailedMessage,
                      MessageSink& messages) {
    const std::string_view sectionName = LoadResourceString(section);
    GroupWriter keys(file, writeFailedMessage, messages);
    for (const auto& t : texts) {
        const std::string& text = settings.*t.field;
        // An emptied setting loses its key, so that what is saved is what loads.
        keys.WriteOrRemove(sectionName, LoadResourceString(t.key), text, text.empty());
    }
    return keys.ok();
}

}  // namespace kestrum
