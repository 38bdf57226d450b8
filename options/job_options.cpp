#include "options/job_options.h"

#include <string>
#include <string_view>

#include "options/group_writer.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

std::string_view Text(int resource) {
    return LoadResourceString(resource);
}

int InRangeOrZero(int value, int max) {
    return value >= 0 && value <= max ? value : 0;
}

int ReadIndex(const std::filesystem::path& file, int key, int max) {
    return InRangeOrZero(profile::ReadInt(file, Text(rid::kJobOptionsSection), Text(key), 0), max);
}

std::string ReadText(const std::filesystem::path& file, int key, std::string_view fallback,
                     std::size_t buffer) {
    return profile::ReadString(file, Text(rid::kJobOptionsSection), Text(key), fallback, buffer);
}

}  // namespace

void SetJobOptionsDefaults(JobOptionsValues& values) {
    values = JobOptionsValues{};
    values.media = std::string(Text(rid::kJobDefaultText));
    values.tray = ToUpperAscii(Text(rid::kJobDefaultText));
}

void LoadJobOptions(JobOptionsValues& values, const std::filesystem::path& file) {
    values.folding = ReadIndex(file, rid::kFoldingKey, kFoldingIndexMax);
    values.copies =
        static_cast<std::uint8_t>(ReadIndex(file, rid::kControllerCopiesKey, kCopiesMax));
    values.fileCopies = static_cast<std::uint8_t>(ReadIndex(file, rid::kFileCopiesKey, kCopiesMax));
    values.media = ReadText(file, rid::kMediaKey, Text(rid::kJobDefaultText), kMediaReadBuffer);
    // The page stores the tray in capitals; a file edited by hand must load the same way.
    values.tray = ToUpperAscii(
        ReadText(file, rid::kTrayKey, Text(rid::kJobDefaultText), JobOptionsValues::kTrayField));
    values.pageSize = ReadText(file, rid::kPageSizeKey, {}, JobOptionsValues::kPageSizeField);
    values.pageScale = ReadText(file, rid::kPageScaleKey, {}, JobOptionsValues::kPageScaleField);
    values.format = ReadText(file, rid::kFormatKey, {}, JobOptionsValues::kFormatField);
    values.rasterMode = ReadText(file, rid::kRasterModeKey, {}, JobOptionsValues::kRasterModeField);
}

bool SaveJobOptions(const JobOptionsValues& values, const std::filesystem::path& file,
                    MessageSink& messages) {
    GroupWriter keys(file, rid::kJobOptionsWriteFailedMessage, messages,
                     std::string(Text(rid::kJobOptionsCaption)));
    const std::string_view section = Text(rid::kJobOptionsSection);
    keys.Write(section, Text(rid::kFoldingKey), std::to_string(values.folding));
    keys.Write(section, Text(rid::kControllerCopiesKey), std::to_string(values.copies));
    keys.Write(section, Text(rid::kFileCopiesKey), std::to_string(values.fileCopies));
    keys.WriteOrRemove(section, Text(rid::kMediaKey), values.media,
                       MatchesResource(values.media, rid::kJobDefaultText));
    const std::string tray = ToUpperAscii(values.tray);
    keys.WriteOrRemove(section, Text(rid::kTrayKey), tray,
                       MatchesResource(tray, rid::kJobDefaultText));
    for (auto [key, value] : {std::pair{rid::kPageSizeKey, &values.pageSize},
                              std::pair{rid::kPageScaleKey, &values.pageScale},
                              std::pair{rid::kFormatKey, &values.format},
                              std::pair{rid::kRasterModeKey, &values.rasterMode}}) {
        keys.WriteOrRemove(section, Text(key), *value, value->empty());
    }
    return keys.ok();
}

}  // namespace kestrum
