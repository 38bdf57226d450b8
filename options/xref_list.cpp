#include "options/xref_list.h"

#include <algorithm>
#include <optional>

#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

std::string EntryKey(std::size_t position) {
    return std::string(xref::kEntryKeyPrefix) + std::to_string(position);
}

}  // namespace

ReferenceList ReadMasterReferences(const std::filesystem::path& settingsFile) {
    ReferenceList list;
    if (settingsFile.empty()) return list;
    const int count = profile::ReadInt(settingsFile, xref::kSection, xref::kCountKey, 0);
    if (count <= 0) return list;
    const std::size_t keys = profile::KeyNames(settingsFile, xref::kSection).size();
    const std::size_t trusted = std::min(static_cast<std::size_t>(count), keys);
    for (std::size_t position = 0; position < trusted; ++position) {
        list.push_back(profile::ReadString(settingsFile, xref::kSection, EntryKey(position), "",
                                           xref::kEntryCapacity + 1));
    }
    return list;
}

Result<void> WriteMasterReferences(const std::filesystem::path& settingsFile,
                                   const ReferenceList& list, ReferenceList& working) {
    working.clear();
    for (const std::string& entry : list) {
        working.push_back(entry.substr(0, xref::kEntryCapacity));
    }
    if (settingsFile.empty()) return Ok();

    std::optional<Error> failure;
    auto note = [&failure](Result<void> result) {
        if (!result && !failure) failure = result.error();
    };
    note(profile::WriteString(settingsFile, xref::kSection, xref::kCountKey,
                              std::to_string(working.size())));
    for (std::size_t position = 0; position < working.size(); ++position) {
        note(profile::WriteString(settingsFile, xref::kSection, EntryKey(position),
                                  working[position]));
    }
    // The settings file has no save-all of its own: the dialog's OK is when the list is kept.
    note(profile::Flush(settingsFile));
    if (failure) return *failure;
    return Ok();
}

ReferenceListDialog::ReferenceListDialog(std::filesystem::path settingsFile)
    : caption(LoadResourceString(rid::kXRefDialogCaption)),
      entries(ReadMasterReferences(settingsFile)),
      settingsFile_(std::move(settingsFile)) {}

ReferenceListDialog::OkResult ReferenceListDialog::Ok(ReferenceList& working,
                                                      MessageSink& messages) {
    if (editingInPlace) return OkResult::StillEditing;
    const Result<void> written = WriteMasterReferences(settingsFile_, entries, working);
    if (!written) {
        messages.Show(MakeMessage(rid::kCannotSaveReferenceFolders, MessageIcon::Exclamation,
                                  written.error().message));
    }
    entries.clear();  // OK takes every entry out of the list as it writes it
    return OkResult::Closed;
}

}  // namespace kestrum
