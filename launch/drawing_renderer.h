#pragma once

// The drawing renderer as the delivery worker's pre-pass uses it; render/ implements it on the
// renderer library.

#include <string>

#include "platform/result.h"

namespace kestrum {

struct OptionState;

class DrawingRenderer {
  public:
    virtual ~DrawingRenderer() = default;
    virtual bool IsDrawing(const std::string& path) = 0;
    // Renders `drawing` into the open `outputFile` with the state's current options. A failure
    // ends the send: a plot the renderer gave up on is not sent as if it were the drawing.
    virtual Result<void> Render(const std::string& drawing, OptionState& state, int outputFile) = 0;
};

}  // namespace kestrum
