#pragma once

// kestrum-cli preview: the preview picture of an HP-GL plot file or a drawing, as a PNG image.

#include <string>

namespace CLI {
class App;
}

namespace kestrum::cli {

struct PreviewOptions {
    std::string plotFile;
    std::string output;
    int size = 300;
};

// Adds the command "preview" and its options to `app`; `options` receives what was given.
void AddPreviewCommand(CLI::App& app, PreviewOptions& options);

int RunPreview(const PreviewOptions& options);

}  // namespace kestrum::cli
