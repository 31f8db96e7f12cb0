#include "app/titlewindow.h"

#include "ui/pictures.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace rida::app {

TitleWindow::TitleWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("start"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("rida zir ov ava"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    suiImagePanel1 = new QLabel(this);
    suiImagePanel1->setObjectName(QStringLiteral("suiImagePanel1"));
    suiImagePanel1->setPixmap(ui::pictures::titlePicture());
    suiImagePanel1->setFixedSize(567, 358);
    suiImagePanel1->setAccessibleName(QStringLiteral("rida zir ov ava"));
    suiImagePanel1->installEventFilter(this);
    layout->addWidget(suiImagePanel1);
    setFixedSize(567, 358);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

bool TitleWindow::eventFilter(QObject* watched, QEvent* event)
{
    // suiImagePanel1Click
    if (watched == suiImagePanel1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TitleWindow::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    emit closed();
}

} // namespace rida::app
