#include "shell/language_strings.h"

#include <algorithm>
#include <iterator>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

using namespace rid;

// Option values are stored as the text of the chosen list entry and recognised elsewhere by
// comparing texts, so every text that stands for the same choice in two places is written once
// here and used for both numbers.

// On and off words. The raster mode page stores exactly "Enable" and "Disable", and the
// composer's on and off words must read the same, so every on/off choice uses these two.
constexpr std::string_view kEnable = "Enable";
constexpr std::string_view kDisable = "Disable";
constexpr std::string_view kIgnore = "Ignore";

// Every page's "leave it to the printer" entry; it is also the job options' stored default.
constexpr std::string_view kDefault = "Default";
constexpr std::string_view kAutomatic = "Auto";

// The job options' size names. The page scale is read back as a letter followed by at most one
// digit, so the names must keep that shape.
constexpr std::string_view kA0 = "A0";
constexpr std::string_view kA1 = "A1";
constexpr std::string_view kA2 = "A2";
constexpr std::string_view kA3 = "A3";
constexpr std::string_view kA4 = "A4";
constexpr std::string_view kA = "A";
constexpr std::string_view kB = "B";
constexpr std::string_view kC = "C";
constexpr std::string_view kD = "D";
constexpr std::string_view kE = "E";

// Paper sources: tray 100 is the sheet feeder, trays 1 to 3 the rolls. They are listed with
// tray 100 first and found by the first entry that begins with the stored text, so no name may
// begin with another ("Tray 1" would find "Tray 100").
constexpr std::string_view kTrayHundred = "Sheet feed";
constexpr std::string_view kTrayOne = "Roll 1";
constexpr std::string_view kTrayTwo = "Roll 2";
constexpr std::string_view kTrayThree = "Roll 3";

constexpr std::string_view kBond = "Bond";
constexpr std::string_view kVellum = "Vellum";
constexpr std::string_view kFilm = "Film";

// Raster image words.
constexpr std::string_view kNormal = "Normal";
constexpr std::string_view kReverse = "Reverse";
constexpr std::string_view kDitherD2Text = "Dither D2";
constexpr std::string_view kDitherDRText = "Dither DR";
constexpr std::string_view kDitherDP50Text = "Dither DP50";
// Compression is compared with regard to case.
constexpr std::string_view kTG4 = "TG4";
constexpr std::string_view kC4 = "C4";

// Pen styles. Pen fields hold at most nine characters, which rules out "Triangular".
constexpr std::string_view kNone = "None";
constexpr std::string_view kRound = "Round";
constexpr std::string_view kSquare = "Square";
constexpr std::string_view kTriangle = "Triangle";
constexpr std::string_view kMiter = "Miter";
constexpr std::string_view kBevel = "Bevel";

constexpr std::string_view kCarriageReturn = "Return";
constexpr std::string_view kFormFeed = "Form feed";

// Launch list markers. Angle brackets cannot occur in a file name, so a marker is never taken
// for a configuration file, and it holds no backslash because the list shows what follows the
// last one.
constexpr std::string_view kCurrentSettings = "<Current settings>";
constexpr std::string_view kNoConfiguration = "<No configuration>";

constexpr std::string_view kFit = "Fit";
constexpr std::string_view kYes = "Yes";
constexpr std::string_view kNo = "No";
constexpr std::string_view kInches = "in";
constexpr std::string_view kMillimetres = "mm";

constexpr ResourceString kStrings[] = {
    ResourceString{kMediaEntryBond, kBond},
    ResourceString{kMediaEntryVellum, kVellum},
    ResourceString{kMediaEntryFilm, kFilm},
    ResourceString{kTrayEntry100, kTrayHundred},
    ResourceString{kTrayEntry1, kTrayOne},
    ResourceString{kTrayEntry2, kTrayTwo},
    ResourceString{kTrayEntry3, kTrayThree},
    ResourceString{kPageSizeEntryAuto, kAutomatic},
    ResourceString{kPageSizeEntryA0, kA0},
    ResourceString{kPageSizeEntryA1, kA1},
    ResourceString{kPageSizeEntryA2, kA2},
    ResourceString{kPageSizeEntryA3, kA3},
    ResourceString{kPageSizeEntryA4, kA4},
    ResourceString{kPageSizeEntryA, kA},
    ResourceString{kPageSizeEntryB, kB},
    ResourceString{kPageSizeEntryC, kC},
    ResourceString{kPageSizeEntryD, kD},
    ResourceString{kListEntryDefault, kDefault},
    ResourceString{kPageSizeEntryE, kE},

    ResourceString{kJobOptionsSection, "Printer"},
    ResourceString{kFoldingKey, "Folding"},
    ResourceString{kControllerCopiesKey, "ControllerCopies"},
    ResourceString{kFileCopiesKey, "Copies"},
    ResourceString{kMediaKey, "Media"},
    ResourceString{kJobDefaultText, kDefault},
    ResourceString{kTrayKey, "Tray"},
    ResourceString{kPageSizeKey, "PageSize"},
    ResourceString{kPageScaleKey, "PageScale"},
    ResourceString{kFormatKey, "Format"},
    ResourceString{kRasterModeKey, "RasterMode"},
    // Followed directly by the program number in the folding list.
    ResourceString{kFoldProgramPrefix, "Fold program "},
    ResourceString{kCustomSizeUnitMetric, kMillimetres},
    ResourceString{kCustomSizeUnitEnglish, kInches},
    ResourceString{kScaleAuto, kAutomatic},
    ResourceString{kRasterModeDisable, kDisable},
    ResourceString{kRasterModeEnable, kEnable},
    ResourceString{kScaleFromMissingMessage,
                   "The page scale of this configuration starts from a size that is not "
                   "available in the current unit. Page scaling has been switched off."},
    ResourceString{kScaleToMissingMessage,
                   "The page scale of this configuration ends at a size that is not available "
                   "in the current unit. Page scaling has been switched off."},
    ResourceString{kJobOptionsWriteFailedMessage,
                   "Cannot write the job options to the configuration file. Check that the "
                   "file is not read-only and that the disk has free space."},
    ResourceString{kJobOptionsCaption, "Job Options"},
    ResourceString{kFormatA, kAutomatic},
    ResourceString{kFormatHpgl, "HP-GL"},
    ResourceString{kFormatCalComp, "CalComp"},
    ResourceString{kUnitLabelEnglishWidth, kInches},
    ResourceString{kUnitLabelEnglishHeight, kInches},
    ResourceString{kUnitLabelMetricWidth, kMillimetres},
    ResourceString{kUnitLabelMetricHeight, kMillimetres},
    ResourceString{kCustomSizeInvalidMessage,
                   "A page size may hold only digits and a decimal point. Correct the number."},
    ResourceString{kDigitFirst, "0"},
    ResourceString{kDigitLast, "9"},
    ResourceString{kDecimalPoint, "."},

    ResourceString{kSizeWidthA, "8.5"},
    ResourceString{kSizeHeightA, "11"},
    ResourceString{kSizeWidthB, "11"},
    ResourceString{kSizeHeightB, "17"},
    ResourceString{kSizeWidthC, "17"},
    ResourceString{kSizeHeightC, "22"},
    ResourceString{kSizeWidthD, "22"},
    ResourceString{kSizeHeightD, "34"},
    ResourceString{kSizeWidthE, "34"},
    ResourceString{kSizeHeightE, "44"},
    ResourceString{kSizeWidthA0, "841"},
    ResourceString{kSizeHeightA0, "1189"},
    ResourceString{kSizeWidthA1, "594"},
    ResourceString{kSizeHeightA1, "841"},
    ResourceString{kSizeWidthA2, "420"},
    ResourceString{kSizeHeightA2, "594"},
    ResourceString{kSizeWidthA3, "297"},
    ResourceString{kSizeHeightA3, "420"},
    ResourceString{kSizeWidthA4, "210"},
    ResourceString{kSizeHeightA4, "297"},

    // AutoCAD paper in hundredths of an inch, landscape. The metric sizes are cut, not rounded,
    // the way the page converts typed millimetres, so that a typed A4 is recognised as A4.
    ResourceString{kAcadPaperXA, "1100"},
    ResourceString{kAcadPaperYA, "850"},
    ResourceString{kAcadPaperXB, "1700"},
    ResourceString{kAcadPaperYB, "1100"},
    ResourceString{kAcadPaperXC, "2200"},
    ResourceString{kAcadPaperYC, "1700"},
    ResourceString{kAcadPaperXD, "3400"},
    ResourceString{kAcadPaperYD, "2200"},
    ResourceString{kAcadPaperXE, "4400"},
    ResourceString{kAcadPaperYE, "3400"},
    ResourceString{kAcadPaperXA4, "1169"},
    ResourceString{kAcadPaperYA4, "826"},
    ResourceString{kAcadPaperXA3, "1653"},
    ResourceString{kAcadPaperYA3, "1169"},
    ResourceString{kAcadPaperXA2, "2338"},
    ResourceString{kAcadPaperYA2, "1653"},
    ResourceString{kAcadPaperXA1, "3311"},
    ResourceString{kAcadPaperYA1, "2338"},
    ResourceString{kAcadPaperXA0, "4681"},
    ResourceString{kAcadPaperYA0, "3311"},

    ResourceString{kAcadPaperSizeKey, "PaperSize"},
    // The defaults are the A and A4 sizes that the page shows after a unit change.
    ResourceString{kAcadPaperDefaultEnglish, "X1100 Y850"},
    ResourceString{kAcadPaperDefaultMetric, "X1169 Y826"},
    ResourceString{kAcadMarginAKey, "MarginA"},
    ResourceString{kAcadMarginADefault, "50"},
    ResourceString{kAcadMarginBKey, "MarginB"},
    ResourceString{kAcadMarginBDefault, "50"},
    ResourceString{kAcadMarginCKey, "MarginC"},
    ResourceString{kAcadMarginCDefault, "50"},
    ResourceString{kAcadMarginDKey, "MarginD"},
    ResourceString{kAcadMarginDDefault, "50"},
    ResourceString{kAcadPlotChoiceKey, "PlotChoice"},
    ResourceString{kAcadPlotChoiceDefault, "0"},
    ResourceString{kAcadOutputChoiceKey, "OutputChoice"},
    ResourceString{kAcadOutputStandardEntry, "Standard output"},
    ResourceString{kAcadPlotScaleKey, "PlotScale"},
    ResourceString{kAcadFitText, kFit},
    ResourceString{kAcadPlottedUnitsDefault, "1"},
    ResourceString{kAcadDrawingUnitsDefault, "1"},
    ResourceString{kAcadAreaChoiceKey, "AreaChoice"},
    ResourceString{kAcadAreaChoiceDefault, "Extents"},
    ResourceString{kAcadColourSectionPrefix, "ACAD COLOR"},
    ResourceString{kAcadColourWidthKey, "Width"},
    ResourceString{kAcadColourWidthDefault, "10"},
    ResourceString{kAcadColourStyleKey, "Style"},
    ResourceString{kAcadColourStyleDefault, "0"},
    ResourceString{kAcadOffsetXKey, "OffsetX"},
    ResourceString{kAcadOffsetXDefault, "0"},
    ResourceString{kAcadOffsetYKey, "OffsetY"},
    ResourceString{kAcadOffsetYDefault, "0"},
    // Not the settings file's XRef names: a configuration counts its folders from 1.
    ResourceString{kAcadXRefEntryKeyPrefix, "RefFolder"},
    ResourceString{kAcadXRefCountKey, "RefFolderCount"},
    ResourceString{kAcadColourPenKey, "Pen"},
    ResourceString{kAcadSection, "AutoCAD"},
    ResourceString{kSizeA0, kA0},
    ResourceString{kSizeA1, kA1},
    ResourceString{kSizeA2, kA2},
    ResourceString{kSizeA3, kA3},
    ResourceString{kSizeA4, kA4},
    ResourceString{kAcadPaperA, kA},
    ResourceString{kAcadPaperB, kB},
    ResourceString{kAcadPaperC, kC},
    ResourceString{kAcadPaperD, kD},
    ResourceString{kAcadPaperE, kE},
    // The renderer is given the leading number of the chosen entry.
    ResourceString{kAcadPlotChoice0Entry, "0"},
    ResourceString{kAcadPlotChoice1Entry, "1"},
    ResourceString{kAcadPlotChoice2Entry, "2"},
    ResourceString{kAcadPlotChoice3Entry, "3"},
    ResourceString{kAcadAreaExtentsEntry, "Extents"},
    ResourceString{kAcadAreaLimitsEntry, "Limits"},
    ResourceString{kAcadAreaDisplayEntry, "Display"},
    ResourceString{kAcadOutputAlternateEntry, "Alternate output"},
    ResourceString{kAcadWriteFailedMessage,
                   "Cannot write the AutoCAD options to the configuration file. Check that the "
                   "file is not read-only and that the disk has free space."},

    ResourceString{kStampSection, "TextStamp"},
    ResourceString{kStampTextKey, "Text"},
    ResourceString{kStampAngleKey, "Angle"},
    ResourceString{kStampHorizontalKey, "Horizontal"},
    ResourceString{kStampVerticalKey, "Vertical"},
    ResourceString{kStampPointSizeKey, "PointSize"},
    ResourceString{kStampTimeKey, "Time"},
    ResourceString{kStampDateKey, "Date"},
    ResourceString{kStampHOptionKey, "HOption"},
    ResourceString{kStampGValueKey, "GValue"},
    ResourceString{kStampSValueKey, "SValue"},
    ResourceString{kStampDefaultEntry, kDefault},
    ResourceString{kStampWriteFailedMessage,
                   "Cannot write the text stamp to the configuration file. Check that the file "
                   "is not read-only and that the disk has free space."},

    ResourceString{kCalCompSection, "CalComp"},
    ResourceString{kCalCompPlotUnitKey, "PlotUnit"},
    ResourceString{kCalCompTrailerKey, "Trailer"},
    ResourceString{kCalCompPen0Key, "Pen0"},
    ResourceString{kCalCompAuxSwitchKey, "AuxSwitch"},
    ResourceString{kCalCompStepKey, "Step"},
    ResourceString{kCalCompHandshakeKey, "Handshake"},
    ResourceString{kCalCompChecksumKey, "Checksum"},
    ResourceString{kCalCompSyncCountKey, "SyncCount"},
    ResourceString{kCalCompSyncCharKey, "SyncChar"},
    ResourceString{kCalCompEomCharKey, "EomChar"},
    ResourceString{kCalCompPenWidthKey, "Width"},
    ResourceString{kCalCompPenLineEndKey, "LineEnd"},
    ResourceString{kCalCompPenLineJoinKey, "LineJoin"},
    ResourceString{kCalCompPenGrayKey, "Gray"},
    ResourceString{kCalCompPenOpaqueKey, "Opaque"},
    ResourceString{kCalCompPenLUKey, "LUAttribute"},
    ResourceString{kSyncCountDefault, kDefault},
    // The controller numbers its plot units; the page sends the position of the entry.
    ResourceString{kPlotUnit0, "Unit 0"},
    ResourceString{kPlotUnit1, "Unit 1"},
    ResourceString{kPlotUnit2, "Unit 2"},
    ResourceString{kPlotUnit3, "Unit 3"},
    ResourceString{kPlotUnit4, "Unit 4"},
    ResourceString{kPlotUnit5, "Unit 5"},
    ResourceString{kPlotUnit6, "Unit 6"},
    ResourceString{kCalCompOnEntry, kEnable},
    ResourceString{kCalCompOffEntry, kDisable},
    ResourceString{kCalCompTrailerCREntry, kCarriageReturn},
    ResourceString{kCalCompTrailerFFEntry, kFormFeed},
    ResourceString{kCalCompStyleRoundEntry, kRound},
    ResourceString{kCalCompStyleSquareEntry, kSquare},
    ResourceString{kCalCompStyleTriangularEntry, kTriangle},
    ResourceString{kCalCompStyleNoneEntry, kNone},
    ResourceString{kCalCompStyleBevelEntry, kBevel},
    ResourceString{kCalCompStyleMiterEntry, kMiter},
    ResourceString{kCalCompWriteFailedMessage,
                   "Cannot write the CalComp settings to the configuration file. Check that the "
                   "file is not read-only and that the disk has free space."},
    ResourceString{kDdeStartFailedMessage,
                   "Kestrum cannot offer its command interface on the session bus (the name "
                   "org.kestrum.Kestrum is taken, or there is no session bus). Other programs "
                   "cannot drive this Kestrum; everything else works."},

    ResourceString{kHpglSection, "HPGL"},
    ResourceString{kHpglModelKey, "Model"},
    ResourceString{kHpglRotationKey, "Rotation"},
    ResourceString{kHpglPen0Key, "Pen0"},
    ResourceString{kHpglTerminatorKey, "Terminator"},
    ResourceString{kHpglTrailerKey, "Trailer"},
    ResourceString{kHpglPenWidthKey, "Width"},
    ResourceString{kHpglPenLineEndKey, "LineEnd"},
    ResourceString{kHpglPenLineJoinKey, "LineJoin"},
    ResourceString{kHpglPenGrayKey, "Gray"},
    ResourceString{kHpglPenOpaqueKey, "Opaque"},
    ResourceString{kHpglPenLUKey, "LUAttribute"},
    ResourceString{kHpglDefaultEntry, kDefault},
    ResourceString{kHpglStyleNoneEntry, kNone},
    ResourceString{kHpglStyleRoundEntry, kRound},
    ResourceString{kHpglStyleSquareEntry, kSquare},
    ResourceString{kHpglStyleTriangularEntry, kTriangle},
    ResourceString{kHpglStyleBevelEntry, kBevel},
    ResourceString{kHpglStyleMiterEntry, kMiter},
    ResourceString{kHpglOnEntry, kEnable},
    ResourceString{kHpglOffEntry, kDisable},
    ResourceString{kHpglIgnoreEntry, kIgnore},
    // The HP-GL trailer entries are stored as the composer's short words below.
    ResourceString{kHpglTrailerSCEntry, "SC"},
    ResourceString{kHpglTrailerFFEntry, kFormFeed},
    ResourceString{kHpglTrailerFF, "FF"},
    ResourceString{kHpglTrailerSC, "SC"},
    ResourceString{kHpglWriteFailedMessage,
                   "Cannot write the HP-GL settings to the configuration file. Check that the "
                   "file is not read-only and that the disk has free space."},

    ResourceString{kRasterNormal, kNormal},
    ResourceString{kRasterReverse, kReverse},
    ResourceString{kAuto, kAutomatic},
    ResourceString{kDitherD2, kDitherD2Text},
    ResourceString{kOffWord, kDisable},
    ResourceString{kDitherDR, kDitherDRText},
    ResourceString{kDitherDP50, kDitherDP50Text},
    ResourceString{kOnWord, kEnable},
    ResourceString{kStyleRound, kRound},
    ResourceString{kStyleSquare, kSquare},
    ResourceString{kStyleTriangular, kTriangle},
    ResourceString{kStyleNone, kNone},
    ResourceString{kStyleMiter, kMiter},
    ResourceString{kStyleBevel, kBevel},
    ResourceString{kCalCompTrailerCR, kCarriageReturn},
    ResourceString{kCalCompTrailerFF, kFormFeed},
    ResourceString{kIgnoreWord, kIgnore},
    ResourceString{kTray100, kTrayHundred},
    ResourceString{kTray1, kTrayOne},
    ResourceString{kTray2, kTrayTwo},
    ResourceString{kTray3, kTrayThree},
    ResourceString{kMediaBond, kBond},
    ResourceString{kMediaVellum, kVellum},
    ResourceString{kMediaFilm, kFilm},
    ResourceString{kCompressionTG4, kTG4},
    ResourceString{kCompressionC4, kC4},
    ResourceString{kSizeA, kA},
    ResourceString{kSizeB, kB},
    ResourceString{kSizeC, kC},
    ResourceString{kSizeD, kD},
    ResourceString{kSizeE, kE},
    ResourceString{kDefaultText, kDefault},
    ResourceString{kCalCompOn, kEnable},
    ResourceString{kCalCompOff, kDisable},
    ResourceString{kHeaderWriteFailed,
                   "The printer queue did not accept the job header or trailer. Check the "
                   "printer and its queue, then send the job again."},

    ResourceString{kNotADrawingNameMessage,
                   "Only AutoCAD drawings (.dwg or .dxf files) can be added while AutoCAD mode "
                   "is on."},
    ResourceString{kFolderListFailedMessage,
                   "Cannot open the plot file folder, nor the current folder:"},
    ResourceString{kNoEntrySelectedMessage,
                   "Select a file in the launch list first, then assign a configuration to it."},
    ResourceString{kFileNotInListMessage,
                   "This name is not in the file list. Type the name of a listed file, or a "
                   "pattern such as *.plt to filter the list."},
    // New entries, and the first choice of the assignment dialog, send with the settings as
    // they stand; the second choice sends the file bare.
    ResourceString{kNewEntryConfiguration, kCurrentSettings},
    ResourceString{kCurrentSettingsChoice, kCurrentSettings},
    ResourceString{kNoConfigurationChoice, kNoConfiguration},
    ResourceString{kTempFileFailedMessage,
                   "Cannot create a temporary file for rendering a drawing. Check the free disk "
                   "space and the temporary folder, then send again."},
    ResourceString{kCurrentSettingsMarker, kCurrentSettings},
    ResourceString{kNoConfigurationMarker, kNoConfiguration},
    ResourceString{kPrinterOpenFailedMessage,
                   "Cannot open the printer queue. Check that the printer is installed and "
                   "selected, then send again."},
    ResourceString{kPrinterWriteFailedMessage,
                   "The printer queue did not accept the data. The job has been cancelled."},
    ResourceString{kPlotFileReadFailedMessage,
                   "Cannot read a plot file. Check that it exists and is not in use by another "
                   "program. The job has been cancelled."},
    ResourceString{kAccountPathNotFoundMessage,
                   "Cannot open the accounting file: its folder does not exist. Choose another "
                   "accounting file in the preferences. The job has been cancelled."},
    ResourceString{kAccountTooManyFilesMessage,
                   "Cannot open the accounting file: too many files are open. Close some "
                   "programs and send again. The job has been cancelled."},
    ResourceString{kAccountAccessDeniedMessage,
                   "Cannot open the accounting file: access is denied. Check that the file is "
                   "not read-only. The job has been cancelled."},
    ResourceString{kAccountOpenFailedMessage,
                   "Cannot open the accounting file. Another program may be using it. The job "
                   "has been cancelled."},
    ResourceString{kAccountWriteFailedMessage,
                   "Cannot write to the accounting file. Check the free disk space. The job has "
                   "been cancelled."},
    ResourceString{kPauseCaption, "Pause"},
    ResourceString{kStartCaption, "Start"},
    ResourceString{kNoSettingsFolder,
                   "Cannot find the settings folder (neither XDG_CONFIG_HOME nor HOME is set), "
                   "so the program settings cannot be read or saved. Default settings are used."},
    ResourceString{kSettingsFolderTooLong,
                   "The path of the settings folder is too long, so the program settings cannot "
                   "be read or saved. Default settings are used."},
    ResourceString{kTitleTextStamp, "CONFIGURATION EDITOR - TEXT STAMP"},
    ResourceString{kTitleConfigFiles, "CONFIGURATION EDITOR - CONFIGURATION FILES"},
    ResourceString{kTitleJobOptions, "CONFIGURATION EDITOR - JOB OPTIONS"},
    ResourceString{kTitleHpgl, "CONFIGURATION EDITOR - HP-GL EMULATION"},
    ResourceString{kTitleCalComp, "CONFIGURATION EDITOR - CALCOMP EMULATION"},
    ResourceString{kTitleRaster, "CONFIGURATION EDITOR - RASTER SETTINGS"},
    ResourceString{kTitleAutoCad, "CONFIGURATION EDITOR - AUTOCAD OPTIONS"},
    ResourceString{kTitleLauncher, "LAUNCHER"},
    ResourceString{kPrefsFolderListFailedMessage,
                   "Cannot open the chosen folder, nor the current folder:"},

    ResourceString{kRasterSection, "Raster"},
    ResourceString{kRasterSetting1Key, "Setting1"},
    ResourceString{kRasterSetting2Key, "Setting2"},
    ResourceString{kRasterSetting3Key, "Dither"},
    ResourceString{kRasterSetting4Key, "Setting4"},
    ResourceString{kRasterSetting5Key, "Setting5"},
    ResourceString{kRasterSetting6Key, "Setting6"},
    ResourceString{kRasterSetting7Key, "Setting7"},
    ResourceString{kRasterSetting8Key, "Compression"},
    ResourceString{kRasterRotationKey, "Rotation"},
    ResourceString{kRasterSetting9Key, "Setting9"},
    ResourceString{kRasterCompressionTG4Radio, kTG4},
    ResourceString{kRasterCompressionC4Radio, kC4},
    ResourceString{kRasterNotSetEntry, kDefault},
    ResourceString{kRasterNormalEntry, kNormal},
    ResourceString{kRasterReverseEntry, kReverse},
    ResourceString{kRasterEnableEntry, kEnable},
    ResourceString{kRasterDisableEntry, kDisable},
    ResourceString{kRasterDitherAutoEntry, kAutomatic},
    ResourceString{kRasterDitherD2Entry, kDitherD2Text},
    ResourceString{kRasterDitherDREntry, kDitherDRText},
    ResourceString{kRasterDitherDP50Entry, kDitherDP50Text},
    ResourceString{kRasterWriteFailedMessage,
                   "Cannot write the raster settings to the configuration file. Check that the "
                   "file is not read-only and that the disk has free space."},
    ResourceString{kSaveAsDeleteFailedMessage,
                   "Cannot replace the existing configuration file. It may be read-only or in "
                   "use. Nothing has been saved."},
    ResourceString{kDefaultPrinterIncompleteMessage,
                   "The system's default printer is not set up completely. Choose a default "
                   "printer in the print settings (for example with lpadmin -d)."},
    // Equal to the printer name that the settings file holds until a printer is chosen.
    ResourceString{kSystemDefaultPrinterName, kDefault},
    // Also shown when the script's temporary file cannot be removed afterwards.
    ResourceString{kScriptSendFailedMessage,
                   "Sending the configuration did not finish cleanly: the printer queue refused "
                   "data, or the temporary copy could not be removed."},
    ResourceString{kScriptTempNameFailedMessage,
                   "Cannot create a temporary file for the configuration. Check the temporary "
                   "folder. The configuration has not been sent."},
    ResourceString{kScriptTempReadFailedMessage,
                   "Cannot read the temporary copy of the configuration. The configuration has "
                   "not been sent completely."},
    ResourceString{kPreviewNotDrawingMessage,
                   "This file cannot be previewed: the drawing renderer does not recognise it "
                   "as an AutoCAD drawing."},
    ResourceString{kAcadExportFitText, kFit},
    ResourceString{kStampOnWord, "On"},
    ResourceString{kStampOffWord, "Off"},
    ResourceString{kYesWord, kYes},
    ResourceString{kNoWord, kNo},
    ResourceString{kEnglishWord, "English"},
    ResourceString{kMetricWord, "Metric"},
    ResourceString{kPrefsOnWord, kYes},
    ResourceString{kPrefsOffWord, kNo},
    ResourceString{kLaunchFileInvalidMessage,
                   "This file is not a Kestrum launch file. The launch list has been cleared."},
    ResourceString{kXRefDialogCaption, "External Reference Folders"},
    ResourceString{kFoldingDefaultEntry, kDefault},
    ResourceString{kFoldingOffEntry, "No folding"},
    ResourceString{kStampUnitEnglishHorizontal, kInches},
    ResourceString{kStampUnitMetricHorizontal, kMillimetres},
    ResourceString{kStampUnitEnglishVertical, kInches},
    ResourceString{kStampUnitMetricVertical, kMillimetres},
    ResourceString{kAcadUnitLabel1English, kInches},
    ResourceString{kAcadUnitLabel1Metric, kMillimetres},
    ResourceString{kAcadUnitLabel2English, kInches},
    ResourceString{kAcadUnitLabel2Metric, kMillimetres},
    ResourceString{kAcadUnitLabel3English, kInches},
    ResourceString{kAcadUnitLabel3Metric, kMillimetres},
    ResourceString{kAcadUnitLabel4English, kInches},
    ResourceString{kAcadUnitLabel4Metric, kMillimetres},
    ResourceString{kAcadUnitLabel5English, kInches},
    ResourceString{kAcadUnitLabel5Metric, kMillimetres},
    // The format field holds nine characters, too few for "PostScript".
    ResourceString{kFormatPostScript, "PS"},
    // Failures reported through the error channel (60000-60099).
    ResourceString{kCannotSaveConfiguration, "Cannot save the configuration:"},
    ResourceString{kConfigurationNotSentMessage,
                   "The configuration could not be written to \"%1\"; it has not been sent."},
    ResourceString{kCannotOpenConfiguration, "Cannot open the configuration"},
    ResourceString{kRendererNotLoaded, "The drawing renderer cannot be loaded:"},
    ResourceString{kRendererLacksEntryPoints, "%1 lacks the entry points IsaACAD and RenderACAD."},
    ResourceString{kRendererNowhere, "it is in none of %1."},
    ResourceString{kDrawingNotRendered,
                   "The renderer could not render the drawing %1. Check that it is a complete DXF "
                   "drawing."},
    ResourceString{kPreviewNotMade, "Cannot make the preview picture of %1: %2"},
    ResourceString{kPreviewNotRead, "Cannot read the preview picture of %1: %2"},
    ResourceString{kDrawingPathTooLong,
                   "The drawing path is too long for the renderer (at most %1 bytes): %2"},
    ResourceString{kReferenceFoldersNotHanded,
                   "Cannot hand the reference folders to the renderer: %1"},
    ResourceString{kCannotSaveProgramSettings, "Cannot save the program settings:"},
    ResourceString{kCannotSaveReferenceFolders, "Cannot save the external reference folders:"},
    // kestrum-cli's help and messages.
    ResourceString{kCliProgramHelp,
                   "kestrum-cli: send plot files and compose job streams without a window."},
    ResourceString{kCliStringsHelp,
                   "Print every language string, one per line: the number, a tab, the text."},
    ResourceString{kCliJobStreamHelp,
                   "Write to standard output exactly the bytes the delivery worker writes for one "
                   "copy of one launch-list entry: header blocks, the plot file's bytes, trailer "
                   "blocks."},
    ResourceString{kCliJobStreamConfigHelp,
                   "Load this configuration file (.cfg) as the entry's configuration, as the "
                   "delivery worker does."},
    ResourceString{kCliJobStreamCurrentHelp,
                   "Use the current settings (the default): default.cfg in the working directory "
                   "when it exists, else every option group's defaults."},
    ResourceString{kCliJobStreamNoConfigHelp,
                   "No configuration: the plot file's bytes alone, no header and no trailer."},
    ResourceString{kCliJobStreamPrinterTypeHelp,
                   "generic (no header), velmar (controller commands) or oce9400 (RCH document); "
                   "default: the printer type of the settings file."},
    ResourceString{kCliJobStreamSetCurrentHelp,
                   "Set the set-current flag: commands end with \"!\" instead of \":\"."},
    ResourceString{kCliNowHelp, "Fix the local time of the text stamp, as YYYY-MM-DDTHH:MM:SS."},
    ResourceString{kCliJobStreamPlotFileHelp,
                   "The plot file whose bytes follow the header; none without it."},
    ResourceString{kCliPrintersHelp,
                   "List the printer queues (CUPS queues and hot folders), one per line."},
    ResourceString{kCliSendHelp,
                   "Run the delivery worker without a window: one raw print job per printer, in "
                   "the order given. Exit 0 when every job was ended; non-zero when a job failed "
                   "or was cancelled (Ctrl-C cancels: the open job is withdrawn and temporary "
                   "files deleted)."},
    ResourceString{kCliSendPrinterHelp, "A printer queue (repeat for several)."},
    ResourceString{kCliSendCopiesHelp, "Copies of the whole job (1 to 100, default 1)."},
    ResourceString{kCliSendReverseHelp, "Send the list from the last entry."},
    ResourceString{kCliSendCollatedHelp, "Collated mode: the controller makes the copies."},
    ResourceString{kCliSendPauseHelp,
                   "Pause after each copy in milliseconds (default 1000 collated, 300 per set)."},
    ResourceString{kCliSendPrinterTypeHelp,
                   "generic, velmar or oce9400; default: the settings file's."},
    ResourceString{kCliSendLaunchFileHelp, "Send the entries of this launch file (.lch)."},
    ResourceString{kCliSendConfigHelp, "Send every PLOTFILE with this configuration file."},
    ResourceString{kCliSendCurrentHelp, "Send every PLOTFILE with the current settings."},
    ResourceString{kCliSendNoConfigHelp,
                   "Send every PLOTFILE with no header and no trailer (default)."},
    ResourceString{kCliSendPlotFilesHelp, "Plot files to send."},
    ResourceString{kCliSendNothingToSend, "give PLOTFILEs or --launch-file"},
    ResourceString{kCliSendConfigCommandHelp,
                   "The configuration manager's send action: the header alone (device) or the "
                   "queue configuration script (ksl)."},
    ResourceString{kCliSendConfigFileHelp, "The configuration file."},
    ResourceString{kCliSendConfigPrinterHelp, "The printer queue."},
    ResourceString{kCliSendConfigModeHelp, "device (default) or ksl."},
    ResourceString{kCliSendConfigKindHelp, "general (default) or queue."},
    ResourceString{kCliSendConfigSetCurrentHelp,
                   "Set the set-current flag (\"!\" terminators; the script makes the "
                   "configuration current)."},
    ResourceString{kCliRenderHelp,
                   "Render a DXF drawing with the drawing renderer: the HP-GL/2 that a send would "
                   "produce for it with this configuration's AutoCAD options (to OUT, or standard "
                   "output), and/or its 300 x 300 preview as a PBM image. The renderer is "
                   "libacadhpgl.so beside kestrum-cli or in the library folder, or the file that "
                   "KESTRUM_RENDERER names. Exit 2 when it is unavailable or the file is not a "
                   "drawing it reads."},
    ResourceString{kCliRenderDrawingHelp, "The drawing (.dxf)."},
    ResourceString{kCliRenderConfigHelp,
                   "Render with this configuration file's AutoCAD options (default: the current "
                   "settings)."},
    ResourceString{kCliRenderOutputHelp,
                   "Write the HP-GL/2 to this file (written whole or not at all)."},
    ResourceString{kCliRenderPreviewHelp,
                   "Write the preview picture to this PBM file; without -o no HP-GL is written."},
    ResourceString{kCliSeeHelp, "Run 'kestrum-cli --help' for the commands."},
    ResourceString{kCliFolderNotFile, "cannot read the %1 \"%2\": it is a folder."},
    ResourceString{kCliCannotRead, "cannot read the %1 \"%2\": %3."},
    ResourceString{kCliConfigurationFileWord, "configuration file"},
    ResourceString{kCliPlotFileWord, "plot file"},
    ResourceString{kCliPlotReadFailed, "cannot send the plot file \"%1\": reading it failed."},
    ResourceString{kCliOutputWriteFailed,
                   "cannot send the plot file \"%1\": writing the output failed."},
    ResourceString{kCliJobStreamWriteFailed, "cannot write the job stream: %1."},
    ResourceString{kCliBadNow, "--now \"%1\" is not a local time of the form YYYY-MM-DDTHH:MM:SS."},
    ResourceString{kCliBadPrinterType,
                   "--printer-type \"%1\" is not one of generic, velmar, oce9400."},
    ResourceString{kCliSendWaitHelp,
                   "After the send, follow each printer's job until the printer has taken it, "
                   "at most SECONDS (default 600); exit 1 naming the printer when a job was "
                   "aborted, cancelled or is not done in time."},
    ResourceString{kPlotFileChangedMessage,
                   "A plot file changed while it was being sent. The job has been cancelled."},
    ResourceString{kPlotFileChangedDetail,
                   "\"%1\" held %2 bytes when its copy began, but %3 bytes were read."},
    ResourceString{kPlotFileNotRegularMessage,
                   "\"%1\" is not a regular file (it is a device, a pipe, a socket or a folder), "
                   "so it cannot be sent as a plot file."},
    ResourceString{kPrinterStoppedMessage,
                   "The printer queue stopped taking the data before the job could be "
                   "withdrawn."},
    ResourceString{kCliRenderingDrawing, "kestrum-cli: rendering the drawing %1"},
    ResourceString{kCliSendingTo, "kestrum-cli: sending to %1"},
    ResourceString{kCliFileLine, "kestrum-cli:   %1 (%2 bytes)"},
    ResourceString{kCliHandedToSpooler, "kestrum-cli: handed the job to the spooler for %1"},
    ResourceString{kCliListEmpty, "kestrum-cli: the launch list is empty; nothing was sent."},
    ResourceString{kCliCancelledWithdrawn,
                   "the send was cancelled; the open print job was withdrawn."},
    ResourceString{kCliFailedWithdrawn, "the send failed; the open print job was withdrawn."},
    ResourceString{kCliCancelledNoJob, "the send was cancelled before a print job was opened."},
    ResourceString{kCliFailed, "the send failed."},
    ResourceString{kCliNothingSentEmpty,
                   "kestrum-cli: nothing was sent to %1: the plot files are empty."},
    ResourceString{kCliCancelledHeld,
                   "the send was cancelled; the open print job could not be withdrawn."},
    ResourceString{kListUnchanged, "%1 The launch list is unchanged."},
    ResourceString{kCopiesOutOfRange, "The number of copies must be 1 to %1, not %2."},
    ResourceString{kLaunchFileNotALaunchFile, "%1 is not a launch file."},
    ResourceString{kLaunchFileDamaged, "%1 is damaged: %2"},
    ResourceString{kLaunchFileTextTooLong,
                   "entry %1 declares a text of %2 bytes, more than the rest of the file holds."},
    ResourceString{kLaunchFileListTooLong,
                   "entry %1 declares %2 reference folders, more than the rest of the file "
                   "holds."},
    ResourceString{kLaunchFileWideText,
                   "entry %1 holds a text in wide characters, which Kestrum does not read."},
    ResourceString{kLaunchFileEndsInEntry, "it ends inside entry %1."},
    ResourceString{kLaunchFileEndsBeforeCount, "it ends before its number of entries."},
    ResourceString{kLaunchFileTooManyEntries,
                   "it declares %1 entries, more than the rest of the file holds."},
    ResourceString{kLaunchFileCannotRead, "Cannot read %1: %2"},
    ResourceString{kLaunchFileMissing, "it does not exist."},
    ResourceString{kLaunchFileIsFolder, "it is a folder."},
    ResourceString{kLaunchFileNotRegular, "it is not a regular file."},
    ResourceString{kLaunchFileTooLarge, "it is larger than %1 MiB, which no launch list needs."},
    ResourceString{kHpglPreviewNotPlotMessage,
                   "This file cannot be previewed: it is neither an HP-GL or HP-GL/2 plot file "
                   "nor a drawing that the renderer reads."},
    ResourceString{kHpglPreviewDamagedMessage,
                   "The plot file is damaged. The preview shows the plot up to the damage."},
    ResourceString{kHpglPreviewLimitMessage,
                   "The plot file holds more than a preview can draw. The preview shows its "
                   "beginning."},
    ResourceString{kHpglPreviewBadByte, "a byte that cannot belong to an HP-GL command"},
    ResourceString{kHpglPreviewBadNumber, "a malformed or out-of-range number"},
    ResourceString{kHpglPreviewBadEscape, "a malformed escape sequence"},
    ResourceString{kHpglPreviewBadEncoded, "a malformed encoded polyline"},
    ResourceString{kHpglPreviewBadPosition, "a position far outside any plot"},
    ResourceString{kHpglPreviewTooManyLines, "too many lines"},
    ResourceString{kHpglPreviewTooManyArcs, "too many arcs and circles"},
    ResourceString{kHpglPreviewTooManyLabels, "too much label text"},
    ResourceString{kJobOutcomeCompleted, "The printer took the whole job."},
    ResourceString{kJobOutcomeAborted,
                   "The job was aborted: the printer did not take it whole. Check the printer "
                   "and send the job again."},
    ResourceString{kJobOutcomeCancelled,
                   "The job was cancelled before the printer had taken it whole."},
    ResourceString{kJobOutcomeTimedOut,
                   "The job had not finished when Kestrum stopped waiting for it; it may still "
                   "print."},
    ResourceString{kJobOutcomeUnknown,
                   "Kestrum cannot follow the job: the print scheduler does not answer for it."},
    // Desktop program.
    ResourceString{kDeskProgramName, "Kestrum"},
    ResourceString{kDeskMenuFile, "&File"},
    ResourceString{kDeskMenuView, "&View"},
    ResourceString{kDeskMenuHelp, "&Help"},
    ResourceString{kDeskCommandLauncher, "&Launcher"},
    ResourceString{kDeskCommandPrinters, "Select &printer"},
    ResourceString{kDeskCommandEditor, "&Configuration editor"},
    ResourceString{kDeskCommandJobOptions, "&Job options"},
    ResourceString{kDeskCommandPreferences, "P&references"},
    ResourceString{kDeskCommandLargeButtons, "&Large toolbar buttons"},
    ResourceString{kDeskCommandHelp, "&Help contents"},
    ResourceString{kDeskCommandAbout, "&About Kestrum"},
    ResourceString{kDeskCommandExit, "E&xit"},
    ResourceString{kDeskPageConfigFiles, "Configuration file"},
    ResourceString{kDeskPageTextStamp, "Text stamp"},
    ResourceString{kDeskPageJobOptions, "Job options"},
    ResourceString{kDeskPageHpgl, "HP-GL"},
    ResourceString{kDeskPageCalComp, "CalComp"},
    ResourceString{kDeskPageRaster, "Raster"},
    ResourceString{kDeskPageAutoCad, "AutoCAD"},
    ResourceString{kDeskTitlePreferences, "SET PREFERENCES"},
    ResourceString{kDeskTitlePrinters, "SELECT PRINTER"},
    ResourceString{kDeskWelcomeText,
                   "Send plot files to your large-format printers. Build a launch list in the "
                   "Launcher, edit configurations in the Configuration editor, and choose the "
                   "printers under Select printer."},
    ResourceString{kDeskPlaceholderText, "This page is not available yet."},
    ResourceString{kDeskAboutText,
                   "Kestrum %1: sends plot files to large-format printers through CUPS queues and "
                   "hot folders."},
    ResourceString{kDeskHelpTitle, "Kestrum help"},
    ResourceString{kDeskHelpContents, "Contents"},
    ResourceString{kDeskHelpIndex, "Index"},
    ResourceString{kDeskHelpMissing, "The user manual cannot be found:"},
    ResourceString{kDeskToolbarLarge, "Large toolbar"},
    ResourceString{kDeskToolbarSmall, "Small toolbar"},
    ResourceString{kDeskViewButtons, "Views"},
    ResourceString{kDeskPageButtons, "Configuration pages"},
    ResourceString{kDeskConfigGroupFile, "Current configuration"},
    ResourceString{kDeskConfigCurrentLabel, "&File"},
    ResourceString{kDeskConfigNew, "&New"},
    ResourceString{kDeskConfigOpen, "&Open..."},
    ResourceString{kDeskConfigSave, "&Save"},
    ResourceString{kDeskConfigSaveAs, "Save &as..."},
    ResourceString{kDeskConfigFilesGroup, "Configurations in the configuration folder"},
    ResourceString{kDeskConfigSendGroup, "Send the configuration alone"},
    ResourceString{kDeskConfigGeneral, "&General configuration"},
    ResourceString{kDeskConfigQueue, "&Queue configuration"},
    ResourceString{kDeskConfigSetCurrent, "Make it the &current configuration"},
    ResourceString{kDeskConfigSend, "Sen&d to printer"},
    ResourceString{kDeskConfigFilter, "Configuration files (*.cfg *.CFG);;All files (*)"},
    ResourceString{kDeskConfigNoPrinter,
                   "No printer is checked under Select printer: the configuration was not sent."},
    ResourceString{kDeskConfigOpenFailed, "Cannot open the printer queue"},
    ResourceString{kDeskPrefsOutputGroup, "Output"},
    ResourceString{kDeskPrefsDevice, "&Printer device"},
    ResourceString{kDeskPrefsKsl, "&KSL queue script"},
    ResourceString{kDeskPrefsUnitGroup, "Unit of length"},
    ResourceString{kDeskPrefsMetric, "&Metric (mm)"},
    ResourceString{kDeskPrefsEnglish, "&English (in)"},
    ResourceString{kDeskPrefsAutoCadGroup, "AutoCAD drawings"},
    ResourceString{kDeskPrefsAutoCadOn, "&Work with drawings"},
    ResourceString{kDeskPrefsAutoCadOff, "All &files"},
    ResourceString{kDeskPrefsJobGroup, "Sending"},
    ResourceString{kDeskPrefsJobTicket, "&Job ticket (accounting)"},
    ResourceString{kDeskPrefsAccountFile, "Account &file..."},
    ResourceString{kDeskPrefsEoj, "Tell me when a job is &complete"},
    ResourceString{kDeskPrefsFolderOptions, "Show the &folder option while sending"},
    ResourceString{kDeskPrefsHardware, "The printer makes the c&opies (collated)"},
    ResourceString{kDeskPrefsFolderGroup, "Default folders"},
    ResourceString{kDeskPrefsPlotFiles, "P&lot files"},
    ResourceString{kDeskPrefsConfigFiles, "Confi&guration files"},
    ResourceString{kDeskPrefsNoFolder, "&None"},
    ResourceString{kDeskPrefsPlaces, "P&laces"},
    ResourceString{kDeskPrefsSubFolders, "Folders"},
    ResourceString{kDeskPrefsFiles, "Files"},
    ResourceString{kDeskPrefsSet, "&Set folder"},
    ResourceString{kDeskPrefsAccountTitle, "Account file"},
    ResourceString{kDeskPrefsAccountFilter, "Account files (*.txt *.dat);;All files (*)"},
    ResourceString{kDeskPrinterTypeGroup, "Printer type"},
    ResourceString{kDeskPrinterGeneric, "&Generic (no header)"},
    ResourceString{kDeskPrinterVelmar, "&Velmar controller"},
    ResourceString{kDeskPrinterOce9400, "&Oce9400 (RCH document)"},
    ResourceString{kDeskPrinterQueuesGroup, "Printers to send to"},
    ResourceString{kDeskPrinterSettings, "Printer &settings..."},
    ResourceString{kDeskPrinterNoTool,
                   "Neither the printer settings tool (system-config-printer) nor a web browser "
                   "for the CUPS web interface (http://localhost:631/) could be started."},
    ResourceString{kDeskPrinterListFailed, "The list of printers cannot be read:"},
    ResourceString{kDeskPrinterHotFolder, "hot folder"},
    ResourceString{kSettingsGoOn,
                   "Kestrum goes on with the settings it could read and defaults for the rest. "
                   "Changes you make now may not be kept."},
    ResourceString{kSettingsNotSavedAtExit,
                   "Changes to the program settings could not be saved at exit:"},
    ResourceString{kWindowStateNotSaved, "The window size and position could not be saved:"},
    ResourceString{kJobNotPrintedCaption, "Job Not Printed"},
    ResourceString{kPageApplyButton, "&Apply"},
    ResourceString{kPagePenTableGroup, "Pens"},
    ResourceString{kPagePenLabel, "&Pen"},
    ResourceString{kPageWidthLabel, "&Width"},
    ResourceString{kPagePenLineEndLabel, "Line &end"},
    ResourceString{kPagePenLineJoinLabel, "Line &join"},
    ResourceString{kPagePenGrayLabel, "&Gray level"},
    ResourceString{kPagePenOpaqueLabel, "&Opaque"},
    ResourceString{kPagePenLineUpperLabel, "Line &upper"},
    ResourceString{kPageSettingsGroup, "Emulation"},
    ResourceString{kJobOutputGroup, "Output"},
    ResourceString{kJobFoldingLabel, "&Folding"},
    ResourceString{kJobCopiesLabel, "&Copies by the controller"},
    ResourceString{kJobFileCopiesLabel, "Copies &sent"},
    ResourceString{kJobMediaLabel, "&Media"},
    ResourceString{kJobTrayLabel, "&Tray"},
    ResourceString{kJobPageSizeCheck, "Page si&ze"},
    ResourceString{kJobNamedSizeRadio, "&Named size"},
    ResourceString{kJobCustomSizeRadio, "C&ustom size"},
    ResourceString{kPageHeightLabel, "&Height"},
    ResourceString{kJobPageScaleCheck, "Page sc&ale"},
    ResourceString{kJobScaleAutomaticRadio, "Aut&omatic"},
    ResourceString{kJobScaleFromToRadio, "&From one size to another"},
    ResourceString{kJobScaleFromLabel, "Fro&m"},
    ResourceString{kJobScaleToLabel, "T&o"},
    ResourceString{kJobFormatCheck, "Data fo&rmat"},
    ResourceString{kJobFormatARadio, "Format A"},
    ResourceString{kJobFormatHpglRadio, "HP-GL"},
    ResourceString{kJobFormatCalCompRadio, "CalComp"},
    ResourceString{kJobFormatPostScriptRadio, "PostScript"},
    ResourceString{kJobRasterModeCheck, "Raster mod&e"},
    ResourceString{kJobRasterEnableCheck, "Raster mode on"},
    ResourceString{kStampCheck, "&Print a text stamp on every plot"},
    ResourceString{kStampTextLabel, "&Text"},
    ResourceString{kStampAngleGroup, "Angle"},
    ResourceString{kStampAngle0Radio, "&0 degrees"},
    ResourceString{kStampAngle90Radio, "&90 degrees"},
    ResourceString{kStampAngleOtherRadio, "Ot&her"},
    ResourceString{kStampPointSizeLabel, "Point si&ze"},
    ResourceString{kStampPositionGroup, "Position"},
    ResourceString{kStampHorizontalLabel, "Hori&zontal"},
    ResourceString{kStampVerticalLabel, "&Vertical"},
    ResourceString{kStampGValueLabel, "&G value"},
    ResourceString{kStampSValueLabel, "&S value"},
    ResourceString{kStampTimeCheck, "Add the t&ime"},
    ResourceString{kStampDateCheck, "Add the &date"},
    ResourceString{kStampHOptionCheck, "H &option"},
    ResourceString{kPageRotationLabel, "&Rotation"},
    ResourceString{kHpglModelLabel, "Plotter &model"},
    ResourceString{kHpglPen0Label, "Pen &0"},
    ResourceString{kHpglTerminatorLabel, "Ter&minator"},
    ResourceString{kPageTrailerLabel, "Tr&ailer"},
    ResourceString{kCalCompPlotUnitLabel, "Plot &unit"},
    ResourceString{kCalCompAuxSwitchLabel, "Au&xiliary switch"},
    ResourceString{kCalCompStepLabel, "St&ep"},
    ResourceString{kCalCompHandshakeLabel, "&Handshake"},
    ResourceString{kCalCompChecksumLabel, "Chec&ksum"},
    ResourceString{kCalCompSyncCountLabel, "S&ync count"},
    ResourceString{kCalCompSyncCharacterLabel, "Sync &character"},
    ResourceString{kCalCompEndOfMessageLabel, "E&nd of message"},
    ResourceString{kRasterImageGroup, "Image"},
    ResourceString{kRasterSetting1Label, "Image &inversion"},
    ResourceString{kRasterSetting2Label, "Image &Y"},
    ResourceString{kRasterSetting3Label, "&Dithering"},
    ResourceString{kRasterSetting4Label, "Image &polarity"},
    ResourceString{kRasterSetting5Label, "Image &merge"},
    ResourceString{kRasterSetting6Label, "Scan &width"},
    ResourceString{kRasterSetting7Label, "Scan &length"},
    ResourceString{kRasterCompressionGroup, "Compression"},
    ResourceString{kRasterCompressionNoneRadio, "&None"},
    ResourceString{kRasterSetting9Label, "Image &compression"},
    ResourceString{kAcadInForceCheck, "&Render drawings with these options"},
    ResourceString{kAcadPaperGroup, "Paper"},
    ResourceString{kAcadNamedPaperRadio, "&Named paper"},
    ResourceString{kAcadCustomPaperRadio, "C&ustom paper"},
    ResourceString{kAcadPaperFollowsAreaRadio, "Paper &follows the area"},
    ResourceString{kAcadMarginsGroup, "Margins"},
    ResourceString{kAcadMarginALabel, "Margin &A"},
    ResourceString{kAcadMarginBLabel, "Margin &B"},
    ResourceString{kAcadMarginCLabel, "Margin &C"},
    ResourceString{kAcadMarginDLabel, "Margin &D"},
    ResourceString{kAcadPlotChoiceLabel, "&Plot"},
    ResourceString{kAcadAreaChoiceLabel, "A&rea"},
    ResourceString{kAcadOutputChoiceLabel, "&Output"},
    ResourceString{kAcadScaleGroup, "Scale and offset"},
    ResourceString{kAcadFitCheck, "F&it to the paper"},
    ResourceString{kAcadPlottedUnitsLabel, "Plo&tted"},
    ResourceString{kAcadDrawingUnitsLabel, "Drawin&g units"},
    ResourceString{kAcadOffsetXLabel, "Offset &X"},
    ResourceString{kAcadOffsetYLabel, "Offset &Y"},
    ResourceString{kAcadColourTableButton, "Colour &table..."},
    ResourceString{kAcadReferenceListButton, "Re&ference folders..."},
    ResourceString{kColourTableCaption, "Colour Table"},
    ResourceString{kColourTableStyleLabel, "St&yle"},
    ResourceString{kColourTableColourLabel, "&Colour"},
    ResourceString{kXRefAddButton, "&Add..."},
    ResourceString{kXRefChangeButton, "&Change..."},
    ResourceString{kXRefRemoveButton, "&Remove"},
    ResourceString{kXRefUpButton, "Move &up"},
    ResourceString{kXRefDownButton, "Move &down"},

    // Launcher, assignment dialog, launch status, job ticket and drawing preview windows.
    ResourceString{kBrowserGroup, "Plot files"},
    ResourceString{kPlacesLabel, "&Place"},
    ResourceString{kFoldersLabel, "Fol&ders"},
    ResourceString{kFilesLabel, "F&iles"},
    ResourceString{kNameFieldLabel, "File &name"},
    ResourceString{kFileTypeLabel, "File &type"},
    ResourceString{kAddButton, "&Add to list"},
    ResourceString{kSelectAllButton, "S&elect all"},
    ResourceString{kRefreshButton, "Refres&h"},
    ResourceString{kLaunchListGroup, "Launch list"},
    ResourceString{kPlotFileColumn, "Plot file"},
    ResourceString{kConfigurationColumn, "Configuration Option"},
    ResourceString{kRemoveButton, "&Remove"},
    ResourceString{kClearListButton, "C&lear list"},
    ResourceString{kAssignButton, "Assign &configuration..."},
    ResourceString{kConfigurationsButton, "Configuration &files..."},
    ResourceString{kOpenListButton, "&Open list..."},
    ResourceString{kSaveListButton, "Sa&ve list..."},
    ResourceString{kPreviewButton, "Previe&w"},
    ResourceString{kSendButton, "&Send..."},
    ResourceString{kSelectedFileLabel, "Selected file"},
    ResourceString{kHomePlace, "Home"},
    ResourceString{kRootPlace, "Computer"},
    ResourceString{kLaunchFileFilter, "Launch files (*.lch)"},
    ResourceString{kConfigFileFilter, "Configuration files (*.cfg *.CFG);;All files (*)"},
    ResourceString{kOpenLaunchFileTitle, "Open launch list"},
    ResourceString{kSaveLaunchFileTitle, "Save launch list"},
    ResourceString{kChooseConfigurationTitle, "Choose a configuration"},
    ResourceString{kDropSkippedMessage, "These items were not added to the launch list:"},
    ResourceString{kDropNotLocal, "not a file on this computer"},
    ResourceString{kDropUnreadable, "cannot be read"},
    ResourceString{kDropFolderGone, "the folder no longer exists"},
    ResourceString{kNoRendererPreview,
                   "No preview: drawings are previewed by the drawing renderer, which is not "
                   "installed."},
    ResourceString{kNoPlotFilePreview, "No preview is available for this kind of plot file."},
    ResourceString{kMissingEntryTip, "This file no longer exists; sending it will fail."},
    ResourceString{kMissingEntriesMessage,
                   "The launch list names files that no longer exist. They are marked in the "
                   "list; remove them or put the files back before sending:"},
    ResourceString{kLauncherCaption, "Launcher"},
    ResourceString{kNoPrinterText, "You must first select a printer."},
    ResourceString{kNoPrinterCaption, "No Printer Selected"},
    ResourceString{kAssignTitle, "Assign configuration"},
    ResourceString{kAssignPlotFileLabel, "Plot file"},
    ResourceString{kAssignConfigurationLabel, "Configuration"},
    ResourceString{kAssignCurrentChoice, "Send with the c&urrent settings"},
    ResourceString{kAssignNoneChoice, "Send the file as it is, &without a configuration"},
    ResourceString{kAssignFileChoice, "Send with a configuration &file"},
    ResourceString{kAssignBrowseButton, "&Browse..."},
    ResourceString{kAssignChoiceGroup, "Send this file"},
    ResourceString{kStatusCopiesLabel, "&Copies"},
    ResourceString{kStatusOrderGroup, "Order"},
    ResourceString{kStatusListOrder, "&List order"},
    ResourceString{kStatusReverseOrder, "&Reverse order"},
    ResourceString{kStatusFileProgress, "File"},
    ResourceString{kStatusListProgress, "List"},
    ResourceString{kStatusCancel, "Cancel"},
    ResourceString{kStatusFolderBox, "&Folder options"},
    ResourceString{kStatusWritingTo, "Sending to %1"},
    ResourceString{kStatusHandedOver, "The job was handed to the spooler for %1."},
    ResourceString{kStatusWaiting, "Choose the copies and the order, then press Start."},
    ResourceString{kStatusRendering, "Rendering the drawing %1..."},
    ResourceString{kStatusCurrentFile, "Current file"},
    ResourceString{kStatusProgressGroup, "Progress"},
    ResourceString{kTicketTitle, "Job ticket"},
    ResourceString{kTicketLabelA, "&Project"},
    ResourceString{kTicketLabelB, "C&lient"},
    ResourceString{kTicketLabelC, "&Job number"},
    ResourceString{kTicketLabelD, "&Operator"},
    ResourceString{kTicketLabelE, "&Media"},
    ResourceString{kTicketLabelF, "Paper &size"},
    ResourceString{kTicketListE, "Bond;Vellum;Film;Photo paper;Canvas;Tracing paper"},
    ResourceString{kTicketListF, "A0;A1;A2;A3;A4;ANSI E;ANSI D;ANSI C;Roll"},
    ResourceString{kPreviewTitle, "Drawing preview"},
    ResourceString{kSendWhileBusyCaption, "Send"},
    ResourceString{kSendWhileBusyText,
                   "A send is already running. Wait until it ends, then send again."},
};

constexpr bool StrictlyAscending() {
    for (std::size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].number >= kStrings[i].number) return false;
    }
    return true;
}

// Lookup is a binary search, so a misplaced or repeated number would silently hide strings.
static_assert(StrictlyAscending(), "language strings must be in ascending number order, once");

}  // namespace

std::string_view LoadResourceString(int number) {
    const auto found =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), number,
                         [](const ResourceString& entry, int n) { return entry.number < n; });
    if (found == std::end(kStrings) || found->number != number) return {};
    return found->text;
}

std::string FormatResourceString(int number, std::initializer_list<std::string_view> arguments) {
    const std::string_view text = LoadResourceString(number);
    std::string formatted;
    formatted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t argument =
            i + 1 < text.size() && text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9'
                ? static_cast<std::size_t>(text[i + 1] - '1')
                : arguments.size();
        if (argument < arguments.size()) {
            formatted += arguments.begin()[argument];
            ++i;
        } else {
            formatted += text[i];
        }
    }
    return formatted;
}

std::span<const ResourceString> AllResourceStrings() {
    return kStrings;
}

}  // namespace kestrum
