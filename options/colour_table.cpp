#include "options/colour_table.h"

#include <algorithm>
#include <vector>

#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

struct StoredField {
    int key;
    std::string ACPenParms::*field;
};

// The order in which the keys of a colour section are written.
constexpr StoredField kStoredFields[] = {{rid::kAcadColourPenKey, &ACPenParms::pen},
                                         {rid::kAcadColourStyleKey, &ACPenParms::style},
                                         {rid::kAcadColourWidthKey, &ACPenParms::width}};

std::string ResourceText(int number) {
    return std::string(LoadResourceString(number));
}

std::string_view LeadingDigits(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    return text.substr(0, end);
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

void ResetColourTable(ColourTable& table) {
    const std::string width = ResourceText(rid::kAcadColourWidthDefault);
    const std::string style = ResourceText(rid::kAcadColourStyleDefault);
    for (int i = 0; i < kColourCount; ++i) {
        table[static_cast<std::size_t>(i)] = ACPenParms{std::to_string(i + 1), width, style};
    }
}

std::string ColourSectionName(int colour) {
    return ResourceText(rid::kAcadColourSectionPrefix) + std::to_string(colour);
}

void LoadColourTable(ColourTable& table, const std::filesystem::path& file) {
    const std::string_view penKey = LoadResourceString(rid::kAcadColourPenKey);
    const std::string_view styleKey = LoadResourceString(rid::kAcadColourStyleKey);
    const std::string_view widthKey = LoadResourceString(rid::kAcadColourWidthKey);
    for (int i = 0; i < kColourCount; ++i) {
        const std::string section = ColourSectionName(i + 1);
        ACPenParms& row = table[static_cast<std::size_t>(i)];
        row.pen = profile::ReadString(file, section, penKey, "", colour::kPenCapacity + 1);
        row.style = profile::ReadString(file, section, styleKey, "", colour::kStyleCapacity + 1);
        row.width = profile::ReadString(file, section, widthKey, "", colour::kWidthCapacity + 1);
    }
}

bool SaveColourTable(const ColourTable& table, const std::filesystem::path& file,
                     MessageSink& messages) {
    bool allWritten = true;
    for (int i = 0; i < kColourCount; ++i) {
        const std::string section = ColourSectionName(i + 1);
        const ACPenParms& row = table[static_cast<std::size_t>(i)];
        for (const StoredField& stored : kStoredFields) {
            if (profile::WriteString(file, section, LoadResourceString(stored.key),
                                     row.*stored.field)) {
                continue;
            }
            if (allWritten) {
                messages.Show(
                    MakeMessage(rid::kAcadWriteFailedMessage, MessageIcon::Stop, file.string()));
            }
            allWritten = false;
        }
    }
    return allWritten;
}

std::string WidthDisplay(std::string_view width) {
    if (width.size() > 3) {
        return std::string(width.substr(0, width.size() - 3)) + "." +
               std::string(width.substr(width.size() - 3));
    }
    return "." + std::string(3 - width.size(), '0') + std::string(width);
}

std::string WidthFromEntry(std::string_view entry) {
    entry = TrimBlanks(entry);
    long long whole = 0;
    std::string_view fraction;
    if (const auto point = entry.find('.'); point == std::string_view::npos) {
        whole = LeadingInteger(entry);
    } else {
        whole = point == 0 ? 0 : LeadingInteger(entry.substr(0, point));
        fraction = LeadingDigits(entry.substr(point + 1));
    }
    if (whole < 0 || (whole == 0 && !entry.empty() && entry.front() == '-')) return "0";
    std::string thousandths(fraction.substr(0, 3));
    thousandths.append(3 - thousandths.size(), '0');
    const long long limit = colour::kLargestWidth;
    const long long fractionValue = LeadingInteger(thousandths);
    if (whole > limit / 1000) return std::to_string(limit);
    return std::to_string(std::min(whole * 1000 + fractionValue, limit));
}

std::string ColourRowLine(int colour, const ACPenParms& row) {
    return "    " + std::to_string(colour) + "\t         " + row.pen + "\t\t   " + row.style +
           "\t        " + WidthDisplay(row.width);
}

ColourTableEditor::ColourTableEditor(const ColourTable& table) : rows_(table) {
    for (int i = 0; i < kColourCount; ++i) {
        rowLines[static_cast<std::size_t>(i)] =
            ColourRowLine(i + 1, rows_[static_cast<std::size_t>(i)]);
    }
    std::vector<std::string> pens;
    for (int pen = 1; pen <= kColourCount; ++pen) pens.push_back(std::to_string(pen));
    penList.Fill(std::move(pens));
    std::vector<std::string> styles;
    for (int style = 0; style < colour::kStyleCount; ++style) {
        styles.push_back(std::to_string(style));
    }
    styleList.Fill(std::move(styles));
    rowSelected[0] = true;
    ShowRow(0);
}

void ColourTableEditor::SelectRows(std::span<const int> rows) {
    rowSelected.fill(false);
    for (int row : rows) {
        if (row >= 0 && row < kColourCount) rowSelected[static_cast<std::size_t>(row)] = true;
    }
}

void ColourTableEditor::SetCurrentRow(int row) {
    if (row < 0 || row >= kColourCount) return;
    ShowRow(row);
}

void ColourTableEditor::ShowRow(int row) {
    currentRow = row;
    const ACPenParms& shown = rows_[static_cast<std::size_t>(row)];
    rowNumberEdit.text = std::to_string(row + 1);
    if (!penList.SelectExact(shown.pen)) penList.selected = -1;
    if (!styleList.SelectExact(shown.style)) styleList.selected = -1;
    widthEdit.text = WidthDisplay(shown.width);
}

void ColourTableEditor::ChoosePen(int item) {
    if (item < 0 || item >= static_cast<int>(penList.entries.size())) return;
    penList.selected = item;
    ApplyToSelected(&ACPenParms::pen, std::string(penList.SelectedText()));
}

void ColourTableEditor::ChooseStyle(int item) {
    if (item < 0 || item >= static_cast<int>(styleList.entries.size())) return;
    styleList.selected = item;
    ApplyToSelected(&ACPenParms::style, std::string(styleList.SelectedText()));
}

void ColourTableEditor::Focus(int controlId) {
    if (controlId == focused_) return;
    if (focused_ == kWidthEdit) {
        ApplyToSelected(&ACPenParms::width, WidthFromEntry(widthEdit.text));
    }
    focused_ = controlId;
    switch (controlId) {
        case kRowList:
        case kPenList:
        case kStyleList:
        case kWidthEdit:
        case kRowNumberEdit:
            lastFocus_ = controlId;
            break;
        default:
            break;  // a button: the fields keep their last focus for OK
    }
}

void ColourTableEditor::Ok(ColourTable& table) {
    if (lastFocus_ == kWidthEdit) {
        ApplyToSelected(&ACPenParms::width, WidthFromEntry(widthEdit.text));
    }
    table = rows_;
}

void ColourTableEditor::ApplyToSelected(std::string ACPenParms::*field, const std::string& value) {
    for (int i = 0; i < kColourCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (!rowSelected[index]) continue;
        rows_[index].*field = value;
        rowLines[index] = ColourRowLine(i + 1, rows_[index]);
    }
}

}  // namespace kestrum
