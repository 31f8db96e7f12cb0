#pragma once
// Measuring where a picture landed on a rendered sheet.

#include <QImage>
#include <QRect>

namespace rida::test {

// The bounding box of the pixels darker than `threshold` (grey level 0..255).
inline QRect darkBounds(const QImage& sheet, int threshold = 128)
{
    const QImage grey = sheet.convertToFormat(QImage::Format_Grayscale8);
    int x0 = grey.width(), y0 = grey.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] < threshold) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    }
    return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// The rectangle that a box in layout pixels (1/96 inch, from the band's
// corner at the 1 mm margins) covers on a sheet rendered at `dpi`.
inline QRectF expectedOnSheet(const QRectF& layoutRect, double dpi)
{
    const double margin = 1.0 / 25.4 * dpi;
    const double s = dpi / 96.0;
    return QRectF(margin + layoutRect.left() * s, margin + layoutRect.top() * s, layoutRect.width() * s,
                  layoutRect.height() * s);
}

// True when the measured box is the expected one within `tolerance` device pixels on every edge.
inline bool sameBox(const QRect& measured, const QRectF& expected, double tolerance = 2.0)
{
    return std::abs(measured.left() - expected.left()) <= tolerance &&
           std::abs(measured.top() - expected.top()) <= tolerance &&
           std::abs(measured.right() + 1 - expected.right()) <= tolerance &&
           std::abs(measured.bottom() + 1 - expected.bottom()) <= tolerance;
}

} // namespace rida::test

#include <QDebug>

#include <ostream>
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
