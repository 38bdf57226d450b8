#pragma once

// The launcher's texts with their details filled in: a string-table text whose "%1" to "%9" are
// replaced by the given details, so that translations may put them in their own order.

#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrum {

std::string LaunchText(int resource, std::initializer_list<std::string_view> details = {});

}  // namespace kestrum
