// Keeps the layers honest: each folder includes only the folders below it, the toolkit-free
// folders never include Qt, and only platform/ talks to the spooler or loads libraries.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "temp_folder.h"

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

// The core's layers, lowest first: each may include the ones before it. The front ends sit on
// top of all of them, side by side. The renderer plugin is a library of its own: it includes only
// itself, and only render/ reaches it, through the plugin's interface header.
const std::vector<std::string> kCoreLayers = {"platform", "shell",  "options", "config",
                                              "compose",  "launch", "render"};
const std::vector<std::string> kFrontEnds = {"cli", "desktop"};

std::map<std::string, std::set<std::string>> MayInclude() {
    std::map<std::string, std::set<std::string>> allowed;
    for (std::size_t i = 0; i < kCoreLayers.size(); ++i) {
        allowed[kCoreLayers[i]] = {kCoreLayers.begin(), kCoreLayers.begin() + i + 1};
    }
    for (const std::string& front : kFrontEnds) {
        allowed[front] = {kCoreLayers.begin(), kCoreLayers.end()};
        allowed[front].insert(front);
    }
    allowed["render"].insert("plugins");
    allowed["plugins"] = {"plugins"};
    return allowed;
}

// Every include of a project folder that `folder`'s layer may not reach, under `root`.
std::vector<std::string> LayerViolations(const fs::path& root, const std::string& folder) {
    const std::set<std::string> allowed = MayInclude().at(folder);
    const std::regex project(R"re(^\s*#\s*include\s*"([A-Za-z_]+)/)re");
    std::vector<std::string> hits;
    for (const std::string& line : IncludesMatching(root / folder, project)) {
        std::smatch match;
        const std::string text = line.substr(line.find(": ") + 2);
        if (std::regex_search(text, match, project) && !allowed.contains(match[1].str())) {
            hits.push_back(line);
        }
    }
    return hits;
}

TEST(LayeringTest, ToolkitFreeFoldersDoNotIncludeQt) {
    const std::regex qt(R"(^\s*#\s*include\s*<Q)");
    for (const char* folder :
         {"platform", "shell", "options", "config", "compose", "launch", "render", "plugins"}) {
        EXPECT_EQ(IncludesMatching(kSource / folder, qt), std::vector<std::string>{}) << folder;
    }
}

// kestrum-cli talks to the desktop program over the session bus, so it may use Qt's core and
// bus modules; nothing that needs a display.
TEST(LayeringTest, CommandLineUsesNoWindowingQt) {
    const std::regex qt(R"(^\s*#\s*include\s*<Q)");
    const std::regex coreOrBus(R"(<(QCoreApplication|QEventLoop|QObject|QString|QDBus\w*)>)");
    std::vector<std::string> windowing;
    for (const std::string& line : IncludesMatching(kSource / "cli", qt)) {
        if (!std::regex_search(line, coreOrBus)) windowing.push_back(line);
    }
    EXPECT_EQ(windowing, std::vector<std::string>{});
}

TEST(LayeringTest, OnlyPlatformReachesTheSpoolerAndLoader) {
    const std::regex system(R"(^\s*#\s*include\s*<(cups/|dlfcn\.h))");
    for (const char* folder :
         {"shell", "options", "config", "compose", "launch", "render", "cli"}) {
        EXPECT_EQ(IncludesMatching(kSource / folder, system), std::vector<std::string>{}) << folder;
    }
}

TEST(LayeringTest, EachFolderIncludesOnlyTheLayersBelowIt) {
    for (const auto& [folder, allowed] : MayInclude()) {
        EXPECT_EQ(LayerViolations(kSource, folder), std::vector<std::string>{}) << folder;
    }
}

// The check itself: a lower folder that reaches up, or one front end that reaches into the other,
// is caught; reaching down is not.
TEST(LayeringTest, AnUpwardIncludeIsCaught) {
    struct Row {
        const char* folder;
        const char* include;
        bool caught;
    };
    const Row rows[] = {
        {"platform", "shell/resource_ids.h", true},
        {"config", "compose/job_stream.h", true},
        {"launch", "render/renderer_binding.h", true},
        {"cli", "desktop/main_window.h", true},
        {"plugins", "platform/result.h", true},
        {"options", "plugins/acadhpgl/x.h", true},
        {"render", "plugins/acadhpgl/acadhpgl.h", false},
        {"launch", "config/option_state.h", false},
        {"cli", "cli/send_commands.h", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.folder) + " includes " + row.include);
        kestrum::test::TempFolder root;
        fs::create_directories(root / row.folder);
        std::ofstream(root / row.folder / "probe.cpp")
            << "#include <vector>\n#include \"" << row.include << "\"\n";
        EXPECT_EQ(LayerViolations(root.path(), row.folder).size(), row.caught ? 1u : 0u);
    }
}

}  // namespace
