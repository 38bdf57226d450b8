#pragma once

// The AutoCAD option group: how drawings are rendered before they are sent (paper, margins,
// scale, offsets, three choices), the working list of external-reference folders and the colour
// table. Lengths are stored in the units the renderer takes, whatever the program's unit: paper
// and margins in hundredths of an inch, offsets and the plotted units of the scale in inches.
//
// The group is "in force" when its section holds at least one real key. A group switched off is
// saved as its section with one empty key and nothing else.

#include <cstddef>
#include <filesystem>

#include "options/colour_table.h"
#include "options/user_object.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum {

namespace autocad {
// The most characters a value holds, as loaded and as taken from the page.
inline constexpr std::size_t kPaperSizeCapacity = 20;
inline constexpr std::size_t kMarginCapacity = 10;
inline constexpr std::size_t kPlotChoiceCapacity = 10;
inline constexpr std::size_t kOutputChoiceCapacity = 25;
inline constexpr std::size_t kAreaChoiceCapacity = 10;
inline constexpr std::size_t kPlotScaleCapacity = 50;
inline constexpr std::size_t kOffsetCapacity = 10;
inline constexpr std::size_t kReferenceCapacity = 260;
}  // namespace autocad

// In force, every value at its default (the paper follows the unit), no reference folders, the
// colour table reset.
void SetAutoCadDefaults(AutoCadOptions& values, ColourTable& table, ReferenceList& references,
                        Unit unit);

// Reads the group's section, its reference folders and the colour table. Missing keys take their
// defaults; values are cut to their capacity. The reference count is trusted only as far as the
// section has keys, so a damaged count cannot make the list huge.
void LoadAutoCad(AutoCadOptions& values, ColourTable& table, ReferenceList& references,
                 const std::filesystem::path& file, Unit unit);

// In force: replaces the reference folders of the section, writes every non-empty value and
// removes the key of every empty one, then writes the colour table. Out of force: clears the
// section and leaves one empty key in it, so that the next load finds the group off; the colour
// sections are left as they are. Failed writes and removals are reported through `messages`
// (the group's message, stop icon, the file name appended) and saving goes on; false when any
// failed. The caller flushes the file.
[[nodiscard]] bool SaveAutoCad(const AutoCadOptions& values, const ColourTable& table,
                               const ReferenceList& references, const std::filesystem::path& file,
                               MessageSink& messages);

}  // namespace kestrum
