#include "render/renderer_binding.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

std::mutex& RendererCalls() {
    static std::mutex calls;
    return calls;
}

Error NotLoaded(const std::string& why) {
    return MakeError(rid::kRendererNotLoaded, ErrorKind::Library, why);
}

}  // namespace

int RendererBinding::IsaACAD(AcadRenderRecord& record) const {
    std::lock_guard lock(RendererCalls());
    return isDrawing_(&record);
}

int RendererBinding::RenderACAD(AcadRenderRecord& record) const {
    std::lock_guard lock(RendererCalls());
    return render_(&record);
}

RendererBinding RendererBinding::FromFile(const std::string& path) {
    RendererBinding binding;
    Result<SharedLibrary> library = SharedLibrary::Open(path);
    if (!library) {
        binding.loadError_ = NotLoaded(library.error().message);
        return binding;
    }
    auto isDrawing = reinterpret_cast<AcadIsaFunction>(library.value().Symbol("IsaACAD"));
    auto render = reinterpret_cast<AcadRenderFunction>(library.value().Symbol("RenderACAD"));
    if (isDrawing == nullptr || render == nullptr) {
        binding.loadError_ =
            NotLoaded(FormatResourceString(rid::kRendererLacksEntryPoints, {path}));
        return binding;
    }
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
    // The reason to keep is the one of a library that is there but does not load; a library
    // that is nowhere is the usual case and gets the list of places looked in.
    std::optional<Error> reason;
    std::string places;
    for (const std::string& candidate : LibraryFolderCandidates()) {
        RendererBinding binding = FromFile(candidate);
        if (binding.available()) return binding;
        std::error_code error;
        if (!reason && std::filesystem::exists(candidate, error)) reason = binding.loadError_;
        places += (places.empty() ? "" : ", ") + candidate;
    }
    RendererBinding none;
    none.loadError_ =
        reason ? *reason : NotLoaded(FormatResourceString(rid::kRendererNowhere, {places}));
    return none;
}

}  // namespace kestrum
