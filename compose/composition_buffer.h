#pragma once

// The text buffer each header block is composed into. It is emptied before every block and
// written as one piece, so one block is one write to the print job.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

inline constexpr char kEsc = '\x1b';

class CompositionBuffer {
  public:
    // A block is never longer than this; text beyond it is dropped rather than overrunning.
    static constexpr std::size_t kCapacity = 5000;

    void Clear() { text_.clear(); }
    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }
    const std::string& text() const { return text_; }

    // Appends up to the first zero byte: a block is a text, and a zero inside it would end the
    // text early on the controller's side.
    void Append(std::string_view text) {
        if (auto zero = text.find('\0'); zero != std::string_view::npos)
            text = text.substr(0, zero);
        const std::size_t room = kCapacity - 1 - text_.size();
        text_.append(text.substr(0, room));
    }
    void Append(char c) { Append(std::string_view(&c, 1)); }

    // ESC followed by the command text.
    void AppendCommand(std::string_view command) {
        Append(kEsc);
        Append(command);
    }

  private:
    std::string text_;
};

// The CommandTerminator: "!" while the set-current flag is 1, ":" otherwise.
inline char CommandTerminator(int setCurrentFlag) {
    return setCurrentFlag == 1 ? '!' : ':';
}

}  // namespace kestrum
