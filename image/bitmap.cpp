#include "bitmap.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace rida::image {

namespace {
// Larger than any scan a clerk makes (a 1200 dpi A3 page is about 14000 x 20000),
// small enough that the pixels can always be addressed and allocated deliberately.
constexpr std::size_t kMaxPixels = std::size_t(1) << 30;
// Memory up to an A3 page at 400 dpi is reused by any smaller page.
constexpr std::size_t kKeptPixels = std::size_t(32) << 20;
} // namespace

Bitmap::Bitmap(int width, int height)
{
    resize(width, height);
}

Bitmap::Bitmap(const Bitmap& other)
{
    resize(other.width_, other.height_);
    if (!empty())
        std::copy_n(other.data(), pixelCount(), data());
}

Bitmap& Bitmap::operator=(const Bitmap& other)
{
    if (this != &other) {
        resize(other.width_, other.height_);
        if (!empty())
            std::copy_n(other.data(), pixelCount(), data());
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(other.width_), height_(other.height_), capacity_(other.capacity_), pixels_(std::move(other.pixels_))
{
    other.width_ = other.height_ = 0;
    other.capacity_ = 0;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        capacity_ = other.capacity_;
        pixels_ = std::move(other.pixels_);
        other.width_ = other.height_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

void Bitmap::resize(int width, int height)
{
    if (width < 0 || height < 0)
        throw std::length_error("image size is negative");
    const std::size_t count = std::size_t(width) * std::size_t(height);
    if (count > kMaxPixels)
        throw std::length_error("image is too large to hold in memory");
    // Memory left by an outsized page is not kept for a page of the usual
    // size: that one gets memory of its own size.
    const bool outsized = capacity_ > kKeptPixels && capacity_ > 2 * count;
    if (count > capacity_ || outsized) {
        pixels_.reset(); // the old memory goes before the new is taken
        capacity_ = 0;
        // new[] without value-initialisation: the pages are touched by the writer.
        pixels_.reset(new std::uint32_t[count]);
        capacity_ = count;
    }
    width_ = width;
    height_ = height;
}

void Bitmap::release()
{
    pixels_.reset();
    capacity_ = 0;
    width_ = height_ = 0;
}

void Bitmap::fill(std::uint32_t argb)
{
    if (!empty())
        std::fill_n(data(), pixelCount(), argb);
}

} // namespace rida::image
