// The output commands of a record: print page with its box fitting, "수정출력",
// print and save of the view capture, page and capture to the word processor,
// printer setup, and the desktop word processor and capture layers.

#include "image/codec.h"
#include "image/ops.h"
#include "lookup/recordoutput.h"
#include "model/landrecord.h"
#include "tests/reports/measure.h"
#include "tests/support/fakeoutput.h"
#include "tests/support/fakeservices.h"
#include "tests/support/qtprint.h"
#include "ui/report/desktopoutput.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace rida;
using lookup::BoxFit;
using lookup::OutputSource;
using test::ReportCall;

namespace {

image::Bitmap grey(int w, int h, int level)
{
    image::Bitmap b(w, h);
    b.fill(image::argb(255, level, level, level));
    return b;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An application folder with Files/ and Tools/ and a record page file.
struct Archive {
    QTemporaryDir dir;
    QString appDir = dir.path() + u'/';
    QString recordFile = appDir + QStringLiteral("Files/Img001.jpg");
    image::Bitmap page; // the viewer's page
    QImage capture = [] {
        QImage i(600, 400, QImage::Format_RGB32);
        i.fill(QColor(20, 40, 60));
        return i;
    }();
    QWidget owner;
    int repaints = 0;

    explicit Archive(int w = 100, int h = 80, int level = 100, bool withTools = true)
    {
        QDir(dir.path()).mkpath(QStringLiteral("Files"));
        if (withTools)
            QDir(dir.path()).mkpath(QStringLiteral("Tools"));
        // Stored as BMP under the .jpg name: the decoders go by content.
        image::saveBmp32(QFile::encodeName(recordFile).toStdString(), grey(w, h, level));
        image::loadPage(QFile::encodeName(recordFile).toStdString(), page);
    }
    OutputSource source(bool modified = false)
    {
        OutputSource s;
        s.owner = &owner;
        s.appDir = appDir;
        s.page = &page;
        s.recordFile = recordFile;
        s.modifiedOutput = modified;
        s.captureView = [this] { return capture; };
        s.repaintView = [this] { ++repaints; };
        return s;
    }
    QString temp() const { return model::tempBitmapPath(appDir); }
};

bool run(const std::function<void()>& command)
{
    return ui::runCommand(nullptr, command);
}

QRect boxOf(const ui::report::ReportPage& p)
{
    return QRect(p.image.left, p.image.top, p.image.width, p.image.height);
}

// What a flat ODF text document holds: its page, its paragraphs' alignment and the embedded picture.
struct ReadDocument {
    QString pageWidth, pageHeight;
    QMap<QString, QString> paragraphAlign; // style name -> fo:text-align
    QString pictureParagraphStyle;
    QString anchor;
    QByteArray picture;
    bool linked = false;
    bool valid = false;
};

ReadDocument readDocument(const QString& path)
{
    ReadDocument d;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return d;
    QXmlStreamReader xml(&f);
    QString currentStyle, currentParagraph;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"page-layout-properties") {
            d.pageWidth = a.value(QStringLiteral("fo:page-width")).toString();
            d.pageHeight = a.value(QStringLiteral("fo:page-height")).toString();
        } else if (name == u"style") {
            currentStyle = a.value(QStringLiteral("style:name")).toString();
        } else if (name == u"paragraph-properties") {
            d.paragraphAlign[currentStyle] = a.value(QStringLiteral("fo:text-align")).toString();
        } else if (name == u"p") {
            currentParagraph = a.value(QStringLiteral("text:style-name")).toString();
        } else if (name == u"frame") {
            d.pictureParagraphStyle = currentParagraph;
            d.anchor = a.value(QStringLiteral("text:anchor-type")).toString();
        } else if (name == u"image") {
            d.linked = a.hasAttribute(QStringLiteral("xlink:href"));
        } else if (name == u"binary-data") {
            d.picture = QByteArray::fromBase64(xml.readElementText().toLatin1());
        }
    }
    d.valid = !xml.hasError();
    return d;
}

} // namespace

TEST(PrintBoxFit, FollowsTheIntegerArithmetic)
{
    struct Case {
        int w, h, qw, qh;
        BoxFit fit;
    } cases[] = {
        {3508, 2480, 1115, 786, {1, 1112, 786}},  // nh = 788 > 786: full height, centred across
        {2480, 3508, 786, 1115, {0, 786, 1111}},  // nh = 1111: full width, top-aligned
        {1000, 700, 1115, 786, {0, 1115, 786}},   // smaller than the box: the full box
        {2000, 1000, 1115, 786, {0, 1115, 557}},  // wider than the box, low: full width
        {500, 2000, 786, 1115, {254, 278, 1115}}, // narrow and high: nw = 1115*500/2000 = 278, centred
        {786, 2000, 786, 1115, {0, 786, 1115}},   // exactly the box width: the full box
        {700, 700, 786, 1115, {0, 786, 1115}},    // square, small: the full box
    };
    for (const Case& c : cases)
        EXPECT_EQ(lookup::fitPrintBox(c.w, c.h, c.qw, c.qh), c.fit) << c.w << 'x' << c.h;
}

TEST(PrintBoxFit, ChoosesLandscapeOnlyForPagesLessHighThanWide)
{
    EXPECT_TRUE(lookup::printsLandscape(3508, 2480));
    EXPECT_FALSE(lookup::printsLandscape(2480, 3508));
    EXPECT_FALSE(lookup::printsLandscape(1000, 1000));
}

TEST(PrintPage, MeasuresTheImageBoxOnPaper)
{
    struct Case {
        int w, h;
        QPageLayout::Orientation orientation;
        QRect box;
    } cases[] = {
        {3508, 2480, QPageLayout::Landscape, {1, 0, 1112, 786}},
        {2480, 3508, QPageLayout::Portrait, {0, 0, 786, 1111}},
        {1000, 700, QPageLayout::Landscape, {0, 0, 1115, 786}},
    };
    for (const Case& c : cases) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        Archive archive(c.w, c.h, 0);
        ASSERT_TRUE(run([&] { lookup::printPage(archive.source()); }));
        ASSERT_EQ(out.reports->calls.size(), 2);
        EXPECT_EQ(out.reports->calls[0].kind, ReportCall::Preview);
        EXPECT_EQ(out.reports->calls[1].kind, ReportCall::Print);
        const ui::report::ReportPage& page = out.reports->calls[1].page;
        EXPECT_EQ(page.orientation, c.orientation);
        EXPECT_EQ(page.caption,
                  c.orientation == QPageLayout::Landscape ? QStringLiteral("가로출력") : QStringLiteral("세로출력"));
        EXPECT_EQ(boxOf(page), c.box);
        EXPECT_TRUE(page.image.stretch);
        EXPECT_EQ(page.color, ui::report::ColorOption::Colour);
        EXPECT_EQ(page.image.picture.size(), QSize(c.w, c.h));
        const QImage sheet = ui::report::renderSheet(page, 127);
        EXPECT_TRUE(test::sameBox(test::darkBounds(sheet), test::expectedOnSheet(c.box, 127)))
            << c.w << 'x' << c.h << ": " << ::testing::PrintToString(test::darkBounds(sheet));
        EXPECT_TRUE(services->messages.isEmpty());
    }
}

TEST(PrintPage, ModifiedOutputPrintsThePageAsModifiedAndOtherwiseTheStoredFile)
{
    for (const bool modified : {true, false}) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        Archive archive(120, 90, 100);
        image::adjustBrightness(archive.page, +5); // one brightness step in the viewer
        ASSERT_TRUE(run([&] { lookup::printPage(archive.source(modified)); }));
        ASSERT_EQ(out.reports->calls.size(), 2);
        const QImage& printed = out.reports->calls[1].page.image.picture;
        EXPECT_EQ(qRed(printed.pixel(60, 45)), modified ? 105 : 100);
        if (modified) {
            // The page went through the temporary page bitmap, a 32-bit BMP.
            const QByteArray bmp = readAll(archive.temp());
            ASSERT_GE(bmp.size(), 54);
            EXPECT_EQ(bmp.left(2), QByteArray("BM"));
            EXPECT_EQ(int(uchar(bmp[28])), 32);
        }
    }
}

TEST(PrintPage, TurnedPagePrintsAsStoredWithoutDistortion)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive(2480, 3508, 0);
    image::rotate90(archive.page); // the viewer shows it 3508 x 2480; "수정출력" stays cleared
    ASSERT_TRUE(run([&] { lookup::printPage(archive.source(false)); }));
    ASSERT_EQ(out.reports->calls.size(), 2);
    const ui::report::ReportPage& page = out.reports->calls[1].page;
    EXPECT_EQ(page.orientation, QPageLayout::Portrait);
    EXPECT_EQ(boxOf(page), QRect(0, 0, 786, 1111));
    EXPECT_EQ(page.image.picture.size(), QSize(2480, 3508));

    // Ticked, the turned page prints as shown, on the landscape layout.
    out.reports->calls.clear();
    ASSERT_TRUE(run([&] { lookup::printPage(archive.source(true)); }));
    EXPECT_EQ(out.reports->calls[1].page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(boxOf(out.reports->calls[1].page), QRect(1, 0, 1112, 786));
}

TEST(PrintPage, CreatesAMissingToolsFolder)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive(100, 80, 100, /*withTools=*/false);
    ASSERT_TRUE(run([&] { lookup::printPage(archive.source(true)); }));
    EXPECT_TRUE(QFileInfo(archive.temp()).isFile());
    EXPECT_EQ(out.reports->calls.size(), 2);
}

TEST(PrintPage, FailuresEndInTheErrorReportWithNothingPrinted)
{
    struct Case {
        const char* what;
        std::function<void(Archive&)> spoil;
        bool modified;
    } cases[] = {
        {"record page file vanished", [](Archive& a) { QFile::remove(a.recordFile); }, false},
        {"Tools cannot be made",
         [](Archive& a) {
             QDir(a.appDir + QStringLiteral("Tools")).removeRecursively();
             QFile f(a.appDir + QStringLiteral("Tools"));
             (void)f.open(QIODevice::WriteOnly); // a file where the folder belongs
         },
         true},
    };
    for (const Case& c : cases) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        Archive archive;
        c.spoil(archive);
        const image::Bitmap before = archive.page;
        EXPECT_FALSE(run([&] { lookup::printPage(archive.source(c.modified)); })) << c.what;
        ASSERT_EQ(services->messages.size(), 1) << c.what;
        EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Error);
        EXPECT_TRUE(out.reports->calls.isEmpty()) << c.what;
        EXPECT_EQ(std::memcmp(before.data(), archive.page.data(), before.pixelCount() * 4), 0) << "page untouched";
    }
}

// Every command that writes the temporary bitmap stops with the error report
// where its folder cannot be made, and leaves nothing half done.
TEST(OutputCommands, AToolsFolderThatCannotBeMadeEndsEachInTheErrorReport)
{
    struct Case {
        const char* what;
        std::function<void(const OutputSource&)> command;
        bool modified;
    } cases[] = {
        {"print capture", lookup::printCapture, false},
        {"save capture", lookup::saveCapture, false},
        {"page to word processor", lookup::pageToWordProcessor, false},
        {"page as modified to word processor", lookup::pageToWordProcessor, true},
        {"capture to word processor", lookup::captureToWordProcessor, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        services->answers = {true};
        out.dialogs->answer = QStringLiteral("/tmp/never-written.bmp");
        Archive archive(100, 80, 100, false);
        QFile blocker(archive.appDir + QStringLiteral("Tools"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder belongs
        blocker.close();
        const image::Bitmap before = archive.page;
        EXPECT_FALSE(run([&] { c.command(archive.source(c.modified)); }));
        ASSERT_EQ(services->messages.size(), 1);
        EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Error);
        EXPECT_TRUE(out.reports->calls.isEmpty());
        EXPECT_TRUE(out.dialogs->requests.isEmpty());
        EXPECT_TRUE(out.wordProcessor->attempted.isEmpty());
        EXPECT_TRUE(archive.owner.isEnabled());
        EXPECT_EQ(std::memcmp(before.data(), archive.page.data(), before.pixelCount() * 4), 0) << "page untouched";
    }
}

// A word processor that is installed but will not start gets the warning of
// one that is missing, once, and the command ends.
TEST(OutputCommands, AWordProcessorThatWillNotStartGetsTheMissingWarningForPageAndCapture)
{
    const std::function<void(const OutputSource&)> commands[] = {lookup::pageToWordProcessor,
                                                                 lookup::captureToWordProcessor};
    for (const auto& command : commands) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        services->answers = {true};
        out.wordProcessor->failToOpen = true;
        Archive archive;
        EXPECT_TRUE(run([&] { command(archive.source()); }));
        ASSERT_EQ(services->messages.size(), 1);
        EXPECT_EQ(services->messages[0].text, QStringLiteral("MicroSoft Word가 설치되어 있지 않습니다!"));
        EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Warning);
        ASSERT_EQ(out.wordProcessor->attempted.size(), 1);
        EXPECT_TRUE(out.wordProcessor->documents.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out.wordProcessor->attempted[0])) << "the unopened document goes";
    }
}

TEST(PrintCapture, PreviewsTheCaptureMonochromeUnstretchedWithTheOwnerDisabled)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive;
    ASSERT_TRUE(run([&] { lookup::printCapture(archive.source()); }));
    ASSERT_EQ(out.reports->calls.size(), 1);
    const ReportCall& call = out.reports->calls[0];
    EXPECT_EQ(call.kind, ReportCall::ModalPreview);
    EXPECT_FALSE(call.ownerEnabled);
    EXPECT_TRUE(archive.owner.isEnabled());
    EXPECT_EQ(call.page.caption, QStringLiteral("가로출력"));
    EXPECT_FALSE(call.page.image.stretch);
    EXPECT_EQ(call.page.color, ui::report::ColorOption::Monochrome);
    EXPECT_EQ(call.page.previewSize, QSize(800, 600));
    EXPECT_EQ(call.page.image.picture.size(), QSize(600, 400));
    EXPECT_EQ(call.page.pictureRect(), QRectF(257.5, 193, 600, 400));
    // The capture went through the temporary page bitmap.
    image::Bitmap temp;
    image::loadPage(QFile::encodeName(archive.temp()).toStdString(), temp);
    EXPECT_EQ(temp.pixel(10, 10) & 0xffffff, 0x14283cu);
}

TEST(PrintCapture, OwnerIsEnabledAgainAfterAFailure)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive;
    archive.capture = QImage();
    EXPECT_FALSE(run([&] { lookup::printCapture(archive.source()); }));
    EXPECT_TRUE(archive.owner.isEnabled());
    EXPECT_TRUE(out.reports->calls.isEmpty());
}

TEST(SaveCapture, ReplacesAnExistingFileWithTheCapture)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive;
    const QString target = archive.appDir + QStringLiteral("화면.bmp");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    out.dialogs->answer = target;
    ASSERT_TRUE(run([&] { lookup::saveCapture(archive.source()); }));
    ASSERT_EQ(out.dialogs->requests.size(), 1);
    EXPECT_EQ(out.dialogs->requests[0].filter, QStringLiteral("Bitmaps (*.bmp)"));
    EXPECT_EQ(out.dialogs->requests[0].defaultSuffix, QStringLiteral("bmp"));
    EXPECT_EQ(readAll(target), readAll(archive.temp()));
    image::Bitmap saved;
    image::loadPage(QFile::encodeName(target).toStdString(), saved);
    EXPECT_EQ(saved.width(), 600);
    EXPECT_EQ(saved.height(), 400);
    EXPECT_TRUE(services->messages.isEmpty());
    EXPECT_TRUE(services->questions.isEmpty()) << "no question beyond the dialog's own";
}

TEST(SaveCapture, NameWithoutExtensionGetsBmpAndCancelWritesNothing)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive;
    out.dialogs->answer = archive.appDir + QStringLiteral("capture");
    ASSERT_TRUE(run([&] { lookup::saveCapture(archive.source()); }));
    EXPECT_TRUE(QFileInfo(archive.appDir + QStringLiteral("capture.bmp")).isFile());

    out.dialogs->answer.clear();
    const QStringList before = QDir(archive.appDir).entryList(QDir::Files);
    ASSERT_TRUE(run([&] { lookup::saveCapture(archive.source()); }));
    EXPECT_EQ(QDir(archive.appDir).entryList(QDir::Files), before);
}

TEST(SaveCapture, UnwritablePathIsReportedAndLeavesNoFile)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    Archive archive;
    out.dialogs->answer = archive.appDir + QStringLiteral("no/such/folder/capture.bmp");
    EXPECT_FALSE(run([&] { lookup::saveCapture(archive.source()); }));
    ASSERT_EQ(services->messages.size(), 1);
    EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_FALSE(QFileInfo::exists(out.dialogs->answer));
}

TEST(PageToWordProcessor, DocumentHoldsThePictureEmbeddedInACentredParagraph)
{
    for (const bool modified : {false, true}) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        services->answers = {true};
        Archive archive(1200, 1000, 100); // as a 32-bit BMP 4.8 MB: written out in more than one piece
        image::adjustBrightness(archive.page, +5);
        ASSERT_TRUE(run([&] { lookup::pageToWordProcessor(archive.source(modified)); }));
        EXPECT_EQ(services->questions,
                  QStringList{QStringLiteral("선택한 이미지를 MicroSoft Word의 새로운 문서로 연결하겠습니까?")});
        ASSERT_EQ(out.wordProcessor->documents.size(), 1);
        const ReadDocument doc = readDocument(out.wordProcessor->documents[0]);
        ASSERT_TRUE(doc.valid);
        EXPECT_EQ(doc.pageWidth, QStringLiteral("21.000cm"));
        EXPECT_EQ(doc.pageHeight, QStringLiteral("29.700cm"));
        EXPECT_EQ(doc.paragraphAlign.value(doc.pictureParagraphStyle), QStringLiteral("center"));
        EXPECT_EQ(doc.anchor, QStringLiteral("as-char"));
        EXPECT_FALSE(doc.linked);
        // Cleared: the stored file as it is; ticked: the page as modified.
        EXPECT_EQ(doc.picture, readAll(modified ? archive.temp() : archive.recordFile));
        image::Bitmap embedded;
        const QString copy = archive.appDir + QStringLiteral("embedded.bmp");
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(doc.picture);
        f.close();
        image::loadPage(QFile::encodeName(copy).toStdString(), embedded);
        EXPECT_EQ(image::redOf(embedded.pixel(5, 5)), modified ? 105 : 100);
        EXPECT_TRUE(services->messages.isEmpty());
    }
}

TEST(PageToWordProcessor, StopsWithItsMessages)
{
    struct Case {
        const char* what;
        bool answer;
        bool installed;
        bool removeRecord;
        QString message;
        ui::MessageIcon icon;
    } cases[] = {
        {"No", false, true, false, {}, ui::MessageIcon::None},
        {"no word processor", true, false, false, QStringLiteral("MicroSoft Word가 설치되어 있지 않습니다!"),
         ui::MessageIcon::Warning},
        {"record file missing", true, true, true,
         QStringLiteral("지가조서를 찾을 수 없습니다! 담당자에게 문의하십시오."), ui::MessageIcon::None},
    };
    for (const Case& c : cases) {
        for (const bool modified : {false, true}) {
            test::ScopedFakeServices services;
            test::ScopedFakeOutput out;
            services->answers = {c.answer};
            out.wordProcessor->installed = c.installed;
            Archive archive;
            if (c.removeRecord)
                QFile::remove(archive.recordFile);
            ASSERT_TRUE(run([&] { lookup::pageToWordProcessor(archive.source(modified)); })) << c.what;
            EXPECT_TRUE(out.wordProcessor->documents.isEmpty()) << c.what;
            if (c.message.isEmpty()) {
                EXPECT_TRUE(services->messages.isEmpty()) << c.what;
            } else {
                ASSERT_EQ(services->messages.size(), 1) << c.what;
                EXPECT_EQ(services->messages[0].text, c.message);
                EXPECT_EQ(services->messages[0].icon, c.icon) << c.what;
            }
            EXPECT_FALSE(QFileInfo::exists(archive.temp())) << c.what;
        }
    }
}

TEST(CaptureToWordProcessor, RepaintsCapturesAndEmbedsTheCapture)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    services->answers = {true};
    Archive archive;
    QFile::remove(archive.recordFile); // not needed for a capture
    ASSERT_TRUE(run([&] { lookup::captureToWordProcessor(archive.source()); }));
    EXPECT_EQ(services->questions,
              QStringList{QStringLiteral("캡쳐된 이미지를 MicroSoft Word의 새로운 문서로 연결하겠습니까?")});
    EXPECT_EQ(archive.repaints, 1);
    ASSERT_EQ(out.wordProcessor->documents.size(), 1);
    const ReadDocument doc = readDocument(out.wordProcessor->documents[0]);
    EXPECT_EQ(doc.paragraphAlign.value(doc.pictureParagraphStyle), QStringLiteral("center"));
    EXPECT_EQ(doc.picture, readAll(archive.temp()));
    // 600 x 400 pixels at 96 per inch fit between the margins as they are.
    EXPECT_TRUE(services->messages.isEmpty());
}

TEST(CaptureToWordProcessor, NoWordProcessorGivesTheSameWarning)
{
    test::ScopedFakeServices services;
    test::ScopedFakeOutput out;
    services->answers = {true};
    out.wordProcessor->installed = false;
    Archive archive;
    ASSERT_TRUE(run([&] { lookup::captureToWordProcessor(archive.source()); }));
    ASSERT_EQ(services->messages.size(), 1);
    EXPECT_EQ(services->messages[0].text, QStringLiteral("MicroSoft Word가 설치되어 있지 않습니다!"));
    EXPECT_EQ(services->messages[0].icon, ui::MessageIcon::Warning);
    EXPECT_EQ(archive.repaints, 0);
}

TEST(OutputCommands, DoNothingOnAnEmptyPage)
{
    using Command = void (*)(const OutputSource&);
    const Command commands[] = {lookup::printPage, lookup::printCapture, lookup::saveCapture,
                                lookup::pageToWordProcessor, lookup::captureToWordProcessor};
    for (const Command command : commands) {
        for (const bool modified : {false, true}) {
            test::ScopedFakeServices services;
            test::ScopedFakeOutput out;
            services->answers = {true};
            out.dialogs->answer = QStringLiteral("/tmp/never.bmp");
            Archive archive;
            archive.page.clear();
            ASSERT_TRUE(run([&] { command(archive.source(modified)); }));
            EXPECT_TRUE(services->questions.isEmpty());
            EXPECT_TRUE(services->messages.isEmpty());
            EXPECT_TRUE(out.reports->calls.isEmpty());
            EXPECT_TRUE(out.capture->areas.isEmpty());
            EXPECT_TRUE(out.dialogs->requests.isEmpty());
            EXPECT_TRUE(out.wordProcessor->documents.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(archive.temp()));
        }
    }
}

TEST(PrinterSetup, MakesTheChosenPrinterTheDefault)
{
    struct Case {
        QStringList printers;
        std::optional<QString> choice;
        bool failToSet;
        QStringList defaults;
        int dialogs;
        QString message;
    } cases[] = {
        {{QStringLiteral("Office"), QStringLiteral("PDF")},
         QStringLiteral("PDF"),
         false,
         {QStringLiteral("PDF")},
         1,
         {}},
        {{QStringLiteral("Office")}, std::nullopt, false, {}, 1, {}},
        {{}, QStringLiteral("Office"), false, {}, 0, ui::report::noPrinterMessage()},
        {{QStringLiteral("Office")},
         QStringLiteral("Office"),
         true,
         {},
         1,
         QStringLiteral("기본 프린터를 바꿀 수 없습니다.")},
    };
    for (const Case& c : cases) {
        test::ScopedFakeServices services;
        test::ScopedFakeOutput out;
        out.printers->printers = c.printers;
        out.printers->choice = c.choice;
        out.printers->failToSet = c.failToSet;
        run([&] { lookup::printerSetup(nullptr); });
        EXPECT_EQ(out.printers->defaults, c.defaults);
        EXPECT_EQ(out.printers->dialogs, c.dialogs);
        if (c.message.isEmpty())
            EXPECT_TRUE(services->messages.isEmpty());
        else
            EXPECT_EQ(services->messages.value(0).text, c.message);
    }
}

TEST(ViewCapture, LeavesOutTheScrollBarsAndShowsWhatLiesOverTheView)
{
    QWidget window;
    window.resize(400, 300);
    auto* view = new QLabel(&window);
    view->setGeometry(10, 10, 217, 167);
    view->setAutoFillBackground(true);
    view->setStyleSheet(QStringLiteral("background: rgb(0, 0, 255);"));
    auto* panel = new QLabel(&window); // a settings panel lying over the view
    panel->setGeometry(20, 20, 50, 40);
    panel->setAutoFillBackground(true);
    panel->setStyleSheet(QStringLiteral("background: rgb(255, 0, 0);"));
    panel->raise();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    {
        test::ScopedFakeOutput out;
        lookup::captureViewArea(view);
        ASSERT_EQ(out.capture->areas.size(), 1);
        EXPECT_EQ(out.capture->areas[0], QRect(0, 0, 200, 150));
    }
    const QImage shot = lookup::captureViewArea(view); // the desktop layer
    ASSERT_EQ(shot.size(), QSize(200, 150));
    EXPECT_EQ(shot.pixelColor(150, 120), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(255, 0, 0));
}

TEST(ViewCapture, AnotherWindowOverTheViewShowsOnlyOnTheScreen)
{
    const QString platform = QGuiApplication::platformName();
    if (platform != QStringLiteral("xcb") && platform != QStringLiteral("offscreen"))
        GTEST_SKIP() << "no rule for " << platform.toStdString();
    QWidget window;
    window.setGeometry(100, 100, 400, 300);
    auto* view = new QLabel(&window);
    view->setGeometry(10, 10, 217, 167);
    view->setAutoFillBackground(true);
    view->setStyleSheet(QStringLiteral("background: rgb(0, 0, 255);"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // A separate top-level window over the view's top-left part, view pixels (30, 30) to (90, 70).
    QWidget over(nullptr,
                 Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    over.setAutoFillBackground(true);
    over.setStyleSheet(QStringLiteral("background: rgb(255, 0, 0);"));
    over.setGeometry(QRect(view->mapToGlobal(QPoint(30, 30)), QSize(60, 40)));
    over.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&over));
    QCoreApplication::processEvents();

    const auto redPixels = [](const QImage& shot) {
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += shot.pixelColor(x, y) == QColor(255, 0, 0);
        return n;
    };
    // On a display scaled by a fraction the window's edges fall between device
    // pixels, and the capture's pixels along them are mixed.
    const auto reddishPixels = [](const QImage& shot) {
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += shot.pixelColor(x, y).red() > 127 && shot.pixelColor(x, y).blue() < 128;
        return n;
    };
    const qreal ratio = window.devicePixelRatio();
    const bool wholeRatio = ratio == std::floor(ratio);
    QImage shot = lookup::captureViewArea(view);
    ASSERT_EQ(shot.size(), QSize(200, 150));
    if (platform == QStringLiteral("xcb")) {
        // The server may show the new window a moment after it is exposed.
        const auto whole = [&] { return wholeRatio ? redPixels(shot) == 60 * 40 : reddishPixels(shot) > 2000; };
        for (int i = 0; i < 40 && !whole(); ++i) {
            QTest::qWait(50);
            shot = lookup::captureViewArea(view);
        }
        if (wholeRatio) {
            EXPECT_EQ(redPixels(shot), 60 * 40);
            EXPECT_EQ(shot.pixelColor(30, 30), QColor(255, 0, 0));
            EXPECT_EQ(shot.pixelColor(89, 69), QColor(255, 0, 0));
            EXPECT_EQ(shot.pixelColor(29, 29), QColor(0, 0, 255));
        } else {
            EXPECT_NEAR(reddishPixels(shot), 60 * 40, 2 * (60 + 40));
            EXPECT_EQ(shot.pixelColor(31, 31), QColor(255, 0, 0));
            EXPECT_EQ(shot.pixelColor(88, 68), QColor(255, 0, 0));
            EXPECT_EQ(shot.pixelColor(28, 28), QColor(0, 0, 255));
        }
    } else {
        EXPECT_EQ(redPixels(shot), 0); // the widgets are rendered: other windows never show
        EXPECT_EQ(shot.pixelColor(60, 50), QColor(0, 0, 255));
    }
    EXPECT_EQ(shot.pixelColor(150, 120), QColor(0, 0, 255));
}

TEST(ViewCapture, ShowsTheOpenMagnifierSettingsOverThePage)
{
    QWidget window;
    auto* viewer = new viewer::ImageViewer(viewer::ViewerConfig::lookup(), {}, &window);
    viewer->setGeometry(0, 0, 800, 600);
    window.resize(800, 600);
    image::Bitmap page(3000, 3000);
    page.fill(image::argb(255, 0, 0, 255));
    viewer->imageView->setPage(std::move(page));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    viewer->toggleMagnifierSettings();
    QCoreApplication::processEvents();
    const QImage shot = lookup::captureViewArea(viewer->imageView);
    const QRect panel = viewer->magnifierPanel->geometry(); // in the view's own pixels
    ASSERT_TRUE(shot.rect().contains(panel));
    EXPECT_EQ(shot.pixelColor(20, shot.height() - 20), QColor(0, 0, 255));
    EXPECT_NE(shot.pixelColor(panel.center()), QColor(0, 0, 255));
}

// Under display scaling (a device pixel ratio of 1.25, 1.5 or 2; the test
// runs again with QT_SCALE_FACTOR set) the capture still has the view's size
// in the view's own pixels, as at a ratio of 1: the print layout places it at
// that size. Rendered widgets give exactly the frame the view drew; a screen
// scaled by a whole number gives it back exactly too, one by a fraction only
// nearly (its device pixels mix neighbouring view pixels).
TEST(ViewCapture, UnderDisplayScalingHasTheViewsOwnPixels)
{
    QWidget window;
    auto* viewer = new viewer::ImageViewer(viewer::ViewerConfig::lookup(), {}, &window);
    viewer->setGeometry(0, 0, 640, 480);
    window.resize(640, 480);
    // Squares of 40 pixels with a line of one pixel through each.
    image::Bitmap page(1200, 900);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const bool light = (x / 40 + y / 40) % 2 == 0;
            const bool line = x % 40 == 20 || y % 40 == 20;
            page.setPixel(x, y,
                          line    ? image::argb(255, 0, 0, 0)
                          : light ? image::argb(255, 240, 230, 200)
                                  : image::argb(255, 40, 90, 160));
        }
    viewer->imageView->setPage(std::move(page));
    viewer->scaleBox->setEditText(QStringLiteral("100%"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();

    ui::ImageView* view = viewer->imageView;
    const QImage shot = lookup::captureViewArea(view);
    ASSERT_EQ(shot.size(), QSize(view->width() - 17, view->height() - 17));
    const image::Bitmap& frame = view->backBuffer();
    ASSERT_EQ(QSize(frame.width(), frame.height()), shot.size());

    const qreal ratio = window.devicePixelRatio();
    const bool exact = QGuiApplication::platformName() != QStringLiteral("xcb") || ratio == std::floor(ratio);
    int differing = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            const std::uint32_t p = frame.pixel(x, y);
            const int d = std::max({std::abs(c.red() - image::redOf(p)), std::abs(c.green() - image::greenOf(p)),
                                    std::abs(c.blue() - image::blueOf(p))});
            differing += d > (exact ? 0 : 8);
        }
    if (exact)
        EXPECT_EQ(differing, 0) << "ratio " << ratio;
    else // the one-pixel lines and the squares' edges, about one pixel in eight
        EXPECT_LT(differing, shot.width() * shot.height() / 4) << "ratio " << ratio;
}

TEST(DesktopWordProcessor, StartsSofficeWithANewDocumentOrIsMissing)
{
    test::ScopedFakeServices services;
    QTemporaryDir bin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    ui::report::DesktopWordProcessor wp;
    wp.watchMilliseconds = 0;
    EXPECT_FALSE(wp.canStart());
    EXPECT_ANY_THROW(wp.openNewDocument(QStringLiteral("/tmp/x.fodt")));

    const QString soffice = bin.filePath(QStringLiteral("soffice"));
    {
        QFile f(soffice);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexit 0\n");
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_TRUE(wp.canStart());
    wp.openNewDocument(QStringLiteral("/tmp/x.fodt"));
    qputenv("PATH", oldPath);
    ASSERT_EQ(services->programs.size(), 1);
    // Through a shell that keeps its exit status (watched elsewhere).
    const QStringList& started = services->programs[0];
    EXPECT_EQ(started.first(), QStringLiteral("/bin/sh"));
    EXPECT_EQ(started.mid(started.size() - 3),
              (QStringList{soffice, QStringLiteral("-n"), QStringLiteral("/tmp/x.fodt")}));
}
