#include "image/ops.h"
#include "image/transform.h"
#include "tests/viewer/harness.h"
#include "viewer/magnifier.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>

#include <cmath>

using namespace rida;
using namespace rida::viewer;
using namespace rida::viewer::testing;
using image::argb;
using image::redOf;

namespace rida::image {
inline void PrintTo(const RectF& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
} // namespace rida::image

namespace {
image::RectI viewRect(Harness& h, ui::Layer* l)
{
    const auto r = h.view().mapPageToView(l->location);
    return {int(std::lround(r.left)), int(std::lround(r.top)), int(std::lround(r.right)), int(std::lround(r.bottom))};
}
} // namespace

TEST(Magnifier, Is320ViewPixelsInTheMiddleAtEveryScale)
{
    struct Case {
        int entry;
        double pageSide;
    } cases[] = {{2, 640.0}, {7, 160.0}}; // 50 %, 200 %
    for (const auto& c : cases) {
        Harness h;
        h.setPage(flatPage(4000, 4000, argb(255, 255, 255, 255)));
        h.viewer->selectScaleEntry(c.entry);
        h.viewer->toggleMagnifier();
        ASSERT_EQ(h.magnifiers().size(), 1u);
        ui::Layer* m = h.magnifiers()[0];
        EXPECT_DOUBLE_EQ(m->location.width(), c.pageSide);
        EXPECT_DOUBLE_EQ(m->location.height(), c.pageSide);
        const auto r = h.view().mapPageToView(m->location);
        EXPECT_NEAR(r.width(), 320.0, 1e-9);
        const QRect area = h.view().visibleArea();
        EXPECT_NEAR((r.left + r.right) / 2, area.width() / 2, 2.0);
        EXPECT_NEAR((r.top + r.bottom) / 2, area.height() / 2, 2.0);
        EXPECT_EQ(h.viewer->selection, m);
        EXPECT_TRUE(h.viewer->rubberBand && h.viewer->rubberBand->visible);
    }
}

TEST(Magnifier, BevelRingsCarryTheirAlphas)
{
    const int white[] = {179, 138, 97, 56, 15};
    const int black[] = {89, 68, 48, 28, 7};
    // On black the white lines show their alpha; on white the black ones show 255 - alpha.
    for (const bool dark : {true, false}) {
        Harness h;
        h.setPage(flatPage(3000, 3000, dark ? argb(255, 0, 0, 0) : argb(255, 255, 255, 255)));
        h.viewer->selectScaleEntry(2);
        h.viewer->toggleMagnifier();
        h.viewer->setSelection(nullptr); // the frame's handles would cover the bevel
        ui::Layer* m = h.magnifiers()[0];
        const image::RectI r = viewRect(h, m);
        const auto& f = h.frame();
        const int xm = (r.left + r.right) / 2;
        for (int i = 0; i < 5; ++i) {
            if (dark) {
                EXPECT_EQ(redOf(f.pixel(xm, r.top + i)), white[i]) << i;
                EXPECT_EQ(redOf(f.pixel(r.left + i, (r.top + r.bottom) / 2)), white[i]) << i;
            } else {
                EXPECT_EQ(redOf(f.pixel(xm, r.bottom - 1 - i)), 255 - black[i]) << i;
                EXPECT_EQ(redOf(f.pixel(r.right - 1 - i, (r.top + r.bottom) / 2)), 255 - black[i]) << i;
            }
        }
        EXPECT_EQ(redOf(f.pixel(xm, r.top + 5)), dark ? 0 : 255);
        EXPECT_EQ(redOf(f.pixel(xm, r.top - 1)), dark ? 0 : 255);
    }
}

TEST(Magnifier, OpacityZeroLeavesOnlyTheBevel)
{
    Harness h;
    h.setPage(makePage(3000, 3000, [](int x, int y) { return argb(255, x % 256, y % 256, (x + y) % 256); }));
    h.viewer->selectScaleEntry(2);
    const image::Bitmap before = h.frame();
    h.viewer->toggleMagnifier();
    h.viewer->setSelection(nullptr);
    h.viewer->opacitySlider->setValue(0);
    const image::RectI r = viewRect(h, h.magnifiers()[0]);
    const auto& f = h.frame();
    const int xm = (r.left + r.right) / 2, ym = (r.top + r.bottom) / 2;
    for (QPoint p : {QPoint(xm, ym), QPoint(r.left + 5, ym), QPoint(xm + 100, ym - 100)})
        EXPECT_EQ(f.pixel(p.x(), p.y()), before.pixel(p.x(), p.y()));
    EXPECT_NE(f.pixel(xm, r.top), before.pixel(xm, r.top));

    // At full opacity the content is enlarged: away from the centre it differs.
    h.viewer->opacitySlider->setValue(255);
    EXPECT_NE(h.frame().pixel(xm + 100, ym - 100), before.pixel(xm + 100, ym - 100));
}

TEST(Magnifier, RotationPlusNinetyTurnsTheContentClockwise)
{
    Harness h;
    h.viewer->selectScaleEntry(6); // 100 %: page and view pixels agree
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    const QPointF c = h.view().mapViewToPage(QPointF(h.view().visibleArea().center()));
    // A black block 100 view pixels right of the middle.
    image::Bitmap& page = h.view().page();
    for (int y = int(c.y()) - 10; y < int(c.y()) + 10; ++y)
        for (int x = int(c.x()) + 90; x < int(c.x()) + 110; ++x)
            page.setPixel(x, y, argb(255, 0, 0, 0));
    h.view().pageChanged();
    h.viewer->toggleMagnifier();
    h.viewer->setSelection(nullptr);
    h.viewer->magnificationSlider->setValue(0); // 10^0: unmagnified
    const image::RectI r = viewRect(h, h.magnifiers()[0]);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    EXPECT_EQ(redOf(h.frame().pixel(cx + 100, cy)), 0);
    h.viewer->rotationSlider->setValue(90);
    const auto& f = h.frame();
    EXPECT_EQ(redOf(f.pixel(cx, cy + 100)), 0);   // now below the middle
    EXPECT_EQ(redOf(f.pixel(cx + 100, cy)), 255); // no longer to the right
    EXPECT_EQ(redOf(f.pixel(cx, cy - 100)), 255);
}

TEST(Magnifier, TheSliderEnlargesByTenToTheValueOverFifty)
{
    struct Case {
        int slider;
        int blockFrom, blockTo; // the block's columns, right of the middle, in page pixels
        int shown;              // where the magnifier shows its middle column
        int vacated;            // where the block lies unmagnified: now showing paper
    } cases[] = {
        {50, 10, 12, 110, 11}, // 10 x: columns 10 .. 12 appear at 100 .. 120
        {10, 40, 50, 71, 45},  // 10^0.2 = 1.585 x: 40 .. 50 appear at 63.4 .. 79.2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slider);
        Harness h;
        h.viewer->selectScaleEntry(6); // 100 %: page and view pixels agree
        h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
        h.viewer->toggleMagnifier();
        h.viewer->setSelection(nullptr);
        const image::RectF placed = h.magnifiers()[0]->location;
        const int px = int((placed.left + placed.right) / 2), py = int((placed.top + placed.bottom) / 2);
        image::Bitmap& page = h.view().page();
        for (int y = py - 30; y < py + 30; ++y)
            for (int x = px + c.blockFrom; x < px + c.blockTo; ++x)
                page.setPixel(x, y, argb(255, 0, 0, 0));
        h.view().pageChanged();
        h.viewer->magnificationSlider->setValue(c.slider);
        const image::RectI r = viewRect(h, h.magnifiers()[0]);
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const auto& f = h.frame();
        EXPECT_EQ(redOf(f.pixel(cx + c.shown, cy)), 0);
        EXPECT_EQ(redOf(f.pixel(cx + c.vacated, cy)), 255);
    }
}

// Zooming in after placing a magnifier keeps its page size: placed at 5 % and
// shown at 2000 %, it is 128000 view pixels wide, and only what lies in the
// view is worked out.
TEST(Magnifier, PlacedAtFivePercentItStillShowsAtTwoThousand)
{
    Harness h(ViewerConfig::registration());
    h.setPage(flatPage(6000, 6000, argb(255, 255, 255, 255)));
    h.viewer->selectScaleEntry(0);
    ASSERT_EQ(h.viewer->scaleBox->currentText(), "5%");
    h.viewer->toggleMagnifier();
    ASSERT_EQ(h.magnifiers().size(), 1u);
    const image::RectF placed = h.magnifiers()[0]->location;
    const QPointF middle((placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2);
    image::Bitmap& page = h.view().page();
    for (int y = int(middle.y()) - 5; y < int(middle.y()) + 5; ++y)
        for (int x = int(middle.x()) - 5; x < int(middle.x()) + 5; ++x)
            page.setPixel(x, y, argb(255, 0, 0, 0));
    h.view().pageChanged();
    h.viewer->selectScaleEntry(h.viewer->scaleBox->count() - 1);
    ASSERT_EQ(h.viewer->scaleBox->currentText(), "2000%");
    const QSize vp = h.viewport()->size();
    h.viewer->imageView->horizontalScrollBar()->setValue(int(middle.x() * 20 - vp.width() / 2.0));
    h.viewer->imageView->verticalScrollBar()->setValue(int(middle.y() * 20 - vp.height() / 2.0));
    const auto& f = h.frame();
    EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join(u' ').toStdString();
    const QPointF m = h.view().mapPageToView(middle);
    // A view pixel d from the middle shows the page d / (20 x 1.585) away: the
    // block of 5 page pixels each side reaches 158 view pixels out.
    EXPECT_EQ(redOf(f.pixel(int(m.x()) + 100, int(m.y()))), 0);
    EXPECT_EQ(redOf(f.pixel(int(m.x()) + 300, int(m.y()))), 255);
}

// A magnifier scrolled partly out of the view paints what the magnifier
// operation gives for its frame and the sliders' settings (the operation's own
// tests show that the part shown is what the whole frame shows).
TEST(Magnifier, APartlyShownMagnifierPaintsAsTheOperationGivesForItsFrame)
{
    struct Case {
        int dx, dy; // the view scrolled this far from the magnifier, in view pixels
        int rotation, magnification;
        bool smooth;
    } cases[] = {
        {-300, 0, 0, 10, false}, {0, -250, 30, 20, true}, {300, 200, -45, 35, false}, {-300, 150, 90, 50, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx * 1000 + c.dy);
        Harness h;
        image::Bitmap page(1600, 1600);
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                page.setPixel(x, y, argb(255, (x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
        h.setPage(std::move(page));
        h.viewer->selectScaleEntry(6);     // 100 %
        h.view().scrollByPixels(400, 400); // room to scroll either way
        h.viewer->toggleMagnifier();
        h.viewer->setSelection(nullptr);
        h.viewer->rotationSlider->setValue(c.rotation);
        h.viewer->magnificationSlider->setValue(c.magnification);
        h.viewer->magnifierSmoothingBox->setChecked(c.smooth);
        h.view().scrollByPixels(c.dx, c.dy);
        ui::Layer* m = h.magnifiers()[0];

        m->visible = false;
        image::Bitmap expected = h.frame();
        m->visible = true;
        const image::Bitmap& shown = h.frame();
        // The magnifier operation on the frame without it, with the sliders' settings.
        const auto R = h.view().mapPageToView(m->location);
        ASSERT_TRUE(R.left < 0 || R.top < 0 || R.right > expected.width() || R.bottom > expected.height())
            << "not cut by the view";
        MagnifierSettings settings;
        settings.magnification = magnificationOfSlider(c.magnification);
        settings.rotation = c.rotation;
        settings.smoothing = c.smooth;
        image::Bitmap work;
        paintMagnifier(expected, R, settings, work);
        ASSERT_EQ(shown.width(), expected.width());
        int differing = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                differing += shown.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

TEST(Magnifier, StartsFromTheStartSettingsAndRepaintsOnSliderChanges)
{
    Harness h;
    h.setPage(flatPage(2000, 2000, argb(255, 50, 50, 50)));
    h.viewer->opacitySlider->setValue(3);
    h.viewer->rotationSlider->setValue(40);
    h.viewer->magnificationSlider->setValue(49);
    h.viewer->magnifierSmoothingBox->setChecked(true);
    h.viewer->toggleMagnifier();
    EXPECT_EQ(h.viewer->opacitySlider->value(), 255);
    EXPECT_EQ(h.viewer->rotationSlider->value(), 0);
    EXPECT_EQ(h.viewer->magnificationSlider->value(), 10);
    EXPECT_TRUE(h.viewer->magnifierSmoothingBox->isChecked()); // the smoothing box keeps its state

    // The settings panel toggles.
    EXPECT_FALSE(h.viewer->magnifierPanel->isVisible());
    QTest::mouseClick(h.viewer->magnifierSettingsButton, Qt::LeftButton);
    EXPECT_TRUE(h.viewer->magnifierPanel->isVisible());
    EXPECT_EQ(h.viewer->magnifierPanel->title(), "돋보기 조절");
    QTest::mouseClick(h.viewer->magnifierSettingsButton, Qt::LeftButton);
    EXPECT_FALSE(h.viewer->magnifierPanel->isVisible());
}

TEST(Magnifier, SettingsPanelLiesOverThePageAreaAndFollowsItsSize)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    QTest::mouseClick(h.viewer->magnifierSettingsButton, Qt::LeftButton);
    const auto panelInArea = [&] {
        const QRect area = h.viewport()->geometry();
        const QRect panel = h.viewer->magnifierPanel->geometry();
        EXPECT_TRUE(area.contains(panel)) << "panel outside the page area";
        EXPECT_EQ(panel.right(), area.right() - ImageViewer::kMagnifierPanelMargin);
        EXPECT_EQ(panel.top(), area.top() + ImageViewer::kMagnifierPanelMargin);
    };
    panelInArea();
    h.window.resize(700, 600);
    QCoreApplication::processEvents();
    panelInArea();
    // Clicks on the panel reach its controls, not the page below.
    const int before = h.viewer->magnificationSlider->value();
    h.viewer->magnificationSlider->setFocus();
    QTest::keyClick(h.viewer->magnificationSlider, Qt::Key_Right);
    EXPECT_EQ(h.viewer->magnificationSlider->value(), before + 1);
    EXPECT_TRUE(h.magnifiers().empty());
}

TEST(Magnifier, ErasedScaleTextGivesTheErrorReportAndStaysInToolMode)
{
    Harness h;
    h.setPage(flatPage(500, 500, argb(255, 50, 50, 50)));
    h.viewer->scaleBox->lineEdit()->selectAll();
    h.viewer->scaleBox->lineEdit()->del();
    ASSERT_EQ(h.viewer->scaleBox->currentText(), "");
    QTest::keyClick(&h.window, Qt::Key_F5);
    EXPECT_EQ(h.errors, QStringList{"''은(는) 올바른 정수 값이 아닙니다"});
    EXPECT_TRUE(h.magnifiers().empty());
    EXPECT_FALSE(h.viewer->panAllowed);
}

TEST(SelectionFrame, CtrlResizesSymmetricallyDownToFourUnits)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    h.viewer->selectScaleEntry(6); // 100 %: one page unit per view pixel
    h.viewer->toggleMagnifier();
    ui::Layer* m = h.magnifiers()[0];
    auto rightHandle = [&] {
        const auto r = h.view().mapPageToView(m->location);
        return QPoint(int(r.right) - 1, int((r.top + r.bottom - 1) / 2));
    };
    const image::RectF start = m->location;

    // Without Ctrl only the right edge moves.
    QPoint p = rightHandle();
    h.drag(p, p + QPoint(10, 0));
    EXPECT_DOUBLE_EQ(m->location.left, start.left);
    EXPECT_DOUBLE_EQ(m->location.right, start.right + 10);
    EXPECT_EQ(h.scroll(), QPoint(0, 0)); // moving the frame never pans

    // With Ctrl the left edge moves the other way.
    const image::RectF before = m->location;
    p = rightHandle();
    h.drag(p, p + QPoint(10, 0), Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(m->location.right, before.right + 10);
    EXPECT_DOUBLE_EQ(m->location.left, before.left - 10);
    EXPECT_DOUBLE_EQ(m->location.top, before.top);
    EXPECT_DOUBLE_EQ(m->location.bottom, before.bottom);

    // Shrunk past its centre it stays 4 units across.
    const double cx = (m->location.left + m->location.right) / 2;
    p = rightHandle();
    h.drag(p, p - QPoint(400, 0), Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(m->location.width(), 4.0);
    EXPECT_DOUBLE_EQ((m->location.left + m->location.right) / 2, cx);

    // A drag inside moves it.
    const image::RectF moved = m->location;
    const auto r = h.view().mapPageToView(m->location);
    const QPoint inside(int((r.left + r.right) / 2), int(r.top) + 20);
    h.drag(inside, inside + QPoint(30, 5));
    EXPECT_DOUBLE_EQ(m->location.left, moved.left + 30);
    EXPECT_DOUBLE_EQ(m->location.top, moved.top + 5);
}

TEST(SelectionFrame, EachHandleResizesFreelyOrWithCtrlAboutTheOldCentre)
{
    // The frame lies at (100, 100, 300, 220) in page units, centre (200, 160),
    // at 100 % and unscrolled, so page units and view pixels agree.
    const image::RectF start{100, 100, 300, 220};
    enum Handle { Right, Left, Bottom, TopLeft };
    struct Case {
        Handle handle;
        QPoint by;
        bool ctrl;
        image::RectF expected;
    } cases[] = {
        {Right, {10, 0}, false, {100, 100, 310, 220}},      {Right, {10, 0}, true, {90, 100, 310, 220}},
        {Right, {-97, 0}, false, {100, 100, 203, 220}},     {Right, {-97, 0}, true, {197, 100, 203, 220}},
        {Right, {-250, 0}, false, {100, 100, 101, 220}}, // the frame's minimum of 1
        {Right, {-250, 0}, true, {198, 100, 202, 220}},  // half width at least 2
        {Left, {-10, 0}, false, {90, 100, 300, 220}},       {Left, {-10, 0}, true, {90, 100, 310, 220}},
        {Left, {250, 0}, false, {299, 100, 300, 220}},      {Left, {250, 0}, true, {198, 100, 202, 220}},
        {Bottom, {0, 15}, false, {100, 100, 300, 235}},     {Bottom, {0, 15}, true, {100, 85, 300, 235}},
        {Bottom, {0, -200}, false, {100, 100, 300, 101}},   {Bottom, {0, -200}, true, {100, 158, 300, 162}},
        {TopLeft, {-10, -20}, false, {90, 80, 300, 220}},   {TopLeft, {-10, -20}, true, {90, 80, 310, 240}},
        {TopLeft, {250, 150}, false, {299, 219, 300, 220}}, {TopLeft, {250, 150}, true, {198, 158, 202, 162}},
    };
    for (const auto& c : cases) {
        Harness h;
        h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
        h.viewer->selectScaleEntry(6);
        h.viewer->toggleMagnifier();
        ui::Layer* m = h.magnifiers()[0];
        m->location = start;
        ASSERT_EQ(h.view().mapPageToView(start), start);
        // Handles sit on the frame's outermost pixels: right and bottom are one in.
        const QPoint handle[] = {{299, 159}, {100, 159}, {199, 219}, {100, 100}};
        const QPoint from = handle[c.handle];
        h.drag(from, from + c.by, c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(m->location, c.expected)
            << "handle " << c.handle << " by " << c.by.x() << "," << c.by.y() << (c.ctrl ? " with Ctrl" : "");
        EXPECT_EQ(h.viewer->rubberBand->child, m);
        EXPECT_EQ(h.scroll(), QPoint(0, 0));
    }
}

TEST(SelectionFrame, PressingAMagnifierWithAnyButtonSelectsIt)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(int(button));
        Harness h;
        h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
        h.viewer->toggleMagnifier();
        ui::Layer* first = h.magnifiers()[0];
        h.view().scrollByPixels(200, 0); // the second one lands 200 pixels to the right
        h.viewer->toggleMagnifier();
        ASSERT_EQ(h.magnifiers().size(), 2u);
        EXPECT_NE(h.viewer->selection, first);
        const auto r = h.view().mapPageToView(first->location);
        const auto before = first->location;
        const QPoint inFirst(int(r.left) + 40, int(r.top) + 40);
        h.press(inFirst, button);
        h.move(inFirst + QPoint(30, 30), button);
        h.release(inFirst + QPoint(30, 30), button);
        EXPECT_EQ(h.viewer->selection, first);
        EXPECT_EQ(h.viewer->rubberBand->child, first);
        EXPECT_EQ(h.view().layers().back().get(), h.viewer->rubberBand); // the frame is on top
        // Only the left button drags it.
        EXPECT_EQ(first->location == before, button != Qt::LeftButton);
    }
}

// Ctrl pressed halfway through a free resize centres the frame on where it was
// when the drag began.
TEST(SelectionFrame, CtrlTakenDuringAResizeCentresOnTheFrameAsTheDragBegan)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    h.viewer->selectScaleEntry(6);
    h.viewer->toggleMagnifier();
    ui::Layer* m = h.magnifiers()[0];
    m->location = {100, 100, 300, 220};
    const QPoint right(299, 159);
    h.press(right);
    h.move(right + QPoint(40, 0));
    ASSERT_EQ(m->location, (image::RectF{100, 100, 340, 220}));
    h.move(right + QPoint(50, 0), Qt::LeftButton, Qt::ControlModifier);
    h.release(right + QPoint(50, 0), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m->location, (image::RectF{50, 100, 350, 220}));
}
