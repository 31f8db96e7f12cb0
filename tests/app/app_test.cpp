#include "app/mainwindow.h"
#include "app/signindialog.h"
#include "app/titlewindow.h"
#include "image/codec.h"
#include "model/error.h"
#include "model/notice.h"
#include "tests/lookup/windowtesting.h"
#include "tests/support/fakeservices.h"
#include "tests/support/qtprint.h"
#include "ui/gradientbutton.h"
#include "ui/workwindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

using namespace rida;
using app::MainWindow;

namespace {
struct MainFixture : ::testing::Test {
    test::ScopedFakeServices fake;
    QTemporaryDir dir;
    QString appDir() const { return QDir::toNativeSeparators(dir.path()) + QDir::separator(); }
    void writeNotice(const QByteArray& bytes)
    {
        QFile f(dir.filePath(QStringLiteral("inform.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    std::unique_ptr<MainWindow> makeMain(bool ok = true)
    {
        return std::make_unique<MainWindow>(appDir(), [ok](QWidget*) { return ok; });
    }
    static QStringList boardLines(MainWindow& m) { return m.statusBoard->toPlainText().split(u'\n'); }
};

const QStringList kFixed = {
    "",
    " 접속 사용자 : 테스트사용자",
    "",
    " 데이터베이스 서버 연결 : 성공",
    " 이미지 폴더 연결 : 성공",
    "",
    " 지가조서 등록 합계 : 1면 (산정조서:0면, 결정조서:1명, 토지특성조사표:0면)",
    "",
    " 사용자 등록 :  1명",
};
} // namespace

TEST_F(MainFixture, BoardWithoutEmptyAndThreeLineNoticeFile)
{
    {
        auto m = makeMain();
        EXPECT_EQ(boardLines(*m), kFixed);
        EXPECT_EQ(m->windowTitle(), QStringLiteral("rida zir ov ava - TANDELO® v1.0 (시연용)"));
        EXPECT_TRUE(m->appDir().endsWith(QDir::separator()));
    }
    writeNotice({});
    {
        auto m = makeMain();
        EXPECT_EQ(boardLines(*m), (kFixed + QStringList{"", ""}));
    }
    // "가나다" and "똠" (an extension syllable) in CP949.
    writeNotice(QByteArray("\xB0\xA1\xB3\xAA\xB4\xD9\r\nline two\r\n\x8C\x63\r\n"));
    {
        auto m = makeMain();
        EXPECT_EQ(boardLines(*m), (kFixed + QStringList{"", "", "가나다", "line two", "똠"}));
    }
    // Bytes that are not CP949 lose no line: undefined bytes show as U+FFFD, a UTF-8 notice as itself.
    writeNotice(QByteArray("first\r\n\xFF\xFF\r\n\xEA\xB3\xB5\xEC\xA7\x80\r\nlast\r\n"));
    {
        auto m = makeMain();
        EXPECT_EQ(boardLines(*m), (kFixed + QStringList{"", "", "first", "\uFFFD\uFFFD", "공지", "last"}));
    }
}

TEST_F(MainFixture, UnreadableNoticeFileLeavesTheBoardWithItsEmptyLines)
{
    // A file that exists and opens but cannot be read, even by root.
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), dir.filePath(QStringLiteral("inform.txt"))));
    auto m = makeMain();
    EXPECT_EQ(boardLines(*m), (kFixed + QStringList{"", ""}));
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(MainFixture, CancelledSignInClosesTheTitleWindowAndTheMainWindowOnShow)
{
    auto* splash = new app::TitleWindow;
    app::refs::start = splash;
    QObject::connect(splash, &app::TitleWindow::closed, [] { app::refs::start = nullptr; });
    splash->show();
    QPointer<app::TitleWindow> watch = splash;

    auto m = makeMain(false);
    EXPECT_TRUE(m->signInCancelled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull()) << "the title window is gone";
    EXPECT_EQ(boardLines(*m), kFixed) << "the board is filled either way";
    m->show();
    QTRY_VERIFY(!m->isVisible());
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(MainFixture, MenusAndToolbarInTheirOrder)
{
    auto m = makeMain();
    QStringList menus;
    for (QAction* a : m->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"지가조서", "분석/관리", "시스템", "종료"}));
    QStringList items;
    for (QAction* a : m->menuBar()->actions())
        for (QAction* i : a->menu()->actions())
            items << (i->isSeparator() ? QStringLiteral("-") : i->text());
    EXPECT_EQ(items, (QStringList{"지가조서 조회", "-", "지가조서 자동 등록", "지가조서 수동 등록", "지가조서 수정",
                                  "사용자 관리", "-", "행정코드 관리", "환경 설정", "-", "기술 문의", "about...",
                                  "프로그램 종료"}));
    QStringList captions, hints;
    for (QToolButton* b :
         {m->lookupButton, m->autoRegistrationButton, m->registrationButton, m->modifyButton, m->exitButton}) {
        captions << b->text();
        hints << b->toolTip();
        EXPECT_EQ(b->size(), QSize(107, 102));
        EXPECT_EQ(b->accessibleName(), b->text());
    }
    EXPECT_EQ(captions, (QStringList{"지가조서 조회", "지가조서 자동 등록", "지가조서 수동 등록", "지가조서 수정",
                                     "시스템 종료"}));
    EXPECT_EQ(hints, (QStringList{"지가조서 조회", "지가조서 자동 등록", "지가조서 등록", "지가조서 수정", "종료"}));
    EXPECT_EQ(m->userButton->text(), QStringLiteral("테스트버전"));
}

TEST_F(MainFixture, MenuItemsAre22PixelsHighWith16PixelPictures)
{
    auto m = makeMain();
    ui::showFillingWorkArea(m.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m.get()));
    for (QAction* a : m->menuBar()->actions()) {
        QMenu* menu = a->menu();
        menu->ensurePolished();
        EXPECT_EQ(menu->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, menu), 16);
        for (QAction* i : menu->actions()) {
            if (i->isSeparator())
                continue;
            EXPECT_EQ(menu->actionGeometry(i).height(), 22) << i->text().toStdString();
            EXPECT_FALSE(i->icon().isNull()) << i->text().toStdString();
        }
    }
}

TEST_F(MainFixture, ToolbarButtonsSitWhollyInsideTheToolbarWithTheirSeparators)
{
    auto m = makeMain();
    ui::showFillingWorkArea(m.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m.get()));
    EXPECT_EQ(m->toolBar->height(), 105);
    int left = 0;
    for (QToolButton* b :
         {m->lookupButton, m->autoRegistrationButton, m->registrationButton, m->modifyButton, m->exitButton}) {
        EXPECT_EQ(b->x(), left + 8) << b->text().toStdString();
        EXPECT_TRUE(m->toolBar->rect().contains(b->geometry())) << b->text().toStdString();
        left = b->geometry().right() + 1;
    }
    // Nothing over the toolbar: the board starts below it.
    EXPECT_GE(m->statusBoard->mapTo(m.get(), QPoint()).y(), m->toolBar->geometry().bottom() + 1);
}

TEST_F(MainFixture, EveryControlHasASpokenName)
{
    auto m = makeMain();
    ui::showFillingWorkArea(m.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m.get()));
    EXPECT_EQ(test::unnamedControls(m.get()), QStringList());
}

TEST_F(MainFixture, ItemsWithoutActionDoNothing)
{
    auto m = makeMain();
    m->show();
    for (QAction* a : {m->usersAction, m->regionCodesAction, m->settingsAction})
        a->trigger();
    m->userButton->click();
    EXPECT_TRUE(m->isEnabled());
    EXPECT_TRUE(m->isVisible());
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_TRUE(fake->urls.isEmpty());
    for (auto* ref : {&app::refs::jiga_view, &app::refs::jiga_insert, &app::refs::jiga_auto2, &app::refs::jiga_select})
        EXPECT_TRUE(ref->isNull());
}

TEST_F(MainFixture, WorkWindowsDisableMainAndEachOpeningIsFresh)
{
    auto m = makeMain();
    m->show();
    struct Case {
        QAction* item;
        QToolButton* button;
        QPointer<ui::WorkWindow>* ref;
        QString caption;
        bool minMaxButtons;
    } cases[] = {
        {m->lookupAction, m->lookupButton, &app::refs::jiga_view, "지가조서 조회", true},
        {m->autoRegistrationAction, m->autoRegistrationButton, &app::refs::jiga_auto2, "알파/기타 용지 자동 등록",
         true},
        {m->registrationAction, m->registrationButton, &app::refs::jiga_insert, "지가조서 등록", false},
        {m->modifyAction, m->modifyButton, &app::refs::jiga_select, "지가조서 수정/삭제", false},
    };
    for (auto& c : cases) {
        c.item->trigger();
        ASSERT_FALSE(c.ref->isNull()) << c.caption.toStdString();
        QPointer<ui::WorkWindow> first = *c.ref;
        EXPECT_EQ(first->windowTitle(), c.caption);
        EXPECT_TRUE(first->isVisible());
        EXPECT_FALSE(m->isEnabled());
        ASSERT_NE(first->windowHandle(), nullptr);
        EXPECT_EQ(first->windowHandle()->transientParent(), m->windowHandle()) << "kept above the main window";
        // It fills the work area, frame included: a window manager fits a maximised window's frame inside.
        EXPECT_TRUE(first->isMaximized());
        EXPECT_TRUE(first->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(bool(first->windowFlags() & Qt::WindowMinimizeButtonHint), c.minMaxButtons);
        EXPECT_EQ(bool(first->windowFlags() & Qt::WindowMaximizeButtonHint), c.minMaxButtons);
        first->close();
        EXPECT_TRUE(c.ref->isNull());
        EXPECT_TRUE(m->isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull()) << "a closed work window is freed";

        c.button->click();
        ASSERT_FALSE(c.ref->isNull());
        EXPECT_FALSE(m->isEnabled());
        (*c.ref)->close();
        EXPECT_TRUE(m->isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MainFixture, AboutBoxDisablesMainUntilItsPictureIsClicked)
{
    auto m = makeMain();
    m->show();
    m->aboutAction->trigger();
    ASSERT_FALSE(app::refs::start.isNull());
    EXPECT_FALSE(m->isEnabled());
    QPointer<app::TitleWindow> box = app::refs::start;
    EXPECT_EQ(box->picture->size(), QSize(567, 358));
    ASSERT_NE(box->windowHandle(), nullptr);
    EXPECT_EQ(box->windowHandle()->transientParent(), m->windowHandle()) << "kept above the main window";
    QTest::mouseClick(box->picture, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(m->isEnabled());
    EXPECT_TRUE(app::refs::start.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

TEST_F(MainFixture, TheMenuBarOpensNoMenuThatCouldHideTheToolbar)
{
    auto m = makeMain();
    m->show();
    QWidget* bar = m->menuBar();
    const QPoint at(bar->width() - 5, bar->height() / 2); // beside the menus
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &e);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(m->toolBar->isVisible());
}

TEST_F(MainFixture, SupportPageFromMenuAndButton)
{
    auto m = makeMain();
    m->supportAction->trigger();
    m->supportButton->click();
    ASSERT_EQ(fake->urls.size(), 2);
    EXPECT_EQ(fake->urls[0], QUrl(QString::fromLatin1(app::kSupportPage)));
    fake->openUrlResult = false; // no browser: nothing is reported
    m->supportButton->click();
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(MainFixture, ExitFromMenuToolbarAndTitleBarFreesTheMainWindow)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        // As the program does: the main window frees itself on close, which ends the program.
        QPointer<MainWindow> m = makeMain().release();
        m->setAttribute(Qt::WA_DeleteOnClose);
        m->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
        if (way == 0)
            m->exitAction->trigger();
        else if (way == 1)
            m->exitButton->click();
        else
            m->windowHandle()->close(); // what the title bar's close button asks for
        EXPECT_TRUE(app::refs::main.isNull());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(m.isNull()) << "the main window is freed";
        delete m.data();
    }
}

TEST(ApplicationFolder, TheBuildLaysOutWhatTheProgramReads)
{
    const QDir bin(QStringLiteral(RIDA_BIN_DIR));
    ASSERT_TRUE(bin.exists(QStringLiteral("rida")));
    EXPECT_TRUE(QFileInfo(bin.filePath(QStringLiteral("Tools"))).isDir());
    for (const char* topic : {"Help/3_7_h.htm", "Help/3_5_h.htm"})
        EXPECT_TRUE(QFileInfo(bin.filePath(QLatin1String(topic))).isFile()) << topic;
    // The sample record's page opens as a page.
    image::Bitmap page;
    image::loadPage(bin.filePath(QStringLiteral("Files/Img001.jpg")).toStdString(), page);
    EXPECT_GT(page.width(), 1000);
    EXPECT_GT(page.height(), 1000);
    // The example notice is CP949 text with Hangul in it.
    QFile notice(bin.filePath(QStringLiteral("inform.txt")));
    ASSERT_TRUE(notice.open(QIODevice::ReadOnly));
    QString text;
    EXPECT_TRUE(model::decodeCp949(notice.readAll(), text));
    EXPECT_TRUE(
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; }));
}

TEST(SignInDialog, PasswordFirstEnterConfirmsEscCancels)
{
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<app::SignInDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), QStringLiteral("사용자 로그인"));
            EXPECT_EQ(d->userName->text(), QStringLiteral("테스트사용자"));
            EXPECT_EQ(d->password->echoMode(), QLineEdit::Password);
            EXPECT_EQ(d->focusWidget(), d->password);
            QTest::keyClicks(d->password, QStringLiteral("ab1"));
            EXPECT_EQ(d->password->displayText(), QStringLiteral("***"));
            d->userName->clear(); // nothing typed is checked, not even with both fields emptied
            d->password->clear();
            QTest::keyClick(d->password, Qt::Key(key));
            checked = true;
        });
        const bool ok = app::runSignIn(nullptr);
        EXPECT_TRUE(checked);
        EXPECT_EQ(ok, key == Qt::Key_Return);
    }
}

TEST(SignInDialog, EnterOnAButtonPressesThatButton)
{
    struct Case {
        QWidget* (*focus)(app::SignInDialog*);
        bool signedIn;
    };
    const Case cases[] = {
        {[](app::SignInDialog* d) -> QWidget* { return d->userName; }, true},
        {[](app::SignInDialog* d) -> QWidget* { return d->okButton; }, true},
        {[](app::SignInDialog* d) -> QWidget* { return d->cancelButton; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signedIn);
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<app::SignInDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            QWidget* target = c.focus(d);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
        });
        EXPECT_EQ(app::runSignIn(nullptr), c.signedIn);
    }
}

// A work window that fails while it is being built leaves the main window
// enabled and usable, with the error shown by the general error report.
TEST_F(MainFixture, AWorkWindowThatFailsWhileBeingBuiltLeavesTheMainWindowUsable)
{
    struct Case {
        std::function<ui::WorkWindow*()> create;
        QString shown;
    } cases[] = {
        {[]() -> ui::WorkWindow* { throw model::Error(QStringLiteral("폴더를 읽을 수 없습니다: x")); },
         QStringLiteral("폴더를 읽을 수 없습니다: x")},
        {[]() -> ui::WorkWindow* { throw std::bad_alloc(); }, QStringLiteral("메모리가 부족합니다.")},
        {[]() -> ui::WorkWindow* { throw 42; }, QStringLiteral("알 수 없는 오류가 발생했습니다.")},
    };
    auto m = makeMain();
    m->show();
    for (const Case& c : cases) {
        fake->messages.clear();
        QPointer<ui::WorkWindow> ref;
        EXPECT_FALSE(m->openWorkWindow(ref, c.create));
        EXPECT_TRUE(m->isEnabled());
        EXPECT_TRUE(ref.isNull());
        ASSERT_EQ(fake->messages.size(), 1);
        EXPECT_EQ(fake->messages[0].text, c.shown);
    }
    // The next window opens as ever.
    QPointer<ui::WorkWindow> ref;
    EXPECT_TRUE(m->openWorkWindow(ref, [&] { return new ui::WorkWindow(appDir(), QStringLiteral("창")); }));
    EXPECT_FALSE(m->isEnabled());
    ref->close();
    EXPECT_TRUE(m->isEnabled());
}
