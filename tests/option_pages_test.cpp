// The page protocol of the six option pages: every control the model declares is in its table,
// events reach the control they name and nothing else, and an event no control takes changes
// nothing. The pages' own rules are tested beside each page; this is the wiring a front end uses.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "options/autocad_page.h"
#include "options/calcomp_page.h"
#include "options/hpgl_page.h"
#include "options/job_options_page.h"
#include "options/option_page.h"
#include "options/raster_settings.h"
#include "options/raster_settings_page.h"
#include "options/text_stamp_page.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "test_support.h"

namespace kestrum {
namespace {

using K = ControlEvent::Kind;

struct PageCase {
    const char* name;
    std::function<std::unique_ptr<OptionPage>()> make;
    std::vector<int> declared;  // every control id the model's header declares
};

std::vector<int> Cat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<int> PenIds(const PenTableLists& lists, int selector) {
    return Cat({selector}, {lists.controls.begin(), lists.controls.end()});
}

std::vector<PageCase> Pages() {
    namespace j = job_page;
    using S = TextStampPage;
    using H = HpglPage;
    using C = CalCompPage;
    using R = RasterSettingsPage;
    using A = AutoCadPage;
    return {
        {"JobOptions",
         [] { return std::make_unique<JobOptionsPage>(Unit::Metric); },
         {j::kFoldingList,
          j::kCopiesList,
          j::kFileCopiesList,
          j::kMediaList,
          j::kTrayList,
          j::kPageSizeCheck,
          j::kNamedSizeRadio,
          j::kCustomSizeRadio,
          j::kPageSizeList,
          j::kCustomWidthField,
          j::kCustomHeightField,
          j::kPageSizeButton,
          j::kWidthUnitLabel,
          j::kHeightUnitLabel,
          j::kPageScaleCheck,
          j::kScaleAutomaticRadio,
          j::kScaleFromToRadio,
          j::kScaleFromList,
          j::kScaleToList,
          j::kPageScaleButton,
          j::kFormatCheck,
          j::kFormatARadio,
          j::kFormatHpglRadio,
          j::kFormatCalCompRadio,
          j::kFormatPostScriptRadio,
          j::kFormatButton,
          j::kRasterModeCheck,
          j::kRasterEnableCheck,
          j::kRasterModeButton}},
        {"TextStamp",
         [] { return std::make_unique<TextStampPage>(Unit::English); },
         {S::kStampCheck, S::kTimeCheck, S::kDateCheck, S::kAngle90Radio, S::kAngle0Radio,
          S::kPointSizeList, S::kTextEdit, S::kApplyButton, S::kAnglePicture, S::kControl1025,
          S::kControl1026, S::kAngleOtherRadio, S::kAngleEdit, S::kHOptionCheck, S::kGValueList,
          S::kSValueList, S::kVerticalEdit, S::kHorizontalEdit}},
        {"Hpgl", [] { return std::make_unique<HpglPage>(); },
         Cat({H::kApplyButton, H::kModelList, H::kRotationList, H::kPen0List, H::kTerminatorList,
              H::kTrailerList},
             PenIds(H::kPenLists, H::kPenSelector))},
        {"CalComp", [] { return std::make_unique<CalCompPage>(); },
         Cat({C::kApplyButton, C::kPlotUnitList, C::kChecksumList, C::kSyncCharacterEdit,
              C::kEndOfMessageEdit, C::kSyncCountList, C::kTrailerList, C::kPen0List,
              C::kHandshakeList, C::kAuxSwitchList, C::kStepList},
             PenIds(C::kPenLists, C::kPenSelector))},
        {"Raster",
         [] { return std::make_unique<RasterSettingsPage>(); },
         {R::kSetting1List, R::kSetting2List, R::kSetting3List, R::kSetting4List, R::kSetting5List,
          R::kSetting6Edit, R::kSetting7Edit, R::kCompressionNone, R::kCompressionTG4,
          R::kCompressionC4, R::kSetting9List, R::kRotationList}},
        {"AutoCad", [] { return std::make_unique<AutoCadPage>(Unit::English); },
         Cat({A::kInForceCheck,
              A::kNamedPaperRadio,
              A::kCustomPaperRadio,
              A::kPaperFollowsAreaRadio,
              A::kPaperList,
              A::kPaperXEdit,
              A::kPaperYEdit,
              A::kMarginAEdit,
              A::kMarginCEdit,
              A::kMarginBEdit,
              A::kMarginDEdit,
              A::kPlotChoiceList,
              A::kAreaChoiceList,
              A::kOutputChoiceList,
              A::kFitCheck,
              A::kPlottedUnitsEdit,
              A::kDrawingUnitsEdit,
              A::kOffsetXEdit,
              A::kOffsetYEdit,
              A::kColourTableButton,
              A::kReferenceListButton,
              A::kApplyButton},
             {A::kUnitLabels.begin(), A::kUnitLabels.end()})},
    };
}

// What every control holds, by id: a wiring fault shows up as a change under the wrong id.
std::map<int, std::string> Snapshot(OptionPage& page) {
    std::map<int, std::string> state;
    for (const PageControl& c : page.Controls()) {
        std::string& s = state[c.id];
        if (c.list)
            s = "list " + std::to_string(c.list->selected) + (c.list->enabled ? "" : " off");
        if (c.check)
            s = std::string("check ") + (c.check->checked ? "1" : "0") +
                (c.check->enabled ? "" : " off");
        if (c.edit) s = "edit " + c.edit->text + (c.edit->enabled ? "" : " off");
        if (c.radio) s = "radio " + std::to_string(c.radio->chosen);
        if (c.text) s += " label " + *c.text;
    }
    return state;
}

std::vector<int> Changed(const std::map<int, std::string>& before,
                         const std::map<int, std::string>& after) {
    std::vector<int> ids;
    for (const auto& [id, s] : after) {
        if (before.at(id) != s) ids.push_back(id);
    }
    return ids;
}

class OptionPagesTest : public ::testing::TestWithParam<PageCase> {
  protected:
    std::unique_ptr<OptionPage> page = GetParam().make();
    CUserObject values = DefaultUserObject();
    CollectingMessageSink messages;
};

TEST_P(OptionPagesTest, TableListsEveryDeclaredControlOnceWithTheStateOfItsKind) {
    const std::vector<PageControl> controls = page->Controls();
    const std::vector<int> ids = ControlIds(controls);
    const std::set<int> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), ids.size()) << "an id listed twice";
    for (int id : GetParam().declared) EXPECT_TRUE(unique.count(id)) << "control " << id;
    EXPECT_EQ(unique.size(),
              std::set<int>(GetParam().declared.begin(), GetParam().declared.end()).size());
    for (const PageControl& c : controls) {
        using PK = PageControl::Kind;
        EXPECT_EQ(c.list != nullptr, c.kind == PK::List) << c.id;
        EXPECT_EQ(c.check != nullptr, c.kind == PK::Check) << c.id;
        EXPECT_EQ(c.edit != nullptr, c.kind == PK::Edit) << c.id;
        EXPECT_EQ(c.radio != nullptr, c.kind == PK::Radio) << c.id;
    }
}

TEST_P(OptionPagesTest, EventNoControlTakesChangesNothingAndAnswersFalse) {
    const auto before = Snapshot(*page);
    const CUserObject valuesBefore = values;
    for (K kind : {K::Select, K::Toggle, K::Edit, K::Click}) {
        EXPECT_FALSE(page->Apply({99999, kind, 1, true, "1"}, values, messages));
    }
    // A known control given an event of another kind: a check box never takes a text.
    for (const PageControl& c : page->Controls()) {
        if (c.kind == PageControl::Kind::List) {
            EXPECT_FALSE(page->Apply({c.id, K::Edit, -1, false, "x"}, values, messages)) << c.id;
            EXPECT_FALSE(page->Apply({c.id, K::Select, 100000, false, {}}, values, messages))
                << c.id;
        }
        if (c.kind == PageControl::Kind::Check || c.kind == PageControl::Kind::Edit) {
            EXPECT_FALSE(page->Apply({c.id, K::Select, 1, false, {}}, values, messages)) << c.id;
        }
        if (c.kind == PageControl::Kind::Label) {
            EXPECT_FALSE(page->Apply({c.id, K::Click, -1, false, {}}, values, messages)) << c.id;
        }
    }
    EXPECT_EQ(Snapshot(*page), before);
    EXPECT_TRUE(values == valuesBefore);
    EXPECT_TRUE(messages.messages().empty());
}

// Choosing another entry in each list and typing into each field changes that control alone
// (the pen selector shows the chosen pen, whose attributes are all the default entry here).
TEST_P(OptionPagesTest, ListAndEditEventsReachTheirOwnControl) {
    for (const PageControl& c : page->Controls()) {
        const auto before = Snapshot(*page);
        if (c.kind == PageControl::Kind::List) {
            // The last entry, or the first when the last is shown already.
            const int last = static_cast<int>(c.list->entries.size()) - 1;
            ASSERT_GT(last, 0) << c.id;
            const int entry = c.list->selected == last ? 0 : last;
            ASSERT_TRUE(page->Apply({c.id, K::Select, entry, false, {}}, values, messages)) << c.id;
            EXPECT_EQ(c.list->selected, entry) << c.id;
        } else if (c.kind == PageControl::Kind::Edit) {
            ASSERT_TRUE(page->Apply({c.id, K::Edit, -1, false, "7"}, values, messages)) << c.id;
            EXPECT_EQ(c.edit->text, "7") << c.id;
        } else {
            continue;
        }
        EXPECT_EQ(Changed(before, Snapshot(*page)), std::vector<int>{c.id});
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, OptionPagesTest, ::testing::ValuesIn(Pages()),
                         [](const auto& info) { return std::string(info.param.name); });

// Events that dispatch to the pages' own methods: each must reach the method of its control.
TEST(OptionPageDispatchTest, JobOptionsRadiosAndChecksReachTheirRules) {
    namespace j = job_page;
    JobOptionsPage page(Unit::English);
    CUserObject values = DefaultUserObject();
    CollectingMessageSink messages;
    ASSERT_TRUE(page.Apply({j::kFormatCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({j::kFormatCalCompRadio, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_EQ(values.job.format, LoadResourceString(rid::kFormatCalComp));
    EXPECT_EQ(page.formatKind.chosen, j::kFormatCalCompRadio);

    ASSERT_TRUE(page.Apply({j::kRasterModeCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({j::kRasterEnableCheck, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_EQ(values.job.rasterMode, "Enable");

    ASSERT_TRUE(page.Apply({j::kPageSizeCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({j::kCustomSizeRadio, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_TRUE(page.customWidth.enabled && !page.pageSizeList.enabled);
    ASSERT_TRUE(page.Apply({j::kPageScaleCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({j::kScaleFromToRadio, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_TRUE(page.scaleFrom.enabled && page.scaleTo.enabled);
    ASSERT_TRUE(page.Apply({j::kScaleAutomaticRadio, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_FALSE(page.scaleFrom.enabled || page.scaleTo.enabled);

    // Only the format radios store at once; everything else waits for Export.
    const JobOptionsValues held = values.job;
    ASSERT_TRUE(page.Apply({j::kCopiesList, K::Select, 3, false, {}}, values, messages));
    EXPECT_EQ(values.job, held);
    page.Export(values);
    EXPECT_EQ(values.job.copies, 3);
}

TEST(OptionPageDispatchTest, TextStampAngleButtonsAndApplyButton) {
    using P = TextStampPage;
    P page(Unit::English);
    CUserObject values = DefaultUserObject();
    CollectingMessageSink messages;
    ASSERT_TRUE(page.Apply({P::kStampCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({P::kAngle90Radio, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_EQ(page.angleValue.text, "90");
    EXPECT_EQ(page.angleIcon, P::kIconAngle90);
    ASSERT_TRUE(page.Apply({P::kTimeCheck, K::Toggle, -1, true, {}}, values, messages));
    ASSERT_TRUE(page.Apply({P::kHorizontalEdit, K::Edit, -1, false, "1.25"}, values, messages));
    EXPECT_EQ(values.stamp.stampOn, 0);  // nothing stored before the apply button
    ASSERT_TRUE(page.Apply({P::kApplyButton, K::Click, -1, false, {}}, values, messages));
    EXPECT_EQ(values.stamp.stampOn, 1);
    EXPECT_EQ(values.stamp.angle, 90);
    EXPECT_EQ(values.stamp.timeSwitch, 1);
    EXPECT_EQ(values.stamp.dateSwitch, 0);
    EXPECT_EQ(values.stamp.horizontalPosition, "125");
    EXPECT_EQ(values.stamp.verticalPosition, "00");
}

// The pen lists store into the pen the selector shows, of their own emulation's table.
TEST(OptionPageDispatchTest, PenEventsStoreIntoTheSelectedPenOfTheirOwnTable) {
    CUserObject values = DefaultUserObject();
    CollectingMessageSink messages;
    HpglPage hpgl;
    CalCompPage calcomp;
    ASSERT_TRUE(hpgl.Apply({HpglPage::kPenSelector, K::Select, 4, false, {}}, values, messages));
    ASSERT_TRUE(hpgl.Apply({HpglPage::kWidthList, K::Select, 2, false, {}}, values, messages));
    ASSERT_TRUE(
        calcomp.Apply({CalCompPage::kPenSelector, K::Select, 14, false, {}}, values, messages));
    ASSERT_TRUE(
        calcomp.Apply({CalCompPage::kOpaqueList, K::Select, 1, false, {}}, values, messages));
    for (int pen = 0; pen < kPenCount; ++pen) {
        const auto p = static_cast<std::size_t>(pen);
        EXPECT_EQ(values.hpglPens[p].width.empty(), pen != 4) << pen;
        EXPECT_EQ(values.calcompPens[p].opaque.empty(), pen != 14) << pen;
        EXPECT_TRUE(values.hpglPens[p].opaque.empty() && values.calcompPens[p].width.empty());
    }
    // CalComp's plot unit list shares its number with HP-GL's pen selector: it is a setting there.
    ASSERT_TRUE(
        calcomp.Apply({CalCompPage::kPlotUnitList, K::Select, 2, false, {}}, values, messages));
    EXPECT_EQ(calcomp.penTable.SelectedPen(), 14);
    EXPECT_TRUE(values.calcomp.plotUnit.empty());
    ASSERT_TRUE(
        calcomp.Apply({CalCompPage::kApplyButton, K::Click, -1, false, {}}, values, messages));
    EXPECT_EQ(values.calcomp.plotUnit, calcomp.plotUnit.SelectedText());
    EXPECT_EQ(hpgl.penTable.ShownEntry(values.hpglPens, 4, PenAttribute::Width), 2);
    EXPECT_EQ(hpgl.penTable.ShownEntry(values.hpglPens, 3, PenAttribute::Width), 0);
}

TEST(OptionPageDispatchTest, RasterCompressionStoresAtOnceAndAutoCadWindowsAreTheFrontEnds) {
    CUserObject values = DefaultUserObject();
    CollectingMessageSink messages;
    RasterSettingsPage raster;
    using R = RasterSettingsPage;
    ASSERT_TRUE(raster.Apply({R::kCompressionC4, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_EQ(values.raster[raster::kSetting8], LoadResourceString(rid::kRasterCompressionC4Radio));
    EXPECT_EQ(raster.compression.chosen, R::kCompressionC4);

    using A = AutoCadPage;
    AutoCadPage autocad(Unit::English);
    const auto before = Snapshot(autocad);
    EXPECT_FALSE(autocad.Apply({A::kColourTableButton, K::Click, -1, false, {}}, values, messages));
    EXPECT_FALSE(
        autocad.Apply({A::kReferenceListButton, K::Click, -1, false, {}}, values, messages));
    EXPECT_EQ(Snapshot(autocad), before);
    ASSERT_TRUE(autocad.Apply({A::kFitCheck, K::Toggle, -1, true, {}}, values, messages));
    EXPECT_TRUE(autocad.fit.checked);
    EXPECT_FALSE(autocad.paperFollowsAreaEnabled || autocad.plottedUnits.enabled);
    ASSERT_TRUE(autocad.Apply({A::kMarginCEdit, K::Edit, -1, false, "1.00"}, values, messages));
    ASSERT_TRUE(autocad.Apply({A::kApplyButton, K::Click, -1, false, {}}, values, messages));
    EXPECT_EQ(values.autocad.marginC, "100");
}

}  // namespace
}  // namespace kestrum
