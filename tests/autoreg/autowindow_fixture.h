#pragma once
// The automatic registration window on an application folder of its own, with
// services that script the answers and let a test look at the window at the
// moment a question is asked.

#include "recognition/autoregistrationwindow.h"
#include "tests/support/fakeservices.h"
#include "tools/pagegen/pagegen.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace rida::test {

class WatchingServices : public FakeServices {
public:
    bool askYesNo(QWidget* parent, const QString& text) override
    {
        if (onAsk)
            onAsk();
        return FakeServices::askYesNo(parent, text);
    }
    std::function<void()> onAsk;
};

struct AutoWindowTest : ::testing::Test {
    AutoWindowTest();
    ~AutoWindowTest() override;

    QString appDir() const;              // ends with "/"
    std::filesystem::path files() const; // "<appDir>Files"
    // The window, created and shown on the application folder.
    recognition::AutoRegistrationWindow& open();
    void reopen();

    // A page without any form line: it has no reference point.
    void writeBlankPage(const std::string& name) const;
    // A generated sheet carrying `rows` lot rows (nine digits each).
    void writeSheet(const std::string& name, const std::vector<std::string>& rows) const;
    // Random lot rows, `count` of them.
    static std::vector<std::string> someLots(std::uint64_t seed, int count);

    // The full name the run logs for a file of the image folder.
    QString fullName(const std::string& name) const;
    static QStringList lines(const QPlainTextEdit* edit);
    static QStringList lotLines(const std::vector<std::string>& rows);

    QTemporaryDir dir;
    WatchingServices* fake;
    std::unique_ptr<recognition::AutoRegistrationWindow> window;

private:
    std::unique_ptr<ui::Services> previous_;
};

} // namespace rida::test
