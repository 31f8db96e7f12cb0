#pragma once
// A push button that shows its picture above its caption (a plain push button
// puts it to the left). Without a picture it is drawn as any push button.

#include <QPushButton>

namespace rida::ui {

class PictureAboveButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace rida::ui
