#pragma once

// Rendering drawings through the renderer library: as HP-GL/2 into a file for sending, and as
// the 300 x 300 one-bit preview picture.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/option_state.h"
#include "launch/drawing_renderer.h"
#include "platform/result.h"
#include "render/renderer_binding.h"

namespace kestrum {

// The renderer's IsaACAD answer for `path`; 0 when the renderer is unavailable or the path does
// not fit its record.
int RendererAnswer(const RendererBinding& renderer, const std::string& path);

// The renderer's answer for sending: only a result of exactly 1 is rendered.
bool IsDrawingToRender(const RendererBinding& renderer, const std::string& path);

// Renders `drawing` with the state's AutoCAD options into the open file `outputFile`. Fails,
// naming the drawing, when the renderer reports that it could not render it: an empty or half
// written plot must not go to the printer as if it were the drawing.
[[nodiscard]] Result<void> RenderDrawingToFile(const RendererBinding& renderer, OptionState& state,
                                               const std::string& drawing, int outputFile);

// The delivery worker's renderer.
class LibraryDrawingRenderer final : public DrawingRenderer {
  public:
    explicit LibraryDrawingRenderer(const RendererBinding& renderer) : renderer_(renderer) {}
    bool IsDrawing(const std::string& path) override;
    Result<void> Render(const std::string& drawing, OptionState& state, int outputFile) override;

  private:
    const RendererBinding& renderer_;
};

// The program's renderer (RendererBinding::ForProgram) for a send owner, which keeps it for the
// send; none when the library is not there, so drawings go out as they are.
std::shared_ptr<DrawingRenderer> ProgramDrawingRenderer();

struct PreviewBitmap {
    static constexpr int kWidth = ACADHPGL_BITMAP_WIDTH;
    static constexpr int kHeight = ACADHPGL_BITMAP_HEIGHT;
    static constexpr int kRowBytes = ACADHPGL_BITMAP_ROW_BYTES;

    // Rows top first, the leftmost pixel in the highest bit, a set bit is ink.
    std::vector<std::uint8_t> bits = std::vector<std::uint8_t>(ACADHPGL_BITMAP_BYTES);

    bool Ink(int x, int y) const {
        return (bits[static_cast<std::size_t>(y * kRowBytes + x / 8)] >> (7 - x % 8)) & 1;
    }
    std::size_t InkCount() const;
    // A binary PBM image of the picture.
    std::string ToPbm() const;
};

// The preview of `drawing`: the same options, but always fitted into the whole picture. A file
// the renderer does not take fails with the "not a drawing" message and the file's name.
[[nodiscard]] Result<PreviewBitmap> RenderPreview(const RendererBinding& renderer,
                                                  OptionState& state, const std::string& drawing);

}  // namespace kestrum
