// The output bar of the lookup window: its controls, F9 and the commands
// reaching the output layers with the window's page and view.

#include "components/searchpanel.h"
#include "image/ops.h"
#include "lookup/lookupwindow.h"
#include "lookup/outputbar.h"
#include "model/landrecord.h"
#include "tests/lookup/windowtesting.h"
#include "tests/support/fakeoutput.h"
#include "tests/support/fakeservices.h"
#include "viewer/imageviewer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace rida;
using lookup::LookupWindow;
using test::ReportCall;

namespace {

struct OutputBarTest : ::testing::Test {
    test::ScopedFakeServices fake;
    test::ScopedFakeOutput out;
    test::AppFolder folder;
    QPointer<LookupWindow> w;
    lookup::OutputBar* bar = nullptr;

    void SetUp() override
    {
        w = new LookupWindow(folder.appDir());
        w->showInWorkArea();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        bar = w->output;
    }
    void TearDown() override { delete w.data(); }

    void searchAndOpen()
    {
        QTest::mouseClick(w->searchPanel->searchButton, Qt::LeftButton);
        test::doubleClickRow(w->recordGrid, 1);
        ASSERT_FALSE(w->viewer->page().empty());
    }
    QList<QAbstractButton*> commandButtons() const
    {
        return {bar->pageToWriterButton, bar->captureToWriterButton, bar->saveCaptureButton,
                bar->printCaptureButton, bar->printButton,           bar->printerSetupButton};
    }
};

} // namespace

TEST_F(OutputBarTest, ControlsCarryTheirCaptionsHintsAndSpokenNames)
{
    struct Case {
        QWidget* control;
        const char* caption; // empty: picture only
        const char* hint;
        const char* spoken;
    } cases[] = {
        {bar->pageToWriterButton, "", "MicroSoft Word로 보내기", "MicroSoft Word로 보내기"},
        {bar->captureToWriterButton, "", "화면 캡쳐 MicroSoft Word로 보내기", "화면 캡쳐 MicroSoft Word로 보내기"},
        {bar->saveCaptureButton, "", "화면 캡쳐 저장", "화면 캡쳐 저장"},
        {bar->printCaptureButton, "", "화면 캡쳐 출력", "화면 캡쳐 출력"},
        {bar->printButton, "출력", "프린터 출력", "출력"},
        {bar->modifiedOutputBox, "수정출력", "수정된 이미지 출력", "수정출력"},
        {bar->singleSheetBox, "낱장 출력", "낱장으로 출력", "낱장 출력"},
        {bar->printerSetupButton, "설정", "기본 프린터 변경", "설정"},
    };
    int lastX = -1;
    for (const Case& c : cases) {
        auto* button = qobject_cast<QAbstractButton*>(c.control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(c.control->toolTip(), QString::fromUtf8(c.hint));
        EXPECT_EQ(test::nameOf(c.control), QString::fromUtf8(c.spoken));
        EXPECT_TRUE(c.control->isVisible());
        const int x = c.control->mapTo(w, QPoint(0, 0)).x();
        EXPECT_GT(x, lastX) << "left to right";
        lastX = x;
    }
    EXPECT_FALSE(bar->modifiedOutputBox->isChecked());
    EXPECT_FALSE(bar->singleSheetBox->isChecked());
}

TEST_F(OutputBarTest, EveryCommandDoesNothingOnAnEmptyPage)
{
    fake->answers = {true, true};
    out.dialogs->answer = folder.appDir() + QStringLiteral("never.bmp");
    for (QAbstractButton* b : commandButtons())
        if (b != bar->printerSetupButton)
            QTest::mouseClick(b, Qt::LeftButton);
    test::pressKey(Qt::Key_F9);
    EXPECT_TRUE(out.reports->calls.isEmpty());
    EXPECT_TRUE(out.capture->areas.isEmpty());
    EXPECT_TRUE(out.wordProcessor->documents.isEmpty());
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(model::tempBitmapPath(folder.appDir())));
}

TEST_F(OutputBarTest, PrintButtonAndF9PrintTheRecordPageAndSingleSheetChangesNothing)
{
    searchAndOpen();
    QTest::mouseClick(bar->printButton, Qt::LeftButton);
    bar->singleSheetBox->setChecked(true);
    test::pressKey(Qt::Key_F9);
    ASSERT_EQ(out.reports->calls.size(), 4);
    for (int i : {0, 2})
        EXPECT_EQ(out.reports->calls[i].kind, ReportCall::Preview);
    const auto& first = out.reports->calls[1].page;
    const auto& second = out.reports->calls[3].page;
    EXPECT_EQ(out.reports->calls[1].kind, ReportCall::Print);
    EXPECT_EQ(first.orientation, QPageLayout::Landscape); // the 64 x 48 sample page
    EXPECT_EQ(first.image.picture.size(), QSize(64, 48));
    EXPECT_EQ(QRect(first.image.left, first.image.top, first.image.width, first.image.height),
              QRect(second.image.left, second.image.top, second.image.width, second.image.height));
    EXPECT_EQ(first.image.picture, second.image.picture);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(OutputBarTest, BrightnessTicksModifiedOutputWhichPrintsThePageAsItIsInTheViewer)
{
    searchAndOpen();
    const QRgb stored = w->viewer->page().pixel(10, 10);
    QTest::mouseClick(w->viewer->brightnessUpButton, Qt::LeftButton);
    EXPECT_TRUE(bar->modifiedOutputBox->isChecked());
    const QRgb shown = w->viewer->page().pixel(10, 10);
    ASSERT_NE(shown, stored);
    QTest::mouseClick(bar->printButton, Qt::LeftButton);
    ASSERT_EQ(out.reports->calls.size(), 2);
    EXPECT_EQ(out.reports->calls[1].page.image.picture.pixel(10, 10), shown | 0xff000000u);
    EXPECT_TRUE(QFileInfo(model::tempBitmapPath(folder.appDir())).isFile());

    // Cleared by the user: the record page file as stored.
    bar->modifiedOutputBox->setChecked(false);
    QTest::mouseClick(bar->printButton, Qt::LeftButton);
    ASSERT_EQ(out.reports->calls.size(), 4);
    EXPECT_EQ(out.reports->calls[3].page.image.picture.pixel(10, 10), stored | 0xff000000u);
}

TEST_F(OutputBarTest, DesktopCaptureShowsTheMagnifierOverThePage)
{
    // A fake report device over the desktop capture layer.
    ui::report::OutputPlatform platform;
    platform.reports = std::make_unique<test::FakeReportDevice>();
    auto* reports = static_cast<test::FakeReportDevice*>(platform.reports.get());
    ui::report::OutputPlatform previous = ui::report::installOutputPlatform(std::move(platform));

    searchAndOpen();
    QTest::mouseClick(bar->printCaptureButton, Qt::LeftButton); // without a magnifier
    w->viewer->toggleMagnifier();
    QTest::mouseClick(bar->printCaptureButton, Qt::LeftButton); // with one
    const ui::report::OutputPlatform used = ui::report::installOutputPlatform(std::move(previous));

    ASSERT_EQ(reports->calls.size(), 2);
    const QImage plain = reports->calls[0].page.image.picture;
    const QImage magnified = reports->calls[1].page.image.picture;
    QWidget* view = w->viewer->imageView;
    EXPECT_EQ(plain.size(), QSize(view->width() - 17, view->height() - 17));
    EXPECT_EQ(magnified.size(), plain.size());
    EXPECT_NE(plain, magnified) << "the magnifier layer is part of the capture";
}

TEST_F(OutputBarTest, CaptureCommandsTakeTheViewWithoutItsScrollBars)
{
    searchAndOpen();
    ui::ImageView* view = w->viewer->imageView;
    const QRect pageArea(0, 0, view->width() - 17, view->height() - 17);
    // Both bars stay, also when the page at 25 % fits across: the capture is
    // exactly the area the page is drawn in.
    EXPECT_EQ(view->viewport()->size(), pageArea.size());
    EXPECT_LE(w->viewer->page().width() / 4, pageArea.width());

    QTest::mouseClick(bar->printCaptureButton, Qt::LeftButton); // print capture
    ASSERT_EQ(out.reports->calls.size(), 1);
    EXPECT_EQ(out.reports->calls[0].kind, ReportCall::ModalPreview);
    EXPECT_FALSE(out.reports->calls[0].ownerEnabled);
    EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(out.reports->calls[0].page.image.picture.size(), pageArea.size());

    const QString target = folder.appDir() + QStringLiteral("capture.bmp");
    out.dialogs->answer = target;
    QTest::mouseClick(bar->saveCaptureButton, Qt::LeftButton); // save capture
    EXPECT_TRUE(QFileInfo(target).isFile());

    fake->answers = {true};
    QTest::mouseClick(bar->captureToWriterButton, Qt::LeftButton); // capture to word processor
    EXPECT_EQ(out.wordProcessor->documents.size(), 1);

    ASSERT_EQ(out.capture->areas.size(), 3);
    for (const QRect& area : out.capture->areas)
        EXPECT_EQ(area, pageArea);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(OutputBarTest, PageToWordProcessorAsksFirstAndPrinterSetupSetsTheDefault)
{
    searchAndOpen();
    fake->answers = {false, true};
    QTest::mouseClick(bar->pageToWriterButton, Qt::LeftButton);
    EXPECT_TRUE(out.wordProcessor->documents.isEmpty());
    QTest::mouseClick(bar->pageToWriterButton, Qt::LeftButton);
    EXPECT_EQ(out.wordProcessor->documents.size(), 1);
    EXPECT_EQ(fake->questions.size(), 2);

    out.printers->choice = QStringLiteral("Office");
    QTest::mouseClick(bar->printerSetupButton, Qt::LeftButton);
    EXPECT_EQ(out.printers->defaults, QStringList{QStringLiteral("Office")});
}
