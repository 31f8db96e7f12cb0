#pragma once
// Affine transformations and the resamplers that fill a bitmap through them.
//
// An Affine maps a source point (x, y) to a destination point
// (a*x + c*y + tx, b*x + d*y + ty); both are in pixel units of their bitmaps,
// with a pixel's centre at +0.5. Steps are appended in the order in which they
// are applied to a source point.

#include "bitmap.h"
#include "geometry.h"

namespace rida::image {

enum class Resampler { Nearest, Linear };

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    Affine& translate(double dx, double dy);
    Affine& scale(double factor);
    // About the origin: (x, y) goes to (x cos + y sin, -x sin + y cos), which
    // with y downwards turns a positive angle counter-clockwise on the screen.
    Affine& rotate(double degrees);

    double mapX(double x, double y) const { return a * x + c * y + tx; }
    double mapY(double x, double y) const { return b * x + d * y + ty; }
    // Throws std::domain_error when the transformation is singular.
    Affine inverted() const;
};

// Each pixel of `dst` takes the colour of `src` at the inversely transformed
// point of its centre, sampled only inside `sourceRect` and inside `src`
// (source pixels). Pixels with no source keep their value.
//
// `dst` may be the part of a larger destination that starts at `dstOrigin`:
// each of its pixels then gets exactly the colour that the same pixel of the
// whole destination would, as every source point is worked out from the
// pixel's place in the whole.
void transformFill(Bitmap& dst, const Bitmap& src, const Affine& srcToDst, const RectF& sourceRect, Resampler resampler,
                   int dstOriginX = 0, int dstOriginY = 0);

} // namespace rida::image
