#pragma once
// A push button that shows its picture above its caption (a plain push button
// puts it to the left). Without a picture it is drawn as any push button.

#include <QPushButton>
#include <QToolButton>

namespace rida::ui {

class PictureAboveButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A toolbar button of fixed size: its picture at the top, its caption in the
// height left below it. Qt's own layout centres both together and lets the
// caption run off the bottom once they no longer fit.
class PictureToolButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace rida::ui
