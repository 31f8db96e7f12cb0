#include "ui/picturebutton.h"

#include <QStyleOptionButton>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace rida::ui {

namespace {
constexpr int kGap = 2;     // pixels between picture and caption
constexpr int kPadding = 6; // pixels around both
} // namespace

QSize PictureAboveButton::sizeHint() const
{
    if (icon().isNull())
        return QPushButton::sizeHint();
    const QFontMetrics fm(font());
    const QSize picture = iconSize();
    return {std::max(picture.width(), fm.horizontalAdvance(text())) + 2 * kPadding,
            picture.height() + kGap + fm.height() + 2 * kPadding};
}

void PictureAboveButton::paintEvent(QPaintEvent* event)
{
    if (icon().isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option); // the bevel and the focus frame

    const QFontMetrics fm(font());
    const QSize picture = iconSize();
    const int top = (height() - (picture.height() + kGap + fm.height())) / 2;
    const QRect pictureRect((width() - picture.width()) / 2, top, picture.width(), picture.height());
    painter.drawPixmap(pictureRect, icon().pixmap(picture, isEnabled() ? QIcon::Normal : QIcon::Disabled));
    const QRect captionRect(0, pictureRect.bottom() + 1 + kGap, width(), fm.height());
    painter.drawItemText(captionRect, Qt::AlignCenter, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

void PictureToolButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    painter.drawPrimitive(QStyle::PE_PanelButtonTool, option); // hover and pressed frames

    const QSize picture = iconSize();
    const QRect pictureRect((width() - picture.width()) / 2, 1, picture.width(), picture.height());
    const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled : underMouse() ? QIcon::Active : QIcon::Normal;
    painter.drawPixmap(pictureRect, icon().pixmap(picture, mode));
    const QRect captionRect(0, pictureRect.bottom() + 1, width(), height() - pictureRect.bottom() - 1);
    painter.drawItemText(captionRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, option.palette,
                         isEnabled(), text(), QPalette::ButtonText);
}

} // namespace rida::ui
