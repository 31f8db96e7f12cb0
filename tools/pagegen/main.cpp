// rida-pagegen: draws sample land-price record sheets.
//
//   rida-pagegen --samples FOLDER
//       writes the sample pages of the application folder.
//   rida-pagegen [--font gothic|myeongjo] [--skew DEG] [--shift X,Y] [--noise N]
//                [--specks N] [--seed N] [--lots N | --lot DIGITS ...]
//                [--no-reference] [--quality Q] [--full-chroma] [--grey8 | --rle8]
//                OUT.jpg|OUT.bmp
//       writes one page and prints the lot lines recognition must list.
//       A .bmp is 32-bit; --grey8 writes it in 256 levels of grey as an 8-bit
//       BMP, --rle8 the same RLE8-compressed, as older scanning software does.

#include "image/codec.h"
#include "tools/pagegen/pagegen.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {
int usage()
{
    std::fprintf(stderr, "usage: rida-pagegen --samples FOLDER\n"
                         "       rida-pagegen [--font gothic|myeongjo] [--skew DEG] [--shift X,Y] [--noise N]\n"
                         "                    [--specks N] [--seed N] [--lots N | --lot DIGITS ...] [--no-reference]\n"
                         "                    [--quality Q] [--full-chroma] [--grey8 | --rle8] OUT.jpg|OUT.bmp\n");
    return 2;
}
bool endsWith(const std::string& s, const std::string& tail)
{
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    using namespace rida::pagegen;
    try {
        PageOptions o;
        std::string out;
        int quality = 90;
        bool fullChroma = false;
        enum class Bmp { Colour32, Grey8, Rle8 } bmp = Bmp::Colour32;
        int randomRows = -1;
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc)
                    throw std::invalid_argument(a + " needs a value");
                return argv[++i];
            };
            if (a == "--samples") {
                writeSampleFolder(value());
                return 0;
            } else if (a == "--font") {
                const std::string f = value();
                if (f != "gothic" && f != "myeongjo")
                    return usage();
                o.typeface =
                    f == "gothic" ? rida::recognition::Typeface::Gothic : rida::recognition::Typeface::Myeongjo;
            } else if (a == "--skew")
                o.skewDegrees = std::stod(value());
            else if (a == "--shift") {
                const std::string v = value();
                const auto comma = v.find(',');
                if (comma == std::string::npos)
                    return usage();
                o.shiftX = std::stoi(v.substr(0, comma));
                o.shiftY = std::stoi(v.substr(comma + 1));
            } else if (a == "--noise")
                o.noise = std::stoi(value());
            else if (a == "--specks")
                o.specks = std::stoi(value());
            else if (a == "--seed")
                o.seed = std::stoull(value());
            else if (a == "--lots")
                randomRows = std::stoi(value());
            else if (a == "--lot")
                o.rows.push_back({value()});
            else if (a == "--no-reference")
                o.referencePoint = false;
            else if (a == "--quality")
                quality = std::stoi(value());
            else if (a == "--full-chroma")
                fullChroma = true;
            else if (a == "--grey8")
                bmp = Bmp::Grey8;
            else if (a == "--rle8")
                bmp = Bmp::Rle8;
            else if (!a.empty() && a[0] == '-')
                return usage();
            else
                out = a;
        }
        if (out.empty() || (bmp != Bmp::Colour32 && !endsWith(out, ".bmp")))
            return usage();
        if (randomRows >= 0) {
            std::uint64_t state = o.seed * 7919;
            for (int k = 0; k < randomRows; ++k)
                o.rows.push_back({randomLot(state)});
        }
        const auto page = drawPage(o);
        if (bmp != Bmp::Colour32)
            writeBmp8(out, toGrey(page), bmp == Bmp::Rle8);
        else if (endsWith(out, ".bmp"))
            rida::image::saveBmp32(out, page);
        else
            writeJpeg(out, page, quality, fullChroma);
        for (const auto& line : expectedLots(o))
            std::printf("%s\n", line.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rida-pagegen: %s\n", e.what());
        return 1;
    }
}
