#include "tests/viewer/harness.h"

#include <QComboBox>
#include <QCursor>
#include <QLineEdit>

using namespace rida;
using namespace rida::viewer;
using namespace rida::viewer::testing;
using image::argb;

namespace {
void enter(Harness& h, const QString& text)
{
    // As a paste over the whole text: one change.
    QLineEdit* edit = h.viewer->scaleBox->lineEdit();
    edit->selectAll();
    if (text.isEmpty())
        edit->del();
    else
        edit->insert(text);
}
} // namespace

TEST(ScaleBox, StartsAt50PercentTextWithScaleOne)
{
    Harness h;
    EXPECT_EQ(h.viewer->scaleBox->currentText(), "50%");
    EXPECT_EQ(h.view().scale(), 1.0);
}

TEST(ScaleBox, ParsesLikeTheTable)
{
    struct Case {
        const char* typed;
        const char* shown;
        double scale;
    } cases[] = {
        {"0", "25%", 0.25},      {"-5", "25%", 0.25},     {"abc", "25%", 0.25},  {"2500", "25%", 0.25},
        {"37", "37%", 0.37},     {"2000", "2000%", 20.0}, {"2001", "25%", 0.25}, {"", "", 0.25},
        {" 1 2 %", "12%", 0.12}, {"%%", "%%", 0.25},
    };
    Harness h;
    h.setPage(flatPage(500, 500, argb(255, 9, 9, 9)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        h.viewer->selectScaleEntry(1);
        ASSERT_EQ(h.viewer->scaleBox->currentText(), "25%");
        enter(h, QString::fromUtf8(c.typed));
        EXPECT_EQ(h.viewer->scaleBox->currentText(), QString::fromUtf8(c.shown));
        EXPECT_DOUBLE_EQ(h.view().scale(), c.scale);
        const QString shown = QString::fromUtf8(c.shown);
        if (shown.endsWith('%') && shown != "%%") {
            EXPECT_EQ(h.viewer->scaleBox->lineEdit()->cursorPosition(), shown.size() - 1);
        }
    }
}

TEST(ScaleBox, DigitsTypedOneByOneTakeEffectOneByOne)
{
    Harness h;
    QLineEdit* edit = h.viewer->scaleBox->lineEdit();
    edit->setFocus();
    edit->selectAll();
    const std::pair<char, double> steps[] = {{'1', 0.01}, {'5', 0.15}, {'0', 1.5}};
    QString expect;
    for (auto [key, scale] : steps) {
        QTest::keyClick(edit, key);
        expect += QChar(key);
        EXPECT_EQ(edit->text(), expect + "%");
        EXPECT_DOUBLE_EQ(h.view().scale(), scale);
    }
}

TEST(ScaleStep, F7AndF8WalkTheListAndStopAtBothEnds)
{
    Harness h;
    QComboBox* box = h.viewer->scaleBox;
    QTest::keyClick(&h.window, Qt::Key_F7); // "50%" -> "60%"
    EXPECT_EQ(box->currentText(), "60%");
    EXPECT_DOUBLE_EQ(h.view().scale(), 0.6);
    QTest::keyClick(&h.window, Qt::Key_F8);
    QTest::keyClick(&h.window, Qt::Key_F8);
    EXPECT_EQ(box->currentText(), "25%");

    h.viewer->selectScaleEntry(box->count() - 1); // "2000%"
    QTest::keyClick(&h.window, Qt::Key_F7);       // past the end: no entry, scale kept
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_DOUBLE_EQ(h.view().scale(), 20.0);
    QTest::keyClick(&h.window, Qt::Key_F7); // no entry matches: the first
    EXPECT_EQ(box->currentText(), "20%");
    QTest::keyClick(&h.window, Qt::Key_F8); // before the first: none, scale kept
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_DOUBLE_EQ(h.view().scale(), 0.2);

    // Typed text that is no entry: F7 goes to the first.
    h.viewer->selectScaleEntry(2);
    h.viewer->scaleBox->lineEdit()->selectAll();
    h.viewer->scaleBox->lineEdit()->insert("37");
    QTest::keyClick(&h.window, Qt::Key_F7);
    EXPECT_EQ(box->currentText(), "20%");
    // F8 there: before the first, none; the typed scale stays.
    h.viewer->scaleBox->lineEdit()->selectAll();
    h.viewer->scaleBox->lineEdit()->insert("37");
    ASSERT_DOUBLE_EQ(h.view().scale(), 0.37);
    QTest::keyClick(&h.window, Qt::Key_F8);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_DOUBLE_EQ(h.view().scale(), 0.37);
}

TEST(ScaleStep, RegistrationListStartsAtFivePercent)
{
    Harness h(ViewerConfig::registration());
    h.viewer->selectScaleEntry(0);
    EXPECT_EQ(h.viewer->scaleBox->currentText(), "5%");
    QTest::keyClick(&h.window, Qt::Key_F8);
    EXPECT_DOUBLE_EQ(h.view().scale(), 0.05);
}

TEST(Pan, LeftDragMovesThePageRightPressNever)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 200, 200, 200)));
    h.view().scrollByPixels(1000, 1000);
    const QPoint start = h.scroll();

    // Right button, also in pan mode: no pan.
    h.press({300, 300}, Qt::RightButton);
    EXPECT_FALSE(h.viewer->panning);
    h.move({250, 260}, Qt::RightButton);
    h.release({250, 260}, Qt::RightButton);
    EXPECT_EQ(h.scroll(), start);

    // Left drag: the page follows the mouse.
    h.press({300, 300});
    EXPECT_TRUE(h.viewer->panning);
    h.move({280, 290});
    h.move({250, 260});
    EXPECT_EQ(h.viewer->panOrigin, QPoint(250, 260));
    h.release({250, 260});
    EXPECT_FALSE(h.viewer->panning);
    EXPECT_EQ(h.scroll(), start + QPoint(50, 40));
}

TEST(Pan, NoPanWhileAMagnifierIsActive)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 200, 200, 200)));
    h.view().scrollByPixels(1000, 1000);
    h.viewer->toggleMagnifier();
    ASSERT_FALSE(h.viewer->panAllowed);
    const QPoint start = h.scroll();
    h.drag({20, 20}, {120, 90}); // outside the magnifier in the middle
    EXPECT_FALSE(h.viewer->panning);
    EXPECT_EQ(h.scroll(), start);
}

TEST(Pan, AutomaticRegistrationReportsThePressedPagePointAndCursors)
{
    Harness h(ViewerConfig::autoRegistration());
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    h.view().setScale(0.5);
    h.view().scrollByPixels(100, 50);
    const QPointF o = h.view().pageOrigin();
    h.press({101, 77});
    EXPECT_EQ(h.pressedPoint, QPoint(int((101 - o.x()) / 0.5), int((77 - o.y()) / 0.5)));
    EXPECT_EQ(h.viewport()->cursor().shape(), Qt::PointingHandCursor);
    h.release({101, 77});
    EXPECT_EQ(h.viewport()->cursor().shape(), Qt::CrossCursor);
}

TEST(Pan, CursorsOverThePageOnPressAndOnReleaseInEachWindow)
{
    const Qt::CursorShape hand = Qt::PointingHandCursor, cross = Qt::CrossCursor;
    struct Case {
        const char* window;
        ViewerConfig config;
        Qt::CursorShape over, pressed, released;
    } cases[] = {
        {"lookup", ViewerConfig::lookup(), hand, hand, hand},
        {"modify", ViewerConfig::modify(), hand, hand, hand},
        {"registration", ViewerConfig::registration(), hand, hand, hand}, // a pan changes nothing
        {"autoRegistration", ViewerConfig::autoRegistration(), cross, hand, cross},
    };
    for (const auto& c : cases) {
        Harness h(c.config);
        h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
        const QPoint at(200, 150);
        QCursor::setPos(h.viewport()->mapToGlobal(at)); // the pointer comes to rest over the page
        QCoreApplication::processEvents();
        h.move(at, Qt::NoButton);
        EXPECT_EQ(h.viewport()->cursor().shape(), c.over) << c.window;
        h.press(at);
        ASSERT_TRUE(h.viewer->panning) << c.window;
        EXPECT_EQ(h.viewport()->cursor().shape(), c.pressed) << c.window;
        h.release(at);
        EXPECT_EQ(h.viewport()->cursor().shape(), c.released) << c.window;
        h.move(at + QPoint(5, 5), Qt::NoButton);
        EXPECT_EQ(h.viewport()->cursor().shape(), c.released) << c.window << " moving on";
    }
}

TEST(ViewClick, MovesTheFocusToTheScaleBox)
{
    Harness h;
    h.setPage(flatPage(100, 100, argb(255, 255, 255, 255)));
    h.viewer->applyButton->setFocus();
    h.press({10, 10});
    h.release({10, 10});
    QLineEdit* edit = h.viewer->scaleBox->lineEdit();
    EXPECT_TRUE(h.viewer->scaleBox->hasFocus() || edit->hasFocus());
    // Its text is selected: a digit typed next is the new scale.
    EXPECT_EQ(edit->selectedText(), edit->text());
    QTest::keyClick(edit, '1');
    EXPECT_EQ(edit->text(), QStringLiteral("1%"));
    EXPECT_DOUBLE_EQ(h.view().scale(), 0.01);
}
