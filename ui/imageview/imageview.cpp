#include "imageview.h"

#include "image/scale.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSizeGrip>

#include <algorithm>
#include <cmath>
#include <thread>

namespace rida::ui {

using image::RectF;
using image::RectI;

namespace {

// The scroll area lays its bars out by their size hints, so the thickness is
// set there; a fixed size alone would leave the bars at the style's width.
class ThickScrollBar : public QScrollBar {
public:
    ThickScrollBar(Qt::Orientation o, int thickness) : QScrollBar(o), thickness_(thickness)
    {
        // Scrolling the page leaves the focus where it was (in a file list, say,
        // whose arrow keys step from file to file).
        setFocusPolicy(Qt::NoFocus);
        if (o == Qt::Horizontal)
            setFixedHeight(thickness);
        else
            setFixedWidth(thickness);
    }
    QSize sizeHint() const override
    {
        QSize hint = QScrollBar::sizeHint();
        if (orientation() == Qt::Horizontal)
            hint.setHeight(thickness_);
        else
            hint.setWidth(thickness_);
        return hint;
    }

private:
    int thickness_;
};

} // namespace

ImageView::ImageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    // Reached by Tab (its arrow keys scroll), not by a click: a click on the
    // page or its bars leaves the focus where the window wants it.
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollBar(new ThickScrollBar(Qt::Horizontal, kScrollBarThickness));
    setVerticalScrollBar(new ThickScrollBar(Qt::Vertical, kScrollBarThickness));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCornerWidget(new QSizeGrip(this));
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    updateScrollBars();
}

ImageView::~ImageView() = default;

void ImageView::setPage(image::Bitmap&& page)
{
    page_ = std::move(page);
    pageChanged();
}

void ImageView::clearPage()
{
    page_.clear();
    pageChanged();
}

void ImageView::pageChanged()
{
    updateScrollBars();
    viewport()->update();
}

void ImageView::setScale(double scale)
{
    scale = std::clamp(scale, kMinScale, kMaxScale);
    if (scale == scale_)
        return;
    const QRect area = visibleArea();
    const QPointF centre = mapViewToPage(QPointF(area.width() / 2.0, area.height() / 2.0));
    scale_ = scale;
    updateScrollBars();
    const auto scrollTo = [](QScrollBar* bar, double viewPixels, double unit) {
        bar->setValue(int(std::clamp(std::round(viewPixels / unit), 0.0, double(bar->maximum()))));
    };
    scrollTo(horizontalScrollBar(), centre.x() * scale_ - area.width() / 2.0, unitX_);
    scrollTo(verticalScrollBar(), centre.y() * scale_ - area.height() / 2.0, unitY_);
    viewport()->update();
    emit scaleChanged(scale_);
}

void ImageView::setBackground(const QColor& colour)
{
    background_ = colour;
    viewport()->update();
}

void ImageView::setResampler(image::Resampler r)
{
    resampler_ = r;
    viewport()->update();
}

void ImageView::setPageCursor(Qt::CursorShape shape)
{
    pageCursor_ = shape;
    updateCursor(viewport()->mapFromGlobal(QCursor::pos()));
}

void ImageView::scrollByPixels(int dx, int dy)
{
    // In steps of the scroll unit; what falls short of a step is kept for the
    // next call, so a slow drag still moves a very long page.
    const auto scroll = [](QScrollBar* bar, int d, double unit, double& pending) {
        pending += d;
        const double steps = std::trunc(pending / unit);
        pending -= steps * unit;
        const double to = std::clamp(double(bar->value()) + steps, double(bar->minimum()), double(bar->maximum()));
        bar->setValue(int(to));
    };
    scroll(horizontalScrollBar(), dx, unitX_, pendingX_);
    scroll(verticalScrollBar(), dy, unitY_, pendingY_);
}

QRect ImageView::visibleArea() const
{
    return QRect(QPoint(0, 0), viewport()->size());
}

QPointF ImageView::pageOrigin() const
{
    const QSize vp = viewport()->size();
    const double cw = page_.width() * scale_, ch = page_.height() * scale_;
    const double x = cw < vp.width() ? std::floor((vp.width() - cw) / 2) : -horizontalScrollBar()->value() * unitX_;
    const double y = ch < vp.height() ? std::floor((vp.height() - ch) / 2) : -verticalScrollBar()->value() * unitY_;
    return {x, y};
}

QPointF ImageView::mapViewToPage(QPointF view) const
{
    const QPointF o = pageOrigin();
    return {(view.x() - o.x()) / scale_, (view.y() - o.y()) / scale_};
}

QPointF ImageView::mapPageToView(QPointF page) const
{
    const QPointF o = pageOrigin();
    return {o.x() + page.x() * scale_, o.y() + page.y() * scale_};
}

RectF ImageView::mapPageToView(const RectF& r) const
{
    const QPointF o = pageOrigin();
    return {o.x() + r.left * scale_, o.y() + r.top * scale_, o.x() + r.right * scale_, o.y() + r.bottom * scale_};
}

Layer* ImageView::addLayer(std::unique_ptr<Layer> layer)
{
    layers_.push_back(std::move(layer));
    viewport()->update();
    return layers_.back().get();
}

void ImageView::removeLayer(Layer* layer)
{
    for (auto& l : layers_)
        if (auto* band = dynamic_cast<RubberBand*>(l.get()); band && band->child == layer)
            band->child = nullptr;
    if (dragBand_ && (dragBand_ == layer || dragBand_->child == nullptr)) {
        dragBand_ = nullptr;
        drag_ = BandDrag::None;
    }
    std::erase_if(layers_, [&](const auto& l) { return l.get() == layer; });
    viewport()->update();
}

void ImageView::bringToFront(Layer* layer)
{
    auto it = std::find_if(layers_.begin(), layers_.end(), [&](const auto& l) { return l.get() == layer; });
    if (it != layers_.end())
        std::rotate(it, it + 1, layers_.end());
    viewport()->update();
}

void ImageView::clearLayers()
{
    dragBand_ = nullptr;
    drag_ = BandDrag::None;
    layers_.clear();
    viewport()->update();
}

void ImageView::repaintNow()
{
    viewport()->repaint();
}
void ImageView::invalidate()
{
    viewport()->update();
}

void ImageView::updateScrollBars()
{
    const QSize vp = viewport()->size();
    // Doubles: the zoomed extent of a page we accept need not fit an int.
    const auto setUp = [](QScrollBar* bar, double extent, int visible, double& unit, double& pending) {
        const double over = std::max(0.0, extent - visible);
        const double newUnit = over > kMaxScrollSteps ? std::ceil(over / kMaxScrollSteps) : 1.0;
        if (newUnit != unit)
            pending = 0;
        unit = newUnit;
        bar->setRange(0, int(std::ceil(over / unit)));
        bar->setPageStep(std::max(1, int(visible / unit)));
        bar->setSingleStep(std::max(1, int(visible / 20 / unit)));
    };
    setUp(horizontalScrollBar(), std::ceil(page_.width() * scale_), vp.width(), unitX_, pendingX_);
    setUp(verticalScrollBar(), std::ceil(page_.height() * scale_), vp.height(), unitY_, pendingY_);
}

void ImageView::renderFrame()
{
    const QSize vp = viewport()->size();
    buffer_.resize(std::max(0, vp.width()), std::max(0, vp.height()));
    if (buffer_.empty())
        return;
    const QPointF o = pageOrigin();
    // A large view's frame is resampled on every core (a clerk's PC has 4 to 8).
    static const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    image::drawScaledInBands(buffer_, {0, 0, buffer_.width(), buffer_.height()}, page_, {scale_, o.x(), o.y()},
                             resampler_, background_.rgb(), cores);
    LayerPaint target{buffer_, scale_, o.x(), o.y()};
    for (auto& l : layers_)
        if (l->visible)
            l->paint(target);
}

void ImageView::paintTo(image::Bitmap& dst, const RectI& area)
{
    dst.resize(std::max(0, area.width()), std::max(0, area.height()));
    if (dst.empty())
        return;
    const double ox = -area.left, oy = -area.top;
    image::drawScaled(dst, {0, 0, dst.width(), dst.height()}, page_, {1.0, ox, oy}, image::Resampler::Nearest,
                      background_.rgb());
    LayerPaint target{dst, 1.0, ox, oy};
    for (auto& l : layers_)
        if (l->visible)
            l->paint(target);
}

void ImageView::paintEvent(QPaintEvent*)
{
    renderFrame();
    if (buffer_.empty())
        return;
    QPainter p(viewport());
    const QImage frame(reinterpret_cast<const uchar*>(buffer_.data()), buffer_.width(), buffer_.height(),
                       buffer_.width() * 4, QImage::Format_RGB32);
    p.drawImage(0, 0, frame);
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageView::scrollContentsBy(int, int)
{
    viewport()->update();
}

RubberBand* ImageView::activeBand() const
{
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if (auto* band = dynamic_cast<RubberBand*>(it->get());
            band && band->visible && band->receivesMouse && band->child)
            return band;
    return nullptr;
}

BandDrag ImageView::bandHit(const RubberBand& band, QPoint v) const
{
    const Layer& c = *band.child;
    const RectF r = c.followsPage ? mapPageToView(c.location) : c.location;
    const double x1 = r.left, y1 = r.top, x2 = r.right - 1, y2 = r.bottom - 1;
    const double xm = (x1 + x2) / 2, ym = (y1 + y2) / 2;
    const double grab = RubberBand::kHandle + 1;
    auto near = [&](double hx, double hy) { return std::abs(v.x() - hx) <= grab && std::abs(v.y() - hy) <= grab; };
    if (near(x1, y1))
        return BandDrag::TopLeft;
    if (near(x2, y1))
        return BandDrag::TopRight;
    if (near(x1, y2))
        return BandDrag::BottomLeft;
    if (near(x2, y2))
        return BandDrag::BottomRight;
    if (near(xm, y1))
        return BandDrag::Top;
    if (near(xm, y2))
        return BandDrag::Bottom;
    if (near(x1, ym))
        return BandDrag::Left;
    if (near(x2, ym))
        return BandDrag::Right;
    if (v.x() >= r.left && v.x() < r.right && v.y() >= r.top && v.y() < r.bottom)
        return BandDrag::Move;
    return BandDrag::None;
}

Layer* ImageView::layerAt(QPoint v) const
{
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        Layer* l = it->get();
        if (!l->visible || !l->receivesMouse || dynamic_cast<RubberBand*>(l))
            continue;
        const RectF r = l->followsPage ? mapPageToView(l->location) : l->location;
        if (v.x() >= r.left && v.x() < r.right && v.y() >= r.top && v.y() < r.bottom)
            return l;
    }
    return nullptr;
}

void ImageView::updateCursor(QPoint v)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    const RubberBand* band = dragBand_ ? dragBand_ : activeBand();
    const BandDrag hit = dragBand_ ? drag_ : (band ? bandHit(*band, v) : BandDrag::None);
    switch (hit) {
    case BandDrag::TopLeft:
    case BandDrag::BottomRight:
        shape = Qt::SizeFDiagCursor;
        break;
    case BandDrag::TopRight:
    case BandDrag::BottomLeft:
        shape = Qt::SizeBDiagCursor;
        break;
    case BandDrag::Left:
    case BandDrag::Right:
        shape = Qt::SizeHorCursor;
        break;
    case BandDrag::Top:
    case BandDrag::Bottom:
        shape = Qt::SizeVerCursor;
        break;
    case BandDrag::Move:
        shape = Qt::SizeAllCursor;
        break;
    case BandDrag::None: {
        const QPointF p = mapViewToPage(v);
        if (!page_.empty() && p.x() >= 0 && p.y() >= 0 && p.x() < page_.width() && p.y() < page_.height())
            shape = pageCursor_;
        break;
    }
    }
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    const QPoint v = event->position().toPoint();
    pressInside_ = true;
    const bool left = event->button() == Qt::LeftButton;
    auto startDrag = [&](RubberBand* band, BandDrag how) {
        dragBand_ = band;
        drag_ = how;
        dragStartPage_ = mapViewToPage(v);
        dragStartLocation_ = band->child->location;
    };
    if (RubberBand* band = activeBand(); left && band) {
        if (const BandDrag hit = bandHit(*band, v); hit != BandDrag::None) {
            // The frame takes the press: moving a layer never scrolls the page.
            startDrag(band, hit);
            return;
        }
    }
    // Any button selects a layer (the popup menu then acts on it); only the left one drags it.
    if (Layer* layer = layerAt(v)) {
        if (layer->onMouseDown)
            layer->onMouseDown(*layer);
        if (RubberBand* band = activeBand(); left && band && band->child == layer) {
            startDrag(band, BandDrag::Move);
            return;
        }
    }
    emit mousePressed(v, event->button(), event->modifiers());
}

void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint v = event->position().toPoint();
    if (dragBand_ && dragBand_->child) {
        const QPointF p = mapViewToPage(v);
        const double dx = p.x() - dragStartPage_.x(), dy = p.y() - dragStartPage_.y();
        RectF loc = dragStartLocation_;
        const BandDrag d = drag_;
        const bool left = d == BandDrag::Left || d == BandDrag::TopLeft || d == BandDrag::BottomLeft;
        const bool right = d == BandDrag::Right || d == BandDrag::TopRight || d == BandDrag::BottomRight;
        const bool top = d == BandDrag::Top || d == BandDrag::TopLeft || d == BandDrag::TopRight;
        const bool bottom = d == BandDrag::Bottom || d == BandDrag::BottomLeft || d == BandDrag::BottomRight;
        if (d == BandDrag::Move) {
            loc = {loc.left + dx, loc.top + dy, loc.right + dx, loc.bottom + dy};
        } else {
            if (left)
                loc.left = std::min(loc.left + dx, loc.right - dragBand_->minWidth);
            if (right)
                loc.right = std::max(loc.right + dx, loc.left + dragBand_->minWidth);
            if (top)
                loc.top = std::min(loc.top + dy, loc.bottom - dragBand_->minHeight);
            if (bottom)
                loc.bottom = std::max(loc.bottom + dy, loc.top + dragBand_->minHeight);
        }
        if (dragBand_->onResizing)
            dragBand_->onResizing(dragStartLocation_, loc, d, event->modifiers());
        // The handler may widen or narrow; the minimum size still holds.
        if (loc.width() < dragBand_->minWidth)
            loc.right = loc.left + dragBand_->minWidth;
        if (loc.height() < dragBand_->minHeight)
            loc.bottom = loc.top + dragBand_->minHeight;
        dragBand_->child->location = loc;
        dragBand_->location = loc;
        viewport()->update();
        return;
    }
    updateCursor(v);
    emit mouseMoved(v, event->buttons(), event->modifiers());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint v = event->position().toPoint();
    if (event->button() == Qt::LeftButton && dragBand_) {
        dragBand_ = nullptr;
        drag_ = BandDrag::None;
    }
    emit mouseReleased(v, event->button(), event->modifiers());
    if (event->button() == Qt::LeftButton && pressInside_ && viewport()->rect().contains(v))
        emit clicked();
    pressInside_ = false;
    updateCursor(v);
}

void ImageView::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

} // namespace rida::ui
