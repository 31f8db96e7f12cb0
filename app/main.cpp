// Program entry: title window, sign-in, main window, message loop.

#include "app/application.h"
#include "app/mainwindow.h"
#include "app/titlewindow.h"
#include "ui/workwindow.h"

#include <QGuiApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    // The program takes no command line.
    rida::app::Application app(argc, argv);

    // The title window stays visible while the main window is being built.
    auto* start = new rida::app::TitleWindow;
    rida::app::refs::start = start;
    QObject::connect(start, &rida::app::TitleWindow::closed, [] { rida::app::refs::start = nullptr; });
    start->show();
    start->repaint();
    QApplication::processEvents();

    auto* mainWindow = new rida::app::MainWindow(rida::app::Application::applicationDirectory());
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(mainWindow, &QObject::destroyed, &app, &QApplication::quit);
    if (mainWindow->signInCancelled()) {
        // A cancelled sign-in ends the program at once, without a message.
        delete mainWindow;
        return 0;
    }
    rida::ui::showFillingWorkArea(mainWindow);
    return app.exec();
}
