#pragma once

// The page model of the text stamp.
//
// Positions are entered in the unit chosen in Preferences but held as hundredths of an inch:
//  - English: the typed inches are normalised to hundredths by their text (see NormaliseInches);
//  - metric: typed whole millimetres become mm * 100 / 25.4 hundredths, rounded to the nearest
//    (halves up), and held hundredths are shown as whole millimetres, rounded to the nearest
//    (halves up). A typed millimetre value therefore comes back unchanged, and a position held in
//    hundredths moves by at most 2 hundredths (under 0.6 mm) when it is shown in millimetres and
//    taken back; after that first trip it is stable. A metric field still showing what the page
//    put there gives back the exact hundredths behind it, so only an edited field moves at all.

#include <string>
#include <string_view>

#include "options/option_page.h"
#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

namespace stamp {
// Typed inches to held hundredths: the characters before the first blank, "." or end (leading
// blanks skipped), followed by the first two characters after a "." ("0" added when there is only
// one, "00" when there are none or no "." at all). A result holding anything but digits and "."
// is "000". "1.25" gives "125", "2" gives "200", "1.256" gives "125", "" gives "00".
std::string NormaliseInches(std::string_view typed);

// Held hundredths shown in inches: a "." before the last two characters, after padding to two
// characters with leading "0" ("125" shows "1.25", "5" shows ".05").
std::string ShowInches(std::string_view held);

// Typed whole millimetres to held hundredths; "0" for an empty or non-numeric text.
std::string MillimetresToHundredths(std::string_view typed);

// Held hundredths (their leading number, as the composer reads them) as whole millimetres.
std::string HundredthsToMillimetres(std::string_view held);
}  // namespace stamp

class TextStampPage final : public OptionPage {
  public:
    static constexpr int kStampCheck = 1010;
    static constexpr int kTimeCheck = 1012;
    static constexpr int kDateCheck = 1014;
    static constexpr int kAngle90Radio = 1015;
    static constexpr int kAngle0Radio = 1016;
    static constexpr int kPointSizeList = 1017;
    static constexpr int kTextEdit = 1018;
    static constexpr int kApplyButton = 1020;  // runs Export
    static constexpr int kAnglePicture = 1021;
    static constexpr int kControl1025 = 1025;
    static constexpr int kControl1026 = 1026;
    static constexpr int kAngleOtherRadio = 1042;
    static constexpr int kAngleEdit = 1043;
    static constexpr int kHOptionCheck = 1047;
    static constexpr int kGValueList = 1157;
    static constexpr int kSValueList = 1247;
    static constexpr int kVerticalEdit = 1299;
    static constexpr int kHorizontalEdit = 1300;

    // Icons of the angle picture.
    static constexpr int kIconAngle90 = 2002;
    static constexpr int kIconAngle0 = 2003;
    static constexpr int kIconAngleOther = 2004;

    // Fills the lists and shows the defaults in `unit`.
    explicit TextStampPage(Unit unit);

    // The page protocol (see option_page.h).
    std::vector<PageControl> Controls() override;
    void Refresh(CUserObject& values, MessageSink& messages) override;
    void Export(CUserObject& values) const override;
    bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) override;

    // Shows the values, the text included; the dependent controls follow the stamp check box. A
    // point size outside the list shows the nearest entry.
    void Refresh(TextStampValues& values);

    // Takes the controls into the values, positions as hundredths of an inch.
    void Export(TextStampValues& values) const;

    // The stamp check box clicked: the dependent controls follow at once.
    void CheckStamp(bool checked);

    // An angle radio button clicked: 0 and 90 put their number into the angle field and lock it,
    // "other" unlocks it. Ids other than the three buttons change nothing.
    void ChooseAngle(int radioId);

    // Only the controller-command printer type prints stamps: for the others the stamp check box
    // is disabled and unchecked. A stamp shown checked while the box is disabled (a configuration
    // loaded afterwards) keeps its dependent controls disabled too: it will not be printed.
    void ApplyPrinterType(PrinterType type) override;

    // Shows the positions in the new unit, converted (not reset), with that unit's labels; metric
    // fields take digits only.
    void ApplyUnit(Unit unit) override;

    Unit unit() const { return unit_; }

    CheckControl stamp;
    EditControl text;
    RadioGroup angle;
    EditControl angleValue;
    ListControl pointSize;
    EditControl horizontal;
    EditControl vertical;
    ListControl gValue;
    ListControl sValue;
    CheckControl hOption;
    CheckControl time;
    CheckControl date;
    int angleIcon = kIconAngle0;
    bool anglePictureEnabled = false;
    bool control1025Enabled = false;
    bool control1026Enabled = false;
    bool positionsDigitsOnly = false;
    std::string horizontalUnitLabel;
    std::string verticalUnitLabel;

  private:
    // What a metric field was last given by the page, and the exact hundredths behind it.
    struct ShownPosition {
        std::string shown;
        std::string held;
    };

    void ApplyEnabling();
    void ShowPosition(EditControl& field, ShownPosition& memo, std::string_view held);
    std::string HeldPosition(const EditControl& field, const ShownPosition& memo) const;
    void ApplyUnitLabels();

    Unit unit_;
    ShownPosition horizontalShown_;
    ShownPosition verticalShown_;
};

}  // namespace kestrum
