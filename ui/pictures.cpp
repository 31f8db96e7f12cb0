#include "ui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace rida::ui::pictures {

namespace {
const QColor kBlue(38, 84, 160);
const QColor kSheet(250, 250, 244);

// A record sheet: paper with a blue table.
void drawSheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(kSheet);
    p.drawRect(r);
    p.setPen(QPen(kBlue, 1));
    const int rows = 5;
    for (int i = 1; i < rows; ++i) {
        const qreal y = r.top() + r.height() * i / rows;
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
    p.drawLine(QPointF(r.left() + r.width() * 0.35, r.top() + r.height() / rows),
               QPointF(r.left() + r.width() * 0.35, r.bottom() - 3));
}

void drawGlass(QPainter& p, QPointF c, qreal radius)
{
    p.setPen(QPen(QColor(60, 60, 60), radius * 0.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(radius * 0.7, radius * 0.7), c + QPointF(radius * 1.6, radius * 1.6));
    QRadialGradient g(c, radius);
    g.setColorAt(0, QColor(220, 240, 255, 200));
    g.setColorAt(1, QColor(140, 190, 235, 200));
    p.setBrush(g);
    p.setPen(QPen(QColor(70, 70, 70), radius * 0.18));
    p.drawEllipse(c, radius, radius);
}

void drawTool(QPainter& p, Tool t, const QRectF& box)
{
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = std::min(box.width(), box.height());
    const QPointF c = box.center();
    switch (t) {
    case Tool::Lookup:
        drawSheet(p, QRectF(c.x() - s * 0.42, c.y() - s * 0.45, s * 0.6, s * 0.8));
        drawGlass(p, c + QPointF(s * 0.08, s * 0.02), s * 0.2);
        break;
    case Tool::AutoRegister: {
        drawSheet(p, QRectF(c.x() - s * 0.4, c.y() - s * 0.45, s * 0.55, s * 0.75));
        p.setPen(QPen(QColor(200, 40, 40), s * 0.06));
        p.drawLine(QPointF(c.x() - s * 0.45, c.y()), QPointF(c.x() + s * 0.45, c.y()));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 70));
        p.drawEllipse(QPointF(c.x() + s * 0.28, c.y() + s * 0.28), s * 0.17, s * 0.17);
        break;
    }
    case Tool::ManualRegister: {
        drawSheet(p, QRectF(c.x() - s * 0.4, c.y() - s * 0.45, s * 0.6, s * 0.8));
        p.setPen(QPen(QColor(230, 170, 30), s * 0.09, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() - s * 0.05, c.y() + s * 0.35), QPointF(c.x() + s * 0.4, c.y() - s * 0.1));
        break;
    }
    case Tool::Modify: {
        drawSheet(p, QRectF(c.x() - s * 0.4, c.y() - s * 0.45, s * 0.6, s * 0.8));
        p.setPen(QPen(QColor(200, 40, 40), s * 0.08, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + s * 0.05, c.y() + s * 0.1), QPointF(c.x() + s * 0.4, c.y() + s * 0.42));
        p.drawLine(QPointF(c.x() + s * 0.4, c.y() + s * 0.1), QPointF(c.x() + s * 0.05, c.y() + s * 0.42));
        break;
    }
    case Tool::Exit: {
        p.setPen(QPen(QColor(90, 60, 40), s * 0.04));
        p.setBrush(QColor(160, 110, 70));
        p.drawRect(QRectF(c.x() - s * 0.3, c.y() - s * 0.45, s * 0.45, s * 0.9));
        p.setPen(QPen(QColor(200, 40, 40), s * 0.09, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x(), c.y()), QPointF(c.x() + s * 0.45, c.y()));
        p.drawLine(QPointF(c.x() + s * 0.3, c.y() - s * 0.14), QPointF(c.x() + s * 0.45, c.y()));
        p.drawLine(QPointF(c.x() + s * 0.3, c.y() + s * 0.14), QPointF(c.x() + s * 0.45, c.y()));
        break;
    }
    case Tool::Support:
    case Tool::About:
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(c, s * 0.45, s * 0.45);
        p.setPen(Qt::white);
        {
            QFont f = p.font();
            f.setPixelSize(int(s * 0.6));
            f.setBold(true);
            p.setFont(f);
        }
        p.drawText(box, Qt::AlignCenter, t == Tool::Support ? QStringLiteral("?") : QStringLiteral("i"));
        break;
    case Tool::Settings:
    case Tool::Users:
    case Tool::Codes:
        p.setPen(QPen(QColor(80, 80, 90), s * 0.12));
        p.setBrush(QColor(170, 175, 190));
        p.drawEllipse(c, s * 0.33, s * 0.33);
        break;
    }
}

QPixmap blank(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}
} // namespace

QPixmap titlePicture()
{
    QPixmap pm(567, 358);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 358);
    g.setColorAt(0, QColor(28, 52, 98));
    g.setColorAt(1, QColor(66, 110, 170));
    p.fillRect(pm.rect(), g);
    for (int i = 0; i < 3; ++i)
        drawSheet(p, QRectF(360 + i * 40, 60 + i * 30, 140, 190));
    p.setPen(Qt::white);
    QFont f;
    f.setPixelSize(40);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(36, 110, 500, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("rida zir ov ava"));
    f.setPixelSize(20);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(38, 170, 500, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("지가조서 관리 시스템"));
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(QColor(210, 222, 240));
    p.drawText(QRect(38, 300, 500, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TANDELO®  v1.0 (시연용)"));
    return pm;
}

QPixmap toolbarPicture(Tool t)
{
    QPixmap pm = blank(100, 82);
    QPainter p(&pm);
    drawTool(p, t, QRectF(14, 4, 72, 74));
    return pm;
}

QPixmap menuPicture(Tool t)
{
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    drawTool(p, t, QRectF(0, 0, 16, 16));
    return pm;
}

QPixmap userIcon()
{
    QPixmap pm = blank(23, 23);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(11.5, 7), 5, 5);
    p.drawRoundedRect(QRectF(3, 13, 17, 9), 4, 4);
    return pm;
}

QPixmap supportButtonPicture()
{
    QPixmap pm(90, 27);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 27);
    g.setColorAt(0, QColor(90, 130, 200));
    g.setColorAt(1, QColor(38, 84, 160));
    p.fillRect(pm.rect(), g);
    p.setPen(Qt::white);
    QFont f;
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("기술 문의"));
    return pm;
}

} // namespace rida::ui::pictures
