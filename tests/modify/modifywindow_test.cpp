#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "image/bitmap.h"
#include "modify/modifywindow.h"
#include "tests/lookup/windowtesting.h"
#include "tests/support/fakeservices.h"
#include "ui/fields.h"
#include "ui/imageview/imageview.h"
#include "viewer/imageviewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace rida;
using test::pressKey;

namespace {

struct ModifyWindow : ::testing::Test {
    test::ScopedFakeServices fake;
    test::AppFolder folder;
    QPointer<modify::ModifyWindow> w;

    void SetUp() override { w = open(); }
    void TearDown() override { delete w.data(); }

    modify::ModifyWindow* open()
    {
        auto* window = new modify::ModifyWindow(folder.appDir());
        window->showInWorkArea();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window;
    }

    // Everything a user could see change in the window.
    static QStringList state(modify::ModifyWindow* window)
    {
        auto* p = window->searchPanel;
        QStringList s;
        for (QLineEdit* e :
             {static_cast<QLineEdit*>(p->mainNumber), static_cast<QLineEdit*>(p->subNumber),
              static_cast<QLineEdit*>(p->yearFrom), static_cast<QLineEdit*>(p->yearTo),
              static_cast<QLineEdit*>(window->addMainNumber), static_cast<QLineEdit*>(window->addSubNumber)})
            s << e->text();
        for (QComboBox* c : {p->townList, p->villageList, p->kindList, window->addTownList, window->addVillageList})
            s << c->currentText();
        for (QCheckBox* c : {p->sanBox, p->kindFilterBox, p->yearRangeBox, window->addSanBox})
            s << (c->isChecked() ? "on" : "off");
        s << QString::number(window->recordGrid->rowCount()) << QString::number(window->lotGrid->rowCount());
        s << window->recordPanel->title() << window->lotPanel->title();
        s << QString::number(window->viewer->page().width()) << window->viewer->scaleBox->currentText();
        return s;
    }
};

} // namespace

TEST_F(ModifyWindow, OpensEmptyWithFocusOnTheMainNumberAndYearsAtZero)
{
    auto* p = w->searchPanel;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("지가조서 수정/삭제"));
    EXPECT_EQ(QApplication::focusWidget(), p->mainNumber);
    EXPECT_EQ(p->yearFrom->text(), QStringLiteral("0"));
    EXPECT_EQ(p->yearTo->text(), QStringLiteral("0"));
    EXPECT_EQ(p->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
    EXPECT_EQ(w->addTownList->currentText(), QStringLiteral("임의읍"));
    EXPECT_EQ(w->addVillageList->currentText(), QStringLiteral("임의리"));

    EXPECT_EQ(w->recordGrid->rowCount(), 2);
    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    QStringList shown;
    for (int c = 0; c < w->recordGrid->columnCount(); ++c)
        if (w->recordGrid->columnWidth(c) > 0)
            shown << w->recordGrid->cell(0, c);
    EXPECT_EQ(shown, (QStringList{"문서구분", "조사연도", "조사월"}));
    QList<int> lotWidths;
    for (int c = 0; c < w->lotGrid->columnCount(); ++c)
        lotWidths << w->lotGrid->columnWidth(c);
    EXPECT_EQ(lotWidths, (QList<int>{55, 55, 37, 42, 42}));
    EXPECT_EQ(w->lotGrid->rowCells(0), (QStringList{"읍면", "동리", "구분", "본번", "부번"}));

    EXPECT_EQ(w->lotPanel->title(), QStringLiteral("검색된 지번"));
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_TRUE(w->viewer->panAllowed);
    EXPECT_FALSE(w->searchDone());
    EXPECT_EQ(w->viewer->scaleBox->currentText(), QStringLiteral("50%"));
    QStringList scales;
    for (int i = 0; i < w->viewer->scaleBox->count(); ++i)
        scales << w->viewer->scaleBox->itemText(i);
    EXPECT_EQ(scales, (QStringList{"20%", "25%", "50%", "60%", "75%", "80%", "100%", "200%", "300%", "400%", "800%",
                                   "1600%", "2000%"}));
    EXPECT_EQ(w->viewer->view()->background(), QColor(88, 87, 103)); // 6772568
    QList<int> recordWidths;
    for (int c = 0; c < w->recordGrid->columnCount(); ++c)
        recordWidths << w->recordGrid->columnWidth(c);
    EXPECT_EQ(recordWidths, (QList<int>{0, 125, 62, 49, 0, 0}));
    // The view offers the scale box and dragging only.
    EXPECT_EQ(w->viewer->magnifierButton, nullptr);
    EXPECT_EQ(w->viewer->brightnessField, nullptr);
    EXPECT_TRUE(w->viewer->pageMenu == nullptr || w->viewer->pageMenu->isEmpty());
}

TEST_F(ModifyWindow, APageIsDraggedWithThePointingHand)
{
    // Nothing in this window loads a page; one put into the view shows its cursors.
    image::Bitmap page(3000, 3000);
    page.fill(0xFFFFFFFFu);
    w->viewer->view()->setPage(std::move(page));
    QWidget* viewport = w->viewer->imageView->viewport();
    const QPoint at = viewport->rect().center();
    QTest::mouseMove(viewport, at);
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    EXPECT_TRUE(w->viewer->panning);
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    EXPECT_FALSE(w->viewer->panning);
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ModifyWindow, EveryControlHasASpokenName)
{
    EXPECT_EQ(test::unnamedControls(w), QStringList());
}

TEST_F(ModifyWindow, LotAddFieldsHaveSpokenNames)
{
    struct Case {
        QWidget* control;
        const char* name;
    } cases[] = {
        {w->addTownList, "추가 지역 읍면"}, {w->addVillageList, "추가 지역 동리"}, {w->addSanBox, "산"},
        {w->addMainNumber, "추가 본번"},    {w->addSubNumber, "추가 부번"},        {w->addLotButton, "추가"},
        {w->deleteLotButton, "삭제"},       {w->deleteDocumentButton, "삭제"},     {w->recordGrid, "검색된 지가조서"},
        {w->lotGrid, "검색된 지번"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::nameOf(c.control), QString::fromUtf8(c.name));
    EXPECT_EQ(w->deleteDocumentButton->toolTip(), QStringLiteral("입력 폴더로 복구"));
}

TEST_F(ModifyWindow, CommandButtonsChangeNothingAndShowNoMessage)
{
    w->searchPanel->mainNumber->setText(QStringLiteral("12"));
    const QStringList before = state(w);
    auto* p = w->searchPanel;
    for (QAbstractButton* b :
         std::initializer_list<QAbstractButton*>{p->searchButton, w->addLotButton, w->deleteLotButton,
                                                 w->deleteDocumentButton, p->previousSubButton, p->nextSubButton}) {
        QTest::mouseClick(b, Qt::LeftButton);
        b->setFocus();
        pressKey(Qt::Key_Return);
        pressKey(Qt::Key_Space);
        EXPECT_EQ(state(w), before) << b->text().toStdString();
    }
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_TRUE(fake->urls.isEmpty());
}

TEST_F(ModifyWindow, EnterChainsReachTheButtonsThatDoNothing)
{
    auto* p = w->searchPanel;
    const QStringList before = state(w);
    struct Step {
        QWidget* from;
        QWidget* to;
    } steps[] = {
        {p->mainNumber, p->subNumber}, {p->subNumber, p->searchButton},     {p->yearFrom, p->yearTo},
        {p->yearTo, p->searchButton},  {w->addMainNumber, w->addSubNumber}, {w->addSubNumber, w->addLotButton},
    };
    for (const auto& s : steps) {
        s.from->setFocus();
        pressKey(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), s.to) << s.from->accessibleName().toStdString();
    }
    // Enter on "검색" does nothing, and the focus stays there.
    p->searchButton->setFocus();
    pressKey(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), p->searchButton);
    EXPECT_EQ(state(w), before);
}

TEST_F(ModifyWindow, TabInTheLotAddPanelReachesTheSubNumberFirst)
{
    w->addLotButton->setFocus();
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        pressKey(Qt::Key_Tab);
        order << QApplication::focusWidget()->accessibleName();
    }
    EXPECT_EQ(order, (QStringList{"추가 지역 읍면", "추가 지역 동리", "추가 부번", "추가 본번", ""}));
    EXPECT_EQ(QApplication::focusWidget(), w->addSanBox);
}

TEST_F(ModifyWindow, KeyFiltersAndFunctionKeys)
{
    auto* p = w->searchPanel;
    for (QComboBox* list : {p->townList, p->villageList, w->addTownList, w->addVillageList}) {
        test::typeText(list, QStringLiteral("x9"));
        pressKey(Qt::Key_Backspace);
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(list->currentText(), list->itemText(0));
    }
    test::typeText(w->addMainNumber, QStringLiteral("123456"));
    EXPECT_EQ(w->addMainNumber->text(), QStringLiteral("1234"));

    // The window has no function keys of its own.
    p->mainNumber->setFocus();
    for (Qt::Key k : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F5, Qt::Key_F7, Qt::Key_F8, Qt::Key_F12})
        pressKey(k);
    EXPECT_EQ(p->mainNumber->text(), QString());
    EXPECT_EQ(w->viewer->scaleBox->currentText(), QStringLiteral("50%"));
    EXPECT_TRUE(fake->urls.isEmpty());
}

TEST_F(ModifyWindow, ScaleListWorksOnTheEmptyView)
{
    auto* combo = w->viewer->scaleBox;
    combo->setFocus();
    combo->setCurrentIndex(combo->findText(QStringLiteral("200%")));
    EXPECT_EQ(combo->currentText(), QStringLiteral("200%"));
    EXPECT_DOUBLE_EQ(w->viewer->view()->scale(), 2.0);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("abc"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("200%"));
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(ModifyWindow, GridsReactToNoClickButFollowTheRecordSelection)
{
    const QStringList before = state(w);
    test::doubleClickRow(w->recordGrid, 1);
    test::doubleClickRow(w->lotGrid, 1);
    EXPECT_EQ(w->selectedRecordRow(), 1);
    EXPECT_EQ(state(w), before);
}

TEST_F(ModifyWindow, PanelsSitAtTheirDesignPlacesAndFollowTheWindow)
{
    w->resize(1024, 710);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->searchPanel->geometry(), QRect(2, 2, 260, 162));
    EXPECT_EQ(w->viewerPanel->geometry(), QRect(264, 1, 758, 564));
    EXPECT_EQ(w->lotAddPanel->geometry(), QRect(264, 568, 613, 140));
    EXPECT_EQ(w->documentDeletePanel->geometry(), QRect(879, 569, 143, 140));

    w->resize(1124, 760);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->recordPanel->geometry(), QRect(2, 166, 260, 189));           // left, top
    EXPECT_EQ(w->lotPanel->geometry(), QRect(2, 357, 260, 351 + 50));         // and bottom
    EXPECT_EQ(w->viewerPanel->geometry(), QRect(264, 1, 858, 614));           // all four sides
    EXPECT_EQ(w->lotAddPanel->geometry(), QRect(264, 618, 713, 140));         // left, right, bottom
    EXPECT_EQ(w->documentDeletePanel->geometry(), QRect(979, 619, 143, 140)); // right, bottom
}

TEST_F(ModifyWindow, ClosingAndOpeningAgainGivesTheSameEmptyState)
{
    const QStringList fresh = state(w);
    test::typeText(w->searchPanel->mainNumber, QStringLiteral("77"));
    w->addSanBox->setChecked(true);
    w->viewer->scaleBox->setCurrentIndex(0);
    QSignalSpy closed(w.data(), &ui::WorkWindow::closed);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closed.count(), 1);
    ASSERT_TRUE(w.isNull());

    w = open();
    EXPECT_EQ(state(w), fresh);
    EXPECT_EQ(QApplication::focusWidget(), w->searchPanel->mainNumber);
}
