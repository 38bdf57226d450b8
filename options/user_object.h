#pragma once

// CUserObject: the values of every option group, the current configuration path, the command
// terminator flag and the configuration kind. The option pages export into it, the configuration
// loader fills it, the composer reads it, and every launch-list entry keeps a copy.
//
// Texts are held as std::string. Where a launch file stores a value in a fixed field, the field's
// size is given beside it: a value never holds more than size - 1 characters, because the pages
// and the loader cut it before it gets here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrum {

inline constexpr int kPenCount = 15;
inline constexpr int kColourCount = 256;
inline constexpr int kRasterValueCount = 10;

// One pen of the HP-GL or CalComp pen table. Empty texts mean "printer default".
struct PenParms {
    static constexpr std::size_t kLineJoinField = 12;  // only its first 10 bytes reach a file

    std::string width;
    std::string lineEnd;
    std::string lineJoin;
    std::string grayLevel;
    std::string opaque;     // opaque or transparent: the on or the off word
    std::string lineUpper;  // L/U attribute: the on or the off word

    // A pen that gets a command: at least one attribute is set.
    bool InUse() const;
    bool operator==(const PenParms&) const = default;
};

struct TextStampValues {
    static constexpr std::size_t kTextField = 81;

    std::uint8_t stampOn = 0;
    std::uint8_t pointSize = 8;
    std::uint8_t angle = 0;
    std::string verticalPosition = "0";    // hundredths of an inch, decimal text
    std::string horizontalPosition = "0";  // hundredths of an inch, decimal text
    std::uint8_t timeSwitch = 0;
    std::uint8_t dateSwitch = 0;
    std::uint8_t hSwitch = 0;
    std::string gValue;
    std::string sValue;
    std::string text;

    bool operator==(const TextStampValues&) const = default;
};

struct JobOptionsValues {
    static constexpr std::size_t kTrayField = 20;
    static constexpr std::size_t kPageSizeField = 16;
    static constexpr std::size_t kPageScaleField = 11;
    static constexpr std::size_t kFormatField = 10;
    static constexpr std::size_t kRasterModeField = 25;

    std::int32_t folding = 0;     // 0 no command, 1 folding off, n > 1 folding program n - 1
    std::uint8_t copies = 0;      // copies asked of the controller; 0 sends no command
    std::uint8_t fileCopies = 0;  // times the worker sends each file; 0 counts as 1
    std::string media;            // the default text after SetDefaults
    std::string tray;             // in capitals; the default text after SetDefaults
    std::string pageSize;
    std::string pageScale;
    std::string format;
    std::string rasterMode;

    bool operator==(const JobOptionsValues&) const = default;
};

struct HpglSettings {
    static constexpr std::size_t kSettingField = 11;
    static constexpr std::size_t kTrailerField = 16;

    std::string plotterModel;
    std::string rotation;
    std::string pen0Handling;
    std::string terminatorHandling;
    std::string trailer;

    bool operator==(const HpglSettings&) const = default;
};

struct CalCompSettings {
    static constexpr std::size_t kFixedField = 11;

    std::string plotUnit;
    std::string trailer;
    std::string pen0Switch;
    std::string switch1186;  // carried to the controller by no command yet
    std::string step1187;    // upper case; carried by no command yet
    std::string handshake;
    std::string checksum;
    std::string syncCount;
    std::string syncCharacter;
    std::string endOfMessageCharacter;

    bool operator==(const CalCompSettings&) const = default;
};

// The raster settings 1 to 9, then the rotation as value 10.
using RasterValues = std::array<std::string, kRasterValueCount>;

// One row of the colour-to-pen table used when drawings are rendered.
struct ACPenParms {
    std::string pen;
    std::string width;
    std::string style;

    bool operator==(const ACPenParms&) const = default;
};

struct AutoCadOptions {
    std::uint8_t inForce = 0;
    std::string paperSize;
    std::string marginA;
    std::string marginB;
    std::string marginD;
    std::string marginC;
    std::string plotChoice;
    std::string outputChoice;
    std::string areaChoice;
    std::string plotScale;
    std::string offsetX;
    std::string offsetY;
    std::string reserved;  // copied into the rendering record; always empty

    bool operator==(const AutoCadOptions&) const = default;
};

// The folders searched for external references of drawings, in order. A configuration holds
// one; each launch-list entry keeps its own copy beside its record.
using ReferenceList = std::vector<std::string>;

enum class ConfigurationKind : std::uint8_t { General = 1, Queue = 2 };

struct CUserObject {
    static constexpr std::uint16_t kFreshRecordTag = 5646;

    std::uint16_t recordTag = kFreshRecordTag;
    TextStampValues stamp;
    JobOptionsValues job;
    std::string currentConfiguration;
    std::int32_t setCurrentFlag = 0;  // 1 ends commands with "!" instead of ":"
    ConfigurationKind kind = ConfigurationKind::General;
    HpglSettings hpgl;
    std::array<PenParms, kPenCount> hpglPens;
    CalCompSettings calcomp;
    std::array<PenParms, kPenCount> calcompPens;
    RasterValues raster;
    AutoCadOptions autocad;
    std::array<ACPenParms, kColourCount> colourTable;
    std::int32_t statusCheckBox = 0;
    std::array<std::uint8_t, 31> unusedField{};  // read and written by no option; carried as is

    bool operator==(const CUserObject&) const = default;
};

// A fresh record with the job options at their defaults (the groups whose defaults depend on the
// unit are set by their own SetDefaults); the configuration path empty.
CUserObject DefaultUserObject();

}  // namespace kestrum
