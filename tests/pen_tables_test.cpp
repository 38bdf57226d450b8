// The HP-GL and CalComp pen table groups: what they store, what they show, and that what they
// store is what the composer recognises. Most cases run over both emulations, which share the
// pen table and the storage rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "compose/emulation_blocks.h"
#include "options/calcomp_options.h"
#include "options/calcomp_page.h"
#include "options/hpgl_options.h"
#include "options/hpgl_page.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using test::Text;
using test::Visible;
using Keys = std::vector<std::string>;

// Takes what Save wrote to the disk and reads it afresh, as the next Load after a restart would.
void Reopen(const fs::path& file) {
    ASSERT_TRUE(profile::Flush(file).ok());
    profile::Forget(file);
}

int EntryIndex(const ListControl& list, const std::string& text) {
    const auto at = std::find(list.entries.begin(), list.entries.end(), text);
    return at == list.entries.end() ? -1 : static_cast<int>(at - list.entries.begin());
}

struct HpglDialect {
    using Page = HpglPage;
    using Settings = HpglSettings;
    static constexpr const PenTableStorage& kStorage = kHpglPenStorage;
    static constexpr int kSection = rid::kHpglSection;
    static constexpr int kWriteFailed = rid::kHpglWriteFailedMessage;
    static constexpr PenDialect kPenDialect = PenDialect::Hpgl;

    static void Defaults(Settings& s, PenTable& p) { SetHpglDefaults(s, p); }
    static void Load(Settings& s, PenTable& p, const fs::path& f) { LoadHpgl(s, p, f); }
    static bool Save(const Settings& s, const PenTable& p, const fs::path& f, MessageSink& m) {
        return SaveHpgl(s, p, f, m);
    }
};

struct CalCompDialect {
    using Page = CalCompPage;
    using Settings = CalCompSettings;
    static constexpr const PenTableStorage& kStorage = kCalCompPenStorage;
    static constexpr int kSection = rid::kCalCompSection;
    static constexpr int kWriteFailed = rid::kCalCompWriteFailedMessage;
    static constexpr PenDialect kPenDialect = PenDialect::CalComp;

    static void Defaults(Settings& s, PenTable& p) { SetCalCompDefaults(s, p); }
    static void Load(Settings& s, PenTable& p, const fs::path& f) { LoadCalComp(s, p, f); }
    static bool Save(const Settings& s, const PenTable& p, const fs::path& f, MessageSink& m) {
        return SaveCalComp(s, p, f, m);
    }
};

// The page's settings controls, from its own control table: all but the pen lists and the
// apply button, in the order of the settings section.
template <typename Page>
std::vector<PageControl> SettingControls(Page& page) {
    std::vector<PageControl> settings;
    for (const PageControl& c : page.Controls()) {
        if (c.kind != PageControl::Kind::Button && !page.penTable.Owns(c.id, Page::kPenSelector)) {
            settings.push_back(c);
        }
    }
    return settings;
}

template <typename D>
class PenTablesTest : public ::testing::Test {
  protected:
    int Control(PenAttribute a) const {
        return D::Page::kPenLists.controls[static_cast<std::size_t>(a)];
    }
    std::string Section(int pen) const { return PenSectionName(D::kStorage, pen); }
    std::string Key(PenAttribute a) const {
        return Text(D::kStorage.keys[static_cast<std::size_t>(a)]);
    }
    std::string SettingsSection() const { return Text(D::kSection); }
    bool Choose(PenAttribute a, int entry) {
        return page.ChoosePenAttribute(Control(a), entry, pens);
    }
    std::string Pen1Command() const {
        CompositionBuffer buffer;
        PenCommand(buffer, D::kPenDialect, PreparePen(1, pens[0]), ':');
        return Visible(buffer.text());
    }
    bool SaveAndReopen() {
        const bool saved = D::Save(settings, pens, file, messages);
        Reopen(file);
        return saved;
    }
    std::string Stored(const std::string& section, const std::string& key) {
        return profile::ReadString(file, section, key, "<none>", 100);
    }

    test::TempFolder folder;
    fs::path file = folder / "pens.cfg";
    typename D::Page page;
    typename D::Settings settings{};
    PenTable pens{};
    CollectingMessageSink messages;
};

class DialectNames {
  public:
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, HpglDialect> ? "Hpgl" : "CalComp";
    }
};
using Dialects = ::testing::Types<HpglDialect, CalCompDialect>;
TYPED_TEST_SUITE(PenTablesTest, Dialects, DialectNames);

TYPED_TEST(PenTablesTest, PensRoundTripAndAnAttributeSetBackToDefaultStaysDefault) {
    this->page.SelectPen(2, this->pens);
    for (std::size_t i = 0; i < kPenAttributeCount; ++i) {
        const auto a = static_cast<PenAttribute>(i);
        ASSERT_TRUE(
            this->Choose(a, static_cast<int>(this->page.penTable.Attribute(a).entries.size()) - 1));
    }
    this->page.SelectPen(14, this->pens);
    ASSERT_TRUE(this->Choose(PenAttribute::Width, 31));
    ASSERT_TRUE(this->SaveAndReopen());
    EXPECT_EQ(profile::KeyNames(this->file, this->Section(15)),
              Keys{this->Key(PenAttribute::Width)});
    EXPECT_EQ(this->Stored(this->Section(15), this->Key(PenAttribute::Width)), "31");
    PenTable loaded;
    TypeParam::Load(this->settings, loaded, this->file);
    EXPECT_EQ(loaded, this->pens);

    // Back to the default entry: the key must go, or the old width returns on the next load.
    this->page.SelectPen(2, this->pens);
    ASSERT_TRUE(this->Choose(PenAttribute::Width, 0));
    EXPECT_EQ(this->pens[2].width, "");
    ASSERT_TRUE(this->SaveAndReopen());
    TypeParam::Load(this->settings, loaded, this->file);
    EXPECT_EQ(loaded, this->pens);
    EXPECT_TRUE(this->messages.messages().empty());
}

TYPED_TEST(PenTablesTest, EveryAttributeEntryIsAWordTheComposerKnows) {
    using A = PenAttribute;
    const std::vector<std::pair<A, Keys>> codes{{A::LineEnd, {"CN", "CR", "CS", "CT"}},
                                                {A::LineJoin, {"JN", "JR", "JT", "JB", "JM"}},
                                                {A::Opaque, {"O", "T"}},
                                                {A::LineUpper, {"L", "U"}},
                                                {A::Width, {"W1", "W2"}},
                                                {A::GrayLevel, {"G0", "G10"}}};
    const std::string head = this->Pen1Command().substr(0, 16);  // "<ESC>.xxPEN 1 = "
    for (const auto& [attribute, expected] : codes) {
        if (attribute != A::Width && attribute != A::GrayLevel) {
            ASSERT_EQ(this->page.penTable.Attribute(attribute).entries.size(), expected.size() + 1);
        }
        for (std::size_t entry = 1; entry <= expected.size(); ++entry) {
            this->pens.fill(PenParms{});
            ASSERT_TRUE(this->Choose(attribute, static_cast<int>(entry)));
            EXPECT_EQ(this->Pen1Command(), head + expected[entry - 1] + ":")
                << this->page.penTable.Attribute(attribute).entries[entry];
        }
    }
}

TYPED_TEST(PenTablesTest, PensShowTheirOwnStoredTextsAndKeepWhatNoEntryMatches) {
    const std::string width = this->Key(PenAttribute::Width);
    test::WriteFile(this->file, "[" + this->Section(2) + "]\n" + width + "=8\n[" +
                                    this->Section(5) + "]\n" + width + "=50\n");
    TypeParam::Load(this->settings, this->pens, this->file);
    this->page.Refresh(this->settings, this->pens);
    const ListControl& widthList = this->page.penTable.Attribute(PenAttribute::Width);
    EXPECT_EQ(this->page.penTable.penSelector.SelectedText(), "1");
    EXPECT_EQ(widthList.selected, 0);
    this->page.SelectPen(1, this->pens);
    EXPECT_EQ(widthList.SelectedText(), "8");

    // "50" begins no entry: the default entry shows, yet the text stays while another attribute
    // of the same pen changes, and is saved.
    this->page.SelectPen(4, this->pens);
    EXPECT_EQ(widthList.selected, 0);
    ASSERT_TRUE(this->Choose(PenAttribute::GrayLevel, 2));
    EXPECT_EQ(this->pens[4].width, "50");

    // A choice made for pen 5 does not show on, or reach, pen 6.
    this->page.SelectPen(5, this->pens);
    EXPECT_EQ(this->page.penTable.Attribute(PenAttribute::GrayLevel).selected, 0);
    EXPECT_EQ(this->pens[5], PenParms{});
    this->page.SelectPen(4, this->pens);
    EXPECT_EQ(this->page.penTable.Attribute(PenAttribute::GrayLevel).SelectedText(), "10");

    ASSERT_TRUE(this->SaveAndReopen());
    EXPECT_EQ(this->Stored(this->Section(5), width), "50");
    EXPECT_EQ(this->Stored(this->Section(5), this->Key(PenAttribute::GrayLevel)), "10");
}

TYPED_TEST(PenTablesTest, NewConfigurationSavedDeletesEveryPenSectionAndWritesNoSettingsKey) {
    // Every key of the group (the settings keys are numbered just below the pen keys).
    std::string old = "[Other]\nkept=1\n[" + this->SettingsSection() + "]\n";
    for (int key = TypeParam::kSection + 1; key < TypeParam::kStorage.keys[0]; ++key) {
        old += Text(key) + "=stale\n";
    }
    for (int pen = 1; pen <= kPenCount; ++pen) {
        old += "[" + this->Section(pen) + "]\n" + this->Key(PenAttribute::Width) + "=3\n";
    }
    test::WriteFile(this->file, old);
    TypeParam::Load(this->settings, this->pens, this->file);
    ASSERT_NE(this->settings, typename TypeParam::Settings{});

    TypeParam::Defaults(this->settings, this->pens);
    this->page.Refresh(this->settings, this->pens);
    this->page.Export(this->settings);
    ASSERT_TRUE(this->SaveAndReopen());
    EXPECT_EQ(profile::KeyNames(this->file, this->SettingsSection()), Keys{});
    EXPECT_EQ(profile::SectionNames(this->file), (Keys{"Other", this->SettingsSection()}));
    EXPECT_EQ(this->Stored("Other", "kept"), "1");

    // Into a file that does not exist yet, nothing at all is written.
    const fs::path fresh = this->folder / "fresh.cfg";
    ASSERT_TRUE(TypeParam::Save(this->settings, this->pens, fresh, this->messages));
    ASSERT_TRUE(profile::Flush(fresh).ok());
    EXPECT_FALSE(fs::exists(fresh));
}

TYPED_TEST(PenTablesTest, SettingsRoundTripAndASettingSetBackToDefaultStaysDefault) {
    for (const PageControl& c : SettingControls(this->page)) {
        if (c.list) {
            ASSERT_TRUE(this->page.ChooseSetting(c.id, int(c.list->entries.size()) - 1));
        }
        if (c.edit) c.edit->text = "0d";
    }
    this->page.Export(this->settings);
    ASSERT_TRUE(this->SaveAndReopen());
    typename TypeParam::Settings loaded;
    TypeParam::Load(loaded, this->pens, this->file);
    EXPECT_EQ(loaded, this->settings);

    // Shown again after loading, the page exports the same.
    typename TypeParam::Page shown;
    shown.Refresh(loaded, this->pens);
    typename TypeParam::Settings again;
    shown.Export(again);
    EXPECT_EQ(again, this->settings);

    for (const PageControl& c : SettingControls(this->page)) {
        if (c.list) {
            ASSERT_TRUE(this->page.ChooseSetting(c.id, 0));
        }
        if (c.edit) c.edit->text.clear();
    }
    this->page.Export(this->settings);
    ASSERT_TRUE(this->SaveAndReopen());
    TypeParam::Load(loaded, this->pens, this->file);
    EXPECT_EQ(loaded, typename TypeParam::Settings{});
    EXPECT_FALSE(this->page.ChooseSetting(TypeParam::Page::kApplyButton, 0));
}

TYPED_TEST(PenTablesTest, SettingThatMatchesNoEntryIsKeptUntilTheUserChooses) {
    const PageControl first = SettingControls(this->page).front();
    const int id = first.id;
    const ListControl* list = first.list;
    const std::string key = Text(TypeParam::kSection + 1);
    test::WriteFile(this->file, "[" + this->SettingsSection() + "]\n" + key + "=Later\n");
    TypeParam::Load(this->settings, this->pens, this->file);
    this->page.Refresh(this->settings, this->pens);
    EXPECT_EQ(list->selected, 0);
    this->page.Export(this->settings);
    ASSERT_TRUE(this->SaveAndReopen());
    EXPECT_EQ(this->Stored(this->SettingsSection(), key), "Later");

    ASSERT_TRUE(this->page.ChooseSetting(id, 1));
    ASSERT_TRUE(this->page.ChooseSetting(id, 0));
    this->page.Export(this->settings);
    ASSERT_TRUE(this->SaveAndReopen());
    EXPECT_EQ(profile::KeyNames(this->file, this->SettingsSection()), Keys{});
}

TYPED_TEST(PenTablesTest, EveryControlInUseOnlyForControllerCommands) {
    // Every list and field of the page's table, the pen lists included.
    auto states = [this] {
        std::vector<bool> all;
        for (const PageControl& c : this->page.Controls()) {
            if (c.list) all.push_back(c.list->enabled);
            if (c.edit) all.push_back(c.edit->enabled);
        }
        return all;
    };
    for (PrinterType type : {PrinterType::Generic, PrinterType::Velmar, PrinterType::Oce9400}) {
        this->page.ApplyPrinterType(type);
        const std::vector<bool> enabled = states();
        EXPECT_EQ(enabled, std::vector<bool>(enabled.size(), type == PrinterType::Velmar))
            << PrinterTypeName(type);
    }
}

TYPED_TEST(PenTablesTest, FailedWritesAreEachShownAndSavingGoesOn) {
    const fs::path notAFile = this->folder / "folder.cfg";
    fs::create_directory(notAFile);
    this->pens[0].width = "3";
    this->pens[6].grayLevel = "20";
    EXPECT_FALSE(TypeParam::Save(this->settings, this->pens, notAFile, this->messages));
    ASSERT_GE(this->messages.messages().size(), 2u);
    for (const Message& m : this->messages.messages()) {
        EXPECT_EQ(m.resource, TypeParam::kWriteFailed);
        EXPECT_EQ(m.icon, MessageIcon::Stop);
        EXPECT_EQ(m.caption, "Kestrum");
        EXPECT_NE(m.text.find(notAFile.string()), std::string::npos) << m.text;
    }
}

// ---- Hostile files; each row loads into both groups ----

struct GarbageRow {
    const char* name;
    std::string value;  // every key of both groups holds it
    int copies;         // of all the sections; 0 puts the value under pen 1's width alone
    std::string width;  // what HP-GL pen 1's width loads as
    std::string wide;   // what a text read with 14 characters loads as
    friend void PrintTo(const GarbageRow& row, std::ostream* out) { *out << row.name; }
};

class PenTableGarbageTest : public ::testing::TestWithParam<GarbageRow> {};

TEST_P(PenTableGarbageTest, LoadsCutOrEmptyWithoutFailing) {
    const GarbageRow& row = GetParam();
    test::TempFolder folder;
    const fs::path file = folder / "garbage.cfg";
    std::string text("\xff\xfe[\0]\n=\n", 8);
    for (int copy = 0; copy < row.copies; ++copy) {
        for (int section : {rid::kHpglSection, rid::kCalCompSection}) {
            text += "[" + Text(section) + "]\n";
            for (int key = section + 1; key <= section + 10; ++key) {
                text += Text(key) + "=" + row.value + "\n";
            }
        }
        for (int pen = 1; pen <= kPenCount; ++pen) {
            for (const PenTableStorage* s : {&kHpglPenStorage, &kCalCompPenStorage}) {
                text += "[" + PenSectionName(*s, pen) + "]\n";
                for (int key : s->keys) text += Text(key) + "=" + row.value + "\n";
            }
        }
    }
    if (row.copies == 0) {
        text += "[HPGL PEN1]\n" + Text(rid::kHpglPenWidthKey) + "=" + row.value + "\n";
    }
    test::WriteFile(file, text);

    HpglSettings hpgl;
    CalCompSettings calcomp;
    PenTable hpglPens;
    PenTable calcompPens;
    LoadHpgl(hpgl, hpglPens, file);
    LoadCalComp(calcomp, calcompPens, file);
    EXPECT_EQ(hpglPens[0].width, row.width);
    EXPECT_EQ(hpglPens[14].opaque, row.wide);
    EXPECT_EQ(calcompPens[14].opaque, row.wide);
    EXPECT_EQ(hpgl.trailer, row.wide);
    EXPECT_EQ(calcompPens[14].lineJoin, row.copies > 0 ? row.width : "");
    EXPECT_LE(calcomp.syncCharacter.size(), kCalCompSettingCapacity);

    // Whatever loaded can be shown and exported again.
    HpglPage hpglPage;
    hpglPage.Refresh(hpgl, hpglPens);
    hpglPage.Export(hpgl);
    CalCompPage calcompPage;
    calcompPage.Refresh(calcomp, calcompPens);
    calcompPage.Export(calcomp);
    profile::Forget(file);
}

const std::string kBinary("\x01\x80\0\xff;[x]", 8);

INSTANTIATE_TEST_SUITE_P(
    Rows, PenTableGarbageTest,
    ::testing::Values(GarbageRow{"overlongValuesCutToTheirCapacity", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                 1, "ABCDEFGHI", "ABCDEFGHIJKLMN"},
                      GarbageRow{"binaryAndNulBytesKept", kBinary, 1, kBinary, kBinary},
                      GarbageRow{"tenMegabyteLine", std::string(10u << 20, '7'), 0, "777777777",
                                 ""},
                      GarbageRow{"thousandsOfDuplicateSections", "-12 x", 200, "-12 x", "-12 x"},
                      GarbageRow{"emptyValues", "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The HP-GL trailer is stored as the composer's word, not as the entry's text ----

struct TrailerRow {
    const char* name;
    int entry;            // resource number of the chosen entry
    std::string stored;   // what the file holds afterwards
    std::string command;  // what the composer makes of it
    friend void PrintTo(const TrailerRow& row, std::ostream* out) { *out << row.name; }
};

class HpglTrailerTest : public ::testing::TestWithParam<TrailerRow> {};

TEST_P(HpglTrailerTest, StoredTranslatedAndShownAsTheSameEntryAgain) {
    const TrailerRow& row = GetParam();
    test::TempFolder folder;
    const fs::path file = folder / "trailer.cfg";
    HpglPage page;
    PenTable pens{};
    ASSERT_TRUE(
        page.ChooseSetting(HpglPage::kTrailerList, EntryIndex(page.trailer, Text(row.entry))));
    HpglSettings settings;
    page.Export(settings);
    CollectingMessageSink messages;
    ASSERT_TRUE(SaveHpgl(settings, pens, file, messages));
    Reopen(file);
    EXPECT_EQ(
        profile::ReadString(file, Text(rid::kHpglSection), Text(rid::kHpglTrailerKey), "", 20),
        row.stored);

    HpglSettings loaded;
    LoadHpgl(loaded, pens, file);
    HpglPage shown;
    shown.Refresh(loaded, pens);
    EXPECT_EQ(shown.trailer.SelectedText(), Text(row.entry));
    CompositionBuffer buffer;
    HpglSettingsBlock(buffer, loaded, ':');
    EXPECT_EQ(Visible(buffer.text()), row.command);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HpglTrailerTest,
    ::testing::Values(TrailerRow{"formFeedEntryStoresFF", rid::kHpglTrailerFFEntry,
                                 Text(rid::kHpglTrailerFF), "<ESC>.HPTRAIL FF:"},
                      TrailerRow{"scEntryStoresSC", rid::kHpglTrailerSCEntry,
                                 Text(rid::kHpglTrailerSC), "<ESC>.HPTRAIL SC:"},
                      TrailerRow{"offWordStoredAsItIs", rid::kHpglOffEntry,
                                 Text(rid::kHpglOffEntry), "<ESC>.HPTRAIL NO:"},
                      TrailerRow{"defaultEntryStoresNothing", rid::kHpglDefaultEntry, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Settings entries whose stored text the composer must recognise ----

std::string ComposeHpgl(int control, int entry) {
    HpglPage page;
    HpglSettings settings;
    if (!page.ChooseSetting(control, entry)) return "no such entry";
    page.Export(settings);
    CompositionBuffer buffer;
    HpglSettingsBlock(buffer, settings, ':');
    return Visible(buffer.text());
}

std::string ComposeCalComp(int control, int entry) {
    CalCompPage page;
    CalCompSettings settings;
    if (!page.ChooseSetting(control, entry)) return "no such entry";
    page.Export(settings);
    CompositionBuffer buffer;
    CalCompSettingsBlock(buffer, PrepareCalCompSettings(settings), ':');
    return Visible(buffer.text());
}

struct ChoiceRow {
    const char* name;
    std::string (*compose)(int control, int entry);
    int control;
    int entry;
    std::string command;
    friend void PrintTo(const ChoiceRow& row, std::ostream* out) { *out << row.name; }
};

class SettingChoiceTest : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(SettingChoiceTest, ChosenEntryGivesItsCommand) {
    EXPECT_EQ(GetParam().compose(GetParam().control, GetParam().entry), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingChoiceTest,
    ::testing::Values(
        ChoiceRow{"hpglModel7585", ComposeHpgl, HpglPage::kModelList, 2, "<ESC>.HPTYPE 7585:"},
        ChoiceRow{"hpglTerminatorIgnore", ComposeHpgl, HpglPage::kTerminatorList, 3,
                  "<ESC>.HPTERM IGN:"},
        ChoiceRow{"calcompFirstPlotUnitIsZero", ComposeCalComp, CalCompPage::kPlotUnitList, 1,
                  "<ESC>.CCPLOTUNIT 0:"},
        ChoiceRow{"calcompTrailerOffWordIsNo", ComposeCalComp, CalCompPage::kTrailerList, 1,
                  "<ESC>.CCTRAIL NO:"},
        ChoiceRow{"calcompTrailerReturn", ComposeCalComp, CalCompPage::kTrailerList, 2,
                  "<ESC>.CCTRAIL CR:"},
        ChoiceRow{"calcompSyncCountTwo", ComposeCalComp, CalCompPage::kSyncCountList, 2,
                  "<ESC>.CC#SYNC 2:"},
        ChoiceRow{"calcompChecksumOff", ComposeCalComp, CalCompPage::kChecksumList, 2,
                  "<ESC>.CCSUM OFF:"},
        ChoiceRow{"calcompStepHasNoCommand", ComposeCalComp, CalCompPage::kStepList, 3, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CalCompPageTest, StepAndCharactersStoredAsTheControllerWantsThem) {
    CalCompPage page;
    ASSERT_TRUE(page.ChooseSetting(CalCompPage::kStepList, EntryIndex(page.step, ".5")));
    page.syncCharacter.text = "1b";
    page.endOfMessageCharacter.text = "0123456789ABC";
    CalCompSettings settings;
    page.Export(settings);
    EXPECT_EQ(settings.step1187, ".5");
    EXPECT_EQ(settings.syncCharacter, "1b");  // held as typed
    EXPECT_EQ(settings.endOfMessageCharacter, "012345678");
    CompositionBuffer buffer;
    CalCompSettingsBlock(buffer, PrepareCalCompSettings(settings), ':');
    EXPECT_EQ(Visible(buffer.text()), "<ESC>.CCSYNC 1B:");

    settings.step1187 = ".25";
    page.Refresh(settings, PenTable{});
    EXPECT_EQ(page.step.SelectedText(), ".25");
    EXPECT_EQ(page.syncCharacter.text, "1b");
    settings.step1187 = "dis";  // shown as the off word, and stored as it in capitals
    page.Refresh(settings, PenTable{});
    page.Export(settings);
    EXPECT_EQ(settings.step1187, "DISABLE");
}

}  // namespace
}  // namespace kestrum
