#include "options/text_stamp_page.h"

#include <algorithm>

#include "options/text_stamp.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// Far beyond any plot, yet small enough that converting it cannot overflow.
constexpr long long kLargestHundredths = 1'000'000'000'000LL;

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

long long HeldHundredths(std::string_view held) {
    return std::clamp(LeadingInteger(held), 0LL, kLargestHundredths);
}

std::vector<std::string> NumberEntries(int first, int last) {
    std::vector<std::string> entries{std::string(LoadResourceString(rid::kStampDefaultEntry))};
    for (int n = first; n <= last; ++n) entries.push_back(std::to_string(n));
    return entries;
}

int AngleRadio(std::uint8_t angle) {
    if (angle == 0) return TextStampPage::kAngle0Radio;
    if (angle == 90) return TextStampPage::kAngle90Radio;
    return TextStampPage::kAngleOtherRadio;
}

int AngleIcon(int radio) {
    if (radio == TextStampPage::kAngle0Radio) return TextStampPage::kIconAngle0;
    if (radio == TextStampPage::kAngle90Radio) return TextStampPage::kIconAngle90;
    return TextStampPage::kIconAngleOther;
}

}  // namespace

std::string stamp::NormaliseInches(std::string_view typed) {
    // Blanks around the number are no part of it; a blank inside ends it ("2 in" is 2 inches).
    const std::string_view text = TrimBlanks(typed);
    const std::size_t stop = text.find_first_of(" .");
    std::string held(text.substr(0, stop));
    if (stop != std::string_view::npos && text[stop] == '.') {
        const std::string_view fraction = text.substr(stop + 1, 2);
        held += fraction;
        held.append(2 - fraction.size(), '0');
    } else {
        held += "00";
    }
    const bool valid = std::all_of(held.begin(), held.end(),
                                   [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    return valid ? held : "000";
}

std::string stamp::ShowInches(std::string_view held) {
    std::string shown(held);
    if (shown.size() < 2) shown.insert(0, 2 - shown.size(), '0');
    shown.insert(shown.size() - 2, 1, '.');
    return shown;
}

std::string stamp::MillimetresToHundredths(std::string_view typed) {
    const std::string_view text = TrimBlanks(typed);
    if (text.empty() || !AllDigits(text)) return "0";
    const long long millimetres = std::min(LeadingInteger(text), kLargestHundredths / 4);
    // mm * 100 / 25.4 = mm * 1000 / 254, rounded half up in whole numbers.
    return std::to_string((millimetres * 1000 + 127) / 254);
}

std::string stamp::HundredthsToMillimetres(std::string_view held) {
    // hundredths * 0.254 mm, rounded half up.
    return std::to_string((HeldHundredths(held) * 254 + 500) / 1000);
}

TextStampPage::TextStampPage(Unit unit) : unit_(unit) {
    std::vector<std::string> sizes;
    for (int size = stamp::kSmallestPointSize; size <= stamp::kLargestPointSize; ++size) {
        sizes.push_back(std::to_string(size) + "pt");
    }
    pointSize.Fill(std::move(sizes));
    gValue.Fill(NumberEntries(1, 100));
    sValue.Fill(NumberEntries(0, 99));
    positionsDigitsOnly = unit == Unit::Metric;
    ApplyUnitLabels();
    TextStampValues defaults;
    SetTextStampDefaults(defaults);
    Refresh(defaults);
}

void TextStampPage::Refresh(TextStampValues& values) {
    stamp.checked = values.stampOn != 0;
    time.checked = values.timeSwitch != 0;
    date.checked = values.dateSwitch != 0;
    hOption.checked = values.hSwitch != 0;
    text.text = values.text;
    angle.chosen = AngleRadio(values.angle);
    angleValue.text = std::to_string(values.angle);
    angleIcon = AngleIcon(angle.chosen);
    const int largestIndex = static_cast<int>(pointSize.entries.size()) - 1;
    pointSize.selected =
        std::clamp(values.pointSize - int{stamp::kSmallestPointSize}, 0, largestIndex);
    ShowPosition(horizontal, horizontalShown_, values.horizontalPosition);
    ShowPosition(vertical, verticalShown_, values.verticalPosition);
    gValue.SelectByPrefix(values.gValue);
    sValue.SelectByPrefix(values.sValue);
    ApplyEnabling();
}

void TextStampPage::Export(TextStampValues& values) const {
    values.stampOn = stamp.checked ? 1 : 0;
    values.timeSwitch = time.checked ? 1 : 0;
    values.dateSwitch = date.checked ? 1 : 0;
    values.hSwitch = hOption.checked ? 1 : 0;
    values.pointSize = static_cast<std::uint8_t>(
        stamp::kSmallestPointSize +
        std::clamp(pointSize.selected, 0,
                   int{stamp::kLargestPointSize} - int{stamp::kSmallestPointSize}));
    // Read as an unsigned number and kept in one byte: 300 degrees is held as 44.
    values.angle = static_cast<std::uint8_t>(LeadingInteger(angleValue.text));
    values.horizontalPosition = HeldPosition(horizontal, horizontalShown_);
    values.verticalPosition = HeldPosition(vertical, verticalShown_);
    values.gValue = CutToCapacity(gValue.SelectedText(), stamp::kListValueCapacity);
    values.sValue = CutToCapacity(sValue.SelectedText(), stamp::kListValueCapacity);
    values.text = CutToCapacity(text.text, stamp::kTextCapacity);
}

void TextStampPage::CheckStamp(bool checked) {
    if (!stamp.enabled) return;
    stamp.checked = checked;
    ApplyEnabling();
}

void TextStampPage::ChooseAngle(int radioId) {
    if (radioId == kAngle0Radio) {
        angleValue.text = "0";
    } else if (radioId == kAngle90Radio) {
        angleValue.text = "90";
    } else if (radioId != kAngleOtherRadio) {
        return;
    }
    angle.chosen = radioId;
    angleIcon = AngleIcon(radioId);
    ApplyEnabling();
}

void TextStampPage::ApplyPrinterType(PrinterType type) {
    stamp.enabled = type == PrinterType::Velmar;
    if (!stamp.enabled) stamp.checked = false;
    ApplyEnabling();
}

void TextStampPage::ApplyUnit(Unit unit) {
    if (unit != unit_) {
        const std::string horizontalHeld = HeldPosition(horizontal, horizontalShown_);
        const std::string verticalHeld = HeldPosition(vertical, verticalShown_);
        unit_ = unit;
        ShowPosition(horizontal, horizontalShown_, horizontalHeld);
        ShowPosition(vertical, verticalShown_, verticalHeld);
    }
    positionsDigitsOnly = unit == Unit::Metric;
    ApplyUnitLabels();
}

void TextStampPage::ApplyEnabling() {
    // A stamp the printer type cannot print is not to be edited either, even when a loaded
    // configuration shows it checked.
    const bool on = stamp.checked && stamp.enabled;
    angle.enabled = on;
    angleValue.enabled = on && angle.chosen == kAngleOtherRadio;
    text.enabled = on;
    time.enabled = on;
    date.enabled = on;
    hOption.enabled = on;
    pointSize.enabled = on;
    anglePictureEnabled = on;
    horizontal.enabled = on;
    vertical.enabled = on;
    gValue.enabled = on;
    sValue.enabled = on;
    control1025Enabled = on;
    control1026Enabled = on;
}

void TextStampPage::ShowPosition(EditControl& field, ShownPosition& memo, std::string_view held) {
    if (unit_ == Unit::English) {
        field.text = stamp::ShowInches(held);
        memo = {};
        return;
    }
    memo.held = std::to_string(HeldHundredths(held));
    memo.shown = stamp::HundredthsToMillimetres(held);
    field.text = memo.shown;
}

std::string TextStampPage::HeldPosition(const EditControl& field, const ShownPosition& memo) const {
    const std::string typed = CutToCapacity(field.text, stamp::kPositionCapacity);
    if (unit_ == Unit::English) return stamp::NormaliseInches(typed);
    // Whole millimetres are coarser than hundredths: a field the user left alone gives back the
    // exact value behind it rather than its rounded image.
    if (!memo.shown.empty() && field.text == memo.shown) return memo.held;
    return stamp::MillimetresToHundredths(typed);
}

std::vector<PageControl> TextStampPage::Controls() {
    using C = PageControl;
    auto positionAccepts = [this](char c) {
        return !positionsDigitsOnly || (c >= '0' && c <= '9');
    };
    return {
        C::OfCheck(kStampCheck, stamp),
        C::OfEdit(kTextEdit, text),
        C::OfRadio(kAngle0Radio, angle),
        C::OfRadio(kAngle90Radio, angle),
        C::OfRadio(kAngleOtherRadio, angle),
        C::OfEdit(kAngleEdit, angleValue, [](char c) { return c >= '0' && c <= '9'; }),
        [this] {
            C picture = C::OfLabel(kAnglePicture, nullptr, &anglePictureEnabled);
            picture.picture = &angleIcon;
            return picture;
        }(),
        C::OfList(kPointSizeList, pointSize),
        C::OfEdit(kHorizontalEdit, horizontal, positionAccepts),
        C::OfLabel(kControl1025, &horizontalUnitLabel, &control1025Enabled),
        C::OfEdit(kVerticalEdit, vertical, positionAccepts),
        C::OfLabel(kControl1026, &verticalUnitLabel, &control1026Enabled),
        C::OfList(kGValueList, gValue),
        C::OfList(kSValueList, sValue),
        C::OfCheck(kHOptionCheck, hOption),
        C::OfCheck(kTimeCheck, time),
        C::OfCheck(kDateCheck, date),
        C::OfButton(kApplyButton),
    };
}

void TextStampPage::Refresh(CUserObject& values, MessageSink&) {
    Refresh(values.stamp);
}

void TextStampPage::Export(CUserObject& values) const {
    Export(values.stamp);
}

bool TextStampPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    using K = ControlEvent::Kind;
    switch (event.kind) {
        case K::Toggle:
            switch (event.id) {
                case kStampCheck:
                    CheckStamp(event.checked);
                    return true;
                case kTimeCheck:
                    time.checked = event.checked;
                    return true;
                case kDateCheck:
                    date.checked = event.checked;
                    return true;
                case kHOptionCheck:
                    hOption.checked = event.checked;
                    return true;
                case kAngle0Radio:
                case kAngle90Radio:
                case kAngleOtherRadio:
                    ChooseAngle(event.id);
                    return true;
            }
            break;
        case K::Select:
            switch (event.id) {
                case kPointSizeList:
                    return SelectEntry(pointSize, event.index);
                case kGValueList:
                    return SelectEntry(gValue, event.index);
                case kSValueList:
                    return SelectEntry(sValue, event.index);
            }
            break;
        case K::Edit:
            switch (event.id) {
                case kTextEdit:
                    text.text = event.text;
                    return true;
                case kAngleEdit:
                    angleValue.text = event.text;
                    return true;
                case kHorizontalEdit:
                    horizontal.text = event.text;
                    return true;
                case kVerticalEdit:
                    vertical.text = event.text;
                    return true;
            }
            break;
        case K::Click:
            if (event.id == kApplyButton) {
                Export(values.stamp);
                return true;
            }
            break;
    }
    return RefuseEvent("text stamp", event);
}

void TextStampPage::ApplyUnitLabels() {
    const bool metric = unit_ == Unit::Metric;
    horizontalUnitLabel = LoadResourceString(metric ? rid::kStampUnitMetricHorizontal
                                                    : rid::kStampUnitEnglishHorizontal);
    verticalUnitLabel =
        LoadResourceString(metric ? rid::kStampUnitMetricVertical : rid::kStampUnitEnglishVertical);
}

}  // namespace kestrum
