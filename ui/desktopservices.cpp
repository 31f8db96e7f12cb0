#include "ui/desktopservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QProcess>

namespace rida::ui {

namespace {
QString boxTitle() { return QStringLiteral("rida zir ov ava"); }

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void DesktopServices::showMessage(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox box(toQt(icon), boxTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool DesktopServices::askYesNo(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void DesktopServices::beep() { QApplication::beep(); }

bool DesktopServices::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool DesktopServices::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool DesktopServices::removeFile(const QString& path, QString* error)
{
    QFile file(path);
    if (file.moveToTrash())
        return true;
    // No trash on this desktop (or on this file system): delete for good, as asked.
    if (file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace rida::ui
