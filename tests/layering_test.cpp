// Keeps the layers honest: the toolkit-free folders never include Qt, and only platform/ talks
// to the spooler or loads libraries.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> IncludesMatching(const fs::path& folder, const std::regex& pattern) {
    std::vector<std::string> hits;
    if (!fs::exists(folder)) return hits;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto ext = entry.path().extension();
        if (ext != ".h" && ext != ".cpp") continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (std::regex_search(line, pattern)) {
                hits.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
            }
        }
    }
    return hits;
}

const fs::path kSource = KESTRUM_SOURCE_DIR;

TEST(LayeringTest, ToolkitFreeFoldersDoNotIncludeQt) {
    const std::regex qt(R"(^\s*#\s*include\s*<Q)");
    for (const char* folder : {"platform", "shell", "options", "config", "compose", "launch",
                               "render", "cli", "plugins"}) {
        EXPECT_EQ(IncludesMatching(kSource / folder, qt), std::vector<std::string>{}) << folder;
    }
}

TEST(LayeringTest, OnlyPlatformReachesTheSpoolerAndLoader) {
    const std::regex system(R"(^\s*#\s*include\s*<(cups/|dlfcn\.h))");
    for (const char* folder : {"shell", "options", "config", "compose", "launch", "render", "cli"}) {
        EXPECT_EQ(IncludesMatching(kSource / folder, system), std::vector<std::string>{}) << folder;
    }
}

}  // namespace
