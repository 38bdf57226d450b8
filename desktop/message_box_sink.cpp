#include "desktop/message_box_sink.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace kestrum {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            break;
    }
    return QMessageBox::Warning;
}

void ShowNow(QWidget* owner, const Message& message) {
    QMessageBox box(IconOf(message.icon),
                    QString::fromStdString(message.caption.empty() ? "Kestrum" : message.caption),
                    QString::fromStdString(message.text), QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("message%1").arg(message.resource));
    box.exec();
}

}  // namespace

void MessageBoxSink::Show(const Message& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    if (QThread::currentThread() == app->thread()) {
        ShowNow(owner_, message);
        return;
    }
    QPointer<QWidget> owner = owner_;
    QMetaObject::invokeMethod(
        app, [owner, message] { ShowNow(owner, message); }, Qt::QueuedConnection);
}

}  // namespace kestrum
