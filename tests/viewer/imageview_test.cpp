#include "tests/viewer/harness.h"

#include <QScrollBar>

using namespace rida;
using namespace rida::viewer::testing;
using image::argb;

TEST(ImageView, SmallPageIsCentredOnTheBackground)
{
    Harness h(viewer::ViewerConfig::lookup());
    h.setPage(flatPage(100, 60, argb(255, 255, 255, 255)));
    const QSize vp = h.viewport()->size();
    const QPointF origin = h.view().pageOrigin();
    EXPECT_EQ(origin.x(), std::floor((vp.width() - 100) / 2.0));
    EXPECT_EQ(origin.y(), std::floor((vp.height() - 60) / 2.0));
    const auto& f = h.frame();
    EXPECT_EQ(f.pixel(int(origin.x()) + 50, int(origin.y()) + 30), argb(255, 255, 255, 255));
    EXPECT_EQ(f.pixel(2, 2), argb(255, 88, 87, 103)); // 6772568
    EXPECT_EQ(f.pixel(int(origin.x()) - 1, int(origin.y()) + 30), argb(255, 88, 87, 103));
}

TEST(ImageView, ScaleIsClampedAndMappingRoundTrips)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 1, 2, 3)));
    h.view().setScale(50);
    EXPECT_EQ(h.view().scale(), 20.0);
    h.view().setScale(0.001);
    EXPECT_EQ(h.view().scale(), 0.01);
    h.view().setScale(2.0);
    h.view().scrollByPixels(500, 300);
    const QPointF page = h.view().mapViewToPage(QPointF(10, 20));
    EXPECT_DOUBLE_EQ(page.x(), (10 + h.scroll().x()) / 2.0);
    EXPECT_DOUBLE_EQ(page.y(), (20 + h.scroll().y()) / 2.0);
    const QPointF back = h.view().mapPageToView(page);
    EXPECT_DOUBLE_EQ(back.x(), 10);
    EXPECT_DOUBLE_EQ(back.y(), 20);
    EXPECT_EQ(h.view().verticalScrollBar()->width(), 17);
    EXPECT_EQ(h.view().horizontalScrollBar()->height(), 17);
}

TEST(ImageView, PaintToRendersPageAndVisibleLayersAtPageResolution)
{
    Harness h;
    h.setPage(flatPage(40, 30, argb(255, 0, 0, 0)));
    h.view().setScale(3.0);
    auto layer = std::make_unique<ui::PositionedLayer>();
    layer->location = {10, 10, 20, 15};
    layer->onPaint = [](ui::Layer& l, ui::LayerPaint& p) {
        const auto r = p.toBuffer(l.location);
        for (int y = int(r.top); y < int(r.bottom); ++y)
            for (int x = int(r.left); x < int(r.right); ++x)
                p.buffer.setPixel(x, y, argb(255, 255, 0, 0));
    };
    h.view().addLayer(std::move(layer));
    auto hidden = std::make_unique<ui::PositionedLayer>(*static_cast<ui::PositionedLayer*>(h.view().layers()[0].get()));
    hidden->location = {0, 0, 5, 5};
    hidden->visible = false;
    h.view().addLayer(std::move(hidden));

    image::Bitmap out;
    h.view().paintTo(out, {0, 0, 40, 30});
    ASSERT_EQ(out.width(), 40);
    EXPECT_EQ(out.pixel(10, 10), argb(255, 255, 0, 0));
    EXPECT_EQ(out.pixel(19, 14), argb(255, 255, 0, 0));
    EXPECT_EQ(out.pixel(20, 14), argb(255, 0, 0, 0)); // the layer ends at page x = 20
    EXPECT_EQ(out.pixel(2, 2), argb(255, 0, 0, 0));   // invisible layers are left out
}
