#pragma once
// The real desktop behind Services: Qt message boxes, the default browser
// through QDesktopServices, detached programs, the desktop's trash, Qt's file dialogs.

#include "ui/services.h"

namespace rida::ui {

class DesktopServices : public Services {
public:
    void showMessage(QWidget* parent, const QString& text, MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    void beep() override;
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool removeFile(const std::filesystem::path& path, QString* error) override;
    QString chooseFileToOpen(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& folder) override;
};

} // namespace rida::ui
