#pragma once

// The text stamp group: a line of text the controller prints on each plot, with its angle, point
// size, position and the switches of the controller's text command.
//
// Positions are held and stored as decimal hundredths of an inch whatever unit the page shows;
// the page converts millimetres on the way in and out (options/text_stamp_page.h).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "options/user_object.h"
#include "shell/message_sink.h"

namespace kestrum {

namespace stamp {
inline constexpr std::size_t kTextCapacity = 79;
inline constexpr std::size_t kPositionCapacity = 9;
inline constexpr std::size_t kListValueCapacity = 9;  // G and S values
// The switch words are read back only this long, so the on word must fit.
inline constexpr std::size_t kSwitchWordCapacity = 5;
inline constexpr std::uint8_t kSmallestPointSize = 8;
inline constexpr std::uint8_t kLargestPointSize = 100;

// The text a held position is stored as: "0" for "0.000", otherwise the held text without its
// "." characters.
std::string StoredPosition(std::string_view held);
}  // namespace stamp

void SetTextStampDefaults(TextStampValues& values);

// Reads the stamp's section. Missing keys give the defaults; texts are cut to their capacity and
// numbers to one byte, so anything a file holds loads without harm.
void LoadTextStamp(TextStampValues& values, const std::filesystem::path& file);

// A stamp that is on writes every key. A stamp that is off writes only its switch (the empty key,
// with the empty value), so the file keeps the stamp's other settings for when it is switched on
// again. A G or S value that is empty or the default entry has its key removed, so it loads as
// the default. A failed write or removal is reported through `messages` (one message per key)
// and the next key is still tried; false when any failed. The caller flushes the file.
[[nodiscard]] bool SaveTextStamp(const TextStampValues& values, const std::filesystem::path& file,
                                 MessageSink& messages);

}  // namespace kestrum
