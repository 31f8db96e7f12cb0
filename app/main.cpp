// Program entry: title window, sign-in, main window, message loop.
//
//   rida                    the demonstration build
//   rida --archive          the archive edition (also --database URL|PATH, --pages DIR)

#include "app/application.h"
#include "app/archiveedition.h"
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/titlewindow.h"
#include "archive/location.h"
#include "ui/workwindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    rida::app::Application app(argc, argv);
    const rida::app::ProgramOptions options = rida::app::parseProgramOptions(QCoreApplication::arguments());
    if (options.help) {
        std::cout << rida::app::kProgramUsage;
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::cerr << "rida: " << options.error.toStdString() << '\n' << rida::app::kProgramUsage;
        return 2;
    }

    // The title window stays visible while the main window is being built.
    auto* start = new rida::app::TitleWindow;
    rida::app::refs::start = start;
    QObject::connect(start, &rida::app::TitleWindow::closed, [] { rida::app::refs::start = nullptr; });
    start->show();
    start->repaint();
    QApplication::processEvents();

    std::unique_ptr<rida::app::ArchiveEdition> archive;
    if (options.archive) {
        rida::archive::LocationSources sources = rida::archive::standardSources(QCoreApplication::applicationDirPath());
        sources.databaseOption = options.database;
        sources.pagesOption = options.pages;
        archive = rida::app::openArchiveEdition(sources);
        if (!archive) {
            // Said already; nothing was written.
            if (rida::app::refs::start)
                rida::app::refs::start->close();
            return 1;
        }
    }

    const QString appDir = rida::app::Application::applicationDirectory();
    auto* mainWindow = archive ? new rida::app::MainWindow(appDir, *archive) : new rida::app::MainWindow(appDir);
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(mainWindow, &QObject::destroyed, &app, &QApplication::quit);
    if (mainWindow->signInCancelled()) {
        // A cancelled sign-in ends the program at once, without a message.
        delete mainWindow;
        return 0;
    }
    rida::ui::showFillingWorkArea(mainWindow);
    const int status = app.exec();
    // The windows closed with the main window go before the archive they read.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
