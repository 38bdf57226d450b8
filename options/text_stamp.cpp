#include "options/text_stamp.h"

#include <algorithm>

#include "options/group_writer.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

// The stamp's switch lives under the key with no name.
constexpr std::string_view kSwitchKey = "";

std::string_view Key(int resource) {
    return LoadResourceString(resource);
}

std::uint8_t ReadSwitchWord(const std::filesystem::path& file, std::string_view section, int key) {
    const std::string word =
        profile::ReadString(file, section, Key(key), LoadResourceString(rid::kStampOffWord),
                            stamp::kSwitchWordCapacity + 1);
    return MatchesResource(word, rid::kStampOnWord) ? 1 : 0;
}

std::string_view SwitchWord(std::uint8_t on) {
    return LoadResourceString(on != 0 ? rid::kStampOnWord : rid::kStampOffWord);
}

bool IsDefaultEntry(std::string_view value) {
    return value.empty() || MatchesResource(value, rid::kStampDefaultEntry);
}

}  // namespace

std::string stamp::StoredPosition(std::string_view held) {
    if (held == "0.000") return "0";
    std::string stored(held);
    std::erase(stored, '.');
    return stored;
}

void SetTextStampDefaults(TextStampValues& values) {
    values = TextStampValues{};
}

void LoadTextStamp(TextStampValues& values, const std::filesystem::path& file) {
    const std::string_view section = LoadResourceString(rid::kStampSection);
    // Any number but 0 switches the stamp on; held as 0 or 1 so that 256 does not wrap to off.
    values.stampOn = profile::ReadInt(file, section, kSwitchKey, 0) != 0 ? 1 : 0;
    values.text =
        profile::ReadString(file, section, Key(rid::kStampTextKey), "", stamp::kTextCapacity + 1);
    // Angles are whole degrees in one byte: 300 is stored as 44, as the page does with a typed 300.
    values.angle =
        static_cast<std::uint8_t>(profile::ReadInt(file, section, Key(rid::kStampAngleKey), 0));
    values.horizontalPosition = profile::ReadString(file, section, Key(rid::kStampHorizontalKey),
                                                    "0", stamp::kPositionCapacity + 1);
    values.verticalPosition = profile::ReadString(file, section, Key(rid::kStampVerticalKey), "0",
                                                  stamp::kPositionCapacity + 1);
    values.pointSize = static_cast<std::uint8_t>(
        profile::ReadInt(file, section, Key(rid::kStampPointSizeKey), stamp::kSmallestPointSize));
    values.timeSwitch = ReadSwitchWord(file, section, rid::kStampTimeKey);
    values.dateSwitch = ReadSwitchWord(file, section, rid::kStampDateKey);
    values.hSwitch = ReadSwitchWord(file, section, rid::kStampHOptionKey);
    values.gValue = profile::ReadString(file, section, Key(rid::kStampGValueKey), "",
                                        stamp::kListValueCapacity + 1);
    values.sValue = profile::ReadString(file, section, Key(rid::kStampSValueKey), "",
                                        stamp::kListValueCapacity + 1);
}

bool SaveTextStamp(const TextStampValues& values, const std::filesystem::path& file,
                   MessageSink& messages) {
    const std::string_view section = LoadResourceString(rid::kStampSection);
    GroupWriter keys(file, rid::kStampWriteFailedMessage, messages);
    const auto write = [&](std::string_view key, std::string_view value) {
        keys.Write(section, key, value);
    };
    const auto writeUnlessDefault = [&](std::string_view key, std::string_view value) {
        keys.WriteOrRemove(section, key, value, IsDefaultEntry(value));
    };

    if (values.stampOn == 0) {
        write(kSwitchKey, "");
        return keys.ok();
    }
    write(kSwitchKey, "1");
    write(Key(rid::kStampTextKey), values.text);
    write(Key(rid::kStampAngleKey), std::to_string(values.angle));
    write(Key(rid::kStampPointSizeKey), std::to_string(values.pointSize));
    write(Key(rid::kStampTimeKey), SwitchWord(values.timeSwitch));
    write(Key(rid::kStampDateKey), SwitchWord(values.dateSwitch));
    write(Key(rid::kStampHOptionKey), SwitchWord(values.hSwitch));
    write(Key(rid::kStampHorizontalKey), stamp::StoredPosition(values.horizontalPosition));
    write(Key(rid::kStampVerticalKey), stamp::StoredPosition(values.verticalPosition));
    writeUnlessDefault(Key(rid::kStampGValueKey), values.gValue);
    writeUnlessDefault(Key(rid::kStampSValueKey), values.sValue);
    return keys.ok();
}

}  // namespace kestrum
