#include "render/renderer_binding.h"

#include <cstdlib>

namespace kestrum {

RendererBinding RendererBinding::FromFile(const std::string& path) {
    RendererBinding binding;
    Result<SharedLibrary> library = SharedLibrary::Open(path);
    if (!library) return binding;
    auto isDrawing = reinterpret_cast<AcadIsaFunction>(library.value().Symbol("IsaACAD"));
    auto render = reinterpret_cast<AcadRenderFunction>(library.value().Symbol("RenderACAD"));
    if (isDrawing == nullptr || render == nullptr) return binding;
    binding.library_ = std::move(library).value();
    binding.isDrawing_ = isDrawing;
    binding.render_ = render;
    binding.lastMessage_ =
        reinterpret_cast<AcadMessageFunction>(binding.library_.Symbol("AcadLastMessage"));
    return binding;
}

std::string RendererBinding::LastMessage() const {
    if (lastMessage_ == nullptr) return "";
    const char* text = lastMessage_();
    return text != nullptr ? text : "";
}

std::vector<std::string> RendererBinding::LibraryFolderCandidates() {
    std::vector<std::string> candidates;
    if (const std::string folder = ExecutableFolder(); !folder.empty()) {
        candidates.push_back(folder + "/" + kRendererFileName);
    }
    candidates.push_back(std::string(KESTRUM_LIBRARY_FOLDER) + "/" + kRendererFileName);
    return candidates;
}

RendererBinding RendererBinding::ForProgram() {
    if (const char* named = std::getenv(kRendererVariable); named != nullptr && named[0] != '\0') {
        return FromFile(named);
    }
    for (const std::string& candidate : LibraryFolderCandidates()) {
        RendererBinding binding = FromFile(candidate);
        if (binding.available()) return binding;
    }
    return {};
}

}  // namespace kestrum
