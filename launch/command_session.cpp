#include "launch/command_session.h"

#include <algorithm>
#include <optional>

namespace kestrum {
namespace {

// The text in `data` before its first zero byte, looking at no more than `limit` bytes; none when
// the text does not end within `limit` bytes and the data goes on.
std::optional<std::string_view> ReadText(std::span<const char> data, std::size_t limit) {
    const std::size_t looked = std::min(data.size(), limit);
    const auto end =
        std::find(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(looked), '\0');
    const auto length = static_cast<std::size_t>(end - data.begin());
    if (length == looked && data.size() > limit) return std::nullopt;
    return std::string_view(data.data(), length);
}

}  // namespace

bool CommandSession::Connect(std::string_view client, std::string_view service,
                             std::string_view topic) {
    if (connected() || client.empty()) return false;
    if (service != kServiceName || topic != kTopicName) return false;
    client_ = client;
    return true;
}

void CommandSession::Disconnect(std::string_view client) {
    if (Heard(client)) client_.clear();
}

CommandAnswer CommandSession::Execute(std::string_view client, std::span<const char> data) {
    if (!Heard(client)) return CommandAnswer::NotProcessed;
    const std::optional<std::string_view> command = ReadText(data, kCommandBytes);
    if (!command) return CommandAnswer::NotProcessed;
    if (*command == kLaunchDialog) {
        host_.ShowLaunchDialog();
        return CommandAnswer::Acknowledged;
    }
    if (SendRunning()) return CommandAnswer::NotProcessed;
    if (*command == kClearLaunchList) {
        list_.Clear();
        return CommandAnswer::Acknowledged;
    }
    if (*command == kLaunchSend) {
        // Marked before the start, so nothing the start sets off can let a second send in.
        busy_ = true;
        host_.StartSend();
        return CommandAnswer::Acknowledged;
    }
    return CommandAnswer::NotProcessed;
}

CommandAnswer CommandSession::Poke(std::string_view client, std::string_view item,
                                   std::span<const char> data) {
    if (!Heard(client) || item.size() > kItemBytes) return CommandAnswer::NotProcessed;
    if (item != kAddFile && item != kAssignConfig) return CommandAnswer::NotProcessed;
    if (SendRunning()) return CommandAnswer::NotProcessed;
    const std::optional<std::string_view> value = ReadText(data, kValueBytes + 1);
    if (!value || value->size() > kValueBytes) return CommandAnswer::NotProcessed;
    if (item == kAddFile) {
        // An entry without a path could never be sent.
        if (value->empty()) return CommandAnswer::NotProcessed;
        list_.AddEntry(std::string(*value));
        return CommandAnswer::Acknowledged;
    }
    if (!list_.AssignConfiguration(std::string(*value))) return CommandAnswer::NotProcessed;
    return CommandAnswer::Acknowledged;
}

}  // namespace kestrum
