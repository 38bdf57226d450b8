#pragma once

// The job ticket: six texts the user fills in before a send from the launcher, written into every
// accounting line. They live for the program run only and are shown again as the next ticket's
// defaults. The ticket dialog mirrors this model; the delivery worker reads a copy.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

enum class TicketField { A, B, C, D, E, F };

inline constexpr std::size_t kTicketFieldCount = 6;

// Where each text is entered in the ticket dialog, and how much of it is kept.
struct TicketFieldInfo {
    int control;
    std::size_t longest;  // bytes, as the accounting line's fixed fields held them
};

inline constexpr std::array<TicketFieldInfo, kTicketFieldCount> kTicketFields{{
    {1283, 49},  // A: edit field, has the focus when the dialog opens
    {1284, 49},  // B: edit field
    {1285, 24},  // C: edit field
    {1286, 49},  // D: edit field
    {1290, 49},  // E: combo box edit text
    {1157, 49},  // F: combo box edit text
}};

using TicketTexts = std::array<std::string, kTicketFieldCount>;

class JobTicket {
  public:
    const std::string& text(TicketField field) const {
        return texts_[static_cast<std::size_t>(field)];
    }
    const TicketTexts& texts() const { return texts_; }

    // The dialog's OK: keeps each text cut to its field's longest length. Cancel calls nothing.
    void Confirm(const TicketTexts& entered);

  private:
    TicketTexts texts_;
};

// At most `longest` bytes of `text`, cut before a UTF-8 sequence rather than inside it, so an
// accounting line never holds half a character.
std::string CutTicketText(std::string_view text, std::size_t longest);

}  // namespace kestrum
