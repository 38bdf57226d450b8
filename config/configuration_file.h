#pragma once

// The sequences that visit every option group in the fixed order: text stamp, job options,
// HP-GL pens, CalComp pens, raster settings, AutoCAD options.

#include <filesystem>

#include "compose/job_stream.h"
#include "config/option_state.h"
#include "shell/message_sink.h"

namespace kestrum {

// Loads every group from the state's current configuration and shows it on its page. A missing
// file loads as an empty one: every option at its default.
void LoadAll(OptionState& state, MessageSink& messages);

// Shows every group's values on its page again; no file is read.
void RefreshAll(OptionState& state, MessageSink& messages);

// Takes every page's state into its values and writes every group to `file`, then takes the file
// to the disk in one write. Each failed key write has been reported by its group; a failed flush
// is reported here. False when anything failed.
bool SaveAll(OptionState& state, const std::filesystem::path& file, MessageSink& messages);

// Every group back to its defaults, shown on its page. No file is touched.
void ResetAll(OptionState& state, MessageSink& messages);

// The exports the composer runs before every header: the first five groups' pages into their
// values (the AutoCAD group is exported only for rendering).
class OptionStateExports final : public HeaderExports {
public:
    explicit OptionStateExports(OptionState& state) : state_(state) {}
    void ExportForHeader() override;

private:
    OptionState& state_;
};

}  // namespace kestrum
