#include "compose/emulation_blocks.h"

#include <array>
#include <string>

#include "compose/text_choices.h"
#include "compose/tri_state.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// A width or gray level that does not fit its 16-bit field counts as not set, as an empty text
// does, rather than wrapping into a small number the pen would then use.
std::uint16_t PenNumber(std::string_view text) {
    if (text.empty()) return 65535;
    const long long value = LeadingInteger(text);
    if (value < 0 || value > 65535) return 65535;
    return static_cast<std::uint16_t>(value);
}

void AppendCommandWithTerminator(CompositionBuffer& buffer, std::string_view command,
                                 char terminator) {
    buffer.AppendCommand(command);
    buffer.Append(terminator);
}

void AppendIfAny(CompositionBuffer& buffer, std::string_view command, char terminator) {
    if (!command.empty()) AppendCommandWithTerminator(buffer, command, terminator);
}

// Two hexadecimal digits, as the sync and end-of-message characters are sent.
bool IsTwoHexDigits(std::string_view text) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    return text.size() == 2 && kHex.find(text[0]) != std::string_view::npos &&
           kHex.find(text[1]) != std::string_view::npos;
}

void AppendOnOff(CompositionBuffer& buffer, int value, std::string_view command, char terminator) {
    if (value == 1) AppendCommandWithTerminator(buffer, std::string(command) + " ON", terminator);
    if (value == 0) AppendCommandWithTerminator(buffer, std::string(command) + " OFF", terminator);
}

}  // namespace

PenCommandInputs PreparePen(int number, const PenParms& pen) {
    PenCommandInputs in;
    in.pen = static_cast<std::uint16_t>(number);
    in.width = PenNumber(pen.width);
    in.lineEnd = pen.lineEnd;
    in.lineJoin = pen.lineJoin;
    in.grayLevel = PenNumber(pen.grayLevel);
    in.opaque = TriStateValue(pen.opaque, {rid::kOnWord}, {rid::kOffWord});
    in.lineUpper = TriStateValue(pen.lineUpper, {rid::kOnWord}, {rid::kOffWord});
    return in;
}

void PenCommand(CompositionBuffer& buffer, PenDialect dialect, const PenCommandInputs& in,
                char terminator) {
    buffer.Clear();
    buffer.AppendCommand(dialect == PenDialect::Hpgl ? ".HPPEN " : ".CCPEN ");
    buffer.Append(std::to_string(in.pen) + " = ");
    if (in.width >= 1 && in.width <= 31) buffer.Append("W" + std::to_string(in.width));

    const int noLineEnd = dialect == PenDialect::Hpgl ? rid::kStyleNone : rid::kOffWord;
    buffer.Append(
        FirstMatch(in.lineEnd, std::array<TextChoice, 4>{{{noLineEnd, "CN"},
                                                          {rid::kStyleRound, "CR"},
                                                          {rid::kStyleSquare, "CS"},
                                                          {rid::kStyleTriangular, "CT"}}}));
    buffer.Append(FirstMatch(in.lineJoin, std::array<TextChoice, 5>{{{rid::kStyleNone, "JN"},
                                                                     {rid::kStyleRound, "JR"},
                                                                     {rid::kStyleTriangular, "JT"},
                                                                     {rid::kStyleBevel, "JB"},
                                                                     {rid::kStyleMiter, "JM"}}}));
    if (in.grayLevel <= 100 && in.grayLevel % 10 == 0) {
        buffer.Append("G" + std::to_string(in.grayLevel));
    }
    if (in.opaque == 1) buffer.Append('O');
    if (in.opaque == 0) buffer.Append('T');
    if (in.lineUpper == 1) buffer.Append('L');
    if (in.lineUpper == 0) buffer.Append('U');
    buffer.Append(terminator);
}

void HpglSettingsBlock(CompositionBuffer& buffer, const HpglSettings& s, char terminator) {
    // Model and rotation are plain list texts, compared exactly.
    if (s.plotterModel == "7475" || s.plotterModel == "7585") {
        AppendCommandWithTerminator(buffer, ".HPTYPE " + s.plotterModel, terminator);
    }
    if (s.rotation == "0" || s.rotation == "90") {
        AppendCommandWithTerminator(buffer, ".HPROT " + s.rotation, terminator);
    }
    AppendOnOff(buffer, TriStateValue(s.pen0Handling, {rid::kOnWord}, {rid::kOffWord}), ".HPSP0",
                terminator);
    AppendOnOff(buffer, TriStateValue(s.terminatorHandling, {rid::kOnWord}, {rid::kOffWord}),
                ".HPTERM", terminator);
    if (MatchesResource(s.terminatorHandling, rid::kIgnoreWord)) {
        AppendCommandWithTerminator(buffer, ".HPTERM IGN", terminator);
    }
    constexpr std::array<TextChoice, 3> kTrailers{{{rid::kHpglTrailerSC, ".HPTRAIL SC"},
                                                   {rid::kHpglTrailerFF, ".HPTRAIL FF"},
                                                   {rid::kOffWord, ".HPTRAIL NO"}}};
    AppendIfAny(buffer, FirstMatch(s.trailer, kTrailers), terminator);
}

CalCompSettingsInputs PrepareCalCompSettings(const CalCompSettings& s) {
    CalCompSettingsInputs in;
    for (int unit = 0; unit <= 6; ++unit) {
        if (MatchesResource(s.plotUnit, rid::kPlotUnit0 + unit)) {
            in.plotUnit = unit;
            break;
        }
    }
    in.syncCharacter = s.syncCharacter;
    in.endOfMessageCharacter = s.endOfMessageCharacter;
    in.syncCount =
        MatchesResource(s.syncCount, rid::kSyncCountDefault) ? -1 : LeadingInteger(s.syncCount);
    const std::initializer_list<int> on{rid::kCalCompOn, rid::kOnWord};
    const std::initializer_list<int> off{rid::kCalCompOff, rid::kOffWord};
    in.checksum = TriStateValue(s.checksum, on, off);
    in.trailer = s.trailer;
    in.pen0 = TriStateValue(s.pen0Switch, on, off);
    in.handshake = TriStateValue(s.handshake, on, off);
    return in;
}

void CalCompSettingsBlock(CompositionBuffer& buffer, const CalCompSettingsInputs& in,
                          char terminator) {
    buffer.Clear();
    if (in.plotUnit >= 0 && in.plotUnit <= 6) {
        AppendCommandWithTerminator(buffer, ".CCPLOTUNIT " + std::to_string(in.plotUnit),
                                    terminator);
    }
    if (const std::string sync = ToUpperAscii(in.syncCharacter); IsTwoHexDigits(sync)) {
        AppendCommandWithTerminator(buffer, ".CCSYNC " + sync, terminator);
    }
    if (const std::string eom = ToUpperAscii(in.endOfMessageCharacter); IsTwoHexDigits(eom)) {
        AppendCommandWithTerminator(buffer, ".CCEOM " + eom, terminator);
    }
    if (in.syncCount == 1 || in.syncCount == 2) {
        AppendCommandWithTerminator(buffer, ".CC#SYNC " + std::to_string(in.syncCount), terminator);
    }
    AppendOnOff(buffer, in.checksum, ".CCSUM", terminator);
    constexpr std::array<TextChoice, 3> kTrailers{{{rid::kOffWord, ".CCTRAIL NO"},
                                                   {rid::kCalCompTrailerCR, ".CCTRAIL CR"},
                                                   {rid::kCalCompTrailerFF, ".CCTRAIL FF"}}};
    AppendIfAny(buffer, FirstMatch(in.trailer, kTrailers), terminator);
    AppendOnOff(buffer, in.pen0, ".CCPEN0", terminator);
    AppendOnOff(buffer, in.handshake, ".CCHAND", terminator);
}

}  // namespace kestrum
