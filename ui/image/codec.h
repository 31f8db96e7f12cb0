#pragma once
// Reading page images into page bitmaps and writing bitmaps as BMP files.
// The format is recognised from the file's first bytes, never from its name.
// Failures throw ImageError with a message a clerk can read.

#include "bitmap.h"

#include <stdexcept>
#include <string>

namespace rida::image {

class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImageFormat { Unknown, Jpeg, Bmp };

ImageFormat sniffFormat(const unsigned char* bytes, std::size_t size);

// Loads a JPEG or BMP file into `page`, reusing its memory when the image fits.
// On failure `page` is left empty and ImageError is thrown.
void loadPage(const std::string& path, Bitmap& page);

// Writes `page` as an uncompressed 32-bit BMP (bottom-up), replacing the file.
void saveBmp32(const std::string& path, const Bitmap& page);

} // namespace rida::image
