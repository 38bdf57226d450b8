#pragma once

#include <string>

namespace kestrum {

// The system's words for an errno value. Safe on any thread, unlike strerror.
std::string ErrorText(int error);

}  // namespace kestrum
