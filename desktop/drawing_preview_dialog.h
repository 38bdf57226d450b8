#pragma once

// The preview of a plot file: a drawing rendered by the drawing renderer into its 300 x 300
// one-bit picture, shown as paper (white) with ink (black) whatever the desktop's colours.

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>
#include <string>

#include "render/drawing_rendering.h"

namespace kestrum {

// The one-bit picture as an image: a set bit is black ink on white paper.
QImage PreviewImage(const PreviewBitmap& bitmap);

// Where plain HP-GL plot files will be previewed, drawn at `size`. No such preview exists yet:
// answers nothing for every file.
std::optional<QImage> PlotFilePreview(const std::string& path, QSize size);

class DrawingPreviewDialog : public QDialog {
    Q_OBJECT

  public:
    DrawingPreviewDialog(const QImage& picture, const QString& path, QWidget* parent = nullptr);
};

}  // namespace kestrum
