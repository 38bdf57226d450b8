#include "platform/error_text.h"

#include <cstring>

namespace kestrum {
namespace {

// glibc declares one of two strerror_r; these accept whichever <cstring> gave.
[[maybe_unused]] const char* Pick(int result, const char* buffer) {
    return result == 0 ? buffer : "unknown error";
}
[[maybe_unused]] const char* Pick(const char* result, const char*) {
    return result;
}

}  // namespace

std::string ErrorText(int error) {
    char buffer[256] = {};
    return Pick(strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace kestrum
