#pragma once

#include <QLabel>

namespace kestrum {

// The text stamp's angle picture: it draws the icon its "picture" property names (the binder
// sets the property from the model), in the palette's colours so that dark themes work.
class AnglePicture final : public QLabel {
    Q_OBJECT

  public:
    explicit AnglePicture(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Draw();
};

}  // namespace kestrum
