#pragma once
// Page bitmap: the pixels of one scanned page in memory.
//
// Pixels are 32-bit ARGB words (alpha in bits 24-31, red 16-23, green 8-15,
// blue 0-7), stored row by row from the top, without padding. Coordinates are
// page pixels: origin at the top-left corner, x to the right, y downwards.
// A bitmap of zero size is empty; every page command checks for that first.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace rida::image {

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap() = default;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    std::size_t pixelCount() const { return std::size_t(width_) * std::size_t(height_); }

    std::uint32_t* data() { return pixels_.get(); }
    const std::uint32_t* data() const { return pixels_.get(); }
    std::uint32_t* row(int y) { return pixels_.get() + std::size_t(y) * std::size_t(width_); }
    const std::uint32_t* row(int y) const { return pixels_.get() + std::size_t(y) * std::size_t(width_); }
    std::uint32_t pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, std::uint32_t argb) { row(y)[x] = argb; }

    // Sets the size. The pixel memory is kept when the new size fits in it, so a
    // run over many pages touches fresh memory only once; the content is then
    // unspecified. Memory of more than an A3 page at 400 dpi is not kept for a
    // page of less than half of it. Throws std::length_error for negative or
    // unholdable sizes.
    void resize(int width, int height);
    // Zero size; the memory stays for the next page.
    void clear() { width_ = height_ = 0; }
    // Zero size and the memory given back.
    void release();
    void fill(std::uint32_t argb);

    std::size_t capacityPixels() const { return capacity_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<std::uint32_t[]> pixels_;
};

constexpr std::uint32_t argb(int a, int r, int g, int b)
{
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}
constexpr int alphaOf(std::uint32_t p)
{
    return int(p >> 24);
}
constexpr int redOf(std::uint32_t p)
{
    return int((p >> 16) & 0xff);
}
constexpr int greenOf(std::uint32_t p)
{
    return int((p >> 8) & 0xff);
}
constexpr int blueOf(std::uint32_t p)
{
    return int(p & 0xff);
}

} // namespace rida::image
