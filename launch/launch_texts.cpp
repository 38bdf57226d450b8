#include "launch/launch_texts.h"

#include <vector>

#include "shell/language_strings.h"

namespace kestrum {

std::string LaunchText(int resource, std::initializer_list<std::string_view> details) {
    const std::string_view text = LoadResourceString(resource);
    const std::vector<std::string_view> values(details);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto index = static_cast<std::size_t>(next - '1');
            if (index < values.size()) out += values[index];
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace kestrum
