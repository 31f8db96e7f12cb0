#include "fixtures.h"

#include <jpeglib.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace rida::image::testing {

namespace {
void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
} // namespace

Bytes makeBmp(const BmpFixture& s)
{
    const int h = int(s.rows.size());
    const int w = h ? int(s.rows[0].size()) : 0;
    const std::size_t stride = ((std::size_t(w) * s.bpp + 31) / 32) * 4;
    Bytes pixels;
    for (int i = 0; i < h; ++i) {
        const auto& row = s.rows[s.topDown ? i : h - 1 - i];
        Bytes line(stride, 0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = row[x];
            switch (s.bpp) {
            case 1:
                line[x / 8] |= (v & 1) << (7 - x % 8);
                break;
            case 4:
                line[x / 2] |= (v & 15) << (x % 2 ? 0 : 4);
                break;
            case 8:
                line[x] = v;
                break;
            case 16:
                line[2 * x] = v & 0xFF;
                line[2 * x + 1] = (v >> 8) & 0xFF;
                break;
            case 24:
                line[3 * x] = v & 0xFF;
                line[3 * x + 1] = (v >> 8) & 0xFF;
                line[3 * x + 2] = (v >> 16) & 0xFF;
                break;
            case 32:
                line[4 * x] = v & 0xFF;
                line[4 * x + 1] = (v >> 8) & 0xFF;
                line[4 * x + 2] = (v >> 16) & 0xFF;
                line[4 * x + 3] = 0; // what most scanners leave there
                break;
            }
        }
        pixels.insert(pixels.end(), line.begin(), line.end());
    }
    const std::uint32_t extra = std::uint32_t(s.palette.size() * 4 + s.masks.size() * 4);
    const std::uint32_t offset = 14 + 40 + extra;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, offset + std::uint32_t(pixels.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, std::uint32_t(w));
    put32(b, std::uint32_t(s.topDown ? -h : h));
    put16(b, 1);
    put16(b, std::uint32_t(s.bpp));
    put32(b, s.compression);
    put32(b, std::uint32_t(pixels.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, std::uint32_t(s.palette.size()));
    put32(b, 0);
    for (auto m : s.masks)
        put32(b, m);
    for (auto c : s.palette)
        put32(b, c & 0xFFFFFF);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes makeRleBmp(int bpp, int w, int h, const std::vector<std::uint32_t>& palette, const Bytes& stream)
{
    const std::uint32_t offset = 14 + 40 + std::uint32_t(palette.size() * 4);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, offset + std::uint32_t(stream.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, std::uint32_t(w));
    put32(b, std::uint32_t(h));
    put16(b, 1);
    put16(b, std::uint32_t(bpp));
    put32(b, bpp == 8 ? 1 : 2);
    put32(b, std::uint32_t(stream.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, std::uint32_t(palette.size()));
    put32(b, 0);
    for (auto c : palette)
        put32(b, c & 0xFFFFFF);
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

Bytes withInfoSize(const Bytes& bmp, int infoSize)
{
    const std::size_t after = 14 + 40;
    Bytes header(bmp.begin() + 14, bmp.begin() + after);
    header.resize(std::size_t(infoSize), 0);
    header[0] = std::uint8_t(infoSize);
    header[1] = header[2] = header[3] = 0;
    const std::uint32_t oldOffset = std::uint32_t(bmp[10]) | (std::uint32_t(bmp[11]) << 8);
    const std::uint32_t offset = oldOffset - 40 + std::uint32_t(infoSize);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, std::uint32_t(bmp.size() - after + 14 + header.size()));
    put32(b, 0);
    put32(b, offset);
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), bmp.begin() + after, bmp.end());
    return b;
}

Bytes makeArithmeticJpeg(int w, int h, int grey, bool progressive)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    cinfo.arith_code = TRUE;
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(std::size_t(w), (unsigned char)grey);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes b(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return b;
}

Bytes makeJpeg(int w, int h, std::uint32_t rgb, JpegKind kind, int quality)
{
    const unsigned char r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, bl = rgb & 0xFF;
    std::vector<unsigned char> src(std::size_t(w) * h * 4);
    int format = TJPF_RGBX, subsamp = TJSAMP_420, flags = 0;
    for (std::size_t i = 0; i < src.size(); i += 4) {
        // For Cmyk these are inverted ink amounts (255 = no ink), as Photoshop
        // and TurboJPEG store them under their Adobe marker.
        src[i] = r;
        src[i + 1] = g;
        src[i + 2] = bl;
        src[i + 3] = 255;
    }
    if (kind == JpegKind::Cmyk)
        format = TJPF_CMYK;
    if (kind == JpegKind::Grey)
        subsamp = TJSAMP_GRAY;
    if (kind == JpegKind::Progressive)
        flags |= TJFLAG_PROGRESSIVE;
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj, src.data(), w, w * 4, h, format, &out, &size, subsamp, quality, flags) != 0) {
        const std::string why = tjGetErrorStr2(tj);
        tjDestroy(tj);
        throw std::runtime_error("makeJpeg: " + why);
    }
    Bytes b(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return b;
}

Bytes makeNoisyJpeg(int w, int h)
{
    std::vector<unsigned char> src(std::size_t(w) * h * 3);
    std::uint32_t seed = 12345;
    for (auto& v : src) {
        seed = seed * 1664525u + 1013904223u;
        v = (unsigned char)(seed >> 24);
    }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, src.data(), w, w * 3, h, TJPF_RGB, &out, &size, TJSAMP_444, 90, 0);
    Bytes b(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return b;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string tempPath(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / "rida_image_tests";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

} // namespace rida::image::testing
