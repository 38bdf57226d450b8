#pragma once

// The master copy of the external-reference folders, kept in the settings file (kestrum.ini),
// and the model of the dialog that edits it. The dialog always opens with the master copy; its OK
// makes the master copy and the working copy (the list the current configuration saves and the
// renderer is given) equal to what it shows. Loading a configuration replaces only the working
// copy.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "options/user_object.h"
#include "platform/result.h"
#include "shell/message_sink.h"

namespace kestrum {

namespace xref {
// Plain names: the settings file is shared by every language of the program.
inline constexpr std::string_view kSection = "XRef";
inline constexpr std::string_view kCountKey = "XRefCount";
inline constexpr std::string_view kEntryKeyPrefix = "XRefEntry";  // followed by 0, 1, 2, ...
inline constexpr std::size_t kEntryCapacity = 260;
}  // namespace xref

// The folders of the master copy, in order. The stored count is trusted only as far as the
// section has keys, so a damaged count cannot make the list huge. An empty `settingsFile` (no
// settings folder) gives an empty list.
ReferenceList ReadMasterReferences(const std::filesystem::path& settingsFile);

// OK of the dialog: the working copy becomes `list` (each folder cut to xref::kEntryCapacity, as
// it would load), and the master copy is written and flushed to the settings file. Keys of
// entries beyond the new count are left where they are; the count makes them unused. The working
// copy is replaced even when writing fails; the first failure is returned. An empty
// `settingsFile` writes nothing.
Result<void> WriteMasterReferences(const std::filesystem::path& settingsFile,
                                   const ReferenceList& list, ReferenceList& working);

// The model of the external-reference list dialog.
class ReferenceListDialog {
  public:
    static constexpr int kFolderList = 1306;
    static constexpr int kFolderListOptions = 62;  // the editable list's option value

    enum class OkResult {
        Closed,
        StillEditing,  // an entry is being edited in place: the dialog beeps and stays open
    };

    // Opening: the caption, and the master copy from the settings file.
    explicit ReferenceListDialog(std::filesystem::path settingsFile);

    // OK. When it closes, a write failure has been reported through `messages`.
    OkResult Ok(ReferenceList& working, MessageSink& messages);

    std::string caption;
    std::vector<std::string> entries;
    bool editingInPlace = false;

  private:
    std::filesystem::path settingsFile_;
};

}  // namespace kestrum
