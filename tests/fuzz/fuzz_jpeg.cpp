// Any bytes that start like a JPEG must give a whole page or an ImageError.
#include "image/codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rida::image::Bitmap page;
    try {
        rida::image::decodePage(data, size, "fuzz.jpg", page, {.maxPixels = 1 << 22});
    } catch (const rida::image::ImageError&) {
        if (!page.empty())
            __builtin_trap();
    }
    return 0;
}
