// The automatic registration window: layout, settings, page-point capture.

#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "recognition/autoregistrationwindow.h"
#include "recognition/radiogroup.h"
#include "recognition/settingspanel.h"
#include "tests/support/fakeservices.h"
#include "ui/imageview/imageview.h"
#include "viewer/imageviewer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace rida;
using recognition::AutoRegistrationWindow;

namespace {

struct AutoWindowFixture : ::testing::Test {
    test::ScopedFakeServices fake;
    QTemporaryDir dir;
    QString appDir() const { return QDir::toNativeSeparators(dir.path()) + QDir::separator(); }
    std::unique_ptr<AutoRegistrationWindow> makeWindow()
    {
        auto w = std::make_unique<AutoRegistrationWindow>(appDir());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        return w;
    }
};

// The text of the label that names `field` (its buddy), or "" without one.
QString captionOf(QWidget* field)
{
    for (QLabel* l : field->window()->findChildren<QLabel*>())
        if (l->buddy() == field)
            return l->text();
    return {};
}

struct TextSetting {
    const char* name;
    const char* caption;
    const char* start;
    int limit;
    const char* hint;
};

const TextSetting kTextSettings[] = {
    {"doxnum", "인식 실패기준 열 갯수 :", "5", 2, "인식실패 기준열"},
    {"errnum", "인식 중지 실패 횟수 :", "3", 2, "인식실패 기준열"},
    {"xpt", "X :", "815", 3, ""},
    {"ypt", "Y :", "815", 3, ""},
    {"styval", "인식 시작 상단 Y좌표 :", "834", 3, ""},
    {"stxval", "인식 시작 좌측 X좌표 :", "168", 3, ""},
    {"xcell", "표 시작 영역 X좌표 :", "237", 3, ""},
    {"xzone", "인식 시작 영역 X좌표 :", "818", 3, ""},
    {"alsu", "일반바탕제거 보정치 :", "145", 3, "알파 용지 블루 제거 보정 수치"},
};

struct ChoiceSetting {
    const char* name;
    const char* caption;
    QStringList items;
    int start;
};

const ChoiceSetting kChoiceSettings[] = {
    {"cmck", "파일 복사/이동 :", {"복사", "이동"}, 1},
    {"nmck", "파일명규칙변경 :", {"변경", "미변경"}, 0},
    {"cutck", "이미지공백제거 :", {"미제거", " 좌측", " 우측"}, 0},
    {"dck", "지역폴더일괄인식 :", {"지역폴더일괄", "한 지역폴더만"}, 1},
    {"erck",
     "",
     {"일반바탕제거(고딕체)", "인쇄보정후제거-약(고딕체)", "인쇄보정후제거-중(고딕체)", "인쇄보정후제거-강(고딕체)",
      "인쇄보정후제거-약(명조체)", "인쇄보정후제거-강(명조체)"},
     0},
    {"fontck", "인식 폰트 설정 :", {"고딕체", "명조체"}, 0},
};

void expectStartValues(AutoRegistrationWindow& w)
{
    for (const TextSetting& s : kTextSettings) {
        SCOPED_TRACE(s.name);
        auto* f = w.findChild<QLineEdit*>(QString::fromLatin1(s.name));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->text(), QString::fromUtf8(s.start));
    }
    for (const ChoiceSetting& s : kChoiceSettings) {
        SCOPED_TRACE(s.name);
        auto* g = w.findChild<recognition::RadioGroup*>(QString::fromLatin1(s.name));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->itemIndex(), s.start);
    }
}

} // namespace

TEST_F(AutoWindowFixture, TextSettingsHaveCaptionStartValueTypingLimitAndHint)
{
    auto w = makeWindow();
    w->show();
    for (const TextSetting& s : kTextSettings) {
        SCOPED_TRACE(s.name);
        auto* f = w->findChild<QLineEdit*>(QString::fromLatin1(s.name));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(captionOf(f), QString::fromUtf8(s.caption));
        EXPECT_EQ(f->text(), QString::fromUtf8(s.start));
        EXPECT_EQ(f->toolTip(), QString::fromUtf8(s.hint));
        // No key filter: any character up to the limit, nothing beyond it.
        f->clear();
        QTest::keyClicks(f, QStringLiteral("a-9x7"));
        EXPECT_EQ(f->text(), QStringLiteral("a-9x7").left(s.limit));
    }
}

TEST_F(AutoWindowFixture, ChoiceSettingsOfferTheirItemsWithTheirStartItem)
{
    auto w = makeWindow();
    for (const ChoiceSetting& s : kChoiceSettings) {
        SCOPED_TRACE(s.name);
        auto* g = w->findChild<recognition::RadioGroup*>(QString::fromLatin1(s.name));
        ASSERT_NE(g, nullptr);
        ASSERT_EQ(g->count(), s.items.size());
        for (int i = 0; i < g->count(); ++i)
            EXPECT_EQ(g->button(i)->text(), s.items[i]);
        EXPECT_EQ(g->itemIndex(), s.start);
        if (*s.caption) {
            EXPECT_EQ(captionOf(g->button(0)), QString::fromUtf8(s.caption));
        }
    }
}

TEST_F(AutoWindowFixture, OpensWithItsTabsCountersAndDate)
{
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("알파/기타 용지 자동 등록"));
    ASSERT_EQ(w->modeTabs->count(), 2);
    EXPECT_EQ(w->modeTabs->tabText(0), QStringLiteral("알파/기타용지 자동등록"));
    EXPECT_EQ(w->modeTabs->tabText(1), QStringLiteral("수동등록"));
    EXPECT_EQ(w->modeTabs->currentIndex(), 0);
    const QStringList tabs = {"환경설정", "영역설정", "인식형태설정", "인식폰트", "수동등록화면"};
    ASSERT_EQ(w->settingsPanel->settingsTabs->count(), tabs.size());
    for (int i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(w->settingsPanel->settingsTabs->tabText(i), tabs[i]);
    EXPECT_EQ(w->settingsPanel->settingsTabs->currentIndex(), 0);

    EXPECT_EQ(w->rowCount->text(), QStringLiteral("1/15"));
    EXPECT_EQ(w->folderCount->text(), QStringLiteral("0/0"));
    for (QProgressBar* bar : {w->folderBar, w->fileBar, w->rowBar, w->editBar}) {
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_TRUE(bar->isTextVisible());
    }
    EXPECT_EQ(captionOf(w->folderBar), QStringLiteral("폴더 :"));
    EXPECT_EQ(captionOf(w->fileBar), QStringLiteral("파일 :"));
    EXPECT_EQ(captionOf(w->rowBar), QStringLiteral("인식 :"));
    EXPECT_EQ(captionOf(w->editBar), QStringLiteral("편집 :"));
    EXPECT_EQ(captionOf(w->failureLog), QStringLiteral("등록 실패 파일 목록 :"));
    EXPECT_EQ(captionOf(w->recognisedLots), QStringLiteral("인식 성공 필지 :"));
    EXPECT_TRUE(w->recognisedLots->isReadOnly());
    EXPECT_TRUE(w->recognisedLots->font().bold());
    EXPECT_EQ(w->recognisedLots->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_FALSE(w->failureLog->isReadOnly());

    EXPECT_EQ(w->attributes->yearField->text(), QString::number(QDate::currentDate().year()));
    EXPECT_EQ(w->attributes->monthField->text(), QStringLiteral("01"));
    EXPECT_EQ(w->attributes->monthField->toolTip(), QStringLiteral("조사기준월 2자리"));
    EXPECT_EQ(captionOf(w->attributes->kindList), QStringLiteral("문서구분 :"));
    EXPECT_EQ(captionOf(w->attributes->yearField), QStringLiteral("조사기준연도 :"));
    EXPECT_EQ(captionOf(w->attributes->monthField), QStringLiteral("조사기준월 :"));
    EXPECT_EQ(captionOf(w->attributes->townList), QStringLiteral("등록지역 :"));
    EXPECT_EQ(w->attributes->kindList->count(), 6);
    EXPECT_EQ(w->attributes->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
}

// On a screen 1024 pixels wide the window fits, and its page view keeps room
// to pick page points and to judge a test preview.
TEST_F(AutoWindowFixture, FitsA1024PixelScreenWithAUsablePageView)
{
    auto w = makeWindow();
    w->setWindowState(Qt::WindowNoState);
    w->show();
    w->resize(1024 - 2, 768 - 30); // the work area less a window frame
    QCoreApplication::processEvents();
    EXPECT_LE(w->minimumSizeHint().width(), 1024 - 2);
    EXPECT_GE(w->viewer->imageView->width(), 280);
    EXPECT_GE(w->browser->fileList->width(), 100); // a file name still shows
}

TEST_F(AutoWindowFixture, EverySettingStartsAgainWhenTheWindowIsReopened)
{
    {
        auto w = makeWindow();
        for (const TextSetting& s : kTextSettings)
            w->findChild<QLineEdit*>(QString::fromLatin1(s.name))->setText(QStringLiteral("77"));
        for (const ChoiceSetting& s : kChoiceSettings) {
            auto* g = w->findChild<recognition::RadioGroup*>(QString::fromLatin1(s.name));
            g->setItemIndex(g->count() - 1 - s.start);
        }
        w->close();
    }
    auto w = makeWindow();
    expectStartValues(*w);
}

TEST_F(AutoWindowFixture, PressOnThePagePicksItsPointAndSetCopiesIt)
{
    auto w = makeWindow();
    w->resize(1400, 1000);
    w->show();
    ui::ImageView* view = w->viewer->imageView;
    image::Bitmap page(3000, 4000);
    page.fill(0xFFFFFFFFu);
    view->setPage(std::move(page));
    w->viewer->selectScaleEntry(5);
    ASSERT_DOUBLE_EQ(view->scale(), 0.5);
    const QPointF o = view->pageOrigin();
    view->scrollByPixels(int(o.x()) + 100, int(o.y()) + 200);
    ASSERT_EQ(view->pageOrigin(), QPointF(-100, -200));

    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(400, 250));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(400, 250));
    EXPECT_EQ(w->settingsPanel->pickedX->text(), QStringLiteral("1000"));
    EXPECT_EQ(w->settingsPanel->pickedY->text(), QStringLiteral("900"));
    QTest::mouseClick(w->settingsPanel->setTopYButton, Qt::LeftButton);
    EXPECT_EQ(w->settingsPanel->topYField->text(), QStringLiteral("900"));

    // At 200 % a small page lies centred in the view: points between page
    // pixels, also left of and above the page, go toward zero.
    image::Bitmap small(100, 100);
    small.fill(0xFFFFFFFFu);
    view->setPage(std::move(small));
    w->viewer->selectScaleEntry(10);
    ASSERT_DOUBLE_EQ(view->scale(), 2.0);
    const QPoint corner = view->pageOrigin().toPoint();
    ASSERT_GT(corner.x(), 10);
    struct Case {
        QPoint offset;
        const char* x;
        const char* y;
    };
    for (const Case& c : {Case{{3, 5}, "1", "2"}, Case{{-1, -3}, "0", "-1"}}) {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, corner + c.offset);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, corner + c.offset);
        EXPECT_EQ(w->settingsPanel->pickedX->text(), QString::fromLatin1(c.x));
        EXPECT_EQ(w->settingsPanel->pickedY->text(), QString::fromLatin1(c.y));
    }
    // Other buttons pick nothing.
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, corner + QPoint(40, 40));
    EXPECT_EQ(w->settingsPanel->pickedX->text(), QStringLiteral("0"));
}

TEST_F(AutoWindowFixture, SetButtonsCopyThePickedCoordinateUnchanged)
{
    auto w = makeWindow();
    w->settingsPanel->capturePagePoint({1000, 900});
    EXPECT_EQ(w->settingsPanel->pickedX->text(), QStringLiteral("1000"));
    EXPECT_EQ(w->settingsPanel->pickedY->text(), QStringLiteral("900"));
    struct Case {
        QAbstractButton* button;
        QLineEdit* target;
        QString expected;
    };
    for (const Case& c : {Case{w->settingsPanel->setTopYButton, w->settingsPanel->topYField, "900"},
                          Case{w->settingsPanel->setLeftXButton, w->settingsPanel->leftXField, "1000"},
                          Case{w->settingsPanel->setTableXButton, w->settingsPanel->tableXField, "1000"},
                          Case{w->settingsPanel->setZoneXButton, w->settingsPanel->zoneXField, "1000"}}) {
        SCOPED_TRACE(c.target->objectName().toStdString());
        QTest::mouseClick(c.button, Qt::LeftButton);
        // Longer than the three characters the user may type.
        EXPECT_EQ(c.target->text(), c.expected);
    }
    // Whatever the picked fields hold goes over as it is.
    w->settingsPanel->pickedX->setText(QStringLiteral("x1"));
    w->settingsPanel->setLeftXButton->click();
    EXPECT_EQ(w->settingsPanel->leftXField->text(), QStringLiteral("x1"));
}

// A copied value past the typing limit stays, takes no further characters, and
// can still be shortened; a paste is cut to the room left.
TEST_F(AutoWindowFixture, ASettingPastItsLimitTakesNothingMoreAndAPasteIsCut)
{
    auto w = makeWindow();
    w->show();
    w->settingsPanel->capturePagePoint({1000, 900});
    w->settingsPanel->setLeftXButton->click();
    ASSERT_EQ(w->settingsPanel->leftXField->text(), QStringLiteral("1000"));
    w->settingsPanel->leftXField->setFocus();
    w->settingsPanel->leftXField->end(false);
    QTest::keyClicks(w->settingsPanel->leftXField, QStringLiteral("5"));
    EXPECT_EQ(w->settingsPanel->leftXField->text(), QStringLiteral("1000"));
    QTest::keyClick(w->settingsPanel->leftXField, Qt::Key_Backspace);
    EXPECT_EQ(w->settingsPanel->leftXField->text(), QStringLiteral("100"));

    w->settingsPanel->topYField->clear();
    w->settingsPanel->topYField->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("12345"));
    QTest::keyClick(w->settingsPanel->topYField, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->settingsPanel->topYField->text(), QStringLiteral("123"));
}

TEST_F(AutoWindowFixture, EveryControlHasANameAScreenReaderSpeaks)
{
    auto w = makeWindow();
    w->show();
    for (QWidget* c : w->findChildren<QWidget*>()) {
        // The line edit of an editable list is spoken as its list; a tab bar by its tabs.
        const bool partOfList = c->parentWidget() && c->parentWidget()->inherits("QComboBox");
        if (c->focusPolicy() == Qt::NoFocus || partOfList || c->inherits("QTabBar") || c->window() != w.get())
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty())
            << c->metaObject()->className() << " " << c->objectName().toStdString();
        // A button is spoken by its caption (told apart where two share one), also where a label describes it.
        if (auto* b = qobject_cast<QAbstractButton*>(c); b && !b->text().isEmpty()) {
            EXPECT_TRUE(a->text(QAccessible::Name).contains(QString(b->text()).remove(u'&').trimmed()))
                << c->objectName().toStdString() << " is spoken as " << a->text(QAccessible::Name).toStdString();
        }
    }
}
