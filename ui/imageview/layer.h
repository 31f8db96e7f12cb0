#pragma once
// Layers of the image view: tool layers above the page and the selection frame.
//
// A layer's location is a rectangle in page coordinates (page pixels, origin
// top-left, y down) when it follows the page's zoom and scroll, else in view
// pixels. Layers paint into a back buffer; LayerPaint says where the page lies
// in that buffer, so the same paint code serves the screen (view pixels) and a
// rendering at page resolution (scale 1).

#include "image/bitmap.h"
#include "image/geometry.h"

#include <Qt>

#include <functional>

namespace rida::ui {

struct LayerPaint {
    image::Bitmap& buffer;
    double scale = 1.0;   // buffer pixels per page pixel
    double originX = 0.0; // buffer position of the page's top-left corner
    double originY = 0.0;
    // True while the view only asks which area a layer will change.
    bool measuring = false;

    image::RectF toBuffer(const image::RectF& page) const
    {
        return {originX + page.left * scale, originY + page.top * scale, originX + page.right * scale,
                originY + page.bottom * scale};
    }
};

class Layer {
public:
    virtual ~Layer() = default;

    image::RectF location;
    bool followsPage = true;
    bool visible = true;
    bool receivesMouse = false;
    int tag = 0;

    // Press on the layer (view pixels are not passed: the layer is the fact).
    std::function<void(Layer&)> onMouseDown;
    std::function<void(Layer&, LayerPaint&)> onPaint;

    virtual void paint(LayerPaint& target)
    {
        if (onPaint)
            onPaint(*this, target);
    }
};

// A layer placed by its location that draws itself through onPaint.
class PositionedLayer : public Layer {};

// A bitmap drawn stretched into the location, blended with `opacity`.
class BitmapLayer : public Layer {
public:
    image::Bitmap bitmap;
    int opacity = 255;
    void paint(LayerPaint& target) override;
};

// How the selection frame is being dragged.
enum class BandDrag { None, Move, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

// The selection frame: outlines its child and moves or resizes it.
class RubberBand : public Layer {
public:
    Layer* child = nullptr;
    double minWidth = 1.0; // page units
    double minHeight = 1.0;
    bool noUpdate = false; // kept as an option; the frame never repaints by itself

    // Called during a drag before the new location is applied; may change it.
    // The old location is the one the drag began from.
    std::function<void(const image::RectF& oldLocation, image::RectF& newLocation, BandDrag drag,
                       Qt::KeyboardModifiers modifiers)>
        onResizing;

    void paint(LayerPaint& target) override;
    // Half the side of a handle, view pixels.
    static constexpr int kHandle = 3;
};

} // namespace rida::ui
