#include "compose/tri_state.h"

#include "shell/text_compare.h"

namespace kestrum {

int TriStateValue(std::string_view text, std::initializer_list<int> onResources,
                  std::initializer_list<int> offResources) {
    for (int resource : onResources) {
        if (MatchesResource(text, resource)) return 1;
    }
    for (int resource : offResources) {
        if (MatchesResource(text, resource)) return 0;
    }
    return -1;
}

}  // namespace kestrum
