#include "shell/message_sink.h"

#include <cstdio>

#include "shell/language_strings.h"

namespace kestrum {

Message MakeMessage(int resource, MessageIcon icon, const std::string& detail) {
    Message message;
    message.resource = resource;
    message.text = std::string(LoadResourceString(resource));
    if (!detail.empty()) message.text += (message.text.empty() ? "" : " ") + detail;
    message.caption = "Kestrum";
    message.icon = icon;
    return message;
}

void StderrMessageSink::Show(const Message& message) {
    std::fprintf(stderr, "kestrum: %s\n", message.text.c_str());
}

}  // namespace kestrum
