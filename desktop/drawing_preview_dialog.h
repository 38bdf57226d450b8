#pragma once

// The preview of a plot file or a drawing, shown as paper (white) with ink (black) whatever the
// desktop's colours. The window may be resized; the picture is drawn again at the new size.

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "render/drawing_rendering.h"
#include "render/hpgl_preview.h"

namespace kestrum {

// The one-bit picture as an image: a set bit is black ink on white paper.
QImage PreviewImage(const PreviewBitmap& bitmap);

// The plot drawn fitted into a picture of `size`.
QImage PlotImage(const HpglPlot& plot, QSize size);

// A plain HP-GL or HP-GL/2 plot file read for its preview; nothing when the file cannot be read
// or does not read as a plot.
std::optional<HpglPlot> ReadPlotForPreview(const std::string& path);

// Draws the picture of a preview at a given size.
using PreviewPainter = std::function<QImage(QSize)>;

// A plot's pictures at any size.
PreviewPainter PlotPainter(std::shared_ptr<const HpglPlot> plot);

// A drawing's pictures: the renderer's own at its own size (300 x 300); at any other size the
// drawing as the renderer plots it, which `renderPlot` renders when first needed (the renderer's
// picture stretched when that fails).
PreviewPainter DrawingPainter(const PreviewBitmap& bitmap,
                              std::function<std::optional<HpglPlot>()> renderPlot);

// Shows a preview picture at the widget's size. A resize shows the last picture stretched at
// once and draws the new one when the resizing pauses, so that dragging a window's edge over a
// large plot stays smooth.
class PreviewCanvas : public QWidget {
    Q_OBJECT

  public:
    explicit PreviewCanvas(PreviewPainter painter, QWidget* parent = nullptr);

    // The picture as last drawn.
    const QImage& picture() const { return picture_; }
    QSize sizeHint() const override { return {300, 300}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Redraw();

    PreviewPainter painter_;
    QImage picture_;
    QTimer redraw_;
};

class DrawingPreviewDialog : public QDialog {
    Q_OBJECT

  public:
    // `note`, when not empty, is shown below the picture (for a plot that was damaged).
    DrawingPreviewDialog(PreviewPainter painter, const QString& path, const QString& note = {},
                         QWidget* parent = nullptr);
    // A fixed picture, stretched when the window is resized.
    DrawingPreviewDialog(const QImage& picture, const QString& path, QWidget* parent = nullptr);

    PreviewCanvas* canvas() const { return canvas_; }

  private:
    PreviewCanvas* canvas_ = nullptr;
};

}  // namespace kestrum
