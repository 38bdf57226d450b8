#pragma once

// The program's binding to the drawing renderer library: the library, its two entry points and
// whether rendering is available at all. A missing library or entry point only leaves rendering
// unavailable; nobody is told at start-up, because most plot rooms never send drawings.

#include <string>
#include <vector>

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

    // Only while available().
    int IsaACAD(AcadRenderRecord& record) const { return isDrawing_(&record); }
    int RenderACAD(AcadRenderRecord& record) const { return render_(&record); }
    // What the renderer said about its last call on this thread (why it failed, or what a
    // render left out); "" when it has nothing to say or does not say anything at all.
    std::string LastMessage() const;

  private:
    SharedLibrary library_;
    AcadIsaFunction isDrawing_ = nullptr;
    AcadRenderFunction render_ = nullptr;
    AcadMessageFunction lastMessage_ = nullptr;  // optional
};

}  // namespace kestrum
