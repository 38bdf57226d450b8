#pragma once

// The desktop program's one MessageSink: every message of the core becomes a QMessageBox with the
// message's caption and icon, owned by the window the sink was given.

#include <QPointer>
#include <QWidget>
#include <vector>

#include "shell/message_sink.h"

namespace kestrum {

class MessageBoxSink final : public MessageSink {
  public:
    // How a message reaches the user.
    enum class Delivery {
        // A modal box; Show returns when it is closed.
        Wait,
        // Kept until Release(), which shows them in boxes that do not wait for an answer: start-up
        // must reach its main window even when nobody is there to click (offscreen, a session
        // started by another program).
        Hold,
        // "kestrum: <text>" on standard error: the program is ending on a signal and no window
        // may keep it from ending.
        StandardError,
    };

    explicit MessageBoxSink(QWidget* owner = nullptr) : owner_(owner) {}

    void SetOwner(QWidget* owner) { owner_ = owner; }
    void SetDelivery(Delivery delivery) { delivery_ = delivery; }
    Delivery delivery() const { return delivery_; }

    // Shows what was held, each in a box that does not wait, and goes back to waiting boxes.
    void Release();

    // On the user-interface thread the box is shown as the delivery says; from any other thread
    // the box is queued to the user-interface thread and this returns at once, so a worker never
    // waits on a window.
    void Show(const Message& message) override;

  private:
    QPointer<QWidget> owner_;
    Delivery delivery_ = Delivery::Wait;
    std::vector<Message> held_;
};

}  // namespace kestrum
