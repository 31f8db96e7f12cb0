// Any bytes that start like a BMP must give a page or an ImageError.
#include "image/codec.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> bytes{'B', 'M'};
    bytes.insert(bytes.end(), data, data + size);
    rida::image::Bitmap page;
    try {
        // A small limit keeps a header's claimed size within the fuzzer's memory.
        rida::image::decodePage(bytes.data(), bytes.size(), "fuzz.bmp", page, {.maxPixels = 1 << 22});
    } catch (const rida::image::ImageError&) {
        if (!page.empty())
            __builtin_trap();
    }
    return 0;
}
