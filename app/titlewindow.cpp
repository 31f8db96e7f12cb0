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
    picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("suiImagePanel1"));
    picture->setPixmap(ui::pictures::titlePicture());
    picture->setFixedSize(567, 358);
    picture->setAccessibleName(QStringLiteral("rida zir ov ava"));
    picture->installEventFilter(this);
    layout->addWidget(picture);
    setFixedSize(567, 358);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

bool TitleWindow::eventFilter(QObject* watched, QEvent* event)
{
    // suiImagePanel1Click
    if (watched == picture && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
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
