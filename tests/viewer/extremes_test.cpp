// The largest pages we accept at every zoom: a 400-million-pixel row or
// column, and a 20000 x 20000 page, at 1 %, 100 % and 2000 %. Their zoomed
// extent passes what an int holds; the view scrolls to both ends, maps view
// and page points both ways, and draws what lies there.
#include "tests/viewer/harness.h"

#include <QComboBox>
#include <QScrollBar>

#include <cmath>

using namespace rida;
using namespace rida::viewer::testing;
using image::argb;

namespace {

constexpr std::uint32_t kFirst = argb(255, 0, 0, 255), kLast = argb(255, 255, 0, 0);

// A page of w x h whose first and last pixels are marked; the pixels between
// are never written (nor read: a frame reads only what it shows).
image::Bitmap markedPage(int w, int h)
{
    image::Bitmap page(w, h);
    page.setPixel(0, 0, kFirst);
    page.setPixel(w - 1, h - 1, kLast);
    return page;
}

} // namespace

TEST(ImageViewExtremes, LongestPagesAtEveryZoom)
{
    struct Page {
        const char* what;
        int w, h;
    } pages[] = {{"one row of 400 million pixels", 400'000'000, 1},
                 {"one column of 400 million pixels", 1, 400'000'000},
                 {"20000 x 20000", 20000, 20000}};
    Harness h;
    ui::ImageView& view = h.view();
    const QSize vp = h.viewport()->size();
    for (const Page& p : pages) {
        h.setPage(markedPage(p.w, p.h));
        for (double scale : {0.01, 1.0, 20.0}) {
            SCOPED_TRACE(std::string(p.what) + " at " + std::to_string(int(scale * 100)) + " %");
            view.setScale(scale);
            ASSERT_EQ(view.scale(), scale);
            QScrollBar* bars[] = {view.horizontalScrollBar(), view.verticalScrollBar()};
            const double extent[] = {double(p.w) * scale, double(p.h) * scale};
            const double unit[] = {view.scrollUnitX(), view.scrollUnitY()};
            const int visible[] = {vp.width(), vp.height()};
            for (int axis = 0; axis < 2; ++axis) {
                EXPECT_GE(bars[axis]->maximum(), 0);
                EXPECT_LE(bars[axis]->maximum(), ui::ImageView::kMaxScrollSteps);
                // The far end can be scrolled to, to within a step.
                EXPECT_GE(bars[axis]->maximum() * unit[axis] + visible[axis], extent[axis] - unit[axis]);
            }

            // The far end: the last pixel is on screen and drawn.
            bars[0]->setValue(bars[0]->maximum());
            bars[1]->setValue(bars[1]->maximum());
            const QPointF last = view.mapPageToView(QPointF(p.w - 0.5, p.h - 0.5));
            EXPECT_GE(last.x(), -1.0);
            EXPECT_LE(last.x(), vp.width() + 1.0);
            EXPECT_GE(last.y(), -1.0);
            EXPECT_LE(last.y(), vp.height() + 1.0);
            const QPointF back = view.mapViewToPage(last);
            EXPECT_NEAR(back.x(), p.w - 0.5, 1e-3 * std::max(1.0, p.w * 1e-6));
            EXPECT_NEAR(back.y(), p.h - 0.5, 1e-3 * std::max(1.0, p.h * 1e-6));
            // Drawn: the view pixel whose centre lies on the last page pixel
            // (zoomed out, a view pixel shows the page pixel at its centre,
            // which need not be the last).
            const bool drawn = scale >= 1.0;
            const auto viewPixel = [&](QPointF page) {
                const QPointF v = view.mapPageToView(page);
                return QPoint(int(std::floor(v.x())), int(std::floor(v.y())));
            };
            if (drawn) {
                const auto& frame = h.frame();
                const QPoint at = viewPixel(QPointF(p.w - 0.5 / scale, p.h - 0.5 / scale));
                ASSERT_TRUE(at.x() >= 0 && at.y() >= 0 && at.x() < frame.width() && at.y() < frame.height());
                EXPECT_EQ(frame.pixel(at.x(), at.y()), kLast);
            }

            // And back at the start.
            bars[0]->setValue(0);
            bars[1]->setValue(0);
            const QPointF first = view.mapPageToView(QPointF(0, 0));
            EXPECT_GE(first.x(), 0.0);
            EXPECT_GE(first.y(), 0.0);
            if (drawn) {
                const auto& frame = h.frame();
                const QPoint at = viewPixel(QPointF(0.5 / scale, 0.5 / scale));
                EXPECT_EQ(frame.pixel(at.x(), at.y()), kFirst);
            }
        }
    }
}

// Zooming keeps the page point under the centre, also where the scroll bars
// step several view pixels at a time; a slow drag still moves such a page.
TEST(ImageViewExtremes, ZoomKeepsTheCentreAndSlowDragsMoveAVeryLongPage)
{
    Harness h;
    ui::ImageView& view = h.view();
    h.setPage(markedPage(400'000'000, 1));
    view.setScale(1.0);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
    const QRect area = view.visibleArea();
    const QPointF centre(area.width() / 2.0, area.height() / 2.0);
    const double before = view.mapViewToPage(centre).x();
    h.viewer->scaleBox->setEditText(QStringLiteral("2000%"));
    ASSERT_EQ(view.scale(), 20.0);
    EXPECT_GT(view.scrollUnitX(), 1.0);
    EXPECT_NEAR(view.mapViewToPage(centre).x(), before, view.scrollUnitX() / 20.0 + 1e-6);

    // A drag of a few pixels at a time, each less than a step.
    const double start = view.pageOrigin().x();
    const int steps = int(view.scrollUnitX()) * 10;
    for (int i = 0; i < steps; ++i)
        view.scrollByPixels(1, 0);
    EXPECT_NEAR(view.pageOrigin().x(), start - steps, view.scrollUnitX());

    h.viewer->scaleBox->setEditText(QStringLiteral("1%"));
    EXPECT_NEAR(view.mapViewToPage(centre).x(), before + steps / 20.0, 100.0 + view.scrollUnitX());
}

// A magnifier left at one end of a very long page, the view zoomed in and
// scrolled to the other end: billions of pixels away, it is not drawn, and its
// selection frame draws only what is in the view.
TEST(ImageViewExtremes, AMagnifierBillionsOfPixelsAwayIsNotDrawn)
{
    Harness h;
    ui::ImageView& view = h.view();
    h.setPage(markedPage(400'000'000, 1));
    h.viewer->scaleBox->setEditText(QStringLiteral("100%"));
    h.viewer->toggleMagnifier();
    ASSERT_EQ(h.magnifiers().size(), 1u);
    h.viewer->scaleBox->setEditText(QStringLiteral("2000%"));
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    const auto& far = h.frame();
    ASSERT_FALSE(far.empty());
    view.horizontalScrollBar()->setValue(0);
    const auto& near = h.frame();
    const QPointF at = view.mapPageToView(QPointF(0.025, 0.025));
    EXPECT_EQ(near.pixel(int(at.x()), int(at.y())), kFirst);
}
