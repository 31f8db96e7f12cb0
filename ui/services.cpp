#include "ui/services.h"

#include "ui/desktopservices.h"

#include <QGuiApplication>

namespace rida::ui {

namespace {
std::unique_ptr<Services>& current()
{
    static std::unique_ptr<Services> s;
    return s;
}
} // namespace

Services& services()
{
    auto& s = current();
    if (!s)
        s = std::make_unique<DesktopServices>();
    return *s;
}

std::unique_ptr<Services> installServices(std::unique_ptr<Services> s)
{
    auto previous = std::move(current());
    current() = std::move(s);
    return previous;
}

QString errorText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("메모리가 부족합니다.");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("알 수 없는 오류가 발생했습니다.");
    }
}

void reportError(QWidget* parent, const QString& text)
{
    services().showMessage(parent, text, MessageIcon::Error);
}

void reportException(QWidget* parent, std::exception_ptr error)
{
    reportError(parent, errorText(error));
}

bool runCommand(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (...) {
        // A wait cursor set by the failed command must not outlive it.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        reportException(parent, std::current_exception());
        return false;
    }
}

} // namespace rida::ui
