#pragma once

// The launch list's model: the plot files to send, in send order, each with the configuration it
// is sent with and the line the list shows for it; the selection; and the rules of adding,
// removing, reordering, assigning configurations and opening and saving launch files. The window
// and the file browser mirror it.
//
// Used on the user-interface thread only. A send works on a copy (Entries()), never on the list.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launch/plot_file_entry.h"
#include "platform/result.h"
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

// Configurations apply unless jobs go straight to a device of the generic type, which takes no
// header at all.
bool ConfigurationsApply(OutputMode mode, PrinterType type);

// "name<TAB>configuration": each the part after its last '/' or '\' (lists made on Windows hold
// backslash paths), or whole when it has neither.
std::string LaunchLine(const PlotFileEntry& entry);

// The two texts a configuration may hold instead of a path; the delivery worker recognises them.
enum class ConfigurationMarker { CurrentSettings, NoConfiguration };
std::string MarkerText(ConfigurationMarker marker);

// The assignment dialog's three choices, and the one it opens with for a configuration.
enum class ConfigurationChoice { CurrentSettings, NoConfiguration, File };
ConfigurationChoice ChoiceFor(std::string_view configuration);

// What the dialog's field shows when the file choice is taken: the configuration, or nothing when
// it is one of the two choice texts.
std::string FileChoiceText(std::string_view configuration);

// With the AutoCAD preference on, only drawings may be added: the name from its first '.' on must
// be ".dwg" or ".dxf" (any case). Refused with the name and the message, a blank line between.
Result<void> CheckDrawingName(std::string_view name);

class LaunchList {
  public:
    // Answers whether a file is a drawing; the renderer binding provides it. Without one no entry
    // is marked as a drawing.
    using DrawingTest = std::function<bool(const std::string& path)>;

    explicit LaunchList(DrawingTest isDrawing = {});

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const PlotFileEntry& entry(std::size_t index) const { return items_.at(index).entry; }
    const std::string& line(std::size_t index) const { return items_.at(index).line; }
    // A copy of the entries in send order, for a send or a launch file.
    std::vector<PlotFileEntry> Entries() const;

    std::optional<std::size_t> selection() const { return selection_; }
    // An index past the end selects nothing.
    void Select(std::optional<std::size_t> index);
    // The selected entry's full path, or the empty text.
    std::string SelectedPath() const;
    // Whether the selected entry may be previewed.
    bool SelectedIsDrawing() const;
    bool CanSend() const { return !empty(); }

    bool configurationsApply() const { return configurationsApply_; }
    // Switching off empties every entry's configuration and shows its full path instead of its
    // line; each assignment is kept aside meanwhile. Switching on brings the kept assignments back
    // with their lines (a printer type chosen for a moment must not erase a whole list's
    // configurations); entries added or read while they were off stay as they are.
    void SetConfigurationsApply(bool apply);

    // Appends an entry for a full path and selects it. Its configuration is the new-entry text
    // while configurations apply, else empty.
    void AddEntry(const std::string& path);
    // Selects the entry that took the removed one's place, else the new last one.
    void RemoveSelected();
    void Clear();
    // Drag and drop: moves the entry at `from` in front of the one at `dropOn` (size() drops it
    // after the last) and selects it. Dropping an entry on itself or on the one just below it
    // changes nothing but the selection. Indices out of range change nothing.
    void MoveBefore(std::size_t from, std::size_t dropOn);

    // Gives the selected entry a configuration (a path, a marker text, or empty) and rebuilds its
    // line. Does nothing while configurations do not apply; refused with nothing selected.
    Result<void> AssignConfiguration(std::string configuration);
    Result<void> AssignMarker(ConfigurationMarker marker);

    // Replaces the whole list with entries exactly as given (nothing recomputed), selecting the
    // last one.
    void Replace(std::vector<PlotFileEntry> entries);

    Result<void> Save(const std::filesystem::path& file) const;
    // Replaces the list with the file's entries. A file that is not a launch file clears the list;
    // any other refusal leaves the list exactly as it was.
    Result<void> Open(const std::filesystem::path& file);

  private:
    struct Item {
        PlotFileEntry entry;
        std::string line;
        // The assignment emptied when configurations stopped applying.
        std::optional<std::string> keptConfiguration;
    };

    PlotFileEntry* Selected();

    DrawingTest isDrawing_;
    std::vector<Item> items_;
    std::optional<std::size_t> selection_;
    bool configurationsApply_ = true;
};

}  // namespace kestrum
