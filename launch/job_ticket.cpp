#include "launch/job_ticket.h"

namespace kestrum {

std::string CutTicketText(std::string_view text, std::size_t longest) {
    if (text.size() <= longest) return std::string(text);
    std::size_t end = longest;
    // A continuation byte at the cut means the cut falls inside a sequence: go back to its lead.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

void JobTicket::Confirm(const TicketTexts& entered) {
    for (std::size_t i = 0; i < kTicketFieldCount; ++i) {
        texts_[i] = CutTicketText(entered[i], kTicketFields[i].longest);
    }
}

}  // namespace kestrum
