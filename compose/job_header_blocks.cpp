#include "compose/job_header_blocks.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "compose/text_choices.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// Sizes in the order they are tried; the name is what the controller is sent.
constexpr std::array<TextChoice, 10> kSizes{{{rid::kSizeA, "A"},
                                             {rid::kSizeB, "B"},
                                             {rid::kSizeC, "C"},
                                             {rid::kSizeD, "D"},
                                             {rid::kSizeE, "E"},
                                             {rid::kSizeA0, "A0"},
                                             {rid::kSizeA1, "A1"},
                                             {rid::kSizeA2, "A2"},
                                             {rid::kSizeA3, "A3"},
                                             {rid::kSizeA4, "A4"}}};

// Appends ESC + command + terminator for every choice the value matches.
template <std::size_t N>
void AppendMatching(CompositionBuffer& buffer, std::string_view value,
                    const std::array<TextChoice, N>& choices, char terminator) {
    for (const TextChoice& choice : choices) {
        if (MatchesResource(value, choice.resource)) {
            buffer.AppendCommand(choice.code);
            buffer.Append(terminator);
        }
    }
}

void AppendPageScale(CompositionBuffer& buffer, std::string_view scale, char terminator) {
    if (MatchesResource(scale, rid::kAuto)) {
        buffer.AppendCommand(".PGSCALE AUTO");
        buffer.Append(terminator);
        return;
    }
    if (scale.empty()) return;
    const std::size_t blank = scale.find(' ');
    const std::string_view from = scale.substr(0, blank);
    const std::string_view to =
        blank == std::string_view::npos ? std::string_view{} : scale.substr(blank + 1);
    for (const TextChoice& size : kSizes) {
        if (MatchesResource(from, size.resource)) {
            buffer.AppendCommand(".PGSCALE ");
            buffer.Append(size.code);
        }
    }
    for (const TextChoice& size : kSizes) {
        if (MatchesResource(to, size.resource)) {
            buffer.Append(size.code);
            buffer.Append(terminator);
        }
    }
}

void AppendPageSize(CompositionBuffer& buffer, std::string_view size, char terminator) {
    if (MatchesResource(size, rid::kAuto)) {
        buffer.AppendCommand(".PAGESIZE AUTO");
        buffer.Append(terminator);
    }
    for (const TextChoice& named : kSizes) {
        if (MatchesResource(size, named.resource)) {
            buffer.AppendCommand(".PAGESIZE ");
            buffer.Append(named.code);
            buffer.Append(terminator);
        }
    }
}

// The copies field holds 0 to 100. Anything else, digits that overflow it or a text that is no
// number, counts as not set: it must never reach the controller as command text.
bool IsCopiesField(std::string_view copies) {
    if (copies.empty() || copies.size() > 3) return false;
    for (char c : copies) {
        if (c < '0' || c > '9') return false;
    }
    return LeadingInteger(copies) <= 100;
}

// A raster width or length goes out as the controller's unsigned 32-bit number; one that does
// not fit counts as not set.
bool FitsRasterField(long long value) {
    return value >= 0 && value <= std::numeric_limits<std::uint32_t>::max();
}

}  // namespace

void JobHeaderBlock(CompositionBuffer& buffer, const JobHeaderInputs& in, char terminator) {
    if (IsCopiesField(in.copies)) {
        buffer.AppendCommand(".COPY");
        buffer.Append(in.copies);
        buffer.Append(terminator);
    }
    AppendMatching(buffer, in.format,
                   std::array<TextChoice, 4>{{{rid::kFormatA, ".FORMAT A"},
                                              {rid::kFormatHpgl, ".FORMAT HP"},
                                              {rid::kFormatCalComp, ".FORMAT CC"},
                                              {rid::kFormatPostScript, ".FORMAT PS"}}},
                   terminator);
    // The raster mode switch ends with a fixed ":" whatever the terminator.
    if (!in.rasterMode.empty() && MatchesResource(in.rasterMode, rid::kOnWord)) {
        buffer.AppendCommand(".PRMODE RAS:");
    }
    AppendMatching(buffer, in.tray,
                   std::array<TextChoice, 4>{{{rid::kTray100, ".TRAY 100"},
                                              {rid::kTray1, ".TRAY 1"},
                                              {rid::kTray2, ".TRAY 2"},
                                              {rid::kTray3, ".TRAY 3"}}},
                   terminator);
    AppendMatching(buffer, in.media,
                   std::array<TextChoice, 3>{{{rid::kMediaBond, ".MEDIA BOND"},
                                              {rid::kMediaVellum, ".MEDIA VELLUM"},
                                              {rid::kMediaFilm, ".MEDIA FILM"}}},
                   terminator);
    AppendPageScale(buffer, in.pageScale, terminator);
    AppendPageSize(buffer, in.pageSize, terminator);
}

void FolderCommand(CompositionBuffer& buffer, int folding) {
    // Both folding commands end with a fixed ":".
    if (folding > 1) {
        buffer.AppendCommand(".FOLDER ON:");
        buffer.AppendCommand(".FOLDER ");
        buffer.Append(std::to_string(static_cast<long long>(folding) - 1));
        buffer.Append(':');
    } else if (folding == 1) {
        buffer.AppendCommand(".FOLDER OFF:");
    }
}

bool RasterSettingsBlock(CompositionBuffer& buffer, const RasterInputs& in, char terminator) {
    const auto& v = in.texts;
    constexpr std::array<TextChoice, 2> kImageII{
        {{rid::kRasterNormal, "IIN"}, {rid::kRasterReverse, "IIR"}}};
    constexpr std::array<TextChoice, 2> kImageIY{
        {{rid::kRasterNormal, "IYN"}, {rid::kRasterReverse, "IYR"}}};
    constexpr std::array<TextChoice, 2> kImageIP{
        {{rid::kRasterNormal, "IPN"}, {rid::kRasterReverse, "IPR"}}};
    buffer.Clear();
    buffer.AppendCommand(".G");
    buffer.Append(FirstMatch(v[0], kImageII));
    buffer.Append(FirstMatch(v[1], kImageIY));
    buffer.Append(FirstMatch(v[2], std::array<TextChoice, 6>{{{rid::kRasterNormal, "D4"},
                                                              {rid::kAuto, "DS"},
                                                              {rid::kDitherD2, "D2"},
                                                              {rid::kOffWord, "DD"},
                                                              {rid::kDitherDR, "DR"},
                                                              {rid::kDitherDP50, "DP50"}}}));
    if (in.imageTriState == 1) buffer.Append("IME");
    if (in.imageTriState == 0) buffer.Append("IMD");
    buffer.Append(FirstMatch(
        v[8], std::array<TextChoice, 2>{{{rid::kOnWord, "ICE"}, {rid::kOffWord, "ICD"}}}));
    // The rotation list holds plain numbers, not numbered texts.
    if (v[9] == "0") buffer.Append("R0");
    if (v[9] == "90") buffer.Append("R9");
    buffer.Append(FirstMatch(v[3], kImageIP));
    if (FitsRasterField(in.width)) buffer.Append("SW" + std::to_string(in.width));
    if (FitsRasterField(in.length)) buffer.Append("SL" + std::to_string(in.length));
    buffer.Append('Z');
    // ESC ".G" and "Z" alone carry no setting and are not sent.
    if (buffer.size() < 5) buffer.Clear();

    // The compression value is compared with regard to case.
    std::string_view codeWord;
    if (v[7] == LoadResourceString(rid::kCompressionTG4))
        codeWord = "TG4";
    else if (v[7] == LoadResourceString(rid::kCompressionC4))
        codeWord = "C4";
    if (codeWord.empty()) return false;
    buffer.AppendCommand(".G");
    buffer.Append(codeWord);
    buffer.Append(terminator);
    return true;
}

}  // namespace kestrum
