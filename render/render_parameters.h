#pragma once

// The rendering parameter record as the program fills it, together with the files its handles
// refer to, so that they stay open exactly as long as the record is in use.

#include <string>

#include "config/option_state.h"
#include "options/colour_table.h"
#include "platform/result.h"
#include "platform/unique_fd.h"
#include "plugins/acadhpgl/acadhpgl.h"

namespace kestrum {

class RenderParameters {
  public:
    // Every byte zero.
    RenderParameters();

    AcadRenderRecord& record() { return record_; }
    const AcadRenderRecord& record() const { return record_; }

    // Fails for a path that does not fit the record's field: a cut path would name another file.
    [[nodiscard]] Result<void> SetDrawingPath(const std::string& path);

    // Hands the folders to the renderer as an anonymous memory file of zero-ended paths; no
    // folders leave the field 0.
    [[nodiscard]] Result<void> SetReferenceList(const ReferenceList& folders);

  private:
    AcadRenderRecord record_;
    UniqueFd referenceList_;
};

// The colour table's rows into the record: width, style and pen of each row as 16-bit numbers
// (the leading integer of each text, held within 16 bits; an empty text gives 0).
void ExportColourTable(const ColourTable& table, AcadRenderRecord& record);

// The AutoCAD page's Export into the values, then every field that the option group supplies:
// area, paper, plot choice, fit sub-mode, scale, units, offsets, colour table, output choice,
// preview flag 0, the empty reserved text and the working list of reference folders. The output
// kind, the drawing path and the output file are the caller's.
[[nodiscard]] Result<void> ExportRenderParameters(OptionState& state, RenderParameters& parameters);

}  // namespace kestrum
