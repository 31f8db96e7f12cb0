#include "viewer/magnifier.h"

#include "image/ops.h"
#include "image/transform.h"

#include <cmath>

namespace rida::viewer {

double magnificationOfSlider(int value)
{
    return std::pow(10.0, value / 50.0);
}

void paintMagnifier(image::Bitmap& view, const image::RectF& frame, const MagnifierSettings& settings,
                    image::Bitmap& work)
{
    // Outside the view nothing of a magnifier shows. Zoomed in on a very long
    // page it may lie billions of pixels away, or be stretched that far, where
    // its edges fit no int: then it is not drawn.
    constexpr double kFar = 1 << 30;
    if (frame.right <= 0 || frame.bottom <= 0 || frame.left >= view.width() || frame.top >= view.height() ||
        frame.left < -kFar || frame.top < -kFar || frame.right > kFar || frame.bottom > kFar)
        return;
    image::RectI rect{int(std::lround(frame.left)), int(std::lround(frame.top)), int(std::lround(frame.right)),
                      int(std::lround(frame.bottom))};
    const int w = rect.width(), h = rect.height();
    if (w <= 0 || h <= 0)
        return;
    const image::RectI shown = rect.intersected({0, 0, view.width(), view.height()});
    if (!shown.empty()) {
        work.resize(shown.width(), shown.height());
        work.fill(0);
        const double hw = w / 2.0, hh = h / 2.0;
        // Widened so that a turned square still finds its corners' sources.
        const image::RectF sources{frame.left - hh, frame.top - hw, frame.right + hh, frame.bottom + hw};
        image::Affine t;
        t.translate(-rect.left, -rect.top)
            .translate(-hw, -hh)
            .scale(settings.magnification)
            .rotate(-settings.rotation)
            .translate(hw, hh);
        image::transformFill(work, view, t, sources,
                             settings.smoothing ? image::Resampler::Linear : image::Resampler::Nearest,
                             shown.left - rect.left, shown.top - rect.top);
        image::setAlpha(work, 255);
        image::blend(view, shown.left, shown.top, work, settings.opacity);
    }
    for (int i = 0; i < 5; ++i) {
        image::raisedBevel(view, rect, 35 - 8 * i);
        rect = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    }
}

} // namespace rida::viewer
