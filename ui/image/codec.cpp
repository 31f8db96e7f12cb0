#include "codec.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <turbojpeg.h>

namespace rida::image {

ImageFormat sniffFormat(const unsigned char* bytes, std::size_t size)
{
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

namespace {
std::vector<unsigned char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ImageError("파일을 열 수 없습니다: " + path);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void decodeJpeg(const std::vector<unsigned char>& file, const std::string& path, Bitmap& page)
{
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(tj, file.data(), (unsigned long)file.size(), &w, &h, &subsamp, &colorspace) != 0) {
        tjDestroy(tj);
        throw ImageError("JPEG 파일을 읽을 수 없습니다: " + path);
    }
    page.resize(w, h);
    if (tjDecompress2(tj, file.data(), (unsigned long)file.size(), reinterpret_cast<unsigned char*>(page.data()), w,
                      w * 4, h, TJPF_BGRA, 0) != 0) {
        std::string why = tjGetErrorStr2(tj);
        tjDestroy(tj);
        page.clear();
        throw ImageError("JPEG 파일을 읽을 수 없습니다: " + path + " (" + why + ")");
    }
    tjDestroy(tj);
}
} // namespace

void loadPage(const std::string& path, Bitmap& page)
{
    page.clear();
    const auto file = readAll(path);
    switch (sniffFormat(file.data(), file.size())) {
    case ImageFormat::Jpeg:
        decodeJpeg(file, path, page);
        return;
    case ImageFormat::Bmp:
        throw ImageError("BMP reading is not built yet: " + path);
    case ImageFormat::Unknown:
        break;
    }
    throw ImageError("이미지 파일이 아닙니다: " + path);
}

void saveBmp32(const std::string& path, const Bitmap& page)
{
    throw ImageError("BMP writing is not built yet: " + path);
}

} // namespace rida::image
