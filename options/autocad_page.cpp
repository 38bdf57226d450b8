#include "options/autocad_page.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "options/autocad_options.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

constexpr double kInchesPerMillimetre = 0.03937008;
constexpr double kMillimetresPerInch = 25.4;

// Larger entries (in inches or millimetres) are not taken as numbers: every converted value must
// still fit its stored field, and nothing on a plotter is a hundred metres long.
constexpr double kLargestEntry = 100000;

// Significant digits of the stored forms.
constexpr int kPaperDigits = 4;
constexpr int kMarginDigits = 5;
constexpr int kInchDigits = 2;
constexpr int kShownDigits = 5;

struct StandardPaper {
    int name;
    int x;
    int y;
};

// The first entry also serves a name that matches none.
constexpr StandardPaper kStandardPapers[] = {
    {rid::kAcadPaperA, rid::kAcadPaperXA, rid::kAcadPaperYA},
    {rid::kAcadPaperB, rid::kAcadPaperXB, rid::kAcadPaperYB},
    {rid::kAcadPaperC, rid::kAcadPaperXC, rid::kAcadPaperYC},
    {rid::kAcadPaperD, rid::kAcadPaperXD, rid::kAcadPaperYD},
    {rid::kAcadPaperE, rid::kAcadPaperXE, rid::kAcadPaperYE},
    {rid::kSizeA4, rid::kAcadPaperXA4, rid::kAcadPaperYA4},
    {rid::kSizeA3, rid::kAcadPaperXA3, rid::kAcadPaperYA3},
    {rid::kSizeA2, rid::kAcadPaperXA2, rid::kAcadPaperYA2},
    {rid::kSizeA1, rid::kAcadPaperXA1, rid::kAcadPaperYA1},
    {rid::kSizeA0, rid::kAcadPaperXA0, rid::kAcadPaperYA0},
};

std::string ResourceText(int number) {
    return std::string(LoadResourceString(number));
}

std::vector<std::string> ResourceTexts(std::initializer_list<int> numbers) {
    std::vector<std::string> texts;
    for (int number : numbers) texts.push_back(ResourceText(number));
    return texts;
}

const StandardPaper& PaperNamed(std::string_view name) {
    for (const StandardPaper& paper : kStandardPapers) {
        if (MatchesResource(name, paper.name)) return paper;
    }
    return kStandardPapers[0];
}

char DecimalPoint() {
    const std::string_view point = LoadResourceString(rid::kDecimalPoint);
    return point.empty() ? '.' : point.front();
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Stored texts are written with '.', whatever the language's decimal point is.
bool IsPoint(char c) {
    return c == '.' || c == DecimalPoint();
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A decimal number as typed: an optional sign, digits with at most one point, at least one digit,
// blanks around it and nothing else.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

std::optional<Decimal> SplitDecimal(std::string_view text) {
    text = TrimBlanks(text);
    Decimal number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) ++i;
    number.whole = text.substr(0, i);
    if (i < text.size() && IsPoint(text[i])) {
        const std::size_t start = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        number.fraction = text.substr(start, i - start);
    }
    if (i != text.size() || (number.whole.empty() && number.fraction.empty())) return std::nullopt;
    return number;
}

// Nothing when the digits are too many for a double.
std::optional<double> ToDouble(const Decimal& number) {
    const std::string digits = std::string(number.whole.empty() ? "0" : number.whole) + "." +
                               std::string(number.fraction.empty() ? "0" : number.fraction);
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
    return number.negative ? -value : value;
}

// A typed number within the range of entries; nothing for any other text.
std::optional<double> ParseEntry(std::string_view text) {
    const std::optional<Decimal> number = SplitDecimal(text);
    if (!number) return std::nullopt;
    const std::optional<double> value = ToDouble(*number);
    if (!value || std::fabs(*value) > kLargestEntry) return std::nullopt;
    return value;
}

// Typed inches in hundredths, cut after the second decimal ("8.5" -> 850).
std::optional<long long> EnglishHundredths(std::string_view text) {
    const std::optional<Decimal> number = SplitDecimal(text);
    if (!number || !ParseEntry(text)) return std::nullopt;
    std::string hundredths(number->fraction.substr(0, 2));
    hundredths.append(2 - hundredths.size(), '0');
    const long long value = LeadingInteger(number->whole) * 100 + LeadingInteger(hundredths);
    return number->negative ? -value : value;
}

// The leading number of a stored text, read the way the C library's atof reads it (no exponent);
// 0 when the text starts with none.
double StoredNumber(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i < text.size() && IsPoint(text[i])) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    const std::optional<Decimal> number = SplitDecimal(text.substr(0, i));
    return number ? ToDouble(*number).value_or(0) : 0;
}

// `value` rounded to `digits` significant digits and written without an exponent or trailing
// zeros. A value with more integer digits than that keeps all of them (rounded to a whole
// number): an exponent form would be read back by leading-integer conversions as its first digit.
std::string FormatSignificant(double value, int digits) {
    if (!std::isfinite(value) || value == 0) return "0";
    char buffer[400];
    char* const end = buffer + sizeof buffer;
    const auto scientific =
        std::to_chars(buffer, end, value, std::chars_format::scientific, digits - 1);
    if (scientific.ec != std::errc()) return "0";
    const std::string_view text(buffer, static_cast<std::size_t>(scientific.ptr - buffer));
    const int exponent = static_cast<int>(LeadingInteger(text.substr(text.find('e') + 1)));
    if (exponent < -30) return "0";
    const int decimals = exponent + 1 >= digits ? 0 : digits - 1 - exponent;
    const auto fixed = std::to_chars(buffer, end, value, std::chars_format::fixed, decimals);
    if (fixed.ec != std::errc()) return "0";
    std::string result(buffer, fixed.ptr);
    if (result.find('.') != std::string::npos) {
        result.erase(result.find_last_not_of('0') + 1);
        if (result.back() == '.') result.pop_back();
    }
    return result == "-0" ? "0" : result;
}

std::string CutAtPoint(std::string text) {
    if (const auto point = text.find('.'); point != std::string::npos) text.erase(point);
    if (text.empty() || text == "-") return "0";
    return text == "-0" ? "0" : text;
}

// Stored hundredths of an inch as inches with two decimals ("1100" -> "11.00", "5" -> ".05").
std::string WithPoint(long long hundredths) {
    const bool negative = hundredths < 0;
    std::string digits =
        std::to_string(negative ? 0ULL - static_cast<unsigned long long>(hundredths)
                                : static_cast<unsigned long long>(hundredths));
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return (negative ? "-" : "") + digits.substr(0, digits.size() - 2) + "." +
           digits.substr(digits.size() - 2);
}

// A stored length in hundredths of an inch, as the page shows it.
std::string HundredthsShown(std::string_view stored, Unit unit) {
    if (unit == Unit::Metric) {
        return CutAtPoint(
            FormatSignificant(StoredNumber(stored) * kMillimetresPerInch * 0.01, kShownDigits));
    }
    return WithPoint(LeadingInteger(stored));
}

// A stored length in inches, as the page shows it.
std::string InchesShown(std::string_view stored, Unit unit) {
    if (unit == Unit::Metric) {
        return CutAtPoint(
            FormatSignificant(StoredNumber(stored) * kMillimetresPerInch, kShownDigits));
    }
    return std::string(stored);
}

// The numbers after the X and the Y of a stored custom paper size ("X1169 Y826").
struct PaperPair {
    std::string x;
    std::string y;
};

PaperPair ParsePaper(std::string_view text) {
    const char point = DecimalPoint();
    auto numberAfter = [&](char letter, std::size_t from, std::size_t* end) {
        std::size_t i = from;
        while (i < text.size() && text[i] != letter &&
               text[i] != static_cast<char>(letter - 'A' + 'a')) {
            ++i;
        }
        if (i == text.size()) {
            *end = from;
            return std::string();
        }
        const std::size_t start = ++i;
        while (i < text.size() && (IsDigit(text[i]) || text[i] == point)) ++i;
        *end = i;
        return std::string(text.substr(start, i - start));
    };
    PaperPair pair;
    std::size_t afterX = 0;
    std::size_t afterY = 0;
    pair.x = numberAfter('X', 0, &afterX);
    pair.y = numberAfter('Y', afterX, &afterY);
    return pair;
}

// The X or Y of the unit's default paper, for a custom size that is not a number.
std::string DefaultPaperNumber(Unit unit, bool x) {
    const PaperPair pair = ParsePaper(LoadResourceString(
        unit == Unit::Metric ? rid::kAcadPaperDefaultMetric : rid::kAcadPaperDefaultEnglish));
    return x ? pair.x : pair.y;
}

// A typed paper dimension in hundredths of an inch, as stored.
std::string PaperNumberFromEntry(std::string_view text, Unit unit, bool x) {
    if (unit == Unit::Metric) {
        if (const std::optional<double> mm = ParseEntry(text)) {
            return CutAtPoint(FormatSignificant(*mm * 100 * kInchesPerMillimetre, kPaperDigits));
        }
    } else if (const std::optional<long long> hundredths = EnglishHundredths(text)) {
        return CutAtPoint(FormatSignificant(static_cast<double>(*hundredths), kPaperDigits));
    }
    return DefaultPaperNumber(unit, x);
}

std::vector<std::string> PaperNames(Unit unit, bool largestFirst) {
    if (unit == Unit::English) {
        return ResourceTexts({rid::kAcadPaperA, rid::kAcadPaperB, rid::kAcadPaperC,
                              rid::kAcadPaperD, rid::kAcadPaperE});
    }
    if (largestFirst) {
        return ResourceTexts(
            {rid::kSizeA0, rid::kSizeA1, rid::kSizeA2, rid::kSizeA3, rid::kSizeA4});
    }
    return ResourceTexts({rid::kSizeA4, rid::kSizeA3, rid::kSizeA2, rid::kSizeA1, rid::kSizeA0});
}

void SetUnitLabels(std::array<std::string, AutoCadPage::kUnitLabels.size()>& labels, Unit unit) {
    const bool metric = unit == Unit::Metric;
    const int numbers[] = {
        metric ? rid::kAcadUnitLabel1Metric : rid::kAcadUnitLabel1English,
        metric ? rid::kAcadUnitLabel2Metric : rid::kAcadUnitLabel2English,
        metric ? rid::kAcadUnitLabel3Metric : rid::kAcadUnitLabel3English,
        metric ? rid::kAcadUnitLabel4Metric : rid::kAcadUnitLabel4English,
        metric ? rid::kAcadUnitLabel5Metric : rid::kAcadUnitLabel5English,
    };
    for (std::size_t i = 0; i < labels.size(); ++i) labels[i] = ResourceText(numbers[i]);
}

}  // namespace

AutoCadPage::AutoCadPage(Unit unit) : unit_(unit) {
    paperList.Fill(PaperNames(unit, true));
    plotChoice.Fill(ResourceTexts({rid::kAcadPlotChoice0Entry, rid::kAcadPlotChoice1Entry,
                                   rid::kAcadPlotChoice2Entry, rid::kAcadPlotChoice3Entry}));
    areaChoice.Fill(ResourceTexts(
        {rid::kAcadAreaExtentsEntry, rid::kAcadAreaLimitsEntry, rid::kAcadAreaDisplayEntry}));
    outputChoice.Fill(
        ResourceTexts({rid::kAcadOutputAlternateEntry, rid::kAcadOutputStandardEntry}));
    outputChoice.selected = 1;
    SetUnitLabels(unitLabels, unit);
    digitsOnly = unit == Unit::Metric;
    paperKind.chosen = kNamedPaperRadio;

    AutoCadOptions defaults;
    ColourTable table;
    ReferenceList references;
    SetAutoCadDefaults(defaults, table, references, unit);
    Refresh(defaults);
}

void AutoCadPage::Show(EditControl& edit, Numeric which, std::string stored, std::string text) {
    edit.text = text;
    shown_[which] = Shown{std::move(text), std::move(stored)};
}

std::optional<std::string> AutoCadPage::Unchanged(const EditControl& edit, Numeric which) const {
    const std::optional<Shown>& shown = shown_[which];
    if (!shown || shown->text != edit.text) return std::nullopt;
    return shown->stored;
}

void AutoCadPage::Refresh(const AutoCadOptions& values) {
    shown_.fill(std::nullopt);
    inForce.checked = values.inForce != 0;

    if (MatchesResource(values.paperSize, rid::kAcadAreaExtentsEntry) ||
        MatchesResource(values.paperSize, rid::kAcadAreaLimitsEntry)) {
        paperKind.chosen = kPaperFollowsAreaRadio;
    } else {
        const PaperPair pair = ParsePaper(values.paperSize);
        bool named = false;
        for (std::size_t i = 0; i < paperList.entries.size() && !named; ++i) {
            const StandardPaper& paper = PaperNamed(paperList.entries[i]);
            if (MatchesResource(paperList.entries[i], paper.name) &&
                pair.x == LoadResourceString(paper.x) && pair.y == LoadResourceString(paper.y)) {
                paperList.selected = static_cast<int>(i);
                named = true;
            }
        }
        if (named) {
            paperKind.chosen = kNamedPaperRadio;
        } else {
            paperKind.chosen = kCustomPaperRadio;
            Show(paperX, kPaperXValue, pair.x, HundredthsShown(pair.x, unit_));
            Show(paperY, kPaperYValue, pair.y, HundredthsShown(pair.y, unit_));
            // A size without a number has nothing worth keeping.
            if (pair.x.empty()) shown_[kPaperXValue].reset();
            if (pair.y.empty()) shown_[kPaperYValue].reset();
        }
    }

    Show(marginA, kMarginAValue, values.marginA, HundredthsShown(values.marginA, unit_));
    Show(marginB, kMarginBValue, values.marginB, HundredthsShown(values.marginB, unit_));
    Show(marginC, kMarginCValue, values.marginC, HundredthsShown(values.marginC, unit_));
    Show(marginD, kMarginDValue, values.marginD, HundredthsShown(values.marginD, unit_));

    plotChoice.SelectByPrefix(values.plotChoice);
    outputChoice.SelectByPrefix(values.outputChoice);
    areaChoice.SelectByPrefix(values.areaChoice);

    fit.checked = MatchesResource(values.plotScale, rid::kAcadFitText);
    if (!fit.checked) {
        const std::string_view scale = values.plotScale;
        const auto colon = scale.find(':');
        const std::string plotted(scale.substr(0, colon));
        Show(plottedUnits, kPlottedValue, plotted, InchesShown(plotted, unit_));
        drawingUnits.text =
            colon == std::string_view::npos ? std::string() : std::string(scale.substr(colon + 1));
    }

    Show(offsetX, kOffsetXValue, values.offsetX, InchesShown(values.offsetX, unit_));
    Show(offsetY, kOffsetYValue, values.offsetY, InchesShown(values.offsetY, unit_));

    ApplyEnabling();
}

void AutoCadPage::ApplyEnabling() {
    const bool on = inForce.checked;
    if (fit.checked && paperKind.chosen == kPaperFollowsAreaRadio) {
        paperKind.chosen = kNamedPaperRadio;
    }
    paperKind.enabled = on;
    paperFollowsAreaEnabled = on && !fit.checked;
    paperList.enabled = on && paperKind.chosen == kNamedPaperRadio;
    paperX.enabled = on && paperKind.chosen == kCustomPaperRadio;
    paperY.enabled = paperX.enabled;
    for (EditControl* edit : {&marginA, &marginB, &marginC, &marginD, &offsetX, &offsetY}) {
        edit->enabled = on;
    }
    plotChoice.enabled = on;
    outputChoice.enabled = on;
    areaChoice.enabled = on;
    fit.enabled = on;
    buttonsEnabled = on;

    plottedUnits.enabled = on && !fit.checked;
    drawingUnits.enabled = plottedUnits.enabled;
    if (fit.checked) {
        plottedUnits.text.clear();
        drawingUnits.text.clear();
    } else {
        if (plottedUnits.text.empty())
            plottedUnits.text = ResourceText(rid::kAcadPlottedUnitsDefault);
        if (drawingUnits.text.empty())
            drawingUnits.text = ResourceText(rid::kAcadDrawingUnitsDefault);
    }
}

void AutoCadPage::SetInForce(bool on) {
    inForce.checked = on;
    ApplyEnabling();
}

void AutoCadPage::ChoosePaperKind(int radioId) {
    if (radioId != kNamedPaperRadio && radioId != kCustomPaperRadio &&
        radioId != kPaperFollowsAreaRadio) {
        return;
    }
    if (radioId == kPaperFollowsAreaRadio && fit.checked) return;
    paperKind.chosen = radioId;
    ApplyEnabling();
}

void AutoCadPage::SetFit(bool on) {
    fit.checked = on;
    ApplyEnabling();
}

void AutoCadPage::ApplyUnit(Unit unit) {
    unit_ = unit;
    shown_.fill(std::nullopt);
    const bool metric = unit == Unit::Metric;
    paperList.Fill(PaperNames(unit, false));
    SetUnitLabels(unitLabels, unit);
    for (EditControl* margin : {&marginA, &marginB, &marginC, &marginD}) {
        margin->text = metric ? "0" : ".50";
    }
    paperX.text = metric ? "297" : "11";
    paperY.text = metric ? "210" : "8.5";
    plottedUnits.text = "1";
    drawingUnits.text = "1";
    offsetX.text = "0";
    offsetY.text = "0";
    digitsOnly = metric;
    ApplyEnabling();
}

std::string AutoCadPage::PaperSizeFromControls(std::string_view area) const {
    if (paperKind.chosen == kPaperFollowsAreaRadio) {
        return ResourceText(MatchesResource(area, rid::kAcadAreaExtentsEntry)
                                ? rid::kAcadAreaExtentsEntry
                                : rid::kAcadAreaLimitsEntry);
    }
    std::string x;
    std::string y;
    if (paperKind.chosen == kCustomPaperRadio) {
        x = Unchanged(paperX, kPaperXValue)
                .value_or(PaperNumberFromEntry(paperX.text, unit_, true));
        y = Unchanged(paperY, kPaperYValue)
                .value_or(PaperNumberFromEntry(paperY.text, unit_, false));
    } else {
        const StandardPaper& paper = PaperNamed(paperList.SelectedText());
        x = ResourceText(paper.x);
        y = ResourceText(paper.y);
    }
    return CutToCapacity("X" + x + " Y" + y, autocad::kPaperSizeCapacity);
}

std::string AutoCadPage::MarginFromControls(const EditControl& edit, Numeric which,
                                            int defaultText) const {
    if (std::optional<std::string> stored = Unchanged(edit, which)) {
        return CutToCapacity(*stored, autocad::kMarginCapacity);
    }
    std::string margin;
    if (unit_ == Unit::Metric) {
        if (const std::optional<double> mm = ParseEntry(edit.text)) {
            margin = FormatSignificant(*mm * 100 * kInchesPerMillimetre, kMarginDigits);
        }
    } else if (const std::optional<long long> hundredths = EnglishHundredths(edit.text)) {
        margin = std::to_string(*hundredths);
    }
    // The default is already in hundredths of an inch; converting it again as if it were typed
    // inches would make a 50-inch margin of it.
    if (margin.empty()) margin = ResourceText(defaultText);
    return CutToCapacity(margin, autocad::kMarginCapacity);
}

std::string AutoCadPage::InchesFromControls(const EditControl& edit, Numeric which,
                                            int defaultText) const {
    if (std::optional<std::string> stored = Unchanged(edit, which)) return *stored;
    if (unit_ == Unit::English) return edit.text;
    if (const std::optional<double> mm = ParseEntry(edit.text)) {
        return FormatSignificant(*mm * kInchesPerMillimetre, kInchDigits);
    }
    return ResourceText(defaultText);
}

void AutoCadPage::Export(AutoCadOptions& values) const {
    values.inForce = inForce.checked ? 1 : 0;
    values.areaChoice = CutToCapacity(areaChoice.SelectedText(), autocad::kAreaChoiceCapacity);
    values.paperSize = PaperSizeFromControls(values.areaChoice);

    values.marginA = MarginFromControls(marginA, kMarginAValue, rid::kAcadMarginADefault);
    values.marginC = MarginFromControls(marginC, kMarginCValue, rid::kAcadMarginCDefault);
    values.marginD = MarginFromControls(marginD, kMarginDValue, rid::kAcadMarginDDefault);
    values.marginB = MarginFromControls(marginB, kMarginBValue, rid::kAcadMarginBDefault);

    values.plotChoice = CutToCapacity(plotChoice.SelectedText(), autocad::kPlotChoiceCapacity);
    values.outputChoice =
        CutToCapacity(outputChoice.SelectedText(), autocad::kOutputChoiceCapacity);

    values.offsetX =
        CutToCapacity(InchesFromControls(offsetX, kOffsetXValue, rid::kAcadOffsetXDefault),
                      autocad::kOffsetCapacity);
    values.offsetY =
        CutToCapacity(InchesFromControls(offsetY, kOffsetYValue, rid::kAcadOffsetYDefault),
                      autocad::kOffsetCapacity);

    if (fit.checked) {
        values.plotScale = ResourceText(rid::kAcadFitText);
    } else {
        values.plotScale = CutToCapacity(
            InchesFromControls(plottedUnits, kPlottedValue, rid::kAcadPlottedUnitsDefault) + ":" +
                drawingUnits.text,
            autocad::kPlotScaleCapacity);
    }
}

std::vector<PageControl> AutoCadPage::Controls() {
    using C = PageControl;
    auto numeric = [this](char c) { return !digitsOnly || (c >= '0' && c <= '9'); };
    std::vector<PageControl> controls{
        C::OfCheck(kInForceCheck, inForce),
        C::OfRadio(kNamedPaperRadio, paperKind),
        C::OfList(kPaperList, paperList),
        C::OfRadio(kCustomPaperRadio, paperKind),
        C::OfEdit(kPaperXEdit, paperX, numeric),
        C::OfEdit(kPaperYEdit, paperY, numeric),
        C::OfRadio(kPaperFollowsAreaRadio, paperKind, &paperFollowsAreaEnabled),
        C::OfEdit(kMarginAEdit, marginA, numeric),
        C::OfEdit(kMarginBEdit, marginB, numeric),
        C::OfEdit(kMarginCEdit, marginC, numeric),
        C::OfEdit(kMarginDEdit, marginD, numeric),
        C::OfList(kPlotChoiceList, plotChoice),
        C::OfList(kAreaChoiceList, areaChoice),
        C::OfList(kOutputChoiceList, outputChoice),
        C::OfCheck(kFitCheck, fit),
        C::OfEdit(kPlottedUnitsEdit, plottedUnits, numeric),
        C::OfEdit(kDrawingUnitsEdit, drawingUnits, numeric),
        C::OfEdit(kOffsetXEdit, offsetX, numeric),
        C::OfEdit(kOffsetYEdit, offsetY, numeric),
        C::OfButton(kColourTableButton, &buttonsEnabled),
        C::OfButton(kReferenceListButton, &buttonsEnabled),
        C::OfButton(kApplyButton),
    };
    for (std::size_t i = 0; i < kUnitLabels.size(); ++i) {
        controls.push_back(C::OfLabel(kUnitLabels[i], &unitLabels[i]));
    }
    return controls;
}

void AutoCadPage::Refresh(CUserObject& values, MessageSink&) {
    Refresh(values.autocad);
}

void AutoCadPage::Export(CUserObject& values) const {
    Export(values.autocad);
}

bool AutoCadPage::Apply(const ControlEvent& event, CUserObject& values, MessageSink&) {
    using K = ControlEvent::Kind;
    switch (event.kind) {
        case K::Toggle:
            switch (event.id) {
                case kInForceCheck:
                    SetInForce(event.checked);
                    return true;
                case kFitCheck:
                    SetFit(event.checked);
                    return true;
                case kNamedPaperRadio:
                case kCustomPaperRadio:
                case kPaperFollowsAreaRadio:
                    ChoosePaperKind(event.id);
                    return true;
            }
            break;
        case K::Select:
            switch (event.id) {
                case kPaperList:
                    return SelectEntry(paperList, event.index);
                case kPlotChoiceList:
                    return SelectEntry(plotChoice, event.index);
                case kAreaChoiceList:
                    return SelectEntry(areaChoice, event.index);
                case kOutputChoiceList:
                    return SelectEntry(outputChoice, event.index);
            }
            break;
        case K::Edit: {
            for (auto [id, edit] :
                 {std::pair{kPaperXEdit, &paperX}, std::pair{kPaperYEdit, &paperY},
                  std::pair{kMarginAEdit, &marginA}, std::pair{kMarginBEdit, &marginB},
                  std::pair{kMarginCEdit, &marginC}, std::pair{kMarginDEdit, &marginD},
                  std::pair{kPlottedUnitsEdit, &plottedUnits},
                  std::pair{kDrawingUnitsEdit, &drawingUnits}, std::pair{kOffsetXEdit, &offsetX},
                  std::pair{kOffsetYEdit, &offsetY}}) {
                if (id == event.id) {
                    edit->text = event.text;
                    return true;
                }
            }
            break;
        }
        case K::Click:
            if (event.id == kApplyButton) {
                Export(values.autocad);
                return true;
            }
            // The colour table and reference folder buttons open the front end's dialogs.
            if (event.id == kColourTableButton || event.id == kReferenceListButton) return false;
            break;
    }
    return RefuseEvent("AutoCAD options", event);
}

}  // namespace kestrum
