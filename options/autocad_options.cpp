#include "options/autocad_options.h"

#include <algorithm>
#include <array>

#include "options/group_writer.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

struct StoredValue {
    std::string AutoCadOptions::*member;
    int key;
    int defaultText;  // 0: the paper size, whose default follows the unit
    std::size_t capacity;
};

constexpr StoredValue kPaperSize{&AutoCadOptions::paperSize, rid::kAcadPaperSizeKey, 0,
                                 autocad::kPaperSizeCapacity};
constexpr StoredValue kMarginA{&AutoCadOptions::marginA, rid::kAcadMarginAKey,
                               rid::kAcadMarginADefault, autocad::kMarginCapacity};
constexpr StoredValue kMarginB{&AutoCadOptions::marginB, rid::kAcadMarginBKey,
                               rid::kAcadMarginBDefault, autocad::kMarginCapacity};
constexpr StoredValue kMarginC{&AutoCadOptions::marginC, rid::kAcadMarginCKey,
                               rid::kAcadMarginCDefault, autocad::kMarginCapacity};
constexpr StoredValue kMarginD{&AutoCadOptions::marginD, rid::kAcadMarginDKey,
                               rid::kAcadMarginDDefault, autocad::kMarginCapacity};
constexpr StoredValue kPlotChoice{&AutoCadOptions::plotChoice, rid::kAcadPlotChoiceKey,
                                  rid::kAcadPlotChoiceDefault, autocad::kPlotChoiceCapacity};
constexpr StoredValue kOutputChoice{&AutoCadOptions::outputChoice, rid::kAcadOutputChoiceKey,
                                    rid::kAcadOutputStandardEntry, autocad::kOutputChoiceCapacity};
constexpr StoredValue kOffsetX{&AutoCadOptions::offsetX, rid::kAcadOffsetXKey,
                               rid::kAcadOffsetXDefault, autocad::kOffsetCapacity};
constexpr StoredValue kOffsetY{&AutoCadOptions::offsetY, rid::kAcadOffsetYKey,
                               rid::kAcadOffsetYDefault, autocad::kOffsetCapacity};
constexpr StoredValue kAreaChoice{&AutoCadOptions::areaChoice, rid::kAcadAreaChoiceKey,
                                  rid::kAcadAreaChoiceDefault, autocad::kAreaChoiceCapacity};
constexpr StoredValue kPlotScale{&AutoCadOptions::plotScale, rid::kAcadPlotScaleKey,
                                 rid::kAcadFitText, autocad::kPlotScaleCapacity};

// The orders in which the values are read and written. They differ only in where the margins go;
// a new file's keys come out in the writing order.
constexpr std::array kLoadOrder = {kPaperSize, kMarginA,    kMarginC,      kMarginD,
                                   kMarginB,   kPlotChoice, kOutputChoice, kOffsetX,
                                   kOffsetY,   kAreaChoice, kPlotScale};
constexpr std::array kSaveOrder = {kPaperSize, kMarginA,    kMarginB,      kMarginD,
                                   kMarginC,   kPlotChoice, kOutputChoice, kOffsetX,
                                   kOffsetY,   kAreaChoice, kPlotScale};

std::string ResourceText(int number) {
    return std::string(LoadResourceString(number));
}

std::string DefaultText(const StoredValue& stored, Unit unit) {
    if (stored.defaultText != 0) return ResourceText(stored.defaultText);
    return ResourceText(unit == Unit::Metric ? rid::kAcadPaperDefaultMetric
                                             : rid::kAcadPaperDefaultEnglish);
}

std::string ReferenceKey(std::size_t position) {
    return ResourceText(rid::kAcadXRefEntryKeyPrefix) + std::to_string(position);
}

// A key that holds a reference folder: the prefix followed by digits only.
bool IsReferenceKey(std::string_view key) {
    const std::string_view prefix = LoadResourceString(rid::kAcadXRefEntryKeyPrefix);
    if (key.size() <= prefix.size() || !StartsWithNoCase(key, prefix)) return false;
    return std::all_of(key.begin() + static_cast<std::ptrdiff_t>(prefix.size()), key.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Bounds the removal of a section that a damaged file holds more than once.
constexpr int kMostSectionCopies = 64;

bool HasSection(const std::filesystem::path& file, std::string_view section) {
    const std::vector<std::string> sections = profile::SectionNames(file);
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& name) { return EqualsNoCase(name, section); });
}

}  // namespace

void SetAutoCadDefaults(AutoCadOptions& values, ColourTable& table, ReferenceList& references,
                        Unit unit) {
    values = AutoCadOptions{};
    values.inForce = 1;
    for (const StoredValue& stored : kLoadOrder) values.*stored.member = DefaultText(stored, unit);
    references.clear();
    ResetColourTable(table);
}

void LoadAutoCad(AutoCadOptions& values, ColourTable& table, ReferenceList& references,
                 const std::filesystem::path& file, Unit unit) {
    const std::string_view section = LoadResourceString(rid::kAcadSection);
    const std::vector<std::string> keys = profile::KeyNames(file, section);
    values.inForce =
        std::any_of(keys.begin(), keys.end(), [](const std::string& key) { return !key.empty(); })
            ? 1
            : 0;
    for (const StoredValue& stored : kLoadOrder) {
        values.*stored.member = profile::ReadString(file, section, LoadResourceString(stored.key),
                                                    DefaultText(stored, unit), stored.capacity + 1);
    }
    values.reserved.clear();

    const int count =
        profile::ReadInt(file, section, LoadResourceString(rid::kAcadXRefCountKey), 0);
    const std::size_t trusted =
        count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), keys.size());
    references.clear();
    for (std::size_t position = 1; position <= trusted; ++position) {
        references.push_back(profile::ReadString(file, section, ReferenceKey(position), "",
                                                 autocad::kReferenceCapacity + 1));
    }

    LoadColourTable(table, file);
}

bool SaveAutoCad(const AutoCadOptions& values, const ColourTable& table,
                 const ReferenceList& references, const std::filesystem::path& file,
                 MessageSink& messages) {
    const std::string_view section = LoadResourceString(rid::kAcadSection);
    GroupWriter writer(file, rid::kAcadWriteFailedMessage, messages);

    if (values.inForce == 0) {
        // Keys left from an earlier save would make the next load find the group in force.
        // A hand-edited file may hold the section twice; the second would take the first's place.
        for (int pass = 0; pass < kMostSectionCopies && HasSection(file, section); ++pass) {
            if (!writer.RemoveSection(section)) break;
        }
        writer.Write(section, "", "");
        return writer.ok();
    }

    // Every numbered folder key goes, not only those up to the stored count: the count may be
    // damaged, and a key beyond it would otherwise outlive the list it came from.
    for (const std::string& key : profile::KeyNames(file, section)) {
        if (IsReferenceKey(key)) writer.Remove(section, key);
    }
    writer.Write(section, LoadResourceString(rid::kAcadXRefCountKey),
                 std::to_string(references.size()));
    for (std::size_t position = 1; position <= references.size(); ++position) {
        writer.Write(section, ReferenceKey(position), references[position - 1]);
    }

    for (const StoredValue& stored : kSaveOrder) {
        const std::string& value = values.*stored.member;
        const std::string_view key = LoadResourceString(stored.key);
        if (value.empty()) {
            writer.Remove(section, key);
        } else {
            writer.Write(section, key, value);
        }
    }

    const bool tableWritten = SaveColourTable(table, file, messages);
    return writer.ok() && tableWritten;
}

}  // namespace kestrum
