#pragma once

// The AutoCAD options page: the paper (a named size, a custom size, or the paper that follows
// the drawing's area), four margins, the scale or fit, two offsets and three choices.
//
// The page shows lengths in the program's unit and stores them in the renderer's: paper and
// margins in hundredths of an inch, offsets and plotted units in inches. Metric display is coarse
// (whole millimetres), so a value shown by Refresh and left untouched is exported exactly as it
// was stored; only what the user changed is converted back. Without that, every save of a metric
// page would drift the stored lengths a little further.

#include <array>
#include <optional>
#include <string>

#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/program_settings.h"

namespace kestrum {

class AutoCadPage final : public OptionPage {
  public:
    static constexpr int kInForceCheck = 1266;
    static constexpr int kNamedPaperRadio = 1229;
    static constexpr int kCustomPaperRadio = 1230;
    static constexpr int kPaperFollowsAreaRadio = 1234;
    static constexpr int kPaperList = 1157;
    static constexpr int kPaperXEdit = 1220;
    static constexpr int kPaperYEdit = 1221;
    static constexpr int kMarginAEdit = 1222;
    static constexpr int kMarginCEdit = 1223;
    static constexpr int kMarginBEdit = 1224;
    static constexpr int kMarginDEdit = 1225;
    static constexpr int kPlotChoiceList = 1253;
    static constexpr int kAreaChoiceList = 1257;
    static constexpr int kOutputChoiceList = 1263;
    static constexpr int kFitCheck = 1262;
    static constexpr int kPlottedUnitsEdit = 1259;
    static constexpr int kDrawingUnitsEdit = 1260;
    static constexpr int kOffsetXEdit = 1264;
    static constexpr int kOffsetYEdit = 1265;
    static constexpr int kColourTableButton = 1147;
    static constexpr int kReferenceListButton = 1207;
    static constexpr int kApplyButton = 1020;
    // The labels that name the unit beside the numeric edits, in the order of unitLabels.
    static constexpr std::array<int, 5> kUnitLabels = {1004, 1005, 1270, 1000, 1271};

    // Page creation: fills the lists for `unit` and shows the group's defaults.
    explicit AutoCadPage(Unit unit);

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Values to controls, in the page's unit.
    void Refresh(const AutoCadOptions& values);

    // Controls to values. The reference list and the colour table are not on the page; their
    // dialogs change them directly.
    void Export(AutoCadOptions& values) const;

    // The program's unit changed: the paper list, the unit labels and the numeric edits are
    // reset for the new unit (the values are not touched until the next Export).
    void ApplyUnit(Unit unit) override;

    // Check box 1266 clicked.
    void SetInForce(bool on);
    // One of the radio buttons 1229, 1230, 1234 chosen. Radio 1234 cannot be chosen while the
    // scale is fit.
    void ChoosePaperKind(int radioId);
    // Check box 1262 (fit to the paper) clicked.
    void SetFit(bool on);

    Unit unit() const { return unit_; }

    CheckControl inForce;
    RadioGroup paperKind;                 // enables radios 1229 and 1230
    bool paperFollowsAreaEnabled = true;  // radio 1234, which fit disables on its own
    ListControl paperList;
    EditControl paperX;
    EditControl paperY;
    EditControl marginA;
    EditControl marginB;
    EditControl marginC;
    EditControl marginD;
    ListControl plotChoice;
    ListControl outputChoice;
    ListControl areaChoice;
    CheckControl fit;
    EditControl plottedUnits;
    EditControl drawingUnits;
    EditControl offsetX;
    EditControl offsetY;
    bool buttonsEnabled = true;  // 1147 (colour table) and 1207 (reference folders)
    std::array<std::string, kUnitLabels.size()> unitLabels;
    bool digitsOnly = false;  // the ten numeric edits take digits only (metric)

  private:
    enum Numeric {
        kPaperXValue,
        kPaperYValue,
        kMarginAValue,
        kMarginBValue,
        kMarginCValue,
        kMarginDValue,
        kPlottedValue,
        kOffsetXValue,
        kOffsetYValue,
        kNumericCount
    };

    // What Refresh put into a numeric edit, and the stored text it came from.
    struct Shown {
        std::string text;
        std::string stored;
    };

    void Show(EditControl& edit, Numeric which, std::string stored, std::string text);
    // The stored text behind `edit` when the user has not changed what Refresh showed.
    std::optional<std::string> Unchanged(const EditControl& edit, Numeric which) const;
    void ApplyEnabling();

    std::string PaperSizeFromControls(std::string_view areaChoice) const;
    std::string MarginFromControls(const EditControl& edit, Numeric which, int defaultText) const;
    std::string InchesFromControls(const EditControl& edit, Numeric which, int defaultText) const;

    Unit unit_;
    std::array<std::optional<Shown>, kNumericCount> shown_;
};

}  // namespace kestrum
