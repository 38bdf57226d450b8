#pragma once

// The page model of the raster settings: seven drop-down lists whose first entry stands for "not
// set", two free number fields and three compression radio buttons.

#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/printer_type.h"

namespace kestrum {

class RasterSettingsPage final : public OptionPage {
  public:
    static constexpr int kSetting1List = 1157;
    static constexpr int kSetting2List = 1188;
    static constexpr int kSetting3List = 1191;
    static constexpr int kSetting4List = 1190;
    static constexpr int kSetting5List = 1189;
    static constexpr int kSetting6Edit = 1192;
    static constexpr int kSetting7Edit = 1193;
    static constexpr int kCompressionNone = 1217;
    static constexpr int kCompressionTG4 = 1218;
    static constexpr int kCompressionC4 = 1219;
    static constexpr int kSetting9List = 1250;
    static constexpr int kRotationList = 1251;

    // Fills the lists and shows the defaults: every list at "not set", empty fields, no
    // compression.
    RasterSettingsPage();

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Shows the values. A list shows the first entry that begins with its value (without regard
    // to case), "not set" when none does. A compression value that names a radio button without
    // regard to case is held in that button's exact spelling, because the composer compares it
    // exactly; any other non-empty compression value leaves the radio buttons as they were.
    void Refresh(RasterValues& values);

    // Takes the lists and fields into the values. The compression is not taken here: its radio
    // buttons store it when clicked.
    void Export(RasterValues& values) const;

    // A compression radio button clicked: it becomes the chosen one and stores its text at once.
    // Ids other than the three buttons change nothing.
    void ChooseCompression(int radioId, RasterValues& values);

    // Raster options reach only the controller-command printer type.
    void ApplyPrinterType(PrinterType type) override;

    ListControl setting1;
    ListControl setting2;
    ListControl setting3;
    ListControl setting4;
    ListControl setting5;
    EditControl setting6;
    EditControl setting7;
    RadioGroup compression;
    ListControl setting9;
    ListControl rotation;
};

}  // namespace kestrum
