#pragma once

// String table numbers of the desktop program's configuration pages and their two dialogs:
// labels, group titles and buttons (61000 to 61099). Apart from shell/resource_ids.h so that a
// new label does not rebuild every file that knows a resource number.

namespace kestrum::rid {

// Desktop pages and dialogs: labels, group titles and buttons.
inline constexpr int kPageApplyButton = 61000;
inline constexpr int kPagePenTableGroup = 61001;
inline constexpr int kPagePenLabel = 61002;
inline constexpr int kPageWidthLabel = 61003;
inline constexpr int kPagePenLineEndLabel = 61004;
inline constexpr int kPagePenLineJoinLabel = 61005;
inline constexpr int kPagePenGrayLabel = 61006;
inline constexpr int kPagePenOpaqueLabel = 61007;
inline constexpr int kPagePenLineUpperLabel = 61008;
inline constexpr int kPageSettingsGroup = 61009;
inline constexpr int kJobOutputGroup = 61010;
inline constexpr int kJobFoldingLabel = 61011;
inline constexpr int kJobCopiesLabel = 61012;
inline constexpr int kJobFileCopiesLabel = 61013;
inline constexpr int kJobMediaLabel = 61014;
inline constexpr int kJobTrayLabel = 61015;
inline constexpr int kJobPageSizeCheck = 61016;
inline constexpr int kJobNamedSizeRadio = 61017;
inline constexpr int kJobCustomSizeRadio = 61018;
inline constexpr int kPageHeightLabel = 61019;
inline constexpr int kJobPageScaleCheck = 61020;
inline constexpr int kJobScaleAutomaticRadio = 61021;
inline constexpr int kJobScaleFromToRadio = 61022;
inline constexpr int kJobScaleFromLabel = 61023;
inline constexpr int kJobScaleToLabel = 61024;
inline constexpr int kJobFormatCheck = 61025;
inline constexpr int kJobFormatARadio = 61026;
inline constexpr int kJobFormatHpglRadio = 61027;
inline constexpr int kJobFormatCalCompRadio = 61028;
inline constexpr int kJobFormatPostScriptRadio = 61029;
inline constexpr int kJobRasterModeCheck = 61030;
inline constexpr int kJobRasterEnableCheck = 61031;
inline constexpr int kStampCheck = 61032;
inline constexpr int kStampTextLabel = 61033;
inline constexpr int kStampAngleGroup = 61034;
inline constexpr int kStampAngle0Radio = 61035;
inline constexpr int kStampAngle90Radio = 61036;
inline constexpr int kStampAngleOtherRadio = 61037;
inline constexpr int kStampPointSizeLabel = 61038;
inline constexpr int kStampPositionGroup = 61039;
inline constexpr int kStampHorizontalLabel = 61040;
inline constexpr int kStampVerticalLabel = 61041;
inline constexpr int kStampGValueLabel = 61042;
inline constexpr int kStampSValueLabel = 61043;
inline constexpr int kStampTimeCheck = 61044;
inline constexpr int kStampDateCheck = 61045;
inline constexpr int kStampHOptionCheck = 61046;
inline constexpr int kPageRotationLabel = 61047;
inline constexpr int kHpglModelLabel = 61048;
inline constexpr int kHpglPen0Label = 61049;
inline constexpr int kHpglTerminatorLabel = 61050;
inline constexpr int kPageTrailerLabel = 61051;
inline constexpr int kCalCompPlotUnitLabel = 61052;
inline constexpr int kCalCompAuxSwitchLabel = 61053;
inline constexpr int kCalCompStepLabel = 61054;
inline constexpr int kCalCompHandshakeLabel = 61055;
inline constexpr int kCalCompChecksumLabel = 61056;
inline constexpr int kCalCompSyncCountLabel = 61057;
inline constexpr int kCalCompSyncCharacterLabel = 61058;
inline constexpr int kCalCompEndOfMessageLabel = 61059;
inline constexpr int kRasterImageGroup = 61060;
inline constexpr int kRasterSetting1Label = 61061;
inline constexpr int kRasterSetting2Label = 61062;
inline constexpr int kRasterSetting3Label = 61063;
inline constexpr int kRasterSetting4Label = 61064;
inline constexpr int kRasterSetting5Label = 61065;
inline constexpr int kRasterSetting6Label = 61066;
inline constexpr int kRasterSetting7Label = 61067;
inline constexpr int kRasterCompressionGroup = 61068;
inline constexpr int kRasterCompressionNoneRadio = 61069;
inline constexpr int kRasterSetting9Label = 61070;
inline constexpr int kAcadInForceCheck = 61071;
inline constexpr int kAcadPaperGroup = 61072;
inline constexpr int kAcadNamedPaperRadio = 61073;
inline constexpr int kAcadCustomPaperRadio = 61074;
inline constexpr int kAcadPaperFollowsAreaRadio = 61075;
inline constexpr int kAcadMarginsGroup = 61076;
inline constexpr int kAcadMarginALabel = 61077;
inline constexpr int kAcadMarginBLabel = 61078;
inline constexpr int kAcadMarginCLabel = 61079;
inline constexpr int kAcadMarginDLabel = 61080;
inline constexpr int kAcadPlotChoiceLabel = 61081;
inline constexpr int kAcadAreaChoiceLabel = 61082;
inline constexpr int kAcadOutputChoiceLabel = 61083;
inline constexpr int kAcadScaleGroup = 61084;
inline constexpr int kAcadFitCheck = 61085;
inline constexpr int kAcadPlottedUnitsLabel = 61086;
inline constexpr int kAcadDrawingUnitsLabel = 61087;
inline constexpr int kAcadOffsetXLabel = 61088;
inline constexpr int kAcadOffsetYLabel = 61089;
inline constexpr int kAcadColourTableButton = 61090;
inline constexpr int kAcadReferenceListButton = 61091;
inline constexpr int kColourTableCaption = 61092;
inline constexpr int kColourTableStyleLabel = 61093;
inline constexpr int kColourTableColourLabel = 61094;
inline constexpr int kXRefAddButton = 61095;
inline constexpr int kXRefChangeButton = 61096;
inline constexpr int kXRefRemoveButton = 61097;
inline constexpr int kXRefUpButton = 61098;
inline constexpr int kXRefDownButton = 61099;

}  // namespace kestrum::rid
