#pragma once
// Drawing a page scaled into a view buffer.
//
// A buffer pixel (x, y) shows the page point ((x + 0.5 - originX) / scale,
// (y + 0.5 - originY) / scale): origin is where the page's top-left corner lands
// in the buffer (buffer pixels), scale is buffer pixels per page pixel.
// Only the buffer pixels inside `area` are computed, so a frame costs what it
// shows, never a pass over the whole page.

#include "bitmap.h"
#include "geometry.h"
#include "transform.h"

namespace rida::image {

struct ScaledPlacement {
    double scale = 1.0;
    double originX = 0.0;
    double originY = 0.0;
};

// Smoothing reduces by averaging up to this many samples on each axis of a
// buffer pixel's footprint, and enlarges by linear interpolation.
constexpr int kMaxAverageSamples = 3;

// Fills `area` of `dst` (clipped to `dst`): the page where it lies, `background`
// elsewhere. Returns the part of `area` covered by the page.
RectI drawScaled(Bitmap& dst, const RectI& area, const Bitmap& page, const ScaledPlacement& at, Resampler resampler,
                 std::uint32_t background);

// drawScaled with the lines of `area` shared out among up to `threads`
// threads (the calling one among them), in bands of whole lines: exactly the
// same pixels, since each pixel is computed from its own position alone. An
// area too small to gain from it (under kPixelsPerThread pixels a thread) is
// drawn on fewer threads, down to the calling one alone.
constexpr int kPixelsPerThread = 256 * 1024;
RectI drawScaledInBands(Bitmap& dst, const RectI& area, const Bitmap& page, const ScaledPlacement& at,
                        Resampler resampler, std::uint32_t background, int threads);

} // namespace rida::image
