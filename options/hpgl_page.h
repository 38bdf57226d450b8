#pragma once

// The HP-GL emulation page's model: five settings lists, taken into the values only on Export
// (the apply button), and the pen table, whose changes are stored at once.

#include "options/option_page.h"
#include "options/pen_table.h"
#include "options/user_object.h"
#include "shell/printer_type.h"
#include "shell/resource_ids.h"

namespace kestrum {

class HpglPage final : public OptionPage {
  public:
    static constexpr int kApplyButton = 1147;
    static constexpr int kLineEndList = 1150;
    static constexpr int kLineJoinList = 1151;
    static constexpr int kOpaqueList = 1153;
    static constexpr int kGrayList = 1154;
    static constexpr int kLineUpperList = 1155;
    static constexpr int kWidthList = 1156;
    static constexpr int kPenSelector = 1157;
    static constexpr int kModelList = 1166;
    static constexpr int kRotationList = 1167;
    static constexpr int kPen0List = 1168;
    static constexpr int kTerminatorList = 1169;
    static constexpr int kTrailerList = 1170;

    static constexpr PenTableLists kPenLists{
        {kWidthList, kLineEndList, kLineJoinList, kGrayList, kOpaqueList, kLineUpperList},
        rid::kHpglDefaultEntry,
        {rid::kHpglStyleNoneEntry, rid::kHpglStyleRoundEntry, rid::kHpglStyleSquareEntry,
         rid::kHpglStyleTriangularEntry},
        {rid::kHpglStyleNoneEntry, rid::kHpglStyleRoundEntry, rid::kHpglStyleTriangularEntry,
         rid::kHpglStyleBevelEntry, rid::kHpglStyleMiterEntry},
        rid::kHpglOnEntry,
        rid::kHpglOffEntry,
    };

    // Fills every list and shows the defaults with pen 1 selected.
    HpglPage();

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Shows the settings and pen 1.
    void Refresh(const HpglSettings& settings, const PenTable& pens);

    // The five settings lists into the held settings; the pens are already held.
    void Export(HpglSettings& settings) const;

    // Every list is in use only for the printer class that speaks controller commands; the held
    // values are kept either way.
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

    SettingList plotterModel;
    SettingList rotation;
    SettingList pen0Handling;
    SettingList terminatorHandling;
    SettingList trailer;
    PenTablePanel penTable{kPenLists};
};

}  // namespace kestrum
