#include "desktop/drawing_preview_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

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

std::optional<QImage> PlotFilePreview(const std::string& /*path*/, QSize /*size*/) {
    return std::nullopt;
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
