#include "ui/workwindow.h"

#include "ui/keyfilter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
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

WorkWindow::~WorkWindow()
{
    if (keyPreview_)
        qApp->removeEventFilter(this);
}

void WorkWindow::enableKeyPreview()
{
    if (!keyPreview_)
        qApp->installEventFilter(this);
    keyPreview_ = true;
}

bool WorkWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (keyPreview_ && event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        QWidget* first = focusWidget() ? focusWidget() : this;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (w == first && w->window() == this && !isRepeatOfCommandKey(*key))
            keyPreview(key->key());
    }
    return QWidget::eventFilter(watched, event);
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
