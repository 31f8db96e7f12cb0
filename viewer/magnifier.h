#pragma once
// The magnifier as an operation on pixels: what a magnifier frame over a view
// shows, worked out from the view's own pixels. No widgets: the viewer hands it
// the frame it paints and the settings of its sliders.

#include "image/bitmap.h"
#include "image/geometry.h"

namespace rida::viewer {

struct MagnifierSettings {
    double magnification = 1.0; // times, about the frame's centre
    double rotation = 0;        // degrees; positive turns the content clockwise
    int opacity = 255;          // of the enlarged content over the view, 0..255
    bool smoothing = false;     // bilinear instead of nearest sampling
};

// The magnification of the magnifier slider's value 0..50: 10^(value / 50), 1 to 10 times.
double magnificationOfSlider(int value);

// Paints a magnifier over `view`: the content under `frame` (view pixels, its
// edges rounded to whole pixels; it may reach past the view) shown enlarged
// about the frame's centre and turned, blended by the opacity, inside a raised
// bevel of five rings. Only the part of the frame inside the view is worked
// out, so a frame zoomed far beyond the view costs no more than the view.
// `work` holds the enlarged part between calls (its memory is reused).
// Nothing is painted for a frame less than one pixel wide or high.
void paintMagnifier(image::Bitmap& view, const image::RectF& frame, const MagnifierSettings& settings,
                    image::Bitmap& work);

} // namespace rida::viewer
