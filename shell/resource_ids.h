#pragma once

// Numbers of the language strings. Every user-visible text, most configuration file names and
// most stored option values are looked up by these numbers (shell/language_strings.h), so that a
// translation can change the texts without touching the code. Where two numbers stand for the
// same choice in two places, their texts must agree; tests/language_strings_test.cpp lists
// those pairs.

namespace kestrum::rid {

// Job options page: the list entries that are stored as option values. Each one must read like
// the header word it stands for (job header values below).
inline constexpr int kMediaEntryBond = 925;
inline constexpr int kMediaEntryVellum = 926;
inline constexpr int kMediaEntryFilm = 927;
inline constexpr int kTrayEntry100 = 928;
inline constexpr int kTrayEntry1 = 929;
inline constexpr int kTrayEntry2 = 930;
inline constexpr int kTrayEntry3 = 931;
inline constexpr int kPageSizeEntryAuto = 932;
inline constexpr int kPageSizeEntryA0 = 933;
inline constexpr int kPageSizeEntryA1 = 934;
inline constexpr int kPageSizeEntryA2 = 935;
inline constexpr int kPageSizeEntryA3 = 936;
inline constexpr int kPageSizeEntryA4 = 937;
inline constexpr int kPageSizeEntryA = 938;
inline constexpr int kPageSizeEntryB = 939;
inline constexpr int kPageSizeEntryC = 940;
inline constexpr int kPageSizeEntryD = 941;
inline constexpr int kListEntryDefault = 942;
inline constexpr int kPageSizeEntryE = 943;

// Job options group: configuration section and keys, texts it stores, page texts and messages.
inline constexpr int kJobOptionsSection = 59142;
inline constexpr int kFoldingKey = 59143;
inline constexpr int kControllerCopiesKey = 59144;
inline constexpr int kFileCopiesKey = 59145;
inline constexpr int kMediaKey = 59146;
inline constexpr int kJobDefaultText = 59147;
inline constexpr int kTrayKey = 59148;
inline constexpr int kPageSizeKey = 59149;
inline constexpr int kPageScaleKey = 59150;
inline constexpr int kFormatKey = 59151;
inline constexpr int kRasterModeKey = 59152;
inline constexpr int kFoldProgramPrefix = 59153;
inline constexpr int kCustomSizeUnitMetric = 59154;
inline constexpr int kCustomSizeUnitEnglish = 59155;
inline constexpr int kScaleAuto = 59156;
inline constexpr int kRasterModeDisable = 59157;
inline constexpr int kRasterModeEnable = 59158;
inline constexpr int kScaleFromMissingMessage = 59159;
inline constexpr int kScaleToMissingMessage = 59160;
inline constexpr int kJobOptionsWriteFailedMessage = 59161;
inline constexpr int kJobOptionsCaption = 59162;
inline constexpr int kUnitLabelEnglishWidth = 59168;
inline constexpr int kUnitLabelEnglishHeight = 59169;
inline constexpr int kUnitLabelMetricWidth = 59170;
inline constexpr int kUnitLabelMetricHeight = 59171;
inline constexpr int kCustomSizeInvalidMessage = 59172;
inline constexpr int kDigitFirst = 59173;
inline constexpr int kDigitLast = 59174;
inline constexpr int kDecimalPoint = 59175;
inline constexpr int kFoldingDefaultEntry = 59534;
inline constexpr int kFoldingOffEntry = 59535;

// Job options page: width and height of each named page size, in the unit of its list (inches
// for the lettered sizes, whole millimetres for the metric ones). A custom size typed with
// these numbers is shown as the named size.
inline constexpr int kSizeWidthA = 59196;
inline constexpr int kSizeHeightA = 59197;
inline constexpr int kSizeWidthB = 59198;
inline constexpr int kSizeHeightB = 59199;
inline constexpr int kSizeWidthC = 59200;
inline constexpr int kSizeHeightC = 59201;
inline constexpr int kSizeWidthD = 59202;
inline constexpr int kSizeHeightD = 59203;
inline constexpr int kSizeWidthE = 59204;
inline constexpr int kSizeHeightE = 59205;
inline constexpr int kSizeWidthA0 = 59206;
inline constexpr int kSizeHeightA0 = 59207;
inline constexpr int kSizeWidthA1 = 59208;
inline constexpr int kSizeHeightA1 = 59209;
inline constexpr int kSizeWidthA2 = 59210;
inline constexpr int kSizeHeightA2 = 59211;
inline constexpr int kSizeWidthA3 = 59212;
inline constexpr int kSizeHeightA3 = 59213;
inline constexpr int kSizeWidthA4 = 59214;
inline constexpr int kSizeHeightA4 = 59215;

// Job header values: what the header builder compares the stored job options and raster
// settings with to choose a controller command.
inline constexpr int kFormatA = 59163;
inline constexpr int kFormatHpgl = 59164;
inline constexpr int kFormatCalComp = 59165;
inline constexpr int kFormatPostScript = 59550;
inline constexpr int kSizeA0 = 59294;
inline constexpr int kSizeA1 = 59295;
inline constexpr int kSizeA2 = 59296;
inline constexpr int kSizeA3 = 59297;
inline constexpr int kSizeA4 = 59298;
inline constexpr int kSizeA = 59444;
inline constexpr int kSizeB = 59445;
inline constexpr int kSizeC = 59446;
inline constexpr int kSizeD = 59447;
inline constexpr int kSizeE = 59448;
inline constexpr int kRasterNormal = 59412;
inline constexpr int kRasterReverse = 59413;
inline constexpr int kAuto = 59414;
inline constexpr int kDitherD2 = 59415;
inline constexpr int kDitherDR = 59417;
inline constexpr int kDitherDP50 = 59418;
inline constexpr int kTray100 = 59432;
inline constexpr int kTray1 = 59433;
inline constexpr int kTray2 = 59434;
inline constexpr int kTray3 = 59435;
inline constexpr int kMediaBond = 59436;
inline constexpr int kMediaVellum = 59437;
inline constexpr int kMediaFilm = 59438;
inline constexpr int kCompressionTG4 = 59439;
inline constexpr int kCompressionC4 = 59440;
inline constexpr int kDefaultText = 59449;
inline constexpr int kHeaderWriteFailed = 59452;

// Emulation and raster words shared by the composer: the on and off words, pen styles and
// trailers. The pen and raster pages store list entries whose texts equal these.
inline constexpr int kOffWord = 59416;
inline constexpr int kOnWord = 59419;
inline constexpr int kStyleRound = 59420;
inline constexpr int kStyleSquare = 59421;
inline constexpr int kStyleTriangular = 59422;
inline constexpr int kStyleNone = 59423;
inline constexpr int kStyleMiter = 59424;
inline constexpr int kStyleBevel = 59425;
inline constexpr int kCalCompTrailerCR = 59426;
inline constexpr int kCalCompTrailerFF = 59427;
inline constexpr int kIgnoreWord = 59428;
inline constexpr int kHpglTrailerFF = 59409;
inline constexpr int kHpglTrailerSC = 59410;
inline constexpr int kCalCompOn = 59450;
inline constexpr int kCalCompOff = 59451;
inline constexpr int kSyncCountDefault = 59365;
inline constexpr int kPlotUnit0 = 59366;
inline constexpr int kPlotUnit1 = 59367;
inline constexpr int kPlotUnit2 = 59368;
inline constexpr int kPlotUnit3 = 59369;
inline constexpr int kPlotUnit4 = 59370;
inline constexpr int kPlotUnit5 = 59371;
inline constexpr int kPlotUnit6 = 59372;

// HP-GL page: configuration section and keys (pen sections are "HPGL PEN<n>"), list entries,
// message.
inline constexpr int kHpglSection = 59385;
inline constexpr int kHpglModelKey = 59386;
inline constexpr int kHpglRotationKey = 59387;
inline constexpr int kHpglPen0Key = 59388;
inline constexpr int kHpglTerminatorKey = 59389;
inline constexpr int kHpglTrailerKey = 59390;
inline constexpr int kHpglPenWidthKey = 59391;
inline constexpr int kHpglPenLineEndKey = 59392;
inline constexpr int kHpglPenLineJoinKey = 59393;
inline constexpr int kHpglPenGrayKey = 59394;
inline constexpr int kHpglPenOpaqueKey = 59395;
inline constexpr int kHpglPenLUKey = 59396;
inline constexpr int kHpglDefaultEntry = 59397;
inline constexpr int kHpglStyleNoneEntry = 59398;
inline constexpr int kHpglStyleRoundEntry = 59399;
inline constexpr int kHpglStyleSquareEntry = 59400;
inline constexpr int kHpglStyleTriangularEntry = 59401;
inline constexpr int kHpglStyleBevelEntry = 59402;
inline constexpr int kHpglStyleMiterEntry = 59403;
inline constexpr int kHpglOnEntry = 59404;
inline constexpr int kHpglOffEntry = 59405;
inline constexpr int kHpglIgnoreEntry = 59406;
inline constexpr int kHpglTrailerSCEntry = 59407;
inline constexpr int kHpglTrailerFFEntry = 59408;
inline constexpr int kHpglWriteFailedMessage = 59411;

// CalComp page: configuration section and keys (pen sections are "CC PEN<n>"), list entries,
// message. Its default entry is kSyncCountDefault.
inline constexpr int kCalCompSection = 59348;
inline constexpr int kCalCompPlotUnitKey = 59349;
inline constexpr int kCalCompTrailerKey = 59350;
inline constexpr int kCalCompPen0Key = 59351;
inline constexpr int kCalCompAuxSwitchKey = 59352;
inline constexpr int kCalCompStepKey = 59353;
inline constexpr int kCalCompHandshakeKey = 59354;
inline constexpr int kCalCompChecksumKey = 59355;
inline constexpr int kCalCompSyncCountKey = 59356;
inline constexpr int kCalCompSyncCharKey = 59357;
inline constexpr int kCalCompEomCharKey = 59358;
inline constexpr int kCalCompPenWidthKey = 59359;
inline constexpr int kCalCompPenLineEndKey = 59360;
inline constexpr int kCalCompPenLineJoinKey = 59361;
inline constexpr int kCalCompPenGrayKey = 59362;
inline constexpr int kCalCompPenOpaqueKey = 59363;
inline constexpr int kCalCompPenLUKey = 59364;
inline constexpr int kCalCompOnEntry = 59373;
inline constexpr int kCalCompOffEntry = 59374;
inline constexpr int kCalCompTrailerCREntry = 59375;
inline constexpr int kCalCompTrailerFFEntry = 59376;
inline constexpr int kCalCompStyleRoundEntry = 59377;
inline constexpr int kCalCompStyleSquareEntry = 59378;
inline constexpr int kCalCompStyleTriangularEntry = 59379;
inline constexpr int kCalCompStyleNoneEntry = 59380;
inline constexpr int kCalCompStyleBevelEntry = 59381;
inline constexpr int kCalCompStyleMiterEntry = 59382;
inline constexpr int kCalCompWriteFailedMessage = 59383;

// Text stamp page: configuration section and keys (its switch is stored under the empty key),
// stored words, unit labels, message.
inline constexpr int kStampSection = 59333;
inline constexpr int kStampTextKey = 59334;
inline constexpr int kStampAngleKey = 59335;
inline constexpr int kStampHorizontalKey = 59336;
inline constexpr int kStampVerticalKey = 59337;
inline constexpr int kStampPointSizeKey = 59338;
inline constexpr int kStampTimeKey = 59339;
inline constexpr int kStampDateKey = 59340;
inline constexpr int kStampHOptionKey = 59341;
inline constexpr int kStampGValueKey = 59342;
inline constexpr int kStampSValueKey = 59343;
inline constexpr int kStampDefaultEntry = 59344;
inline constexpr int kStampWriteFailedMessage = 59347;
inline constexpr int kStampOnWord = 59524;
inline constexpr int kStampOffWord = 59525;
inline constexpr int kStampUnitEnglishHorizontal = 59536;
inline constexpr int kStampUnitMetricHorizontal = 59537;
inline constexpr int kStampUnitEnglishVertical = 59538;
inline constexpr int kStampUnitMetricVertical = 59539;

// Raster settings page: configuration section and keys, radio and list texts, message. The list
// entries stand for the raster words of the job header values.
inline constexpr int kRasterSection = 59489;
inline constexpr int kRasterSetting1Key = 59490;
inline constexpr int kRasterSetting2Key = 59491;
inline constexpr int kRasterSetting3Key = 59492;
inline constexpr int kRasterSetting4Key = 59493;
inline constexpr int kRasterSetting5Key = 59494;
inline constexpr int kRasterSetting6Key = 59495;
inline constexpr int kRasterSetting7Key = 59496;
inline constexpr int kRasterSetting8Key = 59497;
inline constexpr int kRasterRotationKey = 59498;
inline constexpr int kRasterSetting9Key = 59499;
inline constexpr int kRasterCompressionTG4Radio = 59500;
inline constexpr int kRasterCompressionC4Radio = 59501;
inline constexpr int kRasterNotSetEntry = 59502;
inline constexpr int kRasterNormalEntry = 59503;
inline constexpr int kRasterReverseEntry = 59504;
inline constexpr int kRasterEnableEntry = 59505;
inline constexpr int kRasterDisableEntry = 59506;
inline constexpr int kRasterDitherAutoEntry = 59507;
inline constexpr int kRasterDitherD2Entry = 59508;
inline constexpr int kRasterDitherDREntry = 59509;
inline constexpr int kRasterDitherDP50Entry = 59510;
inline constexpr int kRasterWriteFailedMessage = 59511;

// AutoCAD options: configuration section and keys with their defaults, list entries, the fit
// text, unit labels and message.
inline constexpr int kAcadPaperSizeKey = 59259;
inline constexpr int kAcadPaperDefaultEnglish = 59260;
inline constexpr int kAcadPaperDefaultMetric = 59261;
inline constexpr int kAcadMarginAKey = 59262;
inline constexpr int kAcadMarginADefault = 59263;
inline constexpr int kAcadMarginBKey = 59264;
inline constexpr int kAcadMarginBDefault = 59265;
inline constexpr int kAcadMarginCKey = 59266;
inline constexpr int kAcadMarginCDefault = 59267;
inline constexpr int kAcadMarginDKey = 59268;
inline constexpr int kAcadMarginDDefault = 59269;
inline constexpr int kAcadPlotChoiceKey = 59270;
inline constexpr int kAcadPlotChoiceDefault = 59271;
inline constexpr int kAcadOutputChoiceKey = 59272;
inline constexpr int kAcadOutputStandardEntry = 59273;
inline constexpr int kAcadPlotScaleKey = 59274;
inline constexpr int kAcadFitText = 59275;
inline constexpr int kAcadPlottedUnitsDefault = 59276;
inline constexpr int kAcadDrawingUnitsDefault = 59277;
inline constexpr int kAcadAreaChoiceKey = 59278;
inline constexpr int kAcadAreaChoiceDefault = 59279;
inline constexpr int kAcadOffsetXKey = 59285;
inline constexpr int kAcadOffsetXDefault = 59286;
inline constexpr int kAcadOffsetYKey = 59287;
inline constexpr int kAcadOffsetYDefault = 59288;
inline constexpr int kAcadXRefEntryKeyPrefix = 59289;
inline constexpr int kAcadXRefCountKey = 59291;
inline constexpr int kAcadSection = 59293;
inline constexpr int kAcadPlotChoice0Entry = 59304;
inline constexpr int kAcadPlotChoice1Entry = 59305;
inline constexpr int kAcadPlotChoice2Entry = 59306;
inline constexpr int kAcadPlotChoice3Entry = 59307;
inline constexpr int kAcadAreaExtentsEntry = 59308;
inline constexpr int kAcadAreaLimitsEntry = 59309;
inline constexpr int kAcadAreaDisplayEntry = 59310;
inline constexpr int kAcadOutputAlternateEntry = 59311;
inline constexpr int kAcadWriteFailedMessage = 59313;
inline constexpr int kAcadExportFitText = 59521;
inline constexpr int kAcadUnitLabel1English = 59540;
inline constexpr int kAcadUnitLabel1Metric = 59541;
inline constexpr int kAcadUnitLabel2English = 59542;
inline constexpr int kAcadUnitLabel2Metric = 59543;
inline constexpr int kAcadUnitLabel3English = 59544;
inline constexpr int kAcadUnitLabel3Metric = 59545;
inline constexpr int kAcadUnitLabel4English = 59546;
inline constexpr int kAcadUnitLabel4Metric = 59547;
inline constexpr int kAcadUnitLabel5English = 59548;
inline constexpr int kAcadUnitLabel5Metric = 59549;

// AutoCAD colour table: section name prefix (followed by the colour number), keys, reset values.
inline constexpr int kAcadColourSectionPrefix = 59280;
inline constexpr int kAcadColourWidthKey = 59281;
inline constexpr int kAcadColourWidthDefault = 59282;
inline constexpr int kAcadColourStyleKey = 59283;
inline constexpr int kAcadColourStyleDefault = 59284;
inline constexpr int kAcadColourPenKey = 59292;

// AutoCAD paper sizes: the lettered names (the metric names are kSizeA0 to kSizeA4) and every
// size's paper width and height in hundredths of an inch.
inline constexpr int kAcadPaperA = 59299;
inline constexpr int kAcadPaperB = 59300;
inline constexpr int kAcadPaperC = 59301;
inline constexpr int kAcadPaperD = 59302;
inline constexpr int kAcadPaperE = 59303;
inline constexpr int kAcadPaperXA = 59236;
inline constexpr int kAcadPaperYA = 59237;
inline constexpr int kAcadPaperXB = 59238;
inline constexpr int kAcadPaperYB = 59239;
inline constexpr int kAcadPaperXC = 59240;
inline constexpr int kAcadPaperYC = 59241;
inline constexpr int kAcadPaperXD = 59242;
inline constexpr int kAcadPaperYD = 59243;
inline constexpr int kAcadPaperXE = 59244;
inline constexpr int kAcadPaperYE = 59245;
inline constexpr int kAcadPaperXA4 = 59246;
inline constexpr int kAcadPaperYA4 = 59247;
inline constexpr int kAcadPaperXA3 = 59248;
inline constexpr int kAcadPaperYA3 = 59249;
inline constexpr int kAcadPaperXA2 = 59250;
inline constexpr int kAcadPaperYA2 = 59251;
inline constexpr int kAcadPaperXA1 = 59252;
inline constexpr int kAcadPaperYA1 = 59253;
inline constexpr int kAcadPaperXA0 = 59254;
inline constexpr int kAcadPaperYA0 = 59255;

// Configuration manager and queue configuration script.
inline constexpr int kSaveAsDeleteFailedMessage = 59512;
inline constexpr int kDefaultPrinterIncompleteMessage = 59513;
inline constexpr int kSystemDefaultPrinterName = 59514;
inline constexpr int kScriptSendFailedMessage = 59516;
inline constexpr int kScriptTempNameFailedMessage = 59517;
inline constexpr int kScriptTempReadFailedMessage = 59518;

// Launcher: messages, the configuration markers and the texts of the assignment dialog.
inline constexpr int kNotADrawingNameMessage = 59453;
inline constexpr int kFolderListFailedMessage = 59454;
inline constexpr int kNoEntrySelectedMessage = 59455;
inline constexpr int kFileNotInListMessage = 59456;
inline constexpr int kNewEntryConfiguration = 59457;
inline constexpr int kCurrentSettingsChoice = 59458;
inline constexpr int kNoConfigurationChoice = 59459;
inline constexpr int kCurrentSettingsMarker = 59461;
inline constexpr int kNoConfigurationMarker = 59462;
inline constexpr int kLaunchFileInvalidMessage = 59532;
inline constexpr int kXRefDialogCaption = 59533;

// Delivery worker, drawing rendering, accounting and the launch status window.
inline constexpr int kTempFileFailedMessage = 59460;
inline constexpr int kPrinterOpenFailedMessage = 59463;
inline constexpr int kPrinterWriteFailedMessage = 59464;
inline constexpr int kPlotFileReadFailedMessage = 59465;
inline constexpr int kAccountPathNotFoundMessage = 59467;
inline constexpr int kAccountTooManyFilesMessage = 59468;
inline constexpr int kAccountAccessDeniedMessage = 59469;
inline constexpr int kAccountOpenFailedMessage = 59470;
inline constexpr int kAccountWriteFailedMessage = 59471;
inline constexpr int kPauseCaption = 59472;
inline constexpr int kStartCaption = 59473;
inline constexpr int kPreviewNotDrawingMessage = 59520;

// Application shell: start-up messages, settings file words, view titles, preferences.
inline constexpr int kDdeStartFailedMessage = 59384;
inline constexpr int kNoSettingsFolder = 59474;
inline constexpr int kSettingsFolderTooLong = 59475;
inline constexpr int kTitleTextStamp = 59480;
inline constexpr int kTitleConfigFiles = 59481;
inline constexpr int kTitleJobOptions = 59482;
inline constexpr int kTitleHpgl = 59483;
inline constexpr int kTitleCalComp = 59484;
inline constexpr int kTitleRaster = 59485;
inline constexpr int kTitleAutoCad = 59486;
inline constexpr int kTitleLauncher = 59487;
inline constexpr int kPrefsFolderListFailedMessage = 59488;
inline constexpr int kYesWord = 59526;
inline constexpr int kNoWord = 59527;
inline constexpr int kEnglishWord = 59528;
inline constexpr int kMetricWord = 59529;
inline constexpr int kPrefsOnWord = 59530;
inline constexpr int kPrefsOffWord = 59531;

// Failures reported through the error channel (Error in platform/result.h).
inline constexpr int kCannotSaveConfiguration = 60000;
inline constexpr int kConfigurationNotSentMessage = 60001;
inline constexpr int kCannotOpenConfiguration = 60002;
inline constexpr int kRendererNotLoaded = 60003;
inline constexpr int kRendererLacksEntryPoints = 60004;
inline constexpr int kRendererNowhere = 60005;
inline constexpr int kDrawingNotRendered = 60006;
inline constexpr int kPreviewNotMade = 60007;
inline constexpr int kPreviewNotRead = 60008;
inline constexpr int kDrawingPathTooLong = 60009;
inline constexpr int kReferenceFoldersNotHanded = 60010;
inline constexpr int kCannotSaveProgramSettings = 60011;
inline constexpr int kCannotSaveReferenceFolders = 60012;

}  // namespace kestrum::rid
