#pragma once
// Reading page images into page bitmaps and writing bitmaps as BMP files.
// The format is recognised from the file's first bytes, never from its name.
// JPEG: baseline, progressive and arithmetic-coded; grey, colour and CMYK.
// BMP: 1, 4, 8, 16, 24 and 32 bits, uncompressed, RLE8, RLE4 and bit fields,
// with the OS/2 1.x and 2.x and the Windows information headers.
// Failures throw ImageError with a Korean message that names the file; the
// page is then left empty, never partly drawn.

#include "bitmap.h"
#include "geometry.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace rida::image {

class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImageFormat { Unknown, Jpeg, Bmp };

ImageFormat sniffFormat(const unsigned char* bytes, std::size_t size);

// The largest page we agree to hold: 400 million pixels (1.6 GB), more than a
// 1200 dpi A3 colour scan. Checked against the header before any allocation.
constexpr std::size_t kMaxPagePixels = 400'000'000;

// The largest file such a page could need: four bytes a pixel (a 32-bit BMP,
// or a one-pixel-wide BMP of any depth with its rows padded to four bytes),
// with room for headers, palettes and whatever a writer puts before the pixels.
constexpr std::size_t kMaxPageFileBytes = kMaxPagePixels * 4 + (std::size_t(64) << 20);

struct LoadLimits {
    std::size_t maxPixels = kMaxPagePixels;
    std::size_t maxFileBytes = kMaxPageFileBytes; // loadPage only
};

// Loads a JPEG or BMP file into `page`, reusing its memory when the image fits.
// A file larger than limits.maxFileBytes is refused before it is read.
// On failure `page` is left empty and ImageError is thrown.
void loadPage(const std::string& path, Bitmap& page, const LoadLimits& limits = {});

// The same from bytes already in memory; `name` only appears in messages.
void decodePage(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
                const LoadLimits& limits = {});

// Loading only the part of a page that a reader looks at. `region` is given
// the page's width and height from its header and returns the rectangle of
// page pixels that will be read (half-open; what lies off the page is
// ignored). `page` gets the page's full size; inside the rectangle its pixels
// are exactly those loadPage gives, outside it they are unspecified (memory
// the page held before, or anything the decoder left there). A JPEG is decoded
// only over the columns of the rectangle and, of the lines outside it, only
// its entropy-coded data is read (to the end, so that a damaged or cut file
// fails as with loadPage, with the same message); an uncompressed BMP is read
// only over the rectangle. RLE-compressed BMPs are read whole.
using PageRegion = std::function<RectI(int width, int height)>;
void loadPageRegion(const std::string& path, Bitmap& page, const PageRegion& region, const LoadLimits& limits = {});
void decodePageRegion(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
                      const PageRegion& region, const LoadLimits& limits = {});

// The end of a JPEG page whose asked part has been decoded: the entropy-coded
// data of the lines below it, still to be read only to meet a fault in the
// file. finish() reads it (from any thread; it touches no page) and throws
// the ImageError loadPage gives for the file, if any; a tail left unfinished
// ignores the rest of the file. The bytes it reads stay valid until the next
// load on the thread that loaded the page.
class PageTail {
public:
    PageTail();
    ~PageTail();
    PageTail(PageTail&&) noexcept;
    PageTail& operator=(PageTail&&) noexcept;
    bool pending() const { return reading_ != nullptr; }
    void finish();

    struct Reading;
    std::unique_ptr<Reading> reading_; // the decoder's state; for the codec only
};

// loadPageRegion leaving the reading of a JPEG's last lines to `tail` (a BMP,
// or a file too large for the kept buffer, is read whole and leaves none).
void loadPageRegion(const std::string& path, Bitmap& page, const PageRegion& region, PageTail& tail,
                    const LoadLimits& limits = {});

// Writes `page` as an uncompressed 32-bit BMP (bottom-up), replacing the file.
void saveBmp32(const std::string& path, const Bitmap& page);

} // namespace rida::image
