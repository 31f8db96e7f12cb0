#pragma once
// Services for tests: scripted answers to questions and file dialogs, and a
// record of every message, beep, page, program, removal and dialog the code asked for.

#include "ui/services.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

namespace rida::test {

struct ShownMessage {
    QString text;
    ui::MessageIcon icon;
};

class FakeServices : public ui::Services {
public:
    void showMessage(QWidget*, const QString& text, ui::MessageIcon icon) override { messages.push_back({text, icon}); }
    bool askYesNo(QWidget*, const QString& text) override
    {
        questions << text;
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return openUrlResult;
    }
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        programs << (QStringList{program} + arguments);
        return startProgramResult;
    }
    bool removeFile(const std::filesystem::path& path, QString* error) override;
    QString chooseFileToOpen(QWidget*, const QString& title, const QString& folder, const QString& filter) override
    {
        fileDialogs << QStringList{title, folder, filter};
        return fileToOpen;
    }
    QString chooseFolder(QWidget*, const QString& title, const QString& folder) override
    {
        fileDialogs << QStringList{title, folder};
        return folderToChoose;
    }

    QList<ShownMessage> messages;
    QStringList questions;
    std::deque<bool> answers; // Yes = true, consumed in order; No once they run out
    int beeps = 0;
    QList<QUrl> urls;
    QList<QStringList> programs;
    QStringList removed;                             // as shown
    std::vector<std::filesystem::path> removedPaths; // as the file system holds them
    bool openUrlResult = true;
    bool startProgramResult = true;
    bool removeReallyDeletes = true;
    bool removeResult = true;       // with removeReallyDeletes off: what removeFile answers
    QList<QStringList> fileDialogs; // title, folder (and filter) of each file or folder dialog shown
    QString fileToOpen;             // what a file dialog answers; empty: cancelled
    QString folderToChoose;         // what a folder dialog answers; empty: cancelled
};

// Installs a FakeServices for the lifetime of the object.
class ScopedFakeServices {
public:
    ScopedFakeServices();
    ~ScopedFakeServices();
    FakeServices* operator->() { return fake_; }
    FakeServices& operator*() { return *fake_; }

private:
    FakeServices* fake_;
    std::unique_ptr<ui::Services> previous_;
};

} // namespace rida::test
