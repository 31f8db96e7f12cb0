#include "ui/desktopservices.h"

#include "ui/trash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

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
    const QString name = QFile::decodeName(QByteArray::fromStdString(path.native()));
    if (QFile::encodeName(name).toStdString() == path.native()) {
        QFile file(name);
        // The home trash lives in the user's data folder, which a fresh account
        // may not have yet; Qt then moves the file into "files" under the
        // current folder instead. With the folder there, Qt makes the trash.
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        // Qt's trash first; ours takes names too long for Qt's record of them.
        if (file.moveToTrash() || moveToTrash(path, nullptr))
            return true;
        // No trash on this desktop (or on this file system): delete for good, as asked.
        if (file.remove())
            return true;
        if (error)
            *error = file.errorString();
        return false;
    }
    // A name Qt cannot carry: the same steps on the file's own bytes.
    if (moveToTrash(path, nullptr))
        return true;
    std::error_code ec;
    if (std::filesystem::remove(path, ec))
        return true;
    if (error)
        *error = QString::fromLocal8Bit(ec ? ec.message() : std::string("No such file or directory"));
    return false;
}

} // namespace rida::ui
