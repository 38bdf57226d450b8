#pragma once

// The CalComp emulation page's model: eight settings lists and two edit fields, taken into the
// values only on Export (the apply button), and the pen table, whose changes are stored at once.

#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/pen_table.h"
#include "options/user_object.h"
#include "shell/printer_type.h"
#include "shell/resource_ids.h"

namespace kestrum {

class CalCompPage final : public OptionPage {
  public:
    static constexpr int kApplyButton = 1147;
    static constexpr int kPlotUnitList = 1157;
    static constexpr int kPenSelector = 1171;
    static constexpr int kWidthList = 1172;
    static constexpr int kLineEndList = 1173;
    static constexpr int kLineJoinList = 1174;
    static constexpr int kGrayList = 1175;
    static constexpr int kOpaqueList = 1176;
    static constexpr int kLineUpperList = 1177;
    static constexpr int kChecksumList = 1179;
    static constexpr int kSyncCharacterEdit = 1180;
    static constexpr int kEndOfMessageEdit = 1181;
    static constexpr int kSyncCountList = 1182;
    static constexpr int kTrailerList = 1183;
    static constexpr int kPen0List = 1184;
    static constexpr int kHandshakeList = 1185;
    static constexpr int kAuxSwitchList = 1186;
    static constexpr int kStepList = 1187;

    static constexpr PenTableLists kPenLists{
        {kWidthList, kLineEndList, kLineJoinList, kGrayList, kOpaqueList, kLineUpperList},
        rid::kSyncCountDefault,
        // The off word stands for "no line end" here.
        {rid::kCalCompOffEntry, rid::kCalCompStyleRoundEntry, rid::kCalCompStyleSquareEntry,
         rid::kCalCompStyleTriangularEntry},
        {rid::kCalCompStyleNoneEntry, rid::kCalCompStyleRoundEntry,
         rid::kCalCompStyleTriangularEntry, rid::kCalCompStyleBevelEntry,
         rid::kCalCompStyleMiterEntry},
        rid::kCalCompOnEntry,
        rid::kCalCompOffEntry,
    };

    // Fills every list and shows the defaults with pen 1 selected.
    CalCompPage();

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Shows the settings, the two characters as held, and pen 1.
    void Refresh(const CalCompSettings& settings, const PenTable& pens);

    // The eight settings lists and the two edit fields into the held settings.
    void Export(CalCompSettings& settings) const;

    // Every control is in use only for the printer class that speaks controller commands; the
    // held values are kept either way.
    void ApplyPrinterType(PrinterType type) override;

    // The user chose `entry` in the settings list `control`. False when there is no such list or
    // entry.
    bool ChooseSetting(int control, int entry);

    // The user chose `entry` (pen 1 is entry 0) in the pen selector.
    void SelectPen(int entry, const PenTable& pens) { penTable.SelectPen(entry, pens); }

    // The user chose `entry` in the attribute list `control`; stored into the pen shown at once.
    bool ChoosePenAttribute(int control, int entry, PenTable& pens) {
        return penTable.ChooseAttribute(control, entry, pens);
    }

    SettingList plotUnit;
    SettingList trailer;
    SettingList pen0Switch;
    SettingList auxSwitch;  // control 1186
    SettingList step;       // control 1187
    SettingList handshake;
    SettingList checksum;
    SettingList syncCount;
    EditControl syncCharacter;
    EditControl endOfMessageCharacter;
    PenTablePanel penTable{kPenLists};
};

}  // namespace kestrum
