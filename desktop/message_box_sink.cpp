#include "desktop/message_box_sink.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <cstdio>

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

QMessageBox* MakeBox(QWidget* owner, const Message& message) {
    auto* box = new QMessageBox(
        IconOf(message.icon),
        QString::fromStdString(message.caption.empty() ? "Kestrum" : message.caption),
        QString::fromStdString(message.text), QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("message%1").arg(message.resource));
    return box;
}

void ShowNow(QWidget* owner, const Message& message) {
    // Guarded: the owner may be destroyed while the box waits, taking the box with it.
    QPointer<QMessageBox> box = MakeBox(owner, message);
    box->exec();
    delete box.data();
}

void ShowWithoutWaiting(QWidget* owner, const Message& message) {
    QMessageBox* box = MakeBox(owner, message);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace

void MessageBoxSink::Show(const Message& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    if (QThread::currentThread() == app->thread()) {
        switch (delivery_) {
            case Delivery::Wait:
                ShowNow(owner_, message);
                break;
            case Delivery::Hold:
                held_.push_back(message);
                break;
            case Delivery::StandardError:
                std::fprintf(stderr, "kestrum: %s\n", message.text.c_str());
                break;
        }
        return;
    }
    QPointer<QWidget> owner = owner_;
    QMetaObject::invokeMethod(
        app, [owner, message] { ShowNow(owner, message); }, Qt::QueuedConnection);
}

void MessageBoxSink::Release() {
    delivery_ = Delivery::Wait;
    std::vector<Message> held;
    held.swap(held_);
    for (const Message& message : held) ShowWithoutWaiting(owner_, message);
}

}  // namespace kestrum
