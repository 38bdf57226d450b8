#pragma once

// The key writes of one group's save. A failed write or removal shows the group's own message,
// naming the file, and the save goes on with the next key; ok() tells whether all went through.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/private_profile.h"
#include "shell/message_sink.h"

namespace kestrum {

class GroupWriter {
  public:
    // `file` and `messages` must outlive the writer. An empty caption means "Kestrum".
    GroupWriter(const std::filesystem::path& file, int failureMessage, MessageSink& messages,
                std::string caption = {})
        : file_(file),
          failureMessage_(failureMessage),
          messages_(messages),
          caption_(std::move(caption)) {}

    // Each call answers whether its own write went through.
    bool Write(std::string_view section, std::string_view key, std::string_view value) {
        return Check(profile::WriteString(file_, section, key, value));
    }

    // A value left at its default or emptied is removed, so an earlier save's key cannot bring
    // it back at the next load.
    bool Remove(std::string_view section, std::string_view key) {
        return Check(profile::DeleteKey(file_, section, key));
    }

    bool WriteOrRemove(std::string_view section, std::string_view key, std::string_view value,
                       bool remove) {
        return remove ? Remove(section, key) : Write(section, key, value);
    }

    bool RemoveSection(std::string_view section) {
        return Check(profile::DeleteSection(file_, section));
    }

    bool ok() const { return ok_; }

  private:
    bool Check(const Result<void>& result) {
        if (result) return true;
        ok_ = false;
        Message message = MakeMessage(failureMessage_, MessageIcon::Stop, file_.string());
        if (!caption_.empty()) message.caption = caption_;
        messages_.Show(message);
        return false;
    }

    const std::filesystem::path& file_;
    int failureMessage_;
    MessageSink& messages_;
    std::string caption_;
    bool ok_ = true;
};

}  // namespace kestrum
