#pragma once

// The sequences that visit every option group in the fixed order: text stamp, job options,
// HP-GL pens, CalComp pens, raster settings, AutoCAD options.

#include <filesystem>

#include "config/option_state.h"
#include "options/header_exports.h"
#include "platform/result.h"
#include "shell/message_sink.h"

namespace kestrum {

// Loads every group from the state's current configuration and shows it on its page. A missing
// file loads as an empty one: every option at its default. The groups read one snapshot of the
// file, so a save of the same file on another thread is seen whole or not at all.
void LoadAll(OptionState& state, MessageSink& messages);

// Shows every group's values on its page again; no file is read.
void RefreshAll(OptionState& state, MessageSink& messages);

// Takes every page's state into its values and writes every group to `file`, then takes the file
// to the disk in one write. The groups' writes reach the settings cache as one batch, so a load of
// the same file on another thread sees the old configuration or the new one, never a mixture.
//
// Each refused key write is shown through `messages` by its group as it happens; the error then
// says so (Error::shown). A failed flush is not shown: the error carries it (its text starts with
// "Cannot save the configuration:") for the caller to show once, with the stop icon.
Result<void> SaveAll(OptionState& state, const std::filesystem::path& file, MessageSink& messages);

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
