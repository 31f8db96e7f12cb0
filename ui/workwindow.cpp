#include "ui/workwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace rida::ui {

void showFillingWorkArea(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window->setGeometry(screen->availableGeometry());
        QObject::connect(screen, &QScreen::availableGeometryChanged, window, [window](const QRect& r) {
            window->setGeometry(r);
            window->setWindowState(window->windowState() | Qt::WindowMaximized);
        });
    }
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
    window->show();
}

WorkWindow::WorkWindow(const QString& appDir, const QString& caption, TitleButtons buttons)
    : QWidget(nullptr), appDir_(appDir)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setObjectName(QStringLiteral("workwindow"));
    if (buttons == TitleButtons::CloseOnly)
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
}

void WorkWindow::showInWorkArea()
{
    showFillingWorkArea(this);
    raise();
    activateWindow();
}

void WorkWindow::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (e->isAccepted())
        emit closed();
}

} // namespace rida::ui
