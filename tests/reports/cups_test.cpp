// Printing and the printer setup against a real CUPS server with PDF printers:
// the machine's own (the cups-pdf backend), or the server that
// private_cups.sh starts for the run (queues writing each job to a file),
// where RIDA_CUPS_REQUIRED is set and a missing printer is a failure.
// Elsewhere the tests say so and skip: the other report tests cover the same
// paths with fakes and with PDF files.

#include "reports/landscapereport.h"
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

// Without the printers a test needs: a failure on the run's own server, else a skip.
#define SKIP_WITHOUT_PRINTERS(why)                                                                                     \
    do {                                                                                                               \
        if (qEnvironmentVariableIsSet("RIDA_CUPS_REQUIRED"))                                                           \
            FAIL() << why;                                                                                             \
        GTEST_SKIP() << why;                                                                                           \
    } while (false)

// A queue that turns jobs into PDF: the cups-pdf backend, writing new files
// into its output folder, or a file device writing every job to one file.
struct PdfQueue {
    QString name;
    QString file; // the file device's file; empty for cups-pdf
};

// The PDF queues and the default destination.
struct CupsQueues {
    QList<PdfQueue> pdf;
    QString defaultName;
};
CupsQueues cupsQueues()
{
    CupsQueues q;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        const QByteArray uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options);
        const QString name = QString::fromLocal8Bit(dests[i].name);
        if (!dests[i].instance) {
            if (uri.startsWith("cups-pdf:"))
                q.pdf.append({name, {}});
            else if (uri.startsWith("file://") && uri.endsWith(".pdf"))
                q.pdf.append({name, QString::fromLocal8Bit(uri.mid(7))});
        }
        if (dests[i].is_default)
            q.defaultName = name;
    }
    cupsFreeDests(count, dests);
    return q;
}

// Jobs of a queue that are not finished yet.
int activeJobs(const QString& queue)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toLocal8Bit().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return count;
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
        SKIP_WITHOUT_PRINTERS("needs two PDF printers on a running CUPS server");
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    DefaultPrinterGuard guard;
    for (const QString& printer : {queues.pdf[0].name, queues.pdf[1].name}) {
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
        SKIP_WITHOUT_PRINTERS("needs a PDF printer on a running CUPS server and pdftoppm");
    const PdfQueue queue = queues.pdf.front();
    DefaultPrinterGuard guard;
    ui::report::DesktopPrinterSetup().makeDefault(queue.name);

    if (!queue.file.isEmpty())
        QFile::remove(queue.file);
    const QDir out(queue.file.isEmpty() ? cupsPdfFolder() : QFileInfo(queue.file).path());
    const QSet<QString> before = [&] {
        const QStringList names = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        return QSet<QString>(names.begin(), names.end());
    }();
    ui::report::ReportPage page = reports::LandscapeReport::layoutValues();
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
        if (activeJobs(queue.name) > 0)
            continue;
        for (const QFileInfo& f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
            if (!before.contains(f.fileName()) && f.size() > 0) {
                pdf = f.filePath();
                break;
            }
    }
    ASSERT_FALSE(pdf.isEmpty()) << "no job output in " << out.path().toStdString();
    QTest::qWait(500); // let the backend finish writing
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
