#include "options/job_options_page.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "options/job_options.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

using namespace job_page;

std::string Text(int resource) {
    return std::string(LoadResourceString(resource));
}

// A named size as the page lists it, with the width and height that a custom size must hold,
// number for number, to be shown as that size instead.
struct NamedSize {
    int name;
    int width;
    int height;
};

constexpr std::array<NamedSize, 5> kEnglishSizes = {{
    {rid::kPageSizeEntryA, rid::kSizeWidthA, rid::kSizeHeightA},
    {rid::kPageSizeEntryB, rid::kSizeWidthB, rid::kSizeHeightB},
    {rid::kPageSizeEntryC, rid::kSizeWidthC, rid::kSizeHeightC},
    {rid::kPageSizeEntryD, rid::kSizeWidthD, rid::kSizeHeightD},
    {rid::kPageSizeEntryE, rid::kSizeWidthE, rid::kSizeHeightE},
}};

constexpr std::array<NamedSize, 5> kMetricSizes = {{
    {rid::kPageSizeEntryA0, rid::kSizeWidthA0, rid::kSizeHeightA0},
    {rid::kPageSizeEntryA1, rid::kSizeWidthA1, rid::kSizeHeightA1},
    {rid::kPageSizeEntryA2, rid::kSizeWidthA2, rid::kSizeHeightA2},
    {rid::kPageSizeEntryA3, rid::kSizeWidthA3, rid::kSizeHeightA3},
    {rid::kPageSizeEntryA4, rid::kSizeWidthA4, rid::kSizeHeightA4},
}};

struct FormatChoice {
    int radio;
    int text;
};

constexpr std::array<FormatChoice, 4> kFormats = {{
    {kFormatARadio, rid::kFormatA},
    {kFormatHpglRadio, rid::kFormatHpgl},
    {kFormatCalCompRadio, rid::kFormatCalComp},
    {kFormatPostScriptRadio, rid::kFormatPostScript},
}};

const std::array<NamedSize, 5>& SizesOf(Unit unit) {
    return unit == Unit::Metric ? kMetricSizes : kEnglishSizes;
}

std::vector<std::string> TextsOf(std::initializer_list<int> resources) {
    std::vector<std::string> texts;
    for (int resource : resources) texts.push_back(Text(resource));
    return texts;
}

std::vector<std::string> SizeNames(Unit unit) {
    std::vector<std::string> names;
    for (const NamedSize& size : SizesOf(unit)) names.push_back(Text(size.name));
    return names;
}

std::vector<std::string> CopiesEntries() {
    std::vector<std::string> entries{Text(rid::kListEntryDefault)};
    for (int n = 1; n <= kCopiesMax; ++n) entries.push_back(std::to_string(n));
    return entries;
}

std::vector<std::string> FoldingEntries() {
    std::vector<std::string> entries = TextsOf({rid::kFoldingDefaultEntry, rid::kFoldingOffEntry});
    const std::string prefix = Text(rid::kFoldProgramPrefix);
    for (int n = 1; n <= kFoldProgramCount; ++n) entries.push_back(prefix + std::to_string(n));
    return entries;
}

bool IsDigit(char c) {
    return c >= LoadResourceString(rid::kDigitFirst).front() &&
           c <= LoadResourceString(rid::kDigitLast).front();
}

bool IsPoint(char c) {
    return c == LoadResourceString(rid::kDecimalPoint).front();
}

std::string NumberPart(std::string_view text) {
    std::string number;
    for (char c : text) {
        if (IsDigit(c) || IsPoint(c)) number += c;
    }
    return number;
}

// Without regard to case, like every other lookup of a stored text, but the whole entry: a
// prefix lookup of "A" would find "Auto".
std::optional<int> FindWhole(const ListControl& list, std::string_view text) {
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (EqualsNoCase(list.entries[i], text)) return static_cast<int>(i);
    }
    return std::nullopt;
}

// An empty name finds nothing: every entry begins with it, and a page scale with its second
// size missing must not be shown as scaling to the first entry.
std::optional<int> FindByPrefix(const ListControl& list, std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (StartsWithNoCase(list.entries[i], text)) return static_cast<int>(i);
    }
    return std::nullopt;
}

// A size name in a page scale: one character, and a second one when it is a digit.
std::string ReadSizeName(std::string_view text, std::size_t& pos) {
    std::string name;
    if (pos >= text.size()) return name;
    name += text[pos++];
    if (pos < text.size() && IsDigit(text[pos])) name += text[pos++];
    return name;
}

int IndexInRange(int index, const ListControl& list) {
    return index >= 0 && index < static_cast<int>(list.entries.size()) ? index : 0;
}

}  // namespace

JobOptionsPage::JobOptionsPage(Unit unit) : unit_(unit) {
    folding.Fill(FoldingEntries());
    copies.Fill(CopiesEntries());
    fileCopies.Fill(CopiesEntries());
    media.Fill(TextsOf({rid::kListEntryDefault, rid::kMediaEntryBond, rid::kMediaEntryVellum,
                        rid::kMediaEntryFilm}));
    tray.Fill(TextsOf({rid::kListEntryDefault, rid::kTrayEntry100, rid::kTrayEntry1,
                       rid::kTrayEntry2, rid::kTrayEntry3}));
    ApplyUnit(unit);

    ApplyPageSizeRule({});
    ApplyPageScaleRule();
    JobOptionsValues noFormat;
    ApplyFormatRule(noFormat);
    ApplyRasterModeRule();
}

void JobOptionsPage::Refresh(JobOptionsValues& values, MessageSink& messages) {
    folding.selected = IndexInRange(values.folding, folding);
    copies.selected = IndexInRange(values.copies, copies);
    fileCopies.selected = IndexInRange(values.fileCopies, fileCopies);
    media.SelectByPrefix(values.media);
    tray.SelectByPrefix(values.tray);

    // The check boxes follow the values both ways: a box left checked from the configuration
    // shown before would turn this one's "not set" into a setting at the next export.
    pageSizeSet.checked = !values.pageSize.empty();
    ApplyPageSizeRule(values.pageSize);

    ShowPageScale(values, messages);

    formatSet.checked = !values.format.empty();
    ApplyFormatRule(values);

    rasterModeSet.checked = false;
    if (MatchesResource(values.rasterMode, rid::kRasterModeDisable)) {
        rasterModeSet.checked = true;
        rasterEnable.checked = false;
        values.rasterMode = Text(rid::kRasterModeDisable);
    } else if (MatchesResource(values.rasterMode, rid::kRasterModeEnable)) {
        rasterModeSet.checked = true;
        rasterEnable.checked = true;
        values.rasterMode = Text(rid::kRasterModeEnable);
    }
    ApplyRasterModeRule();
}

void JobOptionsPage::Export(JobOptionsValues& values) const {
    values.folding = std::max(folding.selected, 0);
    values.copies = static_cast<std::uint8_t>(std::clamp(copies.selected, 0, kCopiesMax));
    values.fileCopies = static_cast<std::uint8_t>(std::clamp(fileCopies.selected, 0, kCopiesMax));
    values.media = std::string(media.SelectedText());
    values.tray =
        ToUpperAscii(CutToCapacity(tray.SelectedText(), JobOptionsValues::kTrayField - 1));

    std::string pageSize;
    if (pageSizeSet.checked) {
        if (pageSizeKind.chosen == kNamedSizeRadio) {
            pageSize = pageSizeList.SelectedText();
        } else {
            const std::string unitText = Text(unit_ == Unit::Metric ? rid::kCustomSizeUnitMetric
                                                                    : rid::kCustomSizeUnitEnglish);
            pageSize = customWidth.text + unitText + " " + customHeight.text + unitText;
        }
    }
    values.pageSize = CutToCapacity(pageSize, JobOptionsValues::kPageSizeField - 1);

    std::string pageScale;
    if (pageScaleSet.checked) {
        if (pageScaleKind.chosen == kScaleAutomaticRadio) {
            pageScale = Text(rid::kScaleAuto);
        } else {
            pageScale =
                std::string(scaleFrom.SelectedText()) + " " + std::string(scaleTo.SelectedText());
        }
    }
    values.pageScale = CutToCapacity(pageScale, JobOptionsValues::kPageScaleField - 1);

    std::string rasterMode;
    if (rasterModeSet.checked) {
        rasterMode = Text(rasterEnable.checked ? rid::kRasterModeEnable : rid::kRasterModeDisable);
    }
    values.rasterMode = CutToCapacity(rasterMode, JobOptionsValues::kRasterModeField - 1);
}

void JobOptionsPage::ApplyPrinterType(PrinterType type) {
    const bool commands = type == PrinterType::Velmar;
    const bool document = type == PrinterType::Oce9400;
    fileCopies.enabled = true;
    copies.enabled = commands || document;
    tray.enabled = commands || document;
    media.enabled = commands;
    formatSet.enabled = commands;
    pageSizeSet.enabled = commands;
    pageScaleSet.enabled = commands;
    formatRadiosAllowed_ = commands;
    formatKind.enabled = commands && formatSet.checked;
}

void JobOptionsPage::ApplyUnit(Unit unit) {
    unit_ = unit;
    const bool metric = unit == Unit::Metric;
    widthUnitLabel = Text(metric ? rid::kUnitLabelMetricWidth : rid::kUnitLabelEnglishWidth);
    heightUnitLabel = Text(metric ? rid::kUnitLabelMetricHeight : rid::kUnitLabelEnglishHeight);

    std::vector<std::string> pageSizes{Text(rid::kPageSizeEntryAuto)};
    for (std::string& name : SizeNames(unit)) pageSizes.push_back(std::move(name));
    pageSizeList.Fill(std::move(pageSizes));
    scaleFrom.Fill(SizeNames(unit));
    scaleTo.Fill(SizeNames(unit));
}

void JobOptionsPage::ClickPageSizeCheck(bool checked, const JobOptionsValues& values) {
    pageSizeSet.checked = checked;
    ApplyPageSizeRule(values.pageSize);
}

void JobOptionsPage::ChooseNamedSize() {
    ShowNamedSize();
}

void JobOptionsPage::ChooseCustomSize() {
    ShowCustomSize();
}

void JobOptionsPage::ClickPageScaleCheck(bool checked) {
    pageScaleSet.checked = checked;
    // Neither radio chosen would export as scaling between whatever the disabled lists show.
    if (checked && pageScaleKind.chosen == 0) pageScaleKind.chosen = kScaleAutomaticRadio;
    ApplyPageScaleRule();
}

void JobOptionsPage::ChooseScaleAutomatic() {
    pageScaleKind.chosen = kScaleAutomaticRadio;
    ApplyPageScaleRule();
}

void JobOptionsPage::ChooseScaleFromTo() {
    pageScaleKind.chosen = kScaleFromToRadio;
    ApplyPageScaleRule();
}

void JobOptionsPage::ClickFormatCheck(bool checked, JobOptionsValues& values) {
    formatSet.checked = checked;
    ApplyFormatRule(values);
}

void JobOptionsPage::ChooseFormat(int radioId, JobOptionsValues& values) {
    for (const FormatChoice& choice : kFormats) {
        if (choice.radio != radioId) continue;
        formatKind.chosen = radioId;
        values.format = Text(choice.text);
    }
}

void JobOptionsPage::ClickRasterModeCheck(bool checked, JobOptionsValues& values) {
    rasterModeSet.checked = checked;
    if (checked) {
        rasterEnable.checked = false;
        values.rasterMode = Text(rid::kRasterModeDisable);
    }
    ApplyRasterModeRule();
}

void JobOptionsPage::ClickRasterEnable(bool checked, JobOptionsValues& values) {
    rasterEnable.checked = checked;
    values.rasterMode = Text(checked ? rid::kRasterModeEnable : rid::kRasterModeDisable);
}

bool JobOptionsPage::LeaveCustomSizeField(int fieldId, MessageSink& messages) const {
    const EditControl* field = fieldId == kCustomWidthField    ? &customWidth
                               : fieldId == kCustomHeightField ? &customHeight
                                                               : nullptr;
    if (field == nullptr) return true;
    if (std::all_of(field->text.begin(), field->text.end(),
                    [](char c) { return IsDigit(c) || IsPoint(c); })) {
        return true;
    }
    Message message = MakeMessage(rid::kCustomSizeInvalidMessage, MessageIcon::Stop);
    message.caption = Text(rid::kJobOptionsCaption);
    messages.Show(message);
    return false;
}

bool JobOptionsPage::CustomSizeAccepts(char c) const {
    return IsDigit(c) || (unit_ == Unit::English && IsPoint(c));
}

void JobOptionsPage::ApplyPageSizeRule(std::string_view pageSize) {
    const bool on = pageSizeSet.checked;
    pageSizeKind.enabled = on;
    pageSizeButton.enabled = on;
    if (!on) {
        pageSizeKind.chosen = 0;
        pageSizeList.enabled = false;
        customWidth.enabled = false;
        customHeight.enabled = false;
        return;
    }
    if (pageSize.empty()) {
        pageSizeList.selected = 0;
        ShowNamedSize();
        return;
    }
    if (std::optional<int> index = FindWhole(pageSizeList, pageSize)) {
        pageSizeList.selected = *index;
        ShowNamedSize();
        return;
    }
    const std::size_t blank = pageSize.find(' ');
    const std::string width = NumberPart(pageSize.substr(0, blank));
    const std::string height =
        blank == std::string_view::npos ? std::string() : NumberPart(pageSize.substr(blank + 1));
    if (SelectNamedSizeOfNumbers(width, height)) {
        ShowNamedSize();
        return;
    }
    ShowCustomSize();
    customWidth.text = width;
    customHeight.text = height;
}

void JobOptionsPage::ShowNamedSize() {
    pageSizeKind.chosen = kNamedSizeRadio;
    pageSizeList.enabled = true;
    customWidth = EditControl{{}, false};
    customHeight = EditControl{{}, false};
}

void JobOptionsPage::ShowCustomSize() {
    pageSizeKind.chosen = kCustomSizeRadio;
    pageSizeList.enabled = false;
    customWidth.enabled = true;
    customHeight.enabled = true;
}

// Only the current unit's sizes are listed; a size of the other unit stays a custom size.
bool JobOptionsPage::SelectNamedSizeOfNumbers(std::string_view width, std::string_view height) {
    for (const auto* sizes : {&kEnglishSizes, &kMetricSizes}) {
        for (const NamedSize& size : *sizes) {
            if (width != LoadResourceString(size.width) ||
                height != LoadResourceString(size.height)) {
                continue;
            }
            if (std::optional<int> index = FindWhole(pageSizeList, Text(size.name))) {
                pageSizeList.selected = *index;
                return true;
            }
        }
    }
    return false;
}

void JobOptionsPage::ApplyPageScaleRule() {
    const bool on = pageScaleSet.checked;
    pageScaleButton.enabled = on;
    pageScaleKind.enabled = on;
    scaleFrom.enabled = on && pageScaleKind.chosen == kScaleFromToRadio;
    scaleTo.enabled = scaleFrom.enabled;
}

void JobOptionsPage::ShowPageScale(JobOptionsValues& values, MessageSink& messages) {
    const std::string scale = ToUpperAscii(values.pageScale);
    pageScaleSet.checked = false;
    if (scale.empty()) {
        ApplyPageScaleRule();
        return;
    }
    if (MatchesResource(scale, rid::kScaleAuto)) {
        pageScaleSet.checked = true;
        pageScaleKind.chosen = kScaleAutomaticRadio;
        ApplyPageScaleRule();
        return;
    }

    // The lists depend on the unit, so a stored scale may name sizes the page cannot show.
    const auto notListed = [&](int resource) {
        Message message = MakeMessage(resource, MessageIcon::Exclamation);
        message.caption.clear();
        messages.Show(message);
        ApplyPageScaleRule();
    };
    std::size_t pos = 0;
    const std::optional<int> from = FindByPrefix(scaleFrom, ReadSizeName(scale, pos));
    if (!from) return notListed(rid::kScaleFromMissingMessage);
    const bool blank = pos < scale.size() && scale[pos] == ' ';
    if (blank) ++pos;
    const std::optional<int> to = FindByPrefix(scaleTo, ReadSizeName(scale, pos));
    if (!to) return notListed(rid::kScaleToMissingMessage);

    scaleFrom.selected = *from;
    scaleTo.selected = *to;
    pageScaleSet.checked = true;
    pageScaleKind.chosen = kScaleFromToRadio;
    ApplyPageScaleRule();
    // The header builder splits the scale at its blank, so a scale stored without one would
    // send no scaling command until the page exported it again.
    if (!blank) {
        values.pageScale = CutToCapacity(
            std::string(scaleFrom.SelectedText()) + " " + std::string(scaleTo.SelectedText()),
            JobOptionsValues::kPageScaleField - 1);
    }
}

void JobOptionsPage::ApplyFormatRule(JobOptionsValues& values) {
    if (formatSet.checked) {
        if (values.format.empty()) {
            formatKind.chosen = kFormatARadio;
            values.format = Text(rid::kFormatA);
        } else {
            const auto match = std::find_if(kFormats.begin(), kFormats.end(), [&](const auto& c) {
                return MatchesResource(values.format, c.text);
            });
            if (match != kFormats.end()) {
                formatKind.chosen = match->radio;
            } else {
                formatSet.checked = false;
            }
        }
    }
    if (!formatSet.checked) {
        formatKind.chosen = 0;
        values.format.clear();
    }
    formatButton.enabled = formatSet.checked;
    formatKind.enabled = formatSet.checked && formatRadiosAllowed_;
}

void JobOptionsPage::ApplyRasterModeRule() {
    rasterEnable.enabled = rasterModeSet.checked;
    rasterModeButton.enabled = rasterModeSet.checked;
}

std::vector<PageControl> JobOptionsPage::Controls() {
    using C = PageControl;
    namespace p = job_page;
    auto sizeAccepts = [this](char c) { return CustomSizeAccepts(c); };
    return {
        C::OfList(p::kFoldingList, folding),
        C::OfList(p::kCopiesList, copies),
        C::OfList(p::kFileCopiesList, fileCopies),
        C::OfList(p::kMediaList, media),
        C::OfList(p::kTrayList, tray),
        C::OfCheck(p::kPageSizeCheck, pageSizeSet),
        C::OfRadio(p::kNamedSizeRadio, pageSizeKind),
        C::OfList(p::kPageSizeList, pageSizeList),
        C::OfRadio(p::kCustomSizeRadio, pageSizeKind),
        C::OfEdit(p::kCustomWidthField, customWidth, sizeAccepts),
        C::OfLabel(p::kWidthUnitLabel, &widthUnitLabel),
        C::OfEdit(p::kCustomHeightField, customHeight, sizeAccepts),
        C::OfLabel(p::kHeightUnitLabel, &heightUnitLabel),
        C::OfButton(p::kPageSizeButton, &pageSizeButton.enabled),
        C::OfCheck(p::kPageScaleCheck, pageScaleSet),
        C::OfRadio(p::kScaleAutomaticRadio, pageScaleKind),
        C::OfRadio(p::kScaleFromToRadio, pageScaleKind),
        C::OfList(p::kScaleFromList, scaleFrom),
        C::OfList(p::kScaleToList, scaleTo),
        C::OfButton(p::kPageScaleButton, &pageScaleButton.enabled),
        C::OfCheck(p::kFormatCheck, formatSet),
        C::OfRadio(p::kFormatARadio, formatKind),
        C::OfRadio(p::kFormatHpglRadio, formatKind),
        C::OfRadio(p::kFormatCalCompRadio, formatKind),
        C::OfRadio(p::kFormatPostScriptRadio, formatKind),
        C::OfButton(p::kFormatButton, &formatButton.enabled),
        C::OfCheck(p::kRasterModeCheck, rasterModeSet),
        C::OfCheck(p::kRasterEnableCheck, rasterEnable),
        C::OfButton(p::kRasterModeButton, &rasterModeButton.enabled),
    };
}

void JobOptionsPage::Refresh(CUserObject& values, MessageSink& messages) {
    Refresh(values.job, messages);
}

void JobOptionsPage::Export(CUserObject& values) const {
    Export(values.job);
}

bool JobOptionsPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    namespace p = job_page;
    using K = ControlEvent::Kind;
    JobOptionsValues& job = values.job;
    switch (event.kind) {
        case K::Select:
            switch (event.id) {
                case p::kFoldingList:
                    return SelectEntry(folding, event.index);
                case p::kCopiesList:
                    return SelectEntry(copies, event.index);
                case p::kFileCopiesList:
                    return SelectEntry(fileCopies, event.index);
                case p::kMediaList:
                    return SelectEntry(media, event.index);
                case p::kTrayList:
                    return SelectEntry(tray, event.index);
                case p::kPageSizeList:
                    return SelectEntry(pageSizeList, event.index);
                case p::kScaleFromList:
                    return SelectEntry(scaleFrom, event.index);
                case p::kScaleToList:
                    return SelectEntry(scaleTo, event.index);
            }
            break;
        case K::Toggle:
            switch (event.id) {
                case p::kPageSizeCheck:
                    ClickPageSizeCheck(event.checked, job);
                    return true;
                case p::kNamedSizeRadio:
                    ChooseNamedSize();
                    return true;
                case p::kCustomSizeRadio:
                    ChooseCustomSize();
                    return true;
                case p::kPageScaleCheck:
                    ClickPageScaleCheck(event.checked);
                    return true;
                case p::kScaleAutomaticRadio:
                    ChooseScaleAutomatic();
                    return true;
                case p::kScaleFromToRadio:
                    ChooseScaleFromTo();
                    return true;
                case p::kFormatCheck:
                    ClickFormatCheck(event.checked, job);
                    return true;
                case p::kFormatARadio:
                case p::kFormatHpglRadio:
                case p::kFormatCalCompRadio:
                case p::kFormatPostScriptRadio:
                    ChooseFormat(event.id, job);
                    return true;
                case p::kRasterModeCheck:
                    ClickRasterModeCheck(event.checked, job);
                    return true;
                case p::kRasterEnableCheck:
                    ClickRasterEnable(event.checked, job);
                    return true;
            }
            break;
        case K::Edit:
            if (event.id == p::kCustomWidthField) {
                customWidth.text = event.text;
                return true;
            }
            if (event.id == p::kCustomHeightField) {
                customHeight.text = event.text;
                return true;
            }
            break;
        case K::Click:
            // The four buttons carry only their enabled state; a click has nothing to change.
            switch (event.id) {
                case p::kPageSizeButton:
                case p::kPageScaleButton:
                case p::kFormatButton:
                case p::kRasterModeButton:
                    return true;
            }
            break;
    }
    return RefuseEvent("job options", event);
}

}  // namespace kestrum
