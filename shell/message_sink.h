#pragma once

// Messages for the user. The desktop program shows them in message boxes; kestrum-cli prints
// them on standard error. Code that reports a failure never opens a window itself.

#include <string>
#include <vector>

#include "platform/result.h"

namespace kestrum {

enum class MessageIcon { Stop, Exclamation, Information };

struct Message {
    int resource = 0;     // the numbered string the text comes from; 0 for a composed text
    std::string text;     // the full text shown, detail included
    std::string caption;  // "Kestrum" unless the caller asks for another
    MessageIcon icon = MessageIcon::Exclamation;
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // May be called on any thread; implementations marshal to their own thread if they must.
    virtual void Show(const Message& message) = 0;
};

// A message from a numbered string, with an optional detail (a file or printer name, a cause)
// appended after it.
Message MakeMessage(int resource, MessageIcon icon, const std::string& detail = {});

// An error whose text is built as MakeMessage builds a message's.
Error MakeError(int resource, ErrorKind kind, const std::string& detail = {});

// The message that shows `error`; its number is the error's.
Message ToMessage(const Error& error, MessageIcon icon = MessageIcon::Exclamation);

// Shows `error` once: nothing when its parts were shown already (Error::shown).
void ShowError(MessageSink& messages, const Error& error,
               MessageIcon icon = MessageIcon::Exclamation);

// Keeps every message, for tests and for callers that report later.
class CollectingMessageSink final : public MessageSink {
  public:
    void Show(const Message& message) override { messages_.push_back(message); }
    const std::vector<Message>& messages() const { return messages_; }

  private:
    std::vector<Message> messages_;
};

// Prints "kestrum: <text>" on standard error.
class StderrMessageSink final : public MessageSink {
  public:
    void Show(const Message& message) override;
};

}  // namespace kestrum
