#include "ui/workwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace rida::ui {

WorkWindow::WorkWindow(const QString& appDir, const QString& caption) : QWidget(nullptr), appDir_(appDir)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setObjectName(QStringLiteral("workwindow"));
}

void WorkWindow::showInWorkArea()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
        connect(screen, &QScreen::availableGeometryChanged, this, [this](const QRect& r) { setGeometry(r); });
    }
    show();
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
