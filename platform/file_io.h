#pragma once

#include <cstddef>
#include <string_view>

namespace kestrum {

// Writes every byte, going on after short writes and interruptions. False with errno set when a
// write fails (a write of no bytes counts as failing, with errno left as the system set it).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace kestrum
