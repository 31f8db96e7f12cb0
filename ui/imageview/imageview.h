#pragma once
// The layered, zoomable page view.
//
// Coordinates: page coordinates are page pixels (origin top-left, y down);
// view coordinates are pixels of the viewport (the visible area without the
// scroll bars). scale = view pixels per page pixel, 0.01 to 20.0. A page smaller
// than the viewport is centred; the background colour fills the rest.
// Each frame computes only the viewport's pixels, whatever the page size.
//
// The zoomed page's extent is worked out in doubles: a page we accept may be
// 400 million pixels long, 8 billion view pixels at 2000 %. The scroll bars
// count view pixels up to kMaxScrollSteps and coarser steps beyond.

#include "image/bitmap.h"
#include "image/transform.h"
#include "ui/imageview/layer.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPointF>

#include <memory>
#include <vector>

namespace rida::ui {

class ImageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr double kMinScale = 0.01;
    static constexpr double kMaxScale = 20.0;
    static constexpr int kScrollBarThickness = 17;
    // The most steps a scroll bar takes; a longer zoomed page scrolls in steps
    // of several view pixels.
    static constexpr int kMaxScrollSteps = 1 << 30;

    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    // The page. After changing its pixels or size in place, call pageChanged().
    image::Bitmap& page() { return page_; }
    const image::Bitmap& page() const { return page_; }
    void setPage(image::Bitmap&& page);
    void clearPage(); // zero size, memory kept for the next page
    void pageChanged();

    double scale() const { return scale_; }
    // Clamped to kMinScale..kMaxScale; keeps the page point under the viewport's centre.
    void setScale(double scale);

    QColor background() const { return background_; }
    void setBackground(const QColor& colour);

    image::Resampler resampler() const { return resampler_; }
    void setResampler(image::Resampler r);

    // Cursor shown over the page (elsewhere the arrow).
    void setPageCursor(Qt::CursorShape shape);

    void scrollByPixels(int dx, int dy);
    // View pixels a step of each scroll bar stands for (1 but for pages whose
    // zoomed extent passes kMaxScrollSteps).
    double scrollUnitX() const { return unitX_; }
    double scrollUnitY() const { return unitY_; }
    QRect visibleArea() const; // view coordinates
    // View position of the page's top-left corner.
    QPointF pageOrigin() const;
    QPointF mapViewToPage(QPointF view) const;
    QPointF mapPageToView(QPointF page) const;
    image::RectF mapPageToView(const image::RectF& page) const;

    // Layers, bottom to top. The view owns them.
    Layer* addLayer(std::unique_ptr<Layer> layer);
    void removeLayer(Layer* layer);
    void bringToFront(Layer* layer);
    void clearLayers();
    const std::vector<std::unique_ptr<Layer>>& layers() const { return layers_; }

    void repaintNow();
    void invalidate();

    // Paints `area` of the page at page resolution with every visible layer into
    // `dst`, which takes the area's size.
    void paintTo(image::Bitmap& dst, const image::RectI& area);

    // The last frame's back buffer (view pixels).
    const image::Bitmap& backBuffer() const { return buffer_; }

signals:
    void mousePressed(QPoint view, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void mouseMoved(QPoint view, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void mouseReleased(QPoint view, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void clicked();
    void scaleChanged(double scale);
    void contextMenuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScrollBars();
    void renderFrame();
    RubberBand* activeBand() const;
    BandDrag bandHit(const RubberBand& band, QPoint view) const;
    Layer* layerAt(QPoint view) const;
    void updateCursor(QPoint view);

    image::Bitmap page_;
    image::Bitmap buffer_;
    double scale_ = 1.0;
    double unitX_ = 1.0, unitY_ = 1.0;
    double pendingX_ = 0.0, pendingY_ = 0.0; // scrolled view pixels short of a step
    QColor background_ = Qt::black;
    image::Resampler resampler_ = image::Resampler::Nearest;
    Qt::CursorShape pageCursor_ = Qt::ArrowCursor;
    std::vector<std::unique_ptr<Layer>> layers_;

    // Selection frame drag.
    RubberBand* dragBand_ = nullptr;
    BandDrag drag_ = BandDrag::None;
    QPointF dragStartPage_;
    image::RectF dragStartLocation_;
    bool pressInside_ = false;
};

} // namespace rida::ui
