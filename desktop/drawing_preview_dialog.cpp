#include "desktop/drawing_preview_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSizePolicy>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "render/hpgl_preview.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

QImage PreviewImage(const PreviewBitmap& bitmap) {
    QImage image(PreviewBitmap::kWidth, PreviewBitmap::kHeight, QImage::Format_Mono);
    // Index 0 is paper, 1 is ink, matching the bitmap's bits.
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < PreviewBitmap::kHeight; ++y) {
        const std::uint8_t* row =
            bitmap.bits.data() + static_cast<std::size_t>(y) * PreviewBitmap::kRowBytes;
        std::memcpy(image.scanLine(y), row,
                    static_cast<std::size_t>(
                        std::min<qsizetype>(image.bytesPerLine(), PreviewBitmap::kRowBytes)));
    }
    return image;
}

QImage PlotImage(const HpglPlot& plot, QSize size) {
    GreyPicture picture(size.width(), size.height());
    DrawHpgl(plot, picture);
    QImage image(picture.width, picture.height, QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(image.scanLine(y),
                    picture.pixels.data() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width),
                    static_cast<std::size_t>(picture.width));
    }
    return image;
}

std::optional<HpglPlot> ReadPlotForPreview(const std::string& path) {
    Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(path);
    if (!bytes) return std::nullopt;
    HpglPlot plot = InterpretHpgl(bytes.value());
    if (!LooksLikeHpgl(plot)) return std::nullopt;
    return plot;
}

PreviewPainter PlotPainter(std::shared_ptr<const HpglPlot> plot) {
    return [plot = std::move(plot)](QSize size) { return PlotImage(*plot, size); };
}

PreviewPainter DrawingPainter(const PreviewBitmap& bitmap,
                              std::function<std::optional<HpglPlot>()> renderPlot) {
    struct Drawing {
        QImage own;
        std::function<std::optional<HpglPlot>()> render;
        bool rendered = false;
        std::optional<HpglPlot> plot;
    };
    auto drawing = std::make_shared<Drawing>();
    drawing->own = PreviewImage(bitmap);
    drawing->render = std::move(renderPlot);
    return [drawing](QSize size) {
        if (size == drawing->own.size()) return drawing->own;
        if (!drawing->rendered) {
            drawing->rendered = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            drawing->plot = drawing->render();
            QApplication::restoreOverrideCursor();
        }
        if (!drawing->plot || !drawing->plot->hasInk()) return drawing->own;
        return PlotImage(*drawing->plot, size);
    };
}

PreviewCanvas::PreviewCanvas(PreviewPainter painter, QWidget* parent)
    : QWidget(parent), painter_(std::move(painter)) {
    setObjectName(QStringLiteral("previewPicture"));
    setMinimumSize(100, 100);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    redraw_.setSingleShot(true);
    redraw_.setInterval(80);
    connect(&redraw_, &QTimer::timeout, this, &PreviewCanvas::Redraw);
    picture_ = painter_(sizeHint());
}

void PreviewCanvas::Redraw() {
    if (picture_.size() == size()) return;
    picture_ = painter_(size());
    update();
}

void PreviewCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (picture_.size() != size()) redraw_.start();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(rect(), picture_);
}

DrawingPreviewDialog::DrawingPreviewDialog(PreviewPainter painter, const QString& path,
                                           const QString& note, QWidget* parent)
    : QDialog(parent) {
    const std::string_view title = LoadResourceString(rid::kPreviewTitle);
    setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())) +
                   QStringLiteral(" - ") + QFileInfo(path).fileName());
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::Box);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    canvas_ = new PreviewCanvas(std::move(painter));
    canvas_->setToolTip(path);
    canvas_->setAccessibleName(path);
    frameLayout->addWidget(canvas_);
    layout->addWidget(frame, 1);
    if (!note.isEmpty()) {
        auto* noteLabel = new QLabel(note);
        noteLabel->setObjectName(QStringLiteral("previewNote"));
        noteLabel->setWordWrap(true);
        layout->addWidget(noteLabel);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

DrawingPreviewDialog::DrawingPreviewDialog(const QImage& picture, const QString& path,
                                           QWidget* parent)
    : DrawingPreviewDialog([picture](QSize) { return picture; }, path, {}, parent) {}

}  // namespace kestrum
