// The picture document as the word processor itself lays it out: LibreOffice
// turns it into a PDF, pdftoppm into a sheet, and the picture is measured on
// it. Where LibreOffice or pdftoppm is not installed the test says so and
// skips; the other report tests read the document back themselves.

#include "tests/reports/measure.h"
#include "tests/support/fakeservices.h"
#include "ui/desktopservices.h"
#include "ui/report/desktopoutput.h"
#include "ui/report/picturedocument.h"
#include "ui/services.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace rida;

namespace {

// Runs `program` with `arguments` and a fresh home folder (LibreOffice keeps
// its profile there); true when it ended with status 0 within two minutes.
bool run(const QString& program, const QStringList& arguments, const QString& home)
{
    QDir().mkpath(home);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, arguments);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

TEST(WriterDocument, LibreOfficeShowsThePictureCentredBetweenTheMargins)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (soffice.isEmpty() || pdftoppm.isEmpty())
        GTEST_SKIP() << "needs LibreOffice (soffice) and pdftoppm";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        QSize pixels;
        const char* name;
    } cases[] = {{{480, 240}, "small"}, {{2480, 1754}, "wider than the text area"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture(c.pixels, QImage::Format_RGB32);
        picture.fill(Qt::black);
        const QString picturePath = dir.filePath(QStringLiteral("picture.bmp"));
        ASSERT_TRUE(picture.save(picturePath, "BMP"));
        const QString document = dir.filePath(QStringLiteral("page.fodt"));
        ui::report::writePictureDocument(document, picturePath);

        ASSERT_TRUE(run(soffice,
                        {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                         QStringLiteral("--outdir"), dir.path(), document},
                        dir.filePath(QStringLiteral("home"))));
        const QString prefix = dir.filePath(QStringLiteral("sheet"));
        ASSERT_TRUE(run(pdftoppm,
                        {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                         dir.filePath(QStringLiteral("page.pdf")), prefix},
                        dir.path()));
        const QStringList sheets = QDir(dir.path()).entryList({QStringLiteral("sheet-*.png")});
        ASSERT_EQ(sheets.size(), 1) << "one page";
        const QImage sheet(dir.filePath(sheets.front()));
        for (const QString& s : sheets)
            QFile::remove(dir.filePath(s));
        // A4 portrait at 100 dots per inch.
        EXPECT_LE(std::abs(sheet.width() - 827), 1);
        EXPECT_LE(std::abs(sheet.height() - 1169), 1);

        const double dotsPerCm = 100 / 2.54;
        const QSizeF size = ui::report::pictureSizeCm(c.pixels) * dotsPerCm;
        const double margin = ui::report::kDocumentMarginCm * dotsPerCm;
        const double left = (sheet.width() - size.width()) / 2; // centred on the page, between equal margins
        const QRect measured = test::darkBounds(sheet);
        EXPECT_TRUE(test::sameBox(measured, QRectF(left, margin, size.width(), size.height()), 3.0))
            << ::testing::PrintToString(measured) << " expected " << left << ',' << margin << ' ' << size.width() << 'x'
            << size.height();
    }
}

// Under a real X server (the ctest entry WriterDocument.UnderXvfb): the
// document opens in Writer's window as a new, untitled document.
TEST(WriterDocument, OpensInTheWordProcessorAsANewUntitledDocument)
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || xdotool.isEmpty() ||
        !ui::report::DesktopWordProcessor().canStart())
        GTEST_SKIP() << "needs an X server, xdotool and LibreOffice";
    QTemporaryDir dir;
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::black);
    const QString picturePath = dir.filePath(QStringLiteral("picture.bmp"));
    ASSERT_TRUE(picture.save(picturePath, "BMP"));
    const QString document = dir.filePath(QStringLiteral("rida-test.fodt"));
    ui::report::writePictureDocument(document, picturePath);

    const QByteArray home = qgetenv("HOME");
    const QString lofficeHome = dir.filePath(QStringLiteral("home")); // LibreOffice's profile
    ASSERT_TRUE(QDir().mkpath(lofficeHome));
    {
        qputenv("HOME", QFile::encodeName(lofficeHome));
        auto previous = ui::installServices(std::make_unique<ui::DesktopServices>());
        const auto restore = qScopeGuard([&] {
            ui::installServices(std::move(previous));
            qputenv("HOME", home);
        });
        ui::report::DesktopWordProcessor writer;
        writer.watchMilliseconds = 0; // Writer is ended below, which is no failure to open
        writer.openNewDocument(document);
    }

    const auto windows = [&xdotool](const QString& name) {
        QProcess p;
        p.start(xdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), name});
        p.waitForFinished();
        return QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    };
    QStringList found;
    QElapsedTimer waited;
    waited.start();
    while (found.isEmpty() && waited.elapsed() < 90000) {
        QTest::qWait(500);
        found = windows(QStringLiteral("^Untitled 1 - LibreOffice Writer$"));
    }
    EXPECT_FALSE(found.isEmpty()) << "no new untitled Writer document; windows: "
                                  << windows(QStringLiteral(".")).join(u' ').toStdString();
    EXPECT_TRUE(windows(QStringLiteral("rida-test")).isEmpty()) << "the document file itself was opened";
    // Writer goes with its windows.
    for (const QString& w : windows(QStringLiteral("LibreOffice"))) {
        QProcess p;
        p.start(xdotool, {QStringLiteral("getwindowpid"), w});
        p.waitForFinished();
        if (const qint64 pid = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().toLongLong(); pid > 0) {
            QProcess::execute(QStringLiteral("kill"), {QString::number(pid)});
            // Gone before its profile folder is removed.
            const QString proc = QStringLiteral("/proc/%1").arg(pid);
            QElapsedTimer gone;
            gone.start();
            while (QFileInfo::exists(proc) && gone.elapsed() < 10000)
                QTest::qWait(100);
        }
    }
}

namespace {
// Starts programs for real, and records the messages shown.
class StartingServices : public test::FakeServices {
public:
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        test::FakeServices::startProgram(program, arguments);
        return QProcess::startDetached(program, arguments);
    }
};
} // namespace

// A word processor that starts and then ends with a failure before it could
// show the document: the user is told, with its exit status, and the document
// goes. One that hands the document on and ends well says nothing.
TEST(DesktopWordProcessor, OneThatFailsRightAfterItStartedIsReported)
{
    struct Case {
        const char* script;
        const char* status; // in the message; empty: no message
    } cases[] = {{"exit 3", "3"}, {"kill -9 $$", "137"}, {"exit 0", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(bin));
        QFile script(bin + QStringLiteral("/soffice"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QByteArray("#!/bin/sh\n") + c.script + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString document = dir.filePath(QStringLiteral("rida-test.fodt"));
        QFile(document).open(QIODevice::WriteOnly);

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin));
        auto* services = new StartingServices;
        auto previous = ui::installServices(std::unique_ptr<ui::Services>(services));
        const auto restore = qScopeGuard([&] {
            ui::installServices(std::move(previous));
            qputenv("PATH", path);
        });
        ui::report::DesktopWordProcessor processor;
        processor.watchMilliseconds = 3000;
        ASSERT_TRUE(processor.canStart());
        processor.openNewDocument(document);
        ASSERT_EQ(services->programs.size(), 1);
        EXPECT_EQ(services->programs[0].mid(services->programs[0].size() - 2),
                  QStringList({QStringLiteral("-n"), document}));
        if (*c.status) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !services->messages.isEmpty(); }, 10000));
            ASSERT_EQ(services->messages.size(), 1);
            EXPECT_EQ(
                services->messages[0].text,
                QStringLiteral("워드프로세서가 문서를 열지 못했습니다 (종료 코드 %1).").arg(QLatin1String(c.status)));
            EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Error);
            EXPECT_FALSE(QFileInfo::exists(document));
        } else {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return !QFileInfo::exists(document + QStringLiteral(".status")); }, 10000));
            QTest::qWait(300);
            EXPECT_TRUE(services->messages.isEmpty());
            EXPECT_TRUE(QFileInfo::exists(document));
        }
    }
}
