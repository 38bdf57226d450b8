#include "shell/language_strings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "shell/resource_ids.h"

namespace kestrum {
namespace {

using namespace rid;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return Lower(a) == Lower(b);
}

bool BeginsNoCase(std::string_view text, std::string_view prefix) {
    return Lower(text).starts_with(Lower(prefix));
}

std::string Text(int number) {
    return std::string(LoadResourceString(number));
}

// A list entry or option value: a numbered string, or a plain text the page puts in itself.
struct Entry {
    Entry(int number) : text(Text(number)) {}  // NOLINT: rows read better without the wrapper
    Entry(const char* plain) : text(plain) {}  // NOLINT
    std::string text;
};

std::vector<Entry> Numbers(int first, int last) {
    std::vector<Entry> out;
    for (int n = first; n <= last; ++n) out.push_back(std::to_string(n).c_str());
    return out;
}

std::vector<Entry> With(std::vector<Entry> head, const std::vector<Entry>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Whether an INI file gives the text back as written.
bool StorableInIni(std::string_view text) {
    if (text.empty()) return true;
    if (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t')
        return false;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return false;
    return text.find_first_of("\r\n") == std::string_view::npos;
}

bool StorableIniName(std::string_view name) {
    return !name.empty() && StorableInIni(name) &&
           name.find_first_of("[]=;\"") == std::string_view::npos;
}

// Texts that stand for one choice in two places, and texts that other programs or files fix.
// A pair that drifts apart leaves an option silently without effect.
TEST(LanguageStrings, AgreedAndFixedTexts) {
    enum class Compare { NoCase, Exact };
    struct Row {
        const char* probe;
        int number;
        int other;          // 0 when compared with `fixed`
        const char* fixed;  // nullptr when compared with `other`
        Compare compare = Compare::NoCase;
    };
    const Row rows[] = {
        // Job options entries against the job header values.
        {"media entry bond", kMediaEntryBond, kMediaBond, nullptr},
        {"media entry vellum", kMediaEntryVellum, kMediaVellum, nullptr},
        {"media entry film", kMediaEntryFilm, kMediaFilm, nullptr},
        {"tray entry 100", kTrayEntry100, kTray100, nullptr},
        {"tray entry 1", kTrayEntry1, kTray1, nullptr},
        {"tray entry 2", kTrayEntry2, kTray2, nullptr},
        {"tray entry 3", kTrayEntry3, kTray3, nullptr},
        {"page size automatic entry", kPageSizeEntryAuto, kAuto, nullptr},
        {"page size entry A0", kPageSizeEntryA0, kSizeA0, nullptr},
        {"page size entry A1", kPageSizeEntryA1, kSizeA1, nullptr},
        {"page size entry A2", kPageSizeEntryA2, kSizeA2, nullptr},
        {"page size entry A3", kPageSizeEntryA3, kSizeA3, nullptr},
        {"page size entry A4", kPageSizeEntryA4, kSizeA4, nullptr},
        {"page size entry A", kPageSizeEntryA, kSizeA, nullptr},
        {"page size entry B", kPageSizeEntryB, kSizeB, nullptr},
        {"page size entry C", kPageSizeEntryC, kSizeC, nullptr},
        {"page size entry D", kPageSizeEntryD, kSizeD, nullptr},
        {"page size entry E", kPageSizeEntryE, kSizeE, nullptr},
        {"default list entry", kListEntryDefault, kDefaultText, nullptr},
        {"stored default text", kJobDefaultText, kDefaultText, nullptr},
        {"automatic page scale", kScaleAuto, kAuto, nullptr},
        {"raster mode enable", kRasterModeEnable, kOnWord, nullptr},
        {"raster mode disable", kRasterModeDisable, kOffWord, nullptr},
        {"raster mode enable word", kRasterModeEnable, 0, "Enable"},
        {"raster mode disable word", kRasterModeDisable, 0, "Disable"},
        {"job options section", kJobOptionsSection, 0, "Printer", Compare::Exact},
        {"file copies key", kFileCopiesKey, 0, "Copies", Compare::Exact},
        // The composer's CalComp and raster on/off words.
        {"calcomp on", kCalCompOn, kOnWord, nullptr},
        {"calcomp off", kCalCompOff, kOffWord, nullptr},
        // HP-GL page entries against the composer.
        {"hpgl on entry", kHpglOnEntry, kOnWord, nullptr},
        {"hpgl off entry", kHpglOffEntry, kOffWord, nullptr},
        {"hpgl ignore entry", kHpglIgnoreEntry, kIgnoreWord, nullptr},
        {"hpgl style none", kHpglStyleNoneEntry, kStyleNone, nullptr},
        {"hpgl style round", kHpglStyleRoundEntry, kStyleRound, nullptr},
        {"hpgl style square", kHpglStyleSquareEntry, kStyleSquare, nullptr},
        {"hpgl style triangular", kHpglStyleTriangularEntry, kStyleTriangular, nullptr},
        {"hpgl style bevel", kHpglStyleBevelEntry, kStyleBevel, nullptr},
        {"hpgl style miter", kHpglStyleMiterEntry, kStyleMiter, nullptr},
        // CalComp page entries against the composer.
        {"calcomp on entry", kCalCompOnEntry, kOnWord, nullptr},
        {"calcomp on entry, settings word", kCalCompOnEntry, kCalCompOn, nullptr},
        {"calcomp off entry", kCalCompOffEntry, kOffWord, nullptr},
        {"calcomp off entry, settings word", kCalCompOffEntry, kCalCompOff, nullptr},
        {"calcomp trailer CR entry", kCalCompTrailerCREntry, kCalCompTrailerCR, nullptr},
        {"calcomp trailer FF entry", kCalCompTrailerFFEntry, kCalCompTrailerFF, nullptr},
        {"calcomp style round", kCalCompStyleRoundEntry, kStyleRound, nullptr},
        {"calcomp style square", kCalCompStyleSquareEntry, kStyleSquare, nullptr},
        {"calcomp style triangular", kCalCompStyleTriangularEntry, kStyleTriangular, nullptr},
        {"calcomp style none", kCalCompStyleNoneEntry, kStyleNone, nullptr},
        {"calcomp style bevel", kCalCompStyleBevelEntry, kStyleBevel, nullptr},
        {"calcomp style miter", kCalCompStyleMiterEntry, kStyleMiter, nullptr},
        // Raster page entries against the raster words.
        {"raster normal entry", kRasterNormalEntry, kRasterNormal, nullptr},
        {"raster reverse entry", kRasterReverseEntry, kRasterReverse, nullptr},
        {"raster enable entry", kRasterEnableEntry, kOnWord, nullptr},
        {"raster enable entry, tri-state", kRasterEnableEntry, kCalCompOn, nullptr},
        {"raster disable entry", kRasterDisableEntry, kOffWord, nullptr},
        {"raster disable entry, tri-state", kRasterDisableEntry, kCalCompOff, nullptr},
        {"raster dither auto entry", kRasterDitherAutoEntry, kAuto, nullptr},
        {"raster dither D2 entry", kRasterDitherD2Entry, kDitherD2, nullptr},
        {"raster dither DR entry", kRasterDitherDREntry, kDitherDR, nullptr},
        {"raster dither DP50 entry", kRasterDitherDP50Entry, kDitherDP50, nullptr},
        {"raster TG4 radio", kRasterCompressionTG4Radio, kCompressionTG4, nullptr, Compare::Exact},
        {"raster C4 radio", kRasterCompressionC4Radio, kCompressionC4, nullptr, Compare::Exact},
        // Text stamp.
        {"stamp default entry", kStampDefaultEntry, kDefaultText, nullptr},
        // Launch list markers.
        {"new entry marker", kNewEntryConfiguration, kCurrentSettingsMarker, nullptr},
        {"current settings choice", kCurrentSettingsChoice, kCurrentSettingsMarker, nullptr},
        {"no configuration choice", kNoConfigurationChoice, kNoConfigurationMarker, nullptr},
        // AutoCAD options: the page stores one fit text, the export recognises the other.
        {"autocad fit text", kAcadFitText, kAcadExportFitText, nullptr},
        {"autocad title", kTitleAutoCad, 0, "CONFIGURATION EDITOR - AUTOCAD OPTIONS",
         Compare::Exact},
        // Settings file words, written by the preferences and read at start-up.
        {"preferences on word", kPrefsOnWord, kYesWord, nullptr},
        {"preferences off word", kPrefsOffWord, kNoWord, nullptr},
        {"english unit word", kEnglishWord, 0, "English"},
        {"metric unit word", kMetricWord, 0, "Metric", Compare::Exact},
        // The printer name the settings file holds until a printer is chosen.
        {"system default printer", kSystemDefaultPrinterName, 0, "Default"},
        // Custom sizes are read back as the characters between these.
        {"first digit", kDigitFirst, 0, "0", Compare::Exact},
        {"last digit", kDigitLast, 0, "9", Compare::Exact},
        {"decimal point", kDecimalPoint, 0, ".", Compare::Exact},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.probe);
        const std::string text = Text(row.number);
        const std::string expected = row.fixed ? std::string(row.fixed) : Text(row.other);
        ASSERT_FALSE(text.empty()) << row.number;
        if (row.compare == Compare::Exact) {
            EXPECT_EQ(text, expected);
        } else {
            EXPECT_TRUE(SameNoCase(text, expected)) << text << " / " << expected;
        }
    }
}

// Texts that one page or the composer must tell apart.
TEST(LanguageStrings, ChoicesOfOneValueDiffer) {
    struct Row {
        const char* probe;
        std::vector<Entry> texts;
    };
    const Row rows[] = {
        {"formats", {kFormatA, kFormatHpgl, kFormatCalComp, kFormatPostScript}},
        {"trays", {kTray100, kTray1, kTray2, kTray3, kDefaultText}},
        {"media", {kMediaBond, kMediaVellum, kMediaFilm, kDefaultText}},
        {"sizes",
         {kAuto, kSizeA, kSizeB, kSizeC, kSizeD, kSizeE, kSizeA0, kSizeA1, kSizeA2, kSizeA3,
          kSizeA4}},
        {"dither", {kRasterNormal, kAuto, kDitherD2, kOffWord, kDitherDR, kDitherDP50}},
        {"image", {kRasterNormal, kRasterReverse}},
        {"pen styles",
         {kStyleRound, kStyleSquare, kStyleTriangular, kStyleNone, kStyleMiter, kStyleBevel}},
        {"calcomp line end", {kOffWord, kStyleRound, kStyleSquare, kStyleTriangular}},
        {"hpgl terminator", {kOnWord, kOffWord, kIgnoreWord}},
        {"hpgl stored trailer", {kHpglTrailerSC, kHpglTrailerFF, kOffWord}},
        {"calcomp trailer", {kOffWord, kCalCompTrailerCR, kCalCompTrailerFF}},
        {"plot units",
         {kPlotUnit0, kPlotUnit1, kPlotUnit2, kPlotUnit3, kPlotUnit4, kPlotUnit5, kPlotUnit6}},
        {"compression", {kCompressionTG4, kCompressionC4}},
        {"markers", {kCurrentSettingsMarker, kNoConfigurationMarker}},
        {"settings yes and no", {kYesWord, kNoWord}},
        {"units", {kEnglishWord, kMetricWord}},
        {"stamp switch words", {kStampOnWord, kStampOffWord}},
        {"autocad paper follows area", {kAcadAreaExtentsEntry, kAcadAreaLimitsEntry}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.probe);
        for (std::size_t i = 0; i < row.texts.size(); ++i) {
            EXPECT_FALSE(row.texts[i].text.empty()) << i;
            for (std::size_t j = i + 1; j < row.texts.size(); ++j) {
                EXPECT_FALSE(SameNoCase(row.texts[i].text, row.texts[j].text)) << row.texts[i].text;
            }
        }
    }
}

// A stored value longer than its field is cut and then matches nothing.
TEST(LanguageStrings, OptionTextsFitTheirFields) {
    struct Row {
        const char* field;
        std::size_t capacity;
        std::vector<Entry> texts;
    };
    std::vector<Row> rows = {
        {"job format", 9, {kFormatA, kFormatHpgl, kFormatCalComp, kFormatPostScript}},
        {"job media", 8, {kListEntryDefault, kMediaEntryBond, kMediaEntryVellum, kMediaEntryFilm}},
        {"job tray", 19, {kListEntryDefault, kTrayEntry100, kTrayEntry1, kTrayEntry2, kTrayEntry3}},
        {"job page size",
         15,
         {kPageSizeEntryAuto, kPageSizeEntryA0, kPageSizeEntryA1, kPageSizeEntryA2,
          kPageSizeEntryA3, kPageSizeEntryA4, kPageSizeEntryA, kPageSizeEntryB, kPageSizeEntryC,
          kPageSizeEntryD, kPageSizeEntryE}},
        {"job page scale", 10, {kScaleAuto}},
        {"job raster mode", 24, {kRasterModeEnable, kRasterModeDisable}},
        {"hpgl settings", 9, {kHpglOnEntry, kHpglOffEntry, kHpglIgnoreEntry}},
        {"hpgl trailer",
         14,
         {kHpglOffEntry, kHpglTrailerSCEntry, kHpglTrailerFFEntry, kHpglTrailerSC, kHpglTrailerFF}},
        // Line-join styles also travel in the first ten bytes of a launch file field.
        {"hpgl pen styles",
         9,
         {kHpglStyleNoneEntry, kHpglStyleRoundEntry, kHpglStyleSquareEntry,
          kHpglStyleTriangularEntry, kHpglStyleBevelEntry, kHpglStyleMiterEntry}},
        {"calcomp settings",
         9,
         {kPlotUnit0, kPlotUnit1, kPlotUnit2, kPlotUnit3, kPlotUnit4, kPlotUnit5, kPlotUnit6,
          kCalCompOnEntry, kCalCompOffEntry, kCalCompTrailerCREntry, kCalCompTrailerFFEntry}},
        {"calcomp pen styles",
         9,
         {kCalCompOffEntry, kCalCompStyleRoundEntry, kCalCompStyleSquareEntry,
          kCalCompStyleTriangularEntry, kCalCompStyleNoneEntry, kCalCompStyleBevelEntry,
          kCalCompStyleMiterEntry}},
        {"raster settings",
         10,
         {kRasterNormalEntry, kRasterReverseEntry, kRasterEnableEntry, kRasterDisableEntry}},
        {"raster setting 3",
         20,
         {kRasterNormalEntry, kRasterDitherAutoEntry, kRasterDitherD2Entry, kRasterDitherDREntry,
          kRasterDitherDP50Entry, kRasterDisableEntry}},
        {"stamp switch words", 5, {kStampOnWord, kStampOffWord}},
        {"stamp G and S", 9, {kStampDefaultEntry}},
        {"autocad paper size",
         20,
         {kAcadPaperDefaultEnglish, kAcadPaperDefaultMetric, kAcadAreaExtentsEntry,
          kAcadAreaLimitsEntry}},
        {"autocad margins and offsets",
         10,
         {kAcadMarginADefault, kAcadMarginBDefault, kAcadMarginCDefault, kAcadMarginDDefault,
          kAcadOffsetXDefault, kAcadOffsetYDefault}},
        {"autocad plot choice",
         10,
         {kAcadPlotChoiceDefault, kAcadPlotChoice0Entry, kAcadPlotChoice1Entry,
          kAcadPlotChoice2Entry, kAcadPlotChoice3Entry}},
        {"autocad output choice", 25, {kAcadOutputStandardEntry, kAcadOutputAlternateEntry}},
        {"autocad area choice",
         10,
         {kAcadAreaChoiceDefault, kAcadAreaExtentsEntry, kAcadAreaLimitsEntry,
          kAcadAreaDisplayEntry}},
        {"autocad plot scale", 50, {kAcadFitText}},
        {"autocad colour pen and style", 10, {kAcadColourStyleDefault}},
        {"autocad colour width", 50, {kAcadColourWidthDefault}},
        {"settings words",
         79,
         {kYesWord, kNoWord, kPrefsOnWord, kPrefsOffWord, kEnglishWord, kMetricWord}},
    };
    // Every page scale of one unit, and every named size typed as a custom size.
    const std::vector<std::vector<int>> sizes = {{kSizeA, kSizeB, kSizeC, kSizeD, kSizeE},
                                                 {kSizeA0, kSizeA1, kSizeA2, kSizeA3, kSizeA4}};
    for (const auto& unit : sizes) {
        for (int from : unit) {
            for (int to : unit)
                rows.push_back({"job page scale", 10, {(Text(from) + " " + Text(to)).c_str()}});
        }
    }
    const int english = kCustomSizeUnitEnglish, metric = kCustomSizeUnitMetric;
    const int dimensions[][3] = {
        {kSizeWidthA, kSizeHeightA, english},  {kSizeWidthB, kSizeHeightB, english},
        {kSizeWidthC, kSizeHeightC, english},  {kSizeWidthD, kSizeHeightD, english},
        {kSizeWidthE, kSizeHeightE, english},  {kSizeWidthA0, kSizeHeightA0, metric},
        {kSizeWidthA1, kSizeHeightA1, metric}, {kSizeWidthA2, kSizeHeightA2, metric},
        {kSizeWidthA3, kSizeHeightA3, metric}, {kSizeWidthA4, kSizeHeightA4, metric}};
    for (const auto& d : dimensions) {
        const std::string custom = Text(d[0]) + Text(d[2]) + " " + Text(d[1]) + Text(d[2]);
        rows.push_back({"job custom page size", 15, {custom.c_str()}});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        for (const Entry& entry : row.texts) {
            EXPECT_FALSE(entry.text.empty());
            EXPECT_LE(entry.text.size(), row.capacity) << entry.text;
            EXPECT_TRUE(StorableInIni(entry.text)) << entry.text;
        }
    }
}

// Section and key names of a configuration file: storable, and never two alike in one place.
TEST(LanguageStrings, ConfigurationNamesAreStorableAndDistinct) {
    struct Row {
        const char* place;
        std::vector<std::string> names;
    };
    auto texts = [](std::initializer_list<int> numbers) {
        std::vector<std::string> out;
        for (int n : numbers) out.push_back(Text(n));
        return out;
    };
    auto numbered = [](std::vector<std::string> names, const std::string& prefix, int last) {
        for (int n = 1; n <= last; ++n) names.push_back(prefix + std::to_string(n));
        return names;
    };
    const Row rows[] = {
        {"sections",
         numbered(numbered(numbered(texts({kStampSection, kJobOptionsSection, kHpglSection,
                                           kCalCompSection, kRasterSection, kAcadSection}),
                                    "HPGL PEN", 15),
                           "CC PEN", 15),
                  Text(kAcadColourSectionPrefix), 256)},
        // The stamp switch is stored under the empty key as well.
        {"text stamp keys",
         texts({kStampTextKey, kStampAngleKey, kStampHorizontalKey, kStampVerticalKey,
                kStampPointSizeKey, kStampTimeKey, kStampDateKey, kStampHOptionKey, kStampGValueKey,
                kStampSValueKey})},
        {"job options keys",
         texts({kFoldingKey, kControllerCopiesKey, kFileCopiesKey, kMediaKey, kTrayKey,
                kPageSizeKey, kPageScaleKey, kFormatKey, kRasterModeKey})},
        {"hpgl keys", texts({kHpglModelKey, kHpglRotationKey, kHpglPen0Key, kHpglTerminatorKey,
                             kHpglTrailerKey})},
        {"hpgl pen keys", texts({kHpglPenWidthKey, kHpglPenLineEndKey, kHpglPenLineJoinKey,
                                 kHpglPenGrayKey, kHpglPenOpaqueKey, kHpglPenLUKey})},
        {"calcomp keys",
         texts({kCalCompPlotUnitKey, kCalCompTrailerKey, kCalCompPen0Key, kCalCompAuxSwitchKey,
                kCalCompStepKey, kCalCompHandshakeKey, kCalCompChecksumKey, kCalCompSyncCountKey,
                kCalCompSyncCharKey, kCalCompEomCharKey})},
        {"calcomp pen keys",
         texts({kCalCompPenWidthKey, kCalCompPenLineEndKey, kCalCompPenLineJoinKey,
                kCalCompPenGrayKey, kCalCompPenOpaqueKey, kCalCompPenLUKey})},
        {"raster keys",
         texts({kRasterSetting1Key, kRasterSetting2Key, kRasterSetting3Key, kRasterSetting4Key,
                kRasterSetting5Key, kRasterSetting6Key, kRasterSetting7Key, kRasterSetting8Key,
                kRasterRotationKey, kRasterSetting9Key})},
        // Reference folder keys are numbered from 1 without limit; 999 stands for them all.
        {"autocad keys",
         numbered(
             texts({kAcadPaperSizeKey, kAcadMarginAKey, kAcadMarginBKey, kAcadMarginCKey,
                    kAcadMarginDKey, kAcadPlotChoiceKey, kAcadOutputChoiceKey, kAcadAreaChoiceKey,
                    kAcadPlotScaleKey, kAcadOffsetXKey, kAcadOffsetYKey, kAcadXRefCountKey}),
             Text(kAcadXRefEntryKeyPrefix), 999)},
        {"autocad colour keys",
         texts({kAcadColourPenKey, kAcadColourStyleKey, kAcadColourWidthKey})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.place);
        std::set<std::string> seen;
        for (const std::string& name : row.names) {
            EXPECT_TRUE(StorableIniName(name)) << '"' << name << '"';
            EXPECT_TRUE(seen.insert(Lower(name)).second) << name << " appears twice";
        }
    }
}

// Pages show a stored value by selecting the first entry that begins with it, so an entry must
// not begin with a later entry's text: the later one could never be shown again.
TEST(LanguageStrings, ListEntriesNeverHideLaterOnes) {
    struct Row {
        const char* list;
        std::vector<Entry> entries;
    };
    const std::vector<Entry> grays = {"0",  "10", "20", "30", "40", "50",
                                      "60", "70", "80", "90", "100"};
    const std::vector<Entry> steps = {".25", ".5", ".75", "1.0"};
    const Row rows[] = {
        {"job media", {kListEntryDefault, kMediaEntryBond, kMediaEntryVellum, kMediaEntryFilm}},
        {"job tray", {kListEntryDefault, kTrayEntry100, kTrayEntry1, kTrayEntry2, kTrayEntry3}},
        {"job scale english",
         {kPageSizeEntryA, kPageSizeEntryB, kPageSizeEntryC, kPageSizeEntryD, kPageSizeEntryE}},
        {"job scale metric",
         {kPageSizeEntryA0, kPageSizeEntryA1, kPageSizeEntryA2, kPageSizeEntryA3,
          kPageSizeEntryA4}},
        {"stamp G", With({kStampDefaultEntry}, Numbers(1, 100))},
        {"stamp S", With({kStampDefaultEntry}, Numbers(0, 99))},
        {"hpgl model", {kHpglDefaultEntry, "7475", "7585"}},
        {"hpgl rotation", {kHpglDefaultEntry, "0", "90"}},
        {"hpgl switches", {kHpglDefaultEntry, kHpglOnEntry, kHpglOffEntry}},
        {"hpgl terminator", {kHpglDefaultEntry, kHpglOnEntry, kHpglOffEntry, kHpglIgnoreEntry}},
        {"hpgl trailer",
         {kHpglDefaultEntry, kHpglOffEntry, kHpglTrailerSCEntry, kHpglTrailerFFEntry}},
        {"hpgl width", With({kHpglDefaultEntry}, Numbers(1, 31))},
        {"hpgl line end",
         {kHpglDefaultEntry, kHpglStyleNoneEntry, kHpglStyleRoundEntry, kHpglStyleSquareEntry,
          kHpglStyleTriangularEntry}},
        {"hpgl line join",
         {kHpglDefaultEntry, kHpglStyleNoneEntry, kHpglStyleRoundEntry, kHpglStyleTriangularEntry,
          kHpglStyleBevelEntry, kHpglStyleMiterEntry}},
        {"hpgl gray", With({kHpglDefaultEntry}, grays)},
        {"calcomp plot unit",
         {kSyncCountDefault, kPlotUnit0, kPlotUnit1, kPlotUnit2, kPlotUnit3, kPlotUnit4, kPlotUnit5,
          kPlotUnit6}},
        {"calcomp trailer",
         {kSyncCountDefault, kCalCompOffEntry, kCalCompTrailerCREntry, kCalCompTrailerFFEntry}},
        {"calcomp switches", {kSyncCountDefault, kCalCompOnEntry, kCalCompOffEntry}},
        {"calcomp step", With({kSyncCountDefault, kCalCompOffEntry}, steps)},
        {"calcomp sync count", {kSyncCountDefault, "1", "2"}},
        {"calcomp width", With({kSyncCountDefault}, Numbers(1, 31))},
        {"calcomp line end",
         {kSyncCountDefault, kCalCompOffEntry, kCalCompStyleRoundEntry, kCalCompStyleSquareEntry,
          kCalCompStyleTriangularEntry}},
        {"calcomp line join",
         {kSyncCountDefault, kCalCompStyleNoneEntry, kCalCompStyleRoundEntry,
          kCalCompStyleTriangularEntry, kCalCompStyleBevelEntry, kCalCompStyleMiterEntry}},
        {"calcomp gray", With({kSyncCountDefault}, grays)},
        {"raster image", {kRasterNotSetEntry, kRasterNormalEntry, kRasterReverseEntry}},
        {"raster dither",
         {kRasterNotSetEntry, kRasterNormalEntry, kRasterDitherAutoEntry, kRasterDitherD2Entry,
          kRasterDitherDREntry, kRasterDitherDP50Entry, kRasterDisableEntry}},
        {"raster switches", {kRasterNotSetEntry, kRasterEnableEntry, kRasterDisableEntry}},
        {"raster rotation", {kRasterNotSetEntry, "0", "90"}},
        {"autocad plot choice",
         {kAcadPlotChoice0Entry, kAcadPlotChoice1Entry, kAcadPlotChoice2Entry,
          kAcadPlotChoice3Entry}},
        {"autocad output choice", {kAcadOutputAlternateEntry, kAcadOutputStandardEntry}},
        {"autocad area choice",
         {kAcadAreaExtentsEntry, kAcadAreaLimitsEntry, kAcadAreaDisplayEntry}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.list);
        for (std::size_t later = 0; later < row.entries.size(); ++later) {
            EXPECT_FALSE(row.entries[later].text.empty()) << later;
            for (std::size_t earlier = 0; earlier < later; ++earlier) {
                EXPECT_FALSE(BeginsNoCase(row.entries[earlier].text, row.entries[later].text))
                    << '"' << row.entries[later].text << "\" is hidden by \""
                    << row.entries[earlier].text << '"';
            }
        }
    }
}

// Texts that pages take apart again must keep the shape the reading code expects.
TEST(LanguageStrings, TextsKeepTheShapeTheirReadersParse) {
    auto only = [](std::string_view text, std::string_view allowed) {
        return !text.empty() && text.find_first_not_of(allowed) == std::string_view::npos;
    };
    // The page scale is read back as one character and an optional digit.
    for (int size :
         {kSizeA, kSizeB, kSizeC, kSizeD, kSizeE, kSizeA0, kSizeA1, kSizeA2, kSizeA3, kSizeA4}) {
        const std::string name = Text(size);
        EXPECT_TRUE(name.size() == 1 ||
                    (name.size() == 2 && std::isdigit(static_cast<unsigned char>(name[1]))))
            << name;
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(name[0]))) << name;
    }
    // Custom page sizes are split at the blank and reduced to their digits and point.
    for (int unit : {kCustomSizeUnitMetric, kCustomSizeUnitEnglish}) {
        EXPECT_TRUE(only(Text(unit), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"))
            << Text(unit);
    }
    for (int n = kSizeWidthA; n <= kSizeHeightE; ++n) EXPECT_TRUE(only(Text(n), "0123456789."));
    // Metric size fields accept digits only.
    for (int n = kSizeWidthA0; n <= kSizeHeightA4; ++n) EXPECT_TRUE(only(Text(n), "0123456789"));
    for (int n = kAcadPaperXA; n <= kAcadPaperYA0; ++n) EXPECT_TRUE(only(Text(n), "0123456789"));
    // The renderer is given the leading number of the plot choice.
    for (int n : {kAcadPlotChoiceDefault, kAcadPlotChoice0Entry, kAcadPlotChoice1Entry,
                  kAcadPlotChoice2Entry, kAcadPlotChoice3Entry}) {
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(Text(n).front()))) << n;
    }
    // A marker is shown after the last backslash and in a tab-separated line.
    for (int marker : {kCurrentSettingsMarker, kNoConfigurationMarker}) {
        EXPECT_EQ(Text(marker).find_first_of("\\\t"), std::string::npos) << Text(marker);
    }
    // Defaults are offered as list entries, so they must be entries.
    EXPECT_EQ(Text(kAcadAreaChoiceDefault), Text(kAcadAreaExtentsEntry));
    EXPECT_EQ(Text(kAcadPlotChoiceDefault), Text(kAcadPlotChoice0Entry));
    // The default AutoCAD papers are written in the custom form and name a standard size.
    EXPECT_EQ(Text(kAcadPaperDefaultEnglish), "X" + Text(kAcadPaperXA) + " Y" + Text(kAcadPaperYA));
    EXPECT_EQ(Text(kAcadPaperDefaultMetric),
              "X" + Text(kAcadPaperXA4) + " Y" + Text(kAcadPaperYA4));
}

TEST(LanguageStrings, TableIsOrderedPrintableAndFound) {
    const auto all = AllResourceStrings();
    ASSERT_FALSE(all.empty());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const ResourceString& entry = all[i];
        SCOPED_TRACE(entry.number);
        if (i > 0) {
            EXPECT_LT(all[i - 1].number, entry.number);
        }
        EXPECT_TRUE((entry.number >= 925 && entry.number <= 943) ||
                    (entry.number >= 59142 && entry.number <= 59550) ||
                    (entry.number >= 60000 && entry.number <= 61999));
        EXPECT_FALSE(entry.text.empty());
        for (char c : entry.text) {
            EXPECT_TRUE(c >= ' ' && c <= '~') << static_cast<int>(static_cast<unsigned char>(c));
        }
        EXPECT_EQ(LoadResourceString(entry.number).data(), entry.text.data());
    }
    for (int absent : {0, -1, 924, 944, 59141, 59166, 59551}) {
        EXPECT_TRUE(LoadResourceString(absent).empty()) << absent;
    }
}

TEST(LanguageStrings, FormatPutsEachArgumentInItsPlace) {
    // kRendererLacksEntryPoints holds "%1"; kPreviewNotMade holds "%1" and "%2".
    EXPECT_EQ(FormatResourceString(rid::kPreviewNotMade, {"a.dxf", "No space"}),
              "Cannot make the preview picture of a.dxf: No space");
    EXPECT_EQ(FormatResourceString(rid::kPreviewNotMade, {"%2"}),
              "Cannot make the preview picture of %2: %2");
    EXPECT_EQ(FormatResourceString(rid::kCannotSaveConfiguration, {"x"}),
              LoadResourceString(rid::kCannotSaveConfiguration));
}

}  // namespace
}  // namespace kestrum
