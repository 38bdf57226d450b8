#include "desktop/launcher_file_filter.h"

#include <cctype>

namespace kestrum {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Iterative matching with one backtrack point: linear in practice, never exponential, whatever
// a typed pattern holds.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesFileFilter(std::string_view name, std::string_view filter) {
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t end = filter.find_first_of("; ", start);
        if (end == std::string_view::npos) end = filter.size();
        const std::string_view pattern = filter.substr(start, end - start);
        if (pattern == "*.*" || pattern == "*") return true;
        if (!pattern.empty() && MatchesPattern(name, pattern)) return true;
        start = end + 1;
    }
    return false;
}

bool IsFileFilter(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string> FileFilterChoices(bool autoCad) {
    if (autoCad) return {"*.dxf", "*.dwg", "*.dxf;*.dwg"};
    return {"*.*", "*.plt;*.hpg;*.hpgl;*.hp2;*.gl2", "*.ps;*.eps;*.prn", "*.dxf;*.dwg"};
}

}  // namespace kestrum
