#pragma once

// The desktop program's one MessageSink: every message of the core becomes a QMessageBox with the
// message's caption and icon, owned by the window the sink was given.

#include <QPointer>
#include <QWidget>

#include "shell/message_sink.h"

namespace kestrum {

class MessageBoxSink final : public MessageSink {
  public:
    explicit MessageBoxSink(QWidget* owner = nullptr) : owner_(owner) {}

    void SetOwner(QWidget* owner) { owner_ = owner; }

    // On the user-interface thread the box is shown at once and this returns when it is closed;
    // from any other thread the box is queued to the user-interface thread and this returns at
    // once, so a worker never waits on a window.
    void Show(const Message& message) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace kestrum
