#include "ui/desktopservices.h"

#include "ui/trash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>

namespace rida::ui {

namespace {
QString boxTitle()
{
    return QStringLiteral("rida zir ov ava");
}

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

void DesktopServices::beep()
{
    QApplication::beep();
}

bool DesktopServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopServices::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool DesktopServices::removeFile(const std::filesystem::path& path, QString* error)
{
    // The desktop's trash, on the file's own bytes (a CP949 name copied from
    // another system does not survive the trip through QString).
    if (moveToTrash(path, nullptr))
        return true;
    // No trash on this desktop (or on this file system): delete for good, as asked.
    std::error_code ec;
    if (std::filesystem::remove(path, ec))
        return true;
    if (error)
        *error = QString::fromLocal8Bit(ec ? ec.message() : std::string("No such file or directory"));
    return false;
}

QString DesktopServices::chooseFileToOpen(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString DesktopServices::chooseFolder(QWidget* parent, const QString& title, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

} // namespace rida::ui
