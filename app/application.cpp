#include "app/application.h"

#include "model/landrecord.h"
#include "ui/services.h"
#include "ui/theme.h"

#include <QDir>

namespace rida::app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // The application title. Not the display name: Qt would append that to every window caption.
    setApplicationName(QStringLiteral("rida zir ov ava"));
    setQuitOnLastWindowClosed(false);
    ui::applyTheme(*this);
    ui::installKoreanQtTexts(*this);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ui::reportException(activeWindow(), std::current_exception());
        return false;
    }
}

QString Application::applicationDirectory()
{
    return model::withTrailingSeparator(QDir::toNativeSeparators(applicationDirPath()));
}

} // namespace rida::app
