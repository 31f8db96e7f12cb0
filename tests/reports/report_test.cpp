// The report engine and the layouts "가로출력" and "세로출력": page values,
// where the picture lands on paper, PDF output, previews and the print.

#include "model/error.h"
#include "reports/landscapereport.h"
#include "reports/portraitreport.h"
#include "tests/reports/measure.h"
#include "tests/support/fakeoutput.h"
#include "tests/support/fakeservices.h"
#include "tests/support/qtprint.h"
#include "ui/report/desktopoutput.h"
#include "ui/report/outputplatform.h"
#include "ui/report/picturedocument.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace rida;
using reports::LandscapeReport;
using reports::PortraitReport;
using ui::report::ColorOption;
using ui::report::ReportPage;

namespace {

QImage solid(int w, int h, QColor colour = Qt::black)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

ReportPage landscapeWith(const QImage& picture, QRect box, bool stretch)
{
    ReportPage page = LandscapeReport::layoutValues();
    page.image.picture = picture;
    page.image.left = box.left();
    page.image.top = box.top();
    page.image.width = box.width();
    page.image.height = box.height();
    page.image.stretch = stretch;
    return page;
}

} // namespace

TEST(ReportLayouts, HoldTheValuesOfTheTwoForms)
{
    QWidget owner;
    LandscapeReport w(&owner);
    PortraitReport h(&owner);
    EXPECT_EQ(reports::print_w, &w);
    EXPECT_EQ(reports::print_h, &h);
    EXPECT_EQ(w.page().caption, QStringLiteral("가로출력"));
    EXPECT_EQ(h.page().caption, QStringLiteral("세로출력"));
    EXPECT_EQ(w.page().pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(w.page().pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(h.page().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(w.page().pageLayout().margins(QPageLayout::Millimeter), QMarginsF(1, 1, 1, 1));
    EXPECT_EQ(QRect(w.QRImage1().left, w.QRImage1().top, w.QRImage1().width, w.QRImage1().height),
              QRect(0, 0, 1115, 786));
    EXPECT_EQ(QRect(h.QRImage1().left, h.QRImage1().top, h.QRImage1().width, h.QRImage1().height),
              QRect(0, 0, 786, 1115));
    EXPECT_TRUE(w.QRImage1().stretch && w.QRImage1().center);
    EXPECT_EQ(w.page().color, ColorOption::Default);
    // The band (1115 x 786 at 96 per inch: 295.01 x 207.96 mm) fills the space
    // between the 1 mm margins of A4.
    const QRectF printable = w.page().pageLayout().paintRect(QPageLayout::Millimeter);
    EXPECT_NEAR(1115 / 96.0 * 25.4, printable.width(), 0.05);
    EXPECT_NEAR(786 / 96.0 * 25.4, printable.height(), 0.1);
}

TEST(ReportLayouts, FreeingClearsTheReference)
{
    {
        LandscapeReport w(nullptr);
        EXPECT_EQ(reports::print_w, &w);
    }
    EXPECT_EQ(reports::print_w, nullptr);
}

TEST(ReportPaper, StretchedPictureFillsItsBoxOnTheSheet)
{
    struct Case {
        QRect box;
    } cases[] = {{{0, 0, 1115, 786}}, {{1, 0, 1112, 786}}, {{0, 0, 1115, 500}}};
    for (const Case& c : cases) {
        const ReportPage page = landscapeWith(solid(300, 200), c.box, true);
        const double dpi = 254; // 10 device pixels per millimetre
        const QImage sheet = ui::report::renderSheet(page, dpi);
        EXPECT_EQ(sheet.size(), QSize(2970, 2100));
        EXPECT_TRUE(test::sameBox(test::darkBounds(sheet), test::expectedOnSheet(c.box, dpi)))
            << ::testing::PrintToString(test::darkBounds(sheet));
    }
}

TEST(ReportPaper, UnstretchedPictureKeepsItsSizeCentredAndNeverSpillsOut)
{
    struct Case {
        QSize picture;
        QRectF expected; // layout pixels
    } cases[] = {
        {{600, 400}, {257.5, 193, 600, 400}}, // smaller: own size, centred
        {{1115, 786}, {0, 0, 1115, 786}},     // exactly the box
        {{2230, 786}, {0, 196.5, 1115, 393}}, // wider than the box: reduced, proportions kept
    };
    for (const Case& c : cases) {
        const ReportPage page = landscapeWith(solid(c.picture.width(), c.picture.height()), {0, 0, 1115, 786}, false);
        EXPECT_EQ(page.pictureRect(), c.expected);
        const QImage sheet = ui::report::renderSheet(page, 192);
        EXPECT_TRUE(test::sameBox(test::darkBounds(sheet), test::expectedOnSheet(c.expected, 192)))
            << ::testing::PrintToString(test::darkBounds(sheet));
    }
}

TEST(ReportPaper, MonochromePrintsGreyLevels)
{
    ReportPage page = landscapeWith(solid(100, 100, QColor(255, 0, 0)), {0, 0, 1115, 786}, true);
    page.color = ColorOption::Monochrome;
    const QImage sheet = ui::report::renderSheet(page, 96);
    const QColor centre = sheet.pixelColor(500, 400);
    EXPECT_EQ(centre.red(), centre.green());
    EXPECT_EQ(centre.green(), centre.blue());
    EXPECT_LT(centre.red(), 200);
    page.color = ColorOption::Colour;
    EXPECT_EQ(ui::report::renderSheet(page, 96).pixelColor(500, 400), QColor(255, 0, 0));
}

TEST(ReportPaper, PdfIsOneA4SheetWithThePictureInItsBox)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    QTemporaryDir dir;
    struct Case {
        ReportPage page;
        QSize sheetAt100Dpi;
    } cases[] = {
        {landscapeWith(solid(3508, 2480), {1, 0, 1112, 786}, true), {1169, 827}},
        {[] {
             ReportPage p = PortraitReport::layoutValues();
             p.image.picture = solid(2480, 3508);
             p.image.height = 1111;
             return p;
         }(),
         {827, 1169}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString pdf = dir.filePath(QStringLiteral("sheet%1.pdf").arg(n));
        const QString prefix = dir.filePath(QStringLiteral("sheet%1").arg(n++));
        ui::report::writePdf(c.page, pdf);
        ASSERT_EQ(QProcess::execute(pdftoppm,
                                    {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf, prefix}),
                  0);
        const QStringList pages = QDir(dir.path()).entryList({QFileInfo(prefix).fileName() + QStringLiteral("-*.png")});
        ASSERT_EQ(pages.size(), 1) << "one sheet";
        const QImage sheet(dir.filePath(pages.front()));
        EXPECT_LE(std::abs(sheet.width() - c.sheetAt100Dpi.width()), 1);
        EXPECT_LE(std::abs(sheet.height() - c.sheetAt100Dpi.height()), 1);
        EXPECT_TRUE(test::sameBox(test::darkBounds(sheet), test::expectedOnSheet(c.page.pictureRect(), 100)))
            << ::testing::PrintToString(test::darkBounds(sheet));
    }
}

TEST(ReportLayouts, SendTheirPageToTheInstalledDevice)
{
    test::ScopedFakeOutput out;
    QWidget owner;
    LandscapeReport layout(&owner);
    layout.setPicture(solid(10, 10));
    layout.setColorOption(ColorOption::Monochrome);
    layout.setPreviewSize({800, 600});
    layout.preview();
    layout.previewModal();
    EXPECT_TRUE(layout.print());
    ASSERT_EQ(out.reports->calls.size(), 3);
    EXPECT_EQ(out.reports->calls[0].kind, test::ReportCall::Preview);
    EXPECT_EQ(out.reports->calls[1].kind, test::ReportCall::ModalPreview);
    EXPECT_EQ(out.reports->calls[2].kind, test::ReportCall::Print);
    EXPECT_EQ(out.reports->calls[2].page.color, ColorOption::Monochrome);
    EXPECT_EQ(out.reports->calls[2].page.previewSize, QSize(800, 600));
}

TEST(ReportLayouts, LoadingAMissingPictureFails)
{
    LandscapeReport layout(nullptr);
    EXPECT_ANY_THROW(layout.loadPicture(QStringLiteral("/nonexistent/page.jpg")));
    EXPECT_TRUE(layout.page().image.picture.isNull());
}

TEST(DesktopReportDevice, WithoutAPrinterSaysSoAndPrintsNothing)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    test::ScopedFakeServices services;
    ui::report::DesktopReportDevice device;
    EXPECT_FALSE(device.print(nullptr, landscapeWith(solid(10, 10), {0, 0, 1115, 786}, true)));
    ASSERT_EQ(services->messages.size(), 1);
    EXPECT_EQ(services->messages[0].text, ui::report::noPrinterMessage());
}

TEST(DesktopReportDevice, ModalPreviewIsUsableOverADisabledOwnerAndHasItsSize)
{
    QWidget owner;
    owner.show();
    owner.setEnabled(false);
    ReportPage page = landscapeWith(solid(10, 10), {0, 0, 1115, 786}, false);
    page.previewSize = {800, 600};
    bool seen = false, enabled = false;
    QSize size;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (dialog) {
            enabled = dialog->isEnabled();
            size = dialog->size();
            title = dialog->windowTitle();
            dialog->reject();
        }
    });
    ui::report::DesktopReportDevice().runPreview(&owner, page);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(size, QSize(800, 600));
    EXPECT_EQ(title, QStringLiteral("가로출력"));
}

TEST(DesktopReportDevice, ModelessPreviewOutlivesItsLayout)
{
    QWidget owner;
    {
        LandscapeReport layout(&owner);
        layout.setPicture(solid(10, 10));
        ui::report::DesktopReportDevice().showPreview(&owner, layout.page());
    }
    QPrintPreviewDialog* preview = owner.findChild<QPrintPreviewDialog*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->isModal());
    QApplication::processEvents();
    preview->close();
}

TEST(DesktopPrinterSetup, DialogChoosesAPrinterAndCancelChoosesNone)
{
    QString title, okText;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
                okText = ok->text();
        dialog->reject();
    });
    EXPECT_EQ(ui::report::DesktopPrinterSetup().choosePrinter(nullptr), std::nullopt);
    EXPECT_EQ(title, QStringLiteral("프린터 설정"));
    EXPECT_EQ(okText, QStringLiteral("확인"));
}

TEST(DesktopPrinterSetup, AnUnknownPrinterIsReportedNotSet)
{
    EXPECT_THROW(ui::report::DesktopPrinterSetup().makeDefault(QStringLiteral("no-such-printer-here")), model::Error);
}

TEST(PictureDocument, NewDocumentsClearAwayOnesLongRead)
{
    QTemporaryDir tmp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QString old = tmp.filePath(QStringLiteral("rida-old123.fodt"));
    const QString recent = tmp.filePath(QStringLiteral("rida-new123.fodt"));
    const QString other = tmp.filePath(QStringLiteral("letter.fodt"));
    for (const QString& path : {old, recent, other}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (path != recent)
            f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
    }
    const QString made = ui::report::newDocumentPath();
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(made.startsWith(tmp.path()));
    EXPECT_TRUE(made.endsWith(QStringLiteral(".fodt")));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(recent));
    EXPECT_TRUE(QFileInfo::exists(other)) << "only our own documents";
}
