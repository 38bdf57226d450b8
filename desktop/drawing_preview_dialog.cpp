#include "desktop/drawing_preview_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
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

std::optional<QImage> PlotFilePreview(const std::string& path, QSize size) {
    Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(path);
    if (!bytes) return std::nullopt;
    const HpglPlot plot = InterpretHpgl(bytes.value());
    if (!LooksLikeHpgl(plot)) return std::nullopt;
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

DrawingPreviewDialog::DrawingPreviewDialog(const QImage& picture, const QString& path,
                                           QWidget* parent)
    : QDialog(parent) {
    const std::string_view title = LoadResourceString(rid::kPreviewTitle);
    setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())) +
                   QStringLiteral(" - ") + QFileInfo(path).fileName());
    auto* layout = new QVBoxLayout(this);
    auto* view = new QLabel;
    view->setObjectName(QStringLiteral("previewPicture"));
    view->setPixmap(QPixmap::fromImage(picture));
    view->setFixedSize(picture.size());
    view->setFrameShape(QFrame::Box);
    view->setToolTip(path);
    view->setAccessibleName(path);
    layout->addWidget(view, 0, Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace kestrum
