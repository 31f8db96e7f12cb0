#include "ui/gradientbutton.h"

#include <QPainter>
#include <QPainterPath>

namespace rida::ui {

GradientButton::GradientButton(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setBold(true);
    setFont(f);
}

void GradientButton::setColors(QColor start, QColor end, QColor hoverEnd)
{
    start_ = start;
    end_ = end;
    hoverEnd_ = hoverEnd;
    update();
}

QSize GradientButton::sizeHint() const
{
    return {118, 30};
}

void GradientButton::enterEvent(QEnterEvent*)
{
    hover_ = true;
    update();
}

void GradientButton::leaveEvent(QEvent*)
{
    hover_ = false;
    update();
}

void GradientButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, start_);
    g.setColorAt(1, hover_ ? hoverEnd_ : end_);
    QPainterPath path;
    path.addRoundedRect(r, 8, 8);
    p.fillPath(path, g);
    p.setPen(QColor(140, 140, 140));
    p.drawPath(path);

    int x = 6;
    if (!icon().isNull()) {
        const QSize s = iconSize().isValid() ? iconSize() : QSize(23, 23);
        icon().paint(&p, QRect(QPoint(x, (height() - s.height()) / 2), s));
        x += s.width() + 4;
    }
    p.setPen(isEnabled() ? Qt::black : Qt::gray);
    p.drawText(QRect(x, 0, width() - x - 4, height()), Qt::AlignCenter, text());
}

} // namespace rida::ui
