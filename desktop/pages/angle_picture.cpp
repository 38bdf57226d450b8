#include "desktop/pages/angle_picture.h"

#include <QDynamicPropertyChangeEvent>
#include <QPainter>
#include <QPixmap>

#include "options/text_stamp_page.h"

namespace kestrum {

namespace {
constexpr int kSide = 48;
}

AnglePicture::AnglePicture(QWidget* parent) : QLabel(parent) {
    setFixedSize(kSide, kSide);
    Draw();
}

bool AnglePicture::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "picture") {
        Draw();
    }
    return QLabel::event(event);
}

void AnglePicture::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) Draw();
}

void AnglePicture::Draw() {
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(kSide, kSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(QPen(palette().color(group, QPalette::WindowText), 2));
    painter.setBrush(palette().color(group, QPalette::WindowText));
    // A baseline from the lower left corner along the stamp's direction, with an arrow head.
    const int icon = property("picture").toInt();
    const qreal degrees = icon == TextStampPage::kIconAngle90  ? 90
                          : icon == TextStampPage::kIconAngle0 ? 0
                                                               : 45;
    painter.translate(10, kSide - 10);
    painter.rotate(-degrees);
    painter.drawLine(QPointF(0, 0), QPointF(30, 0));
    painter.drawPolygon(QPolygonF({QPointF(34, 0), QPointF(26, -4), QPointF(26, 4)}));
    painter.end();
    setPixmap(pixmap);
}

}  // namespace kestrum
