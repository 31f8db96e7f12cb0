#pragma once
// Plain rectangles for the widget-free image core.
//
// Both kinds are half-open: left and top belong to the rectangle, right and
// bottom do not, so width = right - left. Which coordinate system a rectangle
// is in (page pixels or view pixels) is stated where it is used.

#include <algorithm>

namespace rida::image {

struct RectI {
    int left = 0, top = 0, right = 0, bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    RectI intersected(const RectI& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    bool operator==(const RectI&) const = default;
};

struct RectF {
    double left = 0, top = 0, right = 0, bottom = 0;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
    bool operator==(const RectF&) const = default;
};

} // namespace rida::image
