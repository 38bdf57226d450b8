#include "render/drawing_rendering.h"

#include <sys/mman.h>
#include <unistd.h>

#include <bit>
#include <cerrno>

#include "platform/error_text.h"
#include "platform/unique_fd.h"
#include "render/render_parameters.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

Error NotRendered(const std::string& drawing) {
    return Fail(ErrorKind::Library, FormatResourceString(rid::kDrawingNotRendered, {drawing}));
}

}  // namespace

int RendererAnswer(const RendererBinding& renderer, const std::string& path) {
    RenderParameters parameters;
    if (!renderer.available() || !parameters.SetDrawingPath(path)) return 0;
    return renderer.IsaACAD(parameters.record());
}

bool IsDrawingToRender(const RendererBinding& renderer, const std::string& path) {
    return RendererAnswer(renderer, path) == 1;
}

Result<void> RenderDrawingToFile(const RendererBinding& renderer, OptionState& state,
                                 const std::string& drawing, int outputFile) {
    RenderParameters parameters;
    if (Result<void> named = parameters.SetDrawingPath(drawing); !named) return named;
    AcadRenderRecord& record = parameters.record();
    record.outputFile = outputFile;
    record.outputKind = ACADHPGL_WRITE_HPGL;
    if (Result<void> exported = ExportRenderParameters(state, parameters); !exported) {
        return exported;
    }
    if (renderer.RenderACAD(record) != 0) return NotRendered(drawing);
    return Ok();
}

bool LibraryDrawingRenderer::IsDrawing(const std::string& path) {
    return IsDrawingToRender(renderer_, path);
}

Result<void> LibraryDrawingRenderer::Render(const std::string& drawing, OptionState& state,
                                            int outputFile) {
    return RenderDrawingToFile(renderer_, state, drawing, outputFile);
}

namespace {

// Owns its binding, so the library stays loaded for as long as a send holds the renderer.
class OwningDrawingRenderer final : public DrawingRenderer {
  public:
    explicit OwningDrawingRenderer(RendererBinding binding) : binding_(std::move(binding)) {}
    bool IsDrawing(const std::string& path) override { return IsDrawingToRender(binding_, path); }
    Result<void> Render(const std::string& drawing, OptionState& state, int outputFile) override {
        return RenderDrawingToFile(binding_, state, drawing, outputFile);
    }

  private:
    RendererBinding binding_;
};

}  // namespace

std::shared_ptr<DrawingRenderer> ProgramDrawingRenderer() {
    RendererBinding binding = RendererBinding::ForProgram();
    if (!binding.available()) return nullptr;
    return std::make_shared<OwningDrawingRenderer>(std::move(binding));
}

std::size_t PreviewBitmap::InkCount() const {
    std::size_t count = 0;
    for (std::uint8_t byte : bits) count += static_cast<std::size_t>(std::popcount(byte));
    return count;
}

std::string PreviewBitmap::ToPbm() const {
    std::string image = "P4\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n";
    image.append(bits.begin(), bits.end());
    return image;
}

Result<PreviewBitmap> RenderPreview(const RendererBinding& renderer, OptionState& state,
                                    const std::string& drawing) {
    if (RendererAnswer(renderer, drawing) == 0) {
        return Fail(std::string(LoadResourceString(rid::kPreviewNotDrawingMessage)) + " (" +
                    drawing + ")");
    }
    RenderParameters parameters;
    if (Result<void> named = parameters.SetDrawingPath(drawing); !named) return named.error();
    AcadRenderRecord& record = parameters.record();
    record.outputKind = ACADHPGL_DRAW_PREVIEW;
    if (Result<void> exported = ExportRenderParameters(state, parameters); !exported) {
        return exported.error();
    }
    record.areaX0 = 1;
    record.areaY0 = 1;
    record.areaX1 = PreviewBitmap::kWidth;
    record.areaY1 = PreviewBitmap::kHeight;
    record.scaleMode = ACADHPGL_SCALE_FIT;
    record.fitSubMode = ACADHPGL_REGION_EXTENTS;
    record.previewFlag = 1;

    // The picture starts white: an anonymous file of zero bytes that the renderer draws into.
    PreviewBitmap picture;
    UniqueFd canvas(::memfd_create("kestrum-preview", MFD_CLOEXEC));
    if (!canvas.valid() ||
        ::ftruncate(canvas.get(), static_cast<off_t>(picture.bits.size())) != 0) {
        return Fail(ErrorKind::Library,
                    FormatResourceString(rid::kPreviewNotMade, {drawing, ErrorText(errno)}));
    }
    record.deviceContext = canvas.get();
    if (renderer.RenderACAD(record) != 0) return NotRendered(drawing);

    const ssize_t got = ::pread(canvas.get(), picture.bits.data(), picture.bits.size(), 0);
    if (got != static_cast<ssize_t>(picture.bits.size())) {
        return Fail(ErrorKind::Library,
                    FormatResourceString(rid::kPreviewNotRead, {drawing, ErrorText(errno)}));
    }
    return picture;
}

}  // namespace kestrum
