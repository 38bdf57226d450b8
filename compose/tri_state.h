#pragma once

#include <initializer_list>
#include <string_view>

namespace kestrum {

// An option text turned into 1 (it equals one of the on texts), 0 (one of the off texts) or -1
// (anything else). Each block names its own numbered on and off texts.
int TriStateValue(std::string_view text, std::initializer_list<int> onResources,
                  std::initializer_list<int> offResources);

}  // namespace kestrum
