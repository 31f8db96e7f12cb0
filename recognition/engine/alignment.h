#pragma once
// Page alignment: finds the skew of the printed table from the first form-line
// pixels in two search windows, turns the page upright and finds the reference
// point (기준점) that fixes where the column of lot numbers begins.
//
// Page pixels: origin at the top-left corner, x to the right, y downwards.
// Angles in degrees; a positive angle turns the page counter-clockwise on screen.

#include "image/bitmap.h"
#include "image/geometry.h"
#include "recognition/engine/settings.h"

#include <cstdint>

namespace rida::recognition {

// Search windows, inclusive line ranges; every window spans x = leftX .. leftX + 180.
constexpr int kWindowWidth = 181;
constexpr int kUpperWindowTop = 860, kUpperWindowBottom = 964;
constexpr int kLowerWindowTop = 2820, kLowerWindowBottom = 2920;
constexpr int kReferenceWindowTop = 1160, kReferenceWindowBottom = 1280;

// Form ink is blue: the red channel lies more than 50 below the largest channel.
constexpr bool isFormLinePixel(std::uint32_t p)
{
    const int r = image::redOf(p), g = image::greenOf(p), b = image::blueOf(p);
    const int top = r > g ? (r > b ? r : b) : (g > b ? g : b);
    return top - r > 50;
}

struct FormPoint {
    bool found = false;
    int x = 0;
    int y = 0;
};

struct Alignment {
    FormPoint upper;          // upper skew point, on the page as loaded
    FormPoint lower;          // lower skew point, on the page as loaded
    double skewDegrees = 0.0; // atan2(y2 - y1, x2 - x1) in degrees - 90; negative when the lower point lies right
    bool rotated = false;
    FormPoint reference; // on the upright page
    int columnStart = 0; // x where the digit strip begins; 0: no reference point
};

// First form-line pixel of the window x0..x1, y0..y1 (inclusive), lines from the
// top and pixels from the left. Parts of the window outside the page hold none.
FormPoint findFormPoint(const image::Bitmap& page, long long x0, long long x1, long long y0, long long y1);

// Rotates `source` by `degrees` about (W/2, H/2) into `target` (resized to the
// same size): a page point (x, y) goes to x' = cx + (x-cx)cos + (y-cy)sin,
// y' = cy - (x-cx)sin + (y-cy)cos; each target pixel takes the nearest source
// pixel under the inverse mapping, and paper white where none maps.
void rotatePage(const image::Bitmap& source, image::Bitmap& target, double degrees);

// Aligns `page` in place. `scratch` receives the rotation and is swapped with
// `page`, so a run over many pages keeps reusing the same two buffers.
Alignment alignPage(image::Bitmap& page, image::Bitmap& scratch, const RecognitionSettings& settings);

// alignPage for the digit scan: the same alignment, but of a skewed page only
// the reference window and the `stripWidth` columns from the digit column start
// over the lines stripTop..stripBottom (inclusive) are turned; the rest of
// `page` is left unspecified. Those pixels are the same as alignPage gives, at
// a fraction of the cost of turning the page.
Alignment alignDigitStrip(image::Bitmap& page, image::Bitmap& scratch, const RecognitionSettings& settings,
                          int stripWidth, long long stripTop = 0, long long stripBottom = (1LL << 40));

// The largest skew alignment can measure, in degrees: both skew points at the
// far ends of their windows, 180 pixels apart across and 1856 lines down.
double largestSkewDegrees();

// The page pixels (page as loaded, half-open, within the page) that alignDigitStrip
// can read at any skew it may measure, for a page of width x height: the two skew
// windows, and what the reference window and the strip (the `stripWidth` columns
// from any digit column start a reference point in its window gives, over the
// lines stripTop..stripBottom) take their pixels from once turned upright. Reads
// leftX, tableX and zoneX: a setting given as no whole number gives the whole page.
image::RectI pixelsAlignmentReads(int width, int height, const RecognitionSettings& settings, int stripWidth,
                                  long long stripTop, long long stripBottom);

} // namespace rida::recognition
