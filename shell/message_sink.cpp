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

Error MakeError(int resource, ErrorKind kind, const std::string& detail) {
    Error error;
    error.message = MakeMessage(resource, MessageIcon::Exclamation, detail).text;
    error.resource = resource;
    error.kind = kind;
    return error;
}

Message ToMessage(const Error& error, MessageIcon icon) {
    Message message;
    message.resource = error.resource;
    message.text = error.message;
    message.caption = "Kestrum";
    message.icon = icon;
    return message;
}

void ShowError(MessageSink& messages, const Error& error, MessageIcon icon) {
    if (!error.shown) messages.Show(ToMessage(error, icon));
}

void StderrMessageSink::Show(const Message& message) {
    std::fprintf(stderr, "kestrum: %s\n", message.text.c_str());
}

}  // namespace kestrum
