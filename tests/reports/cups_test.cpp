// Printing and the printer setup against a real CUPS server with a PDF
// printer (the cups-pdf backend). Where no such printer is installed the
// tests say so and skip: the other report tests cover the same paths with
// fakes and with PDF files.

#include "reports/print_wu.h"
#include "tests/reports/measure.h"
#include "tests/support/fakeservices.h"
#include "ui/report/desktopoutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <cups/cups.h>

#include <gtest/gtest.h>

using namespace rida;

namespace {

// The queues whose device is the cups-pdf backend, and the default destination.
struct CupsQueues {
    QStringList pdf;
    QString defaultName;
};
CupsQueues cupsQueues()
{
    CupsQueues q;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        const char* uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options);
        if (uri && QByteArray(uri).startsWith("cups-pdf:") && !dests[i].instance)
            q.pdf << QString::fromLocal8Bit(dests[i].name);
        if (dests[i].is_default)
            q.defaultName = QString::fromLocal8Bit(dests[i].name);
    }
    cupsFreeDests(count, dests);
    return q;
}

// Where cups-pdf writes a job of this user: its "Out" setting, "${HOME}/PDF" unless changed.
QString cupsPdfFolder()
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!conf.atEnd()) {
            const QString line = QString::fromLocal8Bit(conf.readLine()).trimmed();
            if (line.startsWith(QStringLiteral("Out ")))
                out = line.mid(4).trimmed();
        }
    }
    return out.replace(QStringLiteral("${HOME}"), QDir::homePath());
}

// Restores the default destination a test changed.
struct DefaultPrinterGuard {
    QString previous = cupsQueues().defaultName;
    ~DefaultPrinterGuard()
    {
        if (!previous.isEmpty())
            ui::report::DesktopPrinterSetup().makeDefault(previous);
    }
};

} // namespace

TEST(CupsPrinterSetup, TheChosenPrinterIsTheDefaultAtOnceForEveryProgram)
{
    const CupsQueues queues = cupsQueues();
    if (queues.pdf.size() < 2)
        GTEST_SKIP() << "needs two cups-pdf printers on a running CUPS server";
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    DefaultPrinterGuard guard;
    for (const QString& printer : {queues.pdf[0], queues.pdf[1]}) {
        ui::report::DesktopPrinterSetup().makeDefault(printer);
        EXPECT_EQ(QPrinterInfo::defaultPrinterName(), printer) << "this program sees it";
        if (!lpstat.isEmpty()) {
            QProcess other;
            other.start(lpstat, {QStringLiteral("-d")});
            ASSERT_TRUE(other.waitForFinished(10000));
            EXPECT_TRUE(QString::fromLocal8Bit(other.readAllStandardOutput()).trimmed().endsWith(printer))
                << "another program sees it";
        }
    }
}

TEST(CupsPdfPrinter, PrintsOneA4SheetWithThePictureInItsBox)
{
    const CupsQueues queues = cupsQueues();
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (queues.pdf.isEmpty() || pdftoppm.isEmpty())
        GTEST_SKIP() << "needs a cups-pdf printer on a running CUPS server and pdftoppm";
    DefaultPrinterGuard guard;
    ui::report::DesktopPrinterSetup().makeDefault(queues.pdf[0]);

    const QDir out(cupsPdfFolder());
    const QSet<QString> before = [&] {
        const QStringList names = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        return QSet<QString>(names.begin(), names.end());
    }();
    ui::report::ReportPage page = reports::Tprint_w::layoutValues();
    QImage picture(3508, 2480, QImage::Format_RGB32);
    picture.fill(Qt::black);
    page.image.picture = picture;
    page.image.left = 1;
    page.image.width = 1112;
    page.image.height = 786;
    page.image.stretch = true;
    test::ScopedFakeServices services;
    ASSERT_TRUE(ui::report::DesktopReportDevice().print(nullptr, page));
    EXPECT_TRUE(services->messages.isEmpty());

    // The job lands as a new PDF once CUPS has run it.
    QString pdf;
    QElapsedTimer waited;
    waited.start();
    while (pdf.isEmpty() && waited.elapsed() < 60000) {
        QTest::qWait(250);
        for (const QFileInfo& f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
            if (!before.contains(f.fileName()) && f.size() > 0) {
                pdf = f.filePath();
                break;
            }
    }
    ASSERT_FALSE(pdf.isEmpty()) << "no job output in " << out.path().toStdString();
    QTest::qWait(500); // let cups-pdf finish writing
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("sheet"));
    ASSERT_EQ(
        QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf, prefix}),
        0);
    const QStringList sheets = QDir(dir.path()).entryList({QStringLiteral("sheet-*.png")});
    ASSERT_EQ(sheets.size(), 1) << "one sheet";
    QImage sheet(dir.filePath(sheets.front()));
    // CUPS lays a landscape page on portrait paper, its top to the left; turned back it reads as printed.
    if (sheet.height() > sheet.width())
        sheet = sheet.transformed(QTransform().rotate(90));
    EXPECT_LE(std::abs(sheet.width() - 1169), 1) << "A4 landscape at 100 dpi";
    EXPECT_LE(std::abs(sheet.height() - 827), 1);
    const QRect measured = test::darkBounds(sheet);
    EXPECT_TRUE(test::sameBox(measured, test::expectedOnSheet(page.pictureRect(), 100)))
        << ::testing::PrintToString(measured);
    if (!::testing::Test::HasFailure())
        QFile::remove(pdf);
}
