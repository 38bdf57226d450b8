#pragma once

// The model of the job options page: what its lists hold, what is selected, checked and enabled,
// and the rules that turn the job options into page state and back. The desktop page mirrors it.

#include <string>
#include <string_view>

#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/message_sink.h"
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

// Control ids of the job options page.
namespace job_page {
inline constexpr int kFoldingList = 1320;
inline constexpr int kCopiesList = 1157;
inline constexpr int kFileCopiesList = 1197;
inline constexpr int kMediaList = 1050;
inline constexpr int kTrayList = 1049;

inline constexpr int kPageSizeCheck = 1127;
inline constexpr int kNamedSizeRadio = 1052;
inline constexpr int kCustomSizeRadio = 1054;
inline constexpr int kPageSizeList = 1053;
inline constexpr int kCustomWidthField = 1055;
inline constexpr int kCustomHeightField = 1056;
inline constexpr int kPageSizeButton = 1051;
inline constexpr int kWidthUnitLabel = 1161;
inline constexpr int kHeightUnitLabel = 1162;

inline constexpr int kPageScaleCheck = 1068;
inline constexpr int kScaleAutomaticRadio = 1057;
inline constexpr int kScaleFromToRadio = 1059;
inline constexpr int kScaleFromList = 1060;
inline constexpr int kScaleToList = 1061;
inline constexpr int kPageScaleButton = 1069;

inline constexpr int kFormatCheck = 1128;
inline constexpr int kFormatARadio = 1146;
inline constexpr int kFormatHpglRadio = 1130;
inline constexpr int kFormatCalCompRadio = 1131;
inline constexpr int kFormatPostScriptRadio = 1132;
inline constexpr int kFormatButton = 1129;

inline constexpr int kRasterModeCheck = 1308;
inline constexpr int kRasterEnableCheck = 1309;
inline constexpr int kRasterModeButton = 1310;
}  // namespace job_page

// A plain value: the delivery worker copies it with the rest of the option state.
class JobOptionsPage final : public OptionPage {
  public:
    // A push button whose only state here is whether it can be pressed.
    struct Button {
        bool enabled = false;
    };

    // Fills every list for `unit` with entry 0 selected; every option shows as not set.
    explicit JobOptionsPage(Unit unit);

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Shows `values`. Normalises what the page cannot show as stored: a page scale written without
    // the blank between its sizes is rewritten with it, a format the page does not know is
    // cleared, and the raster mode takes the page's own spelling. A stored page scale whose sizes
    // the lists lack is reported through `messages` and shown as no scaling.
    void Refresh(JobOptionsValues& values, MessageSink& messages);

    // Takes every value but the format from the controls; the format radios store theirs when
    // chosen.
    void Export(JobOptionsValues& values) const;

    void ApplyPrinterType(PrinterType type) override;

    // Refills the size lists for `unit` (entry 0 selected) and sets the unit labels.
    void ApplyUnit(Unit unit) override;

    // User actions. The Qt page reports each with the control's new state.
    // Page size check box: checking shows the stored page size as Refresh does.
    void ClickPageSizeCheck(bool checked, const JobOptionsValues& values);
    void ChooseNamedSize();
    void ChooseCustomSize();
    void ClickPageScaleCheck(bool checked);
    void ChooseScaleAutomatic();
    void ChooseScaleFromTo();
    void ClickFormatCheck(bool checked, JobOptionsValues& values);
    // `radioId`: one of the four format radios; any other id changes nothing.
    void ChooseFormat(int radioId, JobOptionsValues& values);
    void ClickRasterModeCheck(bool checked, JobOptionsValues& values);
    void ClickRasterEnable(bool checked, JobOptionsValues& values);

    // The check made when a custom size field loses the focus. False (after telling the user) when
    // the field holds anything but digits and decimal points; the page then keeps the focus there.
    [[nodiscard]] bool LeaveCustomSizeField(int fieldId, MessageSink& messages) const;

    // Whether a custom size field takes `c` as typed: digits, and in English units the point.
    bool CustomSizeAccepts(char c) const;

    Unit unit() const { return unit_; }

    ListControl folding;
    ListControl copies;
    ListControl fileCopies;
    ListControl media;
    ListControl tray;

    CheckControl pageSizeSet;
    RadioGroup pageSizeKind;  // kNamedSizeRadio or kCustomSizeRadio
    ListControl pageSizeList;
    EditControl customWidth;
    EditControl customHeight;
    Button pageSizeButton;
    std::string widthUnitLabel;
    std::string heightUnitLabel;

    CheckControl pageScaleSet;
    RadioGroup pageScaleKind;  // kScaleAutomaticRadio or kScaleFromToRadio
    ListControl scaleFrom;
    ListControl scaleTo;
    Button pageScaleButton;

    CheckControl formatSet;
    RadioGroup formatKind;  // one of the four format radios
    Button formatButton;

    CheckControl rasterModeSet;
    CheckControl rasterEnable;
    Button rasterModeButton;

  private:
    void ApplyPageSizeRule(std::string_view pageSize);
    void ShowNamedSize();
    void ShowCustomSize();
    bool SelectNamedSizeOfNumbers(std::string_view width, std::string_view height);
    void ApplyPageScaleRule();
    void ShowPageScale(JobOptionsValues& values, MessageSink& messages);
    void ApplyFormatRule(JobOptionsValues& values);
    void ApplyRasterModeRule();

    Unit unit_;
    // Only the controller-command printers take a format; other types keep its radios disabled.
    bool formatRadiosAllowed_ = true;
};

}  // namespace kestrum
