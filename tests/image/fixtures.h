#pragma once
// Page images made in code for the codec tests.

#include <cstdint>
#include <string>
#include <vector>

namespace rida::image::testing {

using Bytes = std::vector<unsigned char>;

// A BMP file of `bpp` bits with the given palette (for bpp <= 8) and rows of
// raw pixel values (palette indices, or 0xRRGGBB for 16/24/32 bits; 16-bit
// values are written as given). Rows are given top first.
struct BmpFixture {
    int bpp = 24;
    bool topDown = false;
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    std::vector<std::vector<std::uint32_t>> rows;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks; // for compression 3
};
Bytes makeBmp(const BmpFixture& fixture);

// A BMP whose pixels are an RLE8 (bpp 8) or RLE4 (bpp 4) stream, given byte
// for byte, for a page of w x h (a negative h: top-down) with `palette`.
Bytes makeRleBmp(int bpp, int w, int h, const std::vector<std::uint32_t>& palette, const Bytes& stream);

// The same BMP with its 40-byte information header cut or zero-extended to
// `infoSize` bytes, as OS/2 2.x writers lay it out (16 to 64 bytes: the
// fields after the bit depth that fit, the rest left off).
Bytes withInfoSize(const Bytes& bmp, int infoSize);

// A w x h JPEG of one flat grey level, arithmetic-coded (sequential or progressive).
Bytes makeArithmeticJpeg(int w, int h, int grey, bool progressive);

enum class JpegKind { Colour, Grey, Progressive, Cmyk };
// A w x h JPEG of one flat colour 0xRRGGBB (for Cmyk: the ink amounts are the
// complement of that colour).
Bytes makeJpeg(int w, int h, std::uint32_t rgb, JpegKind kind, int quality = 95);
// A w x h colour JPEG of noise, whose entropy-coded data fills most of the file.
Bytes makeNoisyJpeg(int w, int h);

void writeFile(const std::string& path, const Bytes& bytes);
std::string tempPath(const std::string& name);

} // namespace rida::image::testing
