#pragma once

// kestrum-cli render: a drawing as the delivery worker would send it, or its preview picture.

#include <string>

namespace kestrum::cli {

struct RenderOptions {
    std::string drawing;
    std::string configFile;   // empty: the current settings
    std::string output;       // empty: standard output (unless only a preview is asked for)
    std::string previewFile;  // empty: no preview
};

int RunRender(const RenderOptions& options);

}  // namespace kestrum::cli
