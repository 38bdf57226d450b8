#pragma once

// The program's binding to the drawing renderer library: the library, its two entry points and
// whether rendering is available at all. A missing library or entry point only leaves rendering
// unavailable; nobody is told at start-up, because most plot rooms never send drawings.

#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/shared_library.h"
#include "plugins/acadhpgl/acadhpgl.h"

namespace kestrum {

inline constexpr const char* kRendererFileName = "libacadhpgl.so";
inline constexpr const char* kRendererVariable = "KESTRUM_RENDERER";

class RendererBinding {
  public:
    // Unavailable.
    RendererBinding() = default;

    // The file that KESTRUM_RENDERER names when it is set, else the first of
    // LibraryFolderCandidates() that loads.
    static RendererBinding ForProgram();
    // The library at `path`, for tests and for KESTRUM_RENDERER.
    static RendererBinding FromFile(const std::string& path);

    // Beside the executable (the build tree), then the installed library folder.
    static std::vector<std::string> LibraryFolderCandidates();

    bool available() const { return isDrawing_ != nullptr && render_ != nullptr; }
    // The library that was loaded, or empty.
    const std::string& path() const { return library_.path(); }

    // Why no renderer is available: the loader's words for the library that failed to load or
    // lacks an entry point, for a front end to show once when a drawing needs the renderer.
    // Empty while available() and for the default-constructed binding.
    const std::optional<Error>& loadError() const { return loadError_; }

    // Only while available(). The plugin keeps state between and inside calls, so every call to
    // any renderer of the process waits for the one under way (a preview on the user-interface
    // thread while the worker renders a drawing).
    int IsaACAD(AcadRenderRecord& record) const;
    int RenderACAD(AcadRenderRecord& record) const;
    // What the renderer said about its last call on this thread (why it failed, or what a
    // render left out); "" when it has nothing to say or does not say anything at all.
    std::string LastMessage() const;

  private:
    std::optional<Error> loadError_;
    SharedLibrary library_;
    AcadIsaFunction isDrawing_ = nullptr;
    AcadRenderFunction render_ = nullptr;
    AcadMessageFunction lastMessage_ = nullptr;  // optional
};

}  // namespace kestrum
