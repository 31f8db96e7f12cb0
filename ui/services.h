#pragma once
// Everything a window does to the user's desktop beyond its own widgets goes
// through one Services object: message boxes, questions, beeps, opening web
// pages and programs, deleting files. The program installs DesktopServices;
// tests install a fake that scripts the answers and records what was shown.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>

class QWidget;

namespace rida::ui {

enum class MessageIcon { None, Information, Warning, Error };

class Services {
public:
    virtual ~Services() = default;

    // A message box with one OK button.
    virtual void showMessage(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::None) = 0;
    // A question with the information icon and the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    virtual void beep() = 0;
    // Opens a web page with the desktop's default browser; false when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program detached, in a normally shown window; false when it could not start.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Removes a file the user chose to delete. Where the desktop has a trash the
    // file goes there, so a scanned original can still be brought back.
    // Returns false and sets `error` when the file stays.
    // `path` holds the file system's own bytes, so a name that is not valid in the
    // locale's encoding can be removed too.
    virtual bool removeFile(const std::filesystem::path& path, QString* error) = 0;
    // The desktop's dialog for a file to open, starting in `folder`; `filter` as
    // Qt's file dialogs take it ("법정동코드 파일 (*.txt);;모든 파일 (*)").
    // Empty when the user cancels.
    virtual QString chooseFileToOpen(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter) = 0;
    // The desktop's dialog for a folder, starting in `folder`; empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
};

Services& services();
// Installs `s` for the rest of the program (or until the next call) and returns the previous one.
std::unique_ptr<Services> installServices(std::unique_ptr<Services> s);

// The general error report: the error's text in a message box with the error icon.
void reportError(QWidget* parent, const QString& text);
void reportException(QWidget* parent, std::exception_ptr error);

// Runs one command; an error it does not handle itself ends it and goes to the
// general error report. Returns false when the command failed.
bool runCommand(QWidget* parent, const std::function<void()>& command);

// Texts the error report shows for an exception.
QString errorText(std::exception_ptr error);

} // namespace rida::ui
