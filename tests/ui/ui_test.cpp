#include "model/error.h"
#include "tests/support/fakeservices.h"
#include "tests/support/qtprint.h"
#include "ui/desktopservices.h"
#include "ui/fields.h"
#include "ui/help.h"
#include "ui/keyfilter.h"
#include "ui/picturebutton.h"
#include "ui/services.h"
#include "ui/theme.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace rida;
using model::KeyRule;

namespace {
// A window with a field under test and a target, shown so that focus works.
struct FocusWindow {
    QWidget window;
    QLineEdit* field;
    QLineEdit* target;
    QComboBox* list;
    FocusWindow()
    {
        auto* l = new QVBoxLayout(&window);
        field = new QLineEdit(&window);
        target = new QLineEdit(QStringLiteral("0004"), &window);
        list = new QComboBox(&window);
        list->setEditable(true);
        list->addItem(QStringLiteral("임의읍"));
        l->addWidget(field);
        l->addWidget(target);
        l->addWidget(list);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

// A year-range field in the window, shown.
ui::NumberField* addNumberField(FocusWindow& w)
{
    auto* field = new ui::NumberField(&w.window);
    w.window.layout()->addWidget(field);
    field->show();
    return field;
}

} // namespace

TEST(KeyFilters, EnterMovesWithoutSelectingAndOtherKeysPass)
{
    FocusWindow w;
    ui::attachKeyRule(w.field, KeyRule::EnterMoves, w.target);
    w.field->setFocus();
    QTest::keyClicks(w.field, QStringLiteral("12"));
    EXPECT_EQ(w.field->text(), QStringLiteral("12"));
    QTest::keyClick(w.field, Qt::Key_Return);
    EXPECT_TRUE(w.target->hasFocus());
    EXPECT_FALSE(w.target->hasSelectedText());
}

TEST(KeyFilters, EnterMovesAndSelects)
{
    FocusWindow w;
    ui::attachKeyRule(w.field, KeyRule::EnterMovesAndSelects, w.target);
    w.field->setFocus();
    QTest::keyClick(w.field, Qt::Key_Enter);
    EXPECT_TRUE(w.target->hasFocus());
    EXPECT_EQ(w.target->selectedText(), QStringLiteral("0004"));
}

TEST(KeyFilters, SwallowedRegionListKeepsItsTextAndFocus)
{
    FocusWindow w;
    ui::attachKeyRule(w.list, KeyRule::Swallow);
    w.list->setFocus();
    QTest::keyClicks(w.list, QStringLiteral("ab12"));
    QTest::keyClick(w.list, Qt::Key_Backspace);
    QTest::keyClick(w.list, Qt::Key_Return);
    // Pasting and cutting type their control characters, which are swallowed as well.
    QGuiApplication::clipboard()->setText(QStringLiteral("아무개"));
    QTest::keyClick(w.list, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(w.list, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(w.list, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.list->currentText(), QStringLiteral("임의읍"));
    // Nor does the mouse bring text in: no menu with "paste", no drop, no middle-button paste.
    EXPECT_EQ(w.list->lineEdit()->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_FALSE(w.list->lineEdit()->acceptDrops());
    if (QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(QStringLiteral("아무개"), QClipboard::Selection);
    QTest::mouseClick(w.list->lineEdit(), Qt::MiddleButton);
    EXPECT_EQ(w.list->currentText(), QStringLiteral("임의읍"));
    // Delete types no character: it still removes text from the list's line.
    w.list->lineEdit()->selectAll();
    QTest::keyClick(w.list, Qt::Key_Delete);
    EXPECT_TRUE(w.list->currentText().isEmpty());
    EXPECT_TRUE(w.list->hasFocus() || w.list->lineEdit()->hasFocus());
}

TEST(KeyFilters, EnterMovesOnlyWhileTheTargetIsEnabled)
{
    FocusWindow w;
    ui::attachKeyRule(w.field, KeyRule::EnterMovesIfEnabled, w.target);
    w.target->setEnabled(false);
    w.field->setFocus();
    QTest::keyClick(w.field, Qt::Key_Return);
    EXPECT_TRUE(w.field->hasFocus());
    w.target->setEnabled(true);
    QTest::keyClick(w.field, Qt::Key_Return);
    EXPECT_TRUE(w.target->hasFocus());
}

TEST(KeyFilters, ElseSwallowDiscardsEverythingButEnter)
{
    FocusWindow w;
    ui::attachKeyRule(w.field, KeyRule::EnterMovesAndSelectsElseSwallow, w.target);
    w.field->setText(QStringLiteral("결정조서(G)"));
    w.field->setFocus();
    QTest::keyClicks(w.field, QStringLiteral("x1"));
    QTest::keyClick(w.field, Qt::Key_Backspace);
    EXPECT_EQ(w.field->text(), QStringLiteral("결정조서(G)"));
    QTest::keyClick(w.field, Qt::Key_Return);
    EXPECT_TRUE(w.target->hasFocus());
    EXPECT_TRUE(w.target->hasSelectedText());
}

TEST(NumberField, DigitsAndBackspaceOnlyOthersBeep)
{
    test::ScopedFakeServices fake;
    FocusWindow w;
    ui::NumberField* year = addNumberField(w);
    year->setFocus();
    QTest::keyClicks(year, QStringLiteral("19a9-8"));
    EXPECT_EQ(year->text(), QStringLiteral("1998"));
    EXPECT_EQ(fake->beeps, 2);
    QTest::keyClicks(year, QStringLiteral("7"));
    EXPECT_EQ(year->text(), QStringLiteral("1998")) << "at most four characters";
    QTest::keyClick(year, Qt::Key_Backspace);
    EXPECT_EQ(year->text(), QStringLiteral("199"));
    // Pasted text is refused with a beep; a letter reaching the field another way is refused too.
    QGuiApplication::clipboard()->setText(QStringLiteral("2a"));
    QTest::keyClick(year, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(year->text(), QStringLiteral("199"));
    EXPECT_EQ(fake->beeps, 3); // the "7" over the limit did not beep, the paste did
    year->selectAll();
    year->insert(QStringLiteral("x1")); // as a drop or the context menu's paste would
    EXPECT_EQ(year->text(), QStringLiteral("199"));
}

TEST(NumberField, LeavingNormalisesAndEnteringSelectsTheLastFour)
{
    test::ScopedFakeServices fake;
    struct Case {
        const char* typed;
        const char* after;
    } cases[] = {{"", "0"}, {"0098", "98"}, {"0000", "0"}, {"2026", "2026"}};
    for (const auto& c : cases) {
        FocusWindow w;
        ui::NumberField* year = addNumberField(w);
        year->setText(QString::fromUtf8(c.typed));
        year->setFocus();
        w.target->setFocus();
        EXPECT_EQ(year->text(), QString::fromUtf8(c.after)) << c.typed;
    }
    FocusWindow w;
    ui::NumberField* year = addNumberField(w);
    year->setText(QStringLiteral("2026"));
    year->setFocus();
    EXPECT_EQ(year->selectedText(), QStringLiteral("2026"));
    w.target->setFocus();
    QTest::mouseClick(year, Qt::LeftButton, {}, QPoint(3, year->height() / 2));
    EXPECT_EQ(year->selectedText(), QStringLiteral("2026"));
}

// Another window taking the focus, or the field's own menu, neither leaves nor enters the field.
TEST(NumberField, AnotherWindowOrTheFieldsMenuIsNoLeavingOrEntering)
{
    struct Case {
        Qt::FocusReason reason;
        const char* after;
    } cases[] = {
        {Qt::ActiveWindowFocusReason, ""},
        {Qt::PopupFocusReason, ""},
        {Qt::TabFocusReason, "0"},
        {Qt::MouseFocusReason, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.reason));
        FocusWindow w;
        ui::NumberField* year = addNumberField(w);
        year->setText(QStringLiteral("2026"));
        year->setFocus();
        year->clear();
        QFocusEvent out(QEvent::FocusOut, c.reason);
        QApplication::sendEvent(year, &out);
        EXPECT_EQ(year->text(), QString::fromUtf8(c.after));

        year->setText(QStringLiteral("2026"));
        year->setSelection(1, 2); // "02"
        QFocusEvent in(QEvent::FocusIn, c.reason);
        QApplication::sendEvent(year, &in);
        EXPECT_EQ(year->selectedText(), QString::fromUtf8(*c.after ? "2026" : "02"));
    }
}

TEST(MaskedDigitsField, RefusesLettersAndKeepsItsShape)
{
    FocusWindow w;
    auto* year = new ui::MaskedDigitsField(4, &w.window);
    auto* month = new ui::MaskedDigitsField(2, &w.window);
    w.window.layout()->addWidget(year);
    year->show();
    w.window.layout()->addWidget(month);
    month->show();
    year->setText(QStringLiteral("2026"));
    month->setText(QStringLiteral("01"));
    EXPECT_EQ(year->text(), QStringLiteral("2026"));
    EXPECT_EQ(month->text(), QStringLiteral("01"));
    year->setFocus();
    year->setCursorPosition(0);
    QTest::keyClicks(year, QStringLiteral("ab"));
    EXPECT_EQ(year->text(), QStringLiteral("2026"));
    year->clear();
    QTest::keyClicks(year, QStringLiteral("1x9"));
    EXPECT_EQ(year->text(), QStringLiteral("19"));
    EXPECT_EQ(year->displayText(), QStringLiteral("19__"));
}

TEST(GeneralErrorReport, ShowsTheTextAndTheProgramGoesOn)
{
    test::ScopedFakeServices fake;
    bool after = false;
    EXPECT_FALSE(ui::runCommand(
        nullptr, [] { throw model::ConversionError(QStringLiteral("'x'은(는) 올바른 정수 값이 아닙니다")); }));
    EXPECT_FALSE(ui::runCommand(nullptr, [] { throw std::runtime_error("디스크 오류"); }));
    EXPECT_TRUE(ui::runCommand(nullptr, [&] { after = true; }));
    EXPECT_TRUE(after);
    ASSERT_EQ(fake->messages.size(), 2);
    EXPECT_EQ(fake->messages[0].text, QStringLiteral("'x'은(는) 올바른 정수 값이 아닙니다"));
    EXPECT_EQ(fake->messages[1].text, QStringLiteral("디스크 오류"));
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
}

TEST(GeneralErrorReport, AFailedCommandLeavesNoWaitCursor)
{
    test::ScopedFakeServices fake;
    ui::runCommand(nullptr, [] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        throw std::runtime_error("x");
    });
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Help, OpensTheTopicPageBesideTheHelpFile)
{
    test::ScopedFakeServices fake;
    const QString app = QStringLiteral("/opt/rida") + QDir::separator();
    EXPECT_EQ(ui::helpCommandLine(app, QStringLiteral("3_7_h.htm")),
              QStringLiteral("HH \"/opt/rida/Help/rufodevv7.chm::/3_7_h.htm\""));
    ui::openHelpTopic(app, QStringLiteral("3_7_h.htm"));
    ASSERT_EQ(fake->urls.size(), 1);
    EXPECT_EQ(fake->urls[0], QUrl::fromLocalFile(QStringLiteral("/opt/rida/Help/3_7_h.htm")));
}

TEST(PictureAboveButton, DrawsThePictureAboveTheCaption)
{
    ui::PictureAboveButton button(QStringLiteral("등록(F9)"));
    button.setStyleSheet(QStringLiteral("QPushButton { color: rgb(0, 0, 255); }"));
    QPixmap red(24, 24);
    red.fill(QColor(255, 0, 0));
    button.setIcon(QIcon(red));
    button.setIconSize(QSize(24, 24));
    button.resize(100, 51);
    const QImage shot = button.grab().toImage();
    QRect picture, caption;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                picture |= QRect(x, y, 1, 1);
            else if (c.blue() > 150 && c.red() < 90 && c.green() < 90)
                caption |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(picture.isEmpty());
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_LT(picture.bottom(), caption.top());
    EXPECT_NEAR(picture.center().x(), caption.center().x(), 3);
}

TEST(DesktopServices, MessagesAndQuestionsShowTheirIconsButtonsAndTitle)
{
    struct Seen {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QString title, text;
    };
    // Reads the box that is up and answers it with `answer`.
    const auto answerWith = [](Seen& seen, QMessageBox::StandardButton answer) {
        QTimer::singleShot(0, [&seen, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = {box->icon(), box->standardButtons(), box->windowTitle(), box->text()};
            box->button(answer)->click();
        });
    };
    ui::DesktopServices desktop;
    Seen seen;
    answerWith(seen, QMessageBox::No);
    EXPECT_FALSE(desktop.askYesNo(nullptr, QStringLiteral("연결하겠습니까?")));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.title, QStringLiteral("rida zir ov ava"));
    EXPECT_EQ(seen.text, QStringLiteral("연결하겠습니까?"));
    answerWith(seen, QMessageBox::Yes);
    EXPECT_TRUE(desktop.askYesNo(nullptr, QStringLiteral("연결하겠습니까?")));

    struct Case {
        ui::MessageIcon icon;
        QMessageBox::Icon shown;
    } cases[] = {{ui::MessageIcon::None, QMessageBox::NoIcon},
                 {ui::MessageIcon::Information, QMessageBox::Information},
                 {ui::MessageIcon::Warning, QMessageBox::Warning},
                 {ui::MessageIcon::Error, QMessageBox::Critical}};
    for (const Case& c : cases) {
        answerWith(seen, QMessageBox::Ok);
        desktop.showMessage(nullptr, QStringLiteral("알림"), c.icon);
        EXPECT_EQ(seen.icon, c.shown);
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

TEST(Theme, KoreanFontNamesOfTheFormsFindAnInstalledKoreanFont)
{
    const QStringList korean = QFontDatabase::families(QFontDatabase::Korean);
    if (korean.isEmpty())
        GTEST_SKIP() << "no Korean font installed";
    for (const char* name : {"맑은 고딕", "굴림"}) {
        const QString family = QFontInfo(QFont(QString::fromUtf8(name))).family();
        EXPECT_TRUE(korean.contains(family)) << name << " is drawn with " << family.toStdString();
    }
    EXPECT_TRUE(korean.contains(QFontInfo(QApplication::font()).family()));
}

TEST(Theme, ListItemsOpenOnADoubleClickWhateverTheDesktopSays)
{
    QListWidget folders;
    EXPECT_EQ(folders.style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, &folders), 0);
}

TEST(Theme, QtsOwnDialogTextsAreKorean)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(ui::installKoreanQtTexts(*app)) << "Qt's Korean translation (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("예")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("아니")))
        << box.button(QMessageBox::No)->text().toStdString();
    for (QTranslator* t : app->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(t);
}
