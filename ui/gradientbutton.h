#pragma once
// The rounded button with a vertical gradient: white to a light grey, a darker
// end colour while the mouse is over it, an icon and a bold caption.

#include <QAbstractButton>
#include <QColor>

namespace rida::ui {

class GradientButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit GradientButton(const QString& caption, QWidget* parent = nullptr);
    void setColors(QColor start, QColor end, QColor hoverEnd);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QColor start_{255, 255, 255};
    QColor end_{197, 197, 197};
    QColor hoverEnd_{149, 149, 149};
    bool hover_ = false;
};

} // namespace rida::ui
