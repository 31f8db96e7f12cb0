#include "codec.h"

#include <fcntl.h>
#include <jerror.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

namespace rida::image {

// Pixels are written as bytes in places where libraries and files see them.
static_assert(std::endian::native == std::endian::little);

ImageFormat sniffFormat(const unsigned char* bytes, std::size_t size)
{
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

namespace {

[[noreturn]] void fail(const std::string& name, const std::string& why)
{
    throw ImageError("이미지 파일을 읽을 수 없습니다: " + name + "\n" + why);
}

void checkSize(long long w, long long h, const std::string& name, const LoadLimits& limits)
{
    if (w < 0 || h < 0)
        fail(name, "이미지 머리 정보가 손상되었습니다 (가로 또는 세로 크기가 음수입니다).");
    if (w == 0 || h == 0)
        fail(name, "이미지의 가로 또는 세로 크기가 0입니다.");
    if (std::size_t(w) * std::size_t(h) > limits.maxPixels || w > std::numeric_limits<int>::max() ||
        h > std::numeric_limits<int>::max())
        fail(name, "이미지가 너무 커서 메모리에 담을 수 없습니다 (" + std::to_string(w) + " x " + std::to_string(h) +
                       " 화소).");
}

void allocate(Bitmap& page, int w, int h, const std::string& name)
{
    try {
        page.resize(w, h);
    } catch (const std::bad_alloc&) {
        fail(name, "메모리가 부족하여 이미지를 담을 수 없습니다.");
    } catch (const std::length_error&) {
        fail(name, "이미지가 너무 커서 메모리에 담을 수 없습니다.");
    }
}

// ---------------------------------------------------------------- JPEG

// Photoshop writes CMYK JPEGs with inverted ink values and marks them with an
// "Adobe" APP14 segment; files without it hold plain ink amounts.
bool hasAdobeMarker(const unsigned char* b, std::size_t n)
{
    std::size_t i = 2;
    while (i + 4 <= n && b[i] == 0xFF) {
        const unsigned char m = b[i + 1];
        if (m == 0xDA || m == 0xD9)
            break;
        const std::size_t len = (std::size_t(b[i + 2]) << 8) | b[i + 3];
        if (len < 2)
            break;
        if (m == 0xEE && len >= 7 && i + 9 <= n && std::memcmp(b + i + 4, "Adobe", 5) == 0)
            return true;
        i += 2 + len;
    }
    return false;
}

void cmykToArgbInPlace(unsigned char* p, std::size_t n, bool inverted)
{
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // c, m, y, k now hold the light left over by each ink.
        const int r = (c * k + 127) / 255, g = (m * k + 127) / 255, bl = (y * k + 127) / 255;
        // Memory order of an ARGB word on little-endian machines: B, G, R, A.
        p[0] = (unsigned char)bl;
        p[1] = (unsigned char)g;
        p[2] = (unsigned char)r;
        p[3] = 255;
    }
}

void cmykToArgbInPlace(Bitmap& page, const RectI& part, bool inverted)
{
    for (int y = part.top; y < part.bottom; ++y)
        cmykToArgbInPlace(reinterpret_cast<unsigned char*>(page.row(y) + part.left), std::size_t(part.width()),
                          inverted);
}

// The decoder's own errors and warnings. A warning that means the decoder had
// to make up picture data (a file cut short, damaged data) ends the reading
// like an error: nobody may see a partly drawn page. Stray bytes between
// segments, common in scanners' files, an unknown JFIF revision and a bad ICC
// profile (never used here) leave the page whole and are read over.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegStop(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    std::longjmp(errors->jump, 1);
}

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo)
{
    (*cinfo->err->format_message)(cinfo, reinterpret_cast<JpegErrors*>(cinfo->err)->message);
    jpegStop(cinfo);
}

void jpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    const int code = cinfo->err->msg_code;
    if (code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC)
        return;
    jpegErrorExit(cinfo);
}

void jpegOutputMessage(j_common_ptr) {}

// Each scan of a progressive file is decoded over the whole page: a file of
// thousands of tiny scans would take minutes. More than 500 is refused.
void jpegLimitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > 500) {
        std::snprintf(reinterpret_cast<JpegErrors*>(cinfo->err)->message, JMSG_LENGTH_MAX,
                      "Progressive JPEG image has more than 500 scans");
        jpegStop(cinfo);
    }
}

// One file's reading. The steps that may leave by longjmp below hold no
// object with a destructor; this one is destroyed by their caller.
struct JpegReading {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    bool created = false;

    JpegReading() = default;
    JpegReading(const JpegReading&) = delete;
    JpegReading& operator=(const JpegReading&) = delete;
    ~JpegReading()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

// Header: false with the reason in errors.message.
bool jpegReadHeader(JpegReading& r, const unsigned char* bytes, std::size_t size)
{
    r.cinfo.err = jpeg_std_error(&r.errors.mgr);
    r.errors.mgr.error_exit = jpegErrorExit;
    r.errors.mgr.emit_message = jpegEmitMessage;
    r.errors.mgr.output_message = jpegOutputMessage;
    r.errors.message[0] = 0;
    if (setjmp(r.errors.jump))
        return false;
    jpeg_create_decompress(&r.cinfo);
    r.created = true;
    // The decoder's working memory (above all the coefficients of a whole
    // progressive page) may grow with the file, never with a size the header
    // only claims: 128 bytes a block, and a file holds at most eight blocks a
    // byte (every block's DC step takes a code of at least one bit). The rest
    // is row buffers, which a JPEG's 65535-pixel rows keep small.
    r.cinfo.mem->max_memory_to_use = long(std::min<std::size_t>(size, std::size_t(1) << 40) * 1024 + (64 << 20));
    r.progress.progress_monitor = jpegLimitScans;
    r.cinfo.progress = &r.progress;
    jpeg_mem_src(&r.cinfo, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&r.cinfo, TRUE);
    return true;
}

// Begins the decompression; a progressive or multi-scan file is read whole
// here, into the decoder's own memory. False with the reason.
bool jpegStart(JpegReading& r, bool cmyk)
{
    if (setjmp(r.errors.jump))
        return false;
    // A CMYK pixel takes four bytes like an ARGB one (B, G, R, A in memory).
    r.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&r.cinfo);
    return true;
}

// Every line of the page straight into its memory: false with the reason.
bool jpegReadLines(JpegReading& r, Bitmap& page)
{
    if (setjmp(r.errors.jump))
        return false;
    while (r.cinfo.output_scanline < r.cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(page.row(int(r.cinfo.output_scanline)));
        jpeg_read_scanlines(&r.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&r.cinfo);
    return true;
}

std::vector<unsigned char>& spareLine()
{
    // Kept between pages: the lines decoded only to be read over.
    thread_local std::vector<unsigned char> line;
    return line;
}

// The columns and lines of `part` (already widened to whole blocks and their
// neighbours by the caller) into the page's memory: the columns are cropped,
// the lines above `part` are read over. Skipping (`skipLines`) decodes only
// their entropy-coded data; without it (arithmetic coding, whose decoder
// cannot throw blocks away) they are decoded into a spare line. `part`
// returns the columns actually decoded. False with the reason.
bool jpegReadPart(JpegReading& r, Bitmap& page, RectI& part, bool skipLines)
{
    if (setjmp(r.errors.jump))
        return false;
    jpeg_decompress_struct& c = r.cinfo;
    JDIMENSION xoffset = JDIMENSION(part.left), width = JDIMENSION(part.width());
    if (width < c.output_width)
        jpeg_crop_scanline(&c, &xoffset, &width);
    part.left = int(xoffset);
    part.right = int(xoffset + width);
    std::vector<unsigned char>& spare = spareLine();
    spare.resize(std::size_t(c.output_width) * 4);
    if (skipLines && JDIMENSION(part.top) > c.output_scanline)
        jpeg_skip_scanlines(&c, JDIMENSION(part.top) - c.output_scanline);
    while (c.output_scanline < JDIMENSION(part.top)) {
        JSAMPROW row = spare.data();
        jpeg_read_scanlines(&c, &row, 1);
    }
    while (c.output_scanline < JDIMENSION(part.bottom)) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(page.row(int(c.output_scanline)) + part.left);
        jpeg_read_scanlines(&c, &row, 1);
    }
    return true;
}

// The lines after the part, read over as above, to the end of the data, so
// that a fault anywhere in the file is met as by jpegReadLines. Touches no
// page. False with the reason.
bool jpegReadTail(JpegReading& r, bool skipLines)
{
    if (setjmp(r.errors.jump))
        return false;
    jpeg_decompress_struct& c = r.cinfo;
    std::vector<unsigned char>& spare = spareLine();
    spare.resize(std::size_t(c.output_width) * 4);
    // The last line is read, not skipped: skipping to the end would end the
    // reading without the data of the lines skipped.
    if (c.output_scanline < c.output_height) {
        if (skipLines && c.output_height - 1 > c.output_scanline)
            jpeg_skip_scanlines(&c, c.output_height - 1 - c.output_scanline);
        while (c.output_scanline < c.output_height) {
            JSAMPROW row = spare.data();
            jpeg_read_scanlines(&c, &row, 1);
        }
    }
    jpeg_finish_decompress(&c);
    return true;
}

// What a fault met while decoding says; `r` has failed.
[[noreturn]] void jpegDamaged(const JpegReading& r, const std::string& name, bool endsWell, long long w, long long h)
{
    if (r.errors.mgr.msg_code == JERR_NO_BACKING_STORE)
        fail(name, "JPEG 자료가 손상되었습니다 (머리 정보의 크기만큼 자료가 없습니다: " + std::to_string(w) + " x " +
                       std::to_string(h) + " 화소).");
    const std::string why = r.errors.message[0] ? r.errors.message : "?";
    // "Premature end of JPEG file", "... premature end of data segment": cut
    // short, unless the file still ends with its end marker.
    if (why.find("remature end") != std::string::npos && !endsWell)
        fail(name, "JPEG 파일이 잘려 있습니다.");
    fail(name, "JPEG 자료가 손상되었습니다 (" + why + ").");
}

} // namespace

struct PageTail::Reading {
    std::unique_ptr<JpegReading> jpeg;
    std::string name;
    bool endsWell = false, skipLines = true;
    long long width = 0, height = 0;
};

PageTail::PageTail() = default;
PageTail::~PageTail() = default;
PageTail::PageTail(PageTail&&) noexcept = default;
PageTail& PageTail::operator=(PageTail&&) noexcept = default;

void PageTail::finish()
{
    if (!reading_)
        return;
    const std::unique_ptr<Reading> r = std::move(reading_);
    if (!jpegReadTail(*r->jpeg, r->skipLines))
        jpegDamaged(*r->jpeg, r->name, r->endsWell, r->width, r->height);
}

namespace {

void decodeJpeg(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
                const LoadLimits& limits, const PageRegion* region, PageTail* tail)
{
    if (size > std::numeric_limits<unsigned long>::max())
        fail(name, "파일이 너무 큽니다.");
    auto reading = std::make_unique<JpegReading>();
    // "Premature end of JPEG file", "... premature end of data segment": cut
    // short, unless the file still ends with its end marker.
    const bool endsWell = size >= 2 && bytes[size - 2] == 0xFF && bytes[size - 1] == 0xD9;
    const auto cutShort = [&](const std::string& why) {
        return why.find("remature end") != std::string::npos && !endsWell;
    };
    if (!jpegReadHeader(*reading, bytes, size)) {
        const std::string why = reading->errors.message;
        if (cutShort(why))
            fail(name, "JPEG 파일이 잘려 있습니다.");
        fail(name, why.empty() ? std::string("JPEG 머리 정보가 손상되었습니다.")
                               : "JPEG 머리 정보가 손상되었습니다 (" + why + ").");
    }
    const jpeg_decompress_struct& info = reading->cinfo;
    const long long w = info.image_width, h = info.image_height;
    if (w <= 0 || h <= 0)
        fail(name, "JPEG 머리 정보가 손상되었습니다.");
    checkSize(w, h, name, limits);
    // Huffman codes take at least one bit for every block of every component:
    // a file with fewer bits after its header than the claimed page has blocks
    // cannot hold that page, and is refused before any memory is taken for it.
    // (Arithmetic coding can hold a flat page in almost nothing; there the
    // decoder's memory limit and the reading of the data decide.)
    if (!info.arith_code) {
        std::size_t blocks = 0;
        for (int c = 0; c < info.num_components; ++c)
            blocks += std::size_t(info.comp_info[c].width_in_blocks) * std::size_t(info.comp_info[c].height_in_blocks);
        const std::size_t scanBytes = info.src->bytes_in_buffer;
        if (scanBytes < (blocks + 7) / 8) {
            if (!endsWell)
                fail(name, "JPEG 파일이 잘려 있습니다.");
            fail(name, "JPEG 자료가 손상되었습니다 (머리 정보의 크기만큼 자료가 없습니다: " + std::to_string(w) +
                           " x " + std::to_string(h) + " 화소).");
        }
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const auto damaged = [&] {
        page.release(); // a made-up size must not stay allocated
        jpegDamaged(*reading, name, endsWell, w, h);
    };
    // A progressive file's scans are all read before the page is taken.
    if (!jpegStart(*reading, cmyk))
        damaged();
    allocate(page, int(w), int(h), name);
    if (!region) {
        if (!jpegReadLines(*reading, page))
            damaged();
        if (cmyk)
            cmykToArgbInPlace(page, {0, 0, int(w), int(h)}, hasAdobeMarker(bytes, size));
        return;
    }
    const RectI wanted = (*region)(int(w), int(h)).intersected({0, 0, int(w), int(h)});
    // A decoded block's edge pixels depend on the neighbouring blocks
    // (upsampled colour), which a cropped or skipped decode does not have: one
    // block of the largest sampling more on every side keeps the wanted pixels
    // exactly those of the whole page.
    const int marginX = 8 * info.max_h_samp_factor, marginY = 8 * info.max_v_samp_factor;
    RectI part = wanted.empty() ? RectI{0, 0, 1, 0}
                                : RectI{wanted.left - marginX, wanted.top - marginY, wanted.right + marginX,
                                        wanted.bottom + marginY}
                                      .intersected({0, 0, int(w), int(h)});
    const bool skipLines = !info.arith_code;
    if (!jpegReadPart(*reading, page, part, skipLines))
        damaged();
    if (cmyk)
        cmykToArgbInPlace(page, part, hasAdobeMarker(bytes, size));
    if (tail) {
        auto rest = std::make_unique<PageTail::Reading>();
        rest->jpeg = std::move(reading);
        rest->name = name;
        rest->endsWell = endsWell, rest->skipLines = skipLines;
        rest->width = w, rest->height = h;
        tail->reading_ = std::move(rest);
        return;
    }
    if (!jpegReadTail(*reading, skipLines))
        damaged();
}

// ---------------------------------------------------------------- BMP

std::uint32_t u16(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8);
}
std::uint32_t u32(const unsigned char* p)
{
    return u16(p) | (u16(p + 2) << 16);
}
std::int32_t s32(const unsigned char* p)
{
    return std::int32_t(u32(p));
}

// Extracts a channel under `mask` and widens it to 8 bits.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t mask = 0)
    {
        if (!mask)
            return;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1u) {
            mask >>= 1;
            ++bits;
        }
    }
    int get(std::uint32_t v) const
    {
        if (bits == 0)
            return 0;
        const std::uint32_t raw = (v >> shift) & ((bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1));
        if (bits >= 8)
            return int(raw >> (bits - 8));
        return int(raw * 255 / ((1u << bits) - 1));
    }
};

// Where an RLE stream leaves the page, or why it is not whole.
enum class RleFault { None, CutShort, PastRow, PastPage, DeltaOutside };

// Walks an RLE8 (`four` false) or RLE4 stream for a w x h page. Positions are
// counted from the bottom row up, as the file stores them; `run(x, y, n, value)`
// gets n pixels of one encoded byte, `literal(x, y, n, bytes)` n pixels stored
// one by one. Pixels that the stream skips (end of line, delta, end of bitmap)
// are left to the caller. A stream that runs out is whole only once every row
// has been reached.
template <class Run, class Literal>
RleFault walkRle(const unsigned char* p, std::size_t n, long long w, long long h, bool four, Run&& run,
                 Literal&& literal)
{
    std::size_t i = 0;
    long long x = 0, y = 0;
    for (;;) {
        if (n - i < 2)
            return (y >= h || (y == h - 1 && x == w)) ? RleFault::None : RleFault::CutShort;
        const unsigned count = p[i], code = p[i + 1];
        i += 2;
        if (count > 0) { // encoded run
            if (y >= h)
                return RleFault::PastPage;
            if (x + count > w)
                return RleFault::PastRow;
            run(x, y, count, code);
            x += count;
            continue;
        }
        switch (code) {
        case 0: // end of line
            if (y >= h)
                return RleFault::PastPage;
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return RleFault::None;
        case 2: { // delta: skip right and up
            if (n - i < 2)
                return RleFault::CutShort;
            const unsigned dx = p[i], dy = p[i + 1];
            i += 2;
            if (x + dx > w || y + dy >= h)
                return RleFault::DeltaOutside;
            x += dx;
            y += dy;
            break;
        }
        default: { // absolute run of `code` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (code + 1) / 2 : code;
            if (n - i < bytes)
                return RleFault::CutShort;
            if (y >= h)
                return RleFault::PastPage;
            if (x + code > w)
                return RleFault::PastRow;
            literal(x, y, code, p + i);
            x += code;
            i += std::min(bytes + (bytes & 1), n - i);
            break;
        }
        }
    }
}

void decodeRle(const unsigned char* data, std::size_t size, int w, int h, bool four,
               const std::uint32_t (&palette)[256], const std::string& name, Bitmap& page)
{
    // The whole stream is checked before the page is taken: a damaged file
    // leaves no partly drawn page, and a header's claimed size takes no memory
    // for a stream that does not hold it.
    const auto none = [](auto...) {};
    switch (walkRle(data, size, w, h, four, none, none)) {
    case RleFault::None:
        break;
    case RleFault::CutShort:
        fail(name, "RLE 압축 BMP 파일이 잘려 있습니다.");
    case RleFault::PastRow:
        fail(name, "RLE 압축 자료가 손상되었습니다 (화소가 줄 끝을 넘습니다).");
    case RleFault::PastPage:
        fail(name, "RLE 압축 자료가 손상되었습니다 (화소가 이미지 끝을 넘습니다).");
    case RleFault::DeltaOutside:
        fail(name, "RLE 압축 자료가 손상되었습니다 (건너뛰기가 이미지 밖을 가리킵니다).");
    }
    allocate(page, w, h, name);
    // Skipped pixels show the first palette colour.
    page.fill(palette[0]);
    const auto at = [&](long long x, long long y) { return page.row(h - 1 - int(y)) + x; };
    if (four) {
        walkRle(
            data, size, w, h, true,
            [&](long long x, long long y, unsigned n, unsigned value) {
                std::uint32_t* dst = at(x, y);
                const std::uint32_t pair[2] = {palette[value >> 4], palette[value & 15]};
                for (unsigned k = 0; k < n; ++k)
                    dst[k] = pair[k & 1];
            },
            [&](long long x, long long y, unsigned n, const unsigned char* src) {
                std::uint32_t* dst = at(x, y);
                for (unsigned k = 0; k < n; ++k)
                    dst[k] = palette[(src[k >> 1] >> ((k & 1) ? 0 : 4)) & 15];
            });
    } else {
        walkRle(
            data, size, w, h, false,
            [&](long long x, long long y, unsigned n, unsigned value) { std::fill_n(at(x, y), n, palette[value]); },
            [&](long long x, long long y, unsigned n, const unsigned char* src) {
                std::uint32_t* dst = at(x, y);
                for (unsigned k = 0; k < n; ++k)
                    dst[k] = palette[src[k]];
            });
    }
}

// Compression codes of the information header. Windows and OS/2 2.x agree on
// 0 to 2 and disagree on 3 and 4.
constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5,
                        kBiAlphaBitfields = 6;

void decodeBmp(const unsigned char* b, std::size_t n, const std::string& name, Bitmap& page, const LoadLimits& limits,
               const PageRegion* region)
{
    if (n < 14 + 12)
        fail(name, "BMP 파일이 잘려 있습니다.");
    const std::uint32_t pixelOffset = u32(b + 10);
    const std::uint32_t infoSize = u32(b + 14);
    if (infoSize < 12 || infoSize > n - 14)
        fail(name, "BMP 머리 정보가 손상되었습니다.");
    // Information headers: 12 bytes (OS/2 1.x core header), 40, 52, 56, 108 and
    // 124 (Windows), and anything from 16 to 64 (OS/2 2.x, whose first 40 bytes
    // are laid out as Windows' and whose writers may leave off any fields
    // after the bit depth; those left off are zero).
    const bool windowsSize = infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize >= 108;
    const bool os2Size = infoSize >= 16 && infoSize <= 64 && !windowsSize;
    if (infoSize != 12 && !windowsSize && !os2Size)
        fail(name, "BMP 머리 정보가 손상되었습니다 (머리 정보의 길이 " + std::to_string(infoSize) + "바이트).");

    long long width = 0, height = 0;
    int planes = 0, bpp = 0;
    std::uint32_t compression = kBiRgb, colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t paletteEntrySize = 4;
    // A field of the information header, or zero where a short header leaves it off.
    const auto field = [&](std::size_t at) { return at + 4 <= infoSize ? u32(b + 14 + at) : 0u; };
    if (infoSize == 12) { // OS/2 core header: 16-bit sizes, 3-byte palette entries
        width = u16(b + 18);
        height = u16(b + 20); // unsigned here: a core-header page is always bottom-up
        planes = int(u16(b + 22));
        bpp = int(u16(b + 24));
        paletteEntrySize = 3;
    } else {
        width = s32(b + 18);
        // OS/2 2.x sizes are unsigned and its pages always bottom-up.
        height = os2Size ? (long long)u32(b + 22) : (long long)s32(b + 22);
        planes = int(u16(b + 26));
        bpp = int(u16(b + 28));
        compression = field(16);
        colorsUsed = field(32);
        // OS/2 2.x's own codes: 3 is Huffman 1D (fax pages of one bit), 4 is
        // RLE24. A 40-byte header is either; the bit depth tells them apart.
        const bool os2Codes = os2Size || infoSize == 40;
        if (os2Codes && compression == 3 && (os2Size || bpp == 1))
            fail(name, "지원하지 않는 BMP 압축 방식입니다 (OS/2 Huffman 1D 압축).");
        if (os2Codes && compression == 4 && (os2Size || bpp == 24))
            fail(name, "지원하지 않는 BMP 압축 방식입니다 (OS/2 RLE24 압축).");
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            // The masks follow a 40-byte header, or sit inside a V2 to V5 header.
            const std::size_t at = 14 + 40;
            if (at + 12 > n)
                fail(name, "BMP 파일이 잘려 있습니다.");
            masks[0] = u32(b + at);
            masks[1] = u32(b + at + 4);
            masks[2] = u32(b + at + 8);
        }
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height; // a long long, so INT_MIN cannot overflow
    if (planes != 1)
        fail(name, "BMP 머리 정보가 손상되었습니다.");
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression == kBiRle8 && bpp != 8)
        fail(name, "BMP 머리 정보가 손상되었습니다 (RLE8 압축은 8비트 BMP에만 쓰입니다).");
    if (compression == kBiRle4 && bpp != 4)
        fail(name, "BMP 머리 정보가 손상되었습니다 (RLE4 압축은 4비트 BMP에만 쓰입니다).");
    if (rle && topDown)
        fail(name, "BMP 머리 정보가 손상되었습니다 (RLE 압축 BMP는 위에서 아래로 저장될 수 없습니다).");
    if (compression == kBiJpeg || compression == kBiPng)
        fail(name, "JPEG/PNG를 담은 BMP 파일은 지원하지 않습니다.");
    if (compression != kBiRgb && !rle && compression != kBiBitfields && compression != kBiAlphaBitfields)
        fail(name, "지원하지 않는 BMP 압축 방식입니다 (압축 방식 " + std::to_string(compression) + ").");
    if ((compression == kBiBitfields || compression == kBiAlphaBitfields) && bpp != 16 && bpp != 32)
        fail(name, "BMP 머리 정보가 손상되었습니다.");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        fail(name, "지원하지 않는 BMP 색 깊이입니다 (" + std::to_string(bpp) + "비트).");
    checkSize(width, height, name, limits);

    // Palette.
    std::uint32_t palette[256] = {};
    std::size_t paletteSize = 0;
    if (bpp <= 8) {
        const std::size_t maxEntries = std::size_t(1) << bpp;
        paletteSize = (colorsUsed == 0 || colorsUsed > maxEntries) ? maxEntries : colorsUsed;
        const std::size_t at = 14 + std::size_t(infoSize);
        // The palette ends where the pixels begin (or, where that offset is
        // wrong, at the end of the file, refused further down).
        const std::size_t end = pixelOffset >= at && pixelOffset <= n ? pixelOffset : n;
        const std::size_t available = at <= end ? (end - at) / paletteEntrySize : 0;
        if (available < paletteSize) {
            // Some writers declare a full palette but store fewer entries before
            // the pixels; what is there is used, the rest stays black.
            if (available == 0)
                fail(name, "BMP 색상표가 없습니다.");
            paletteSize = available;
        }
        for (std::size_t i = 0; i < paletteSize; ++i) {
            const unsigned char* e = b + at + i * paletteEntrySize;
            palette[i] = argb(255, e[2], e[1], e[0]);
        }
        for (std::size_t i = paletteSize; i < 256; ++i)
            palette[i] = argb(255, 0, 0, 0);
    }

    if (pixelOffset < 14 + infoSize || pixelOffset > n)
        fail(name, "BMP 머리 정보가 손상되었습니다 (화소 위치가 파일 밖을 가리킵니다).");
    if (rle) {
        decodeRle(b + pixelOffset, n - pixelOffset, int(width), int(height), compression == kBiRle4, palette, name,
                  page);
        return;
    }
    const std::size_t stride = ((std::size_t(width) * std::size_t(bpp) + 31) / 32) * 4;
    // The last row need not be padded; some writers leave the padding out.
    const std::size_t lastRow = (std::size_t(width) * std::size_t(bpp) + 7) / 8;
    if ((n - pixelOffset) < stride * std::size_t(height - 1) + lastRow)
        fail(name, "BMP 파일이 잘려 있습니다 (머리 정보의 크기만큼 화소가 없습니다).");

    Channel red, green, blue;
    if (bpp == 16) {
        if (compression == kBiRgb) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        }
        red = Channel(masks[0] & 0xFFFF);
        green = Channel(masks[1] & 0xFFFF);
        blue = Channel(masks[2] & 0xFFFF);
    } else if (bpp == 32 && compression != kBiRgb) {
        red = Channel(masks[0]);
        green = Channel(masks[1]);
        blue = Channel(masks[2]);
    }

    const int w = int(width), h = int(height);
    allocate(page, w, h, name);
    const RectI part = region ? (*region)(w, h).intersected({0, 0, w, h}) : RectI{0, 0, w, h};
    if (part.empty())
        return;
    const int x0 = part.left, x1 = part.right;
    const unsigned char* pixels = b + pixelOffset;
    for (int y = part.top; y < part.bottom; ++y) {
        const unsigned char* src = pixels + stride * std::size_t(topDown ? y : h - 1 - y);
        std::uint32_t* dst = page.row(y);
        switch (bpp) {
        case 1:
            for (int x = x0; x < x1; ++x)
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = x0; x < x1; ++x)
                dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case 8:
            for (int x = x0; x < x1; ++x)
                dst[x] = palette[src[x]];
            break;
        case 16:
            for (int x = x0; x < x1; ++x) {
                const std::uint32_t v = u16(src + 2 * x);
                dst[x] = argb(255, red.get(v), green.get(v), blue.get(v));
            }
            break;
        case 24:
            for (int x = x0; x < x1; ++x) {
                const unsigned char* s = src + 3 * std::size_t(x);
                dst[x] = argb(255, s[2], s[1], s[0]);
            }
            break;
        case 32:
            if (compression == kBiRgb) {
                // Pages are opaque: the fourth byte is unused in most scanners' files.
                for (int x = x0; x < x1; ++x) {
                    const unsigned char* s = src + 4 * std::size_t(x);
                    dst[x] = argb(255, s[2], s[1], s[0]);
                }
            } else {
                for (int x = x0; x < x1; ++x) {
                    const std::uint32_t v = u32(src + 4 * x);
                    dst[x] = argb(255, red.get(v), green.get(v), blue.get(v));
                }
            }
            break;
        }
    }
}

std::vector<unsigned char>& fileBuffer()
{
    // Kept between loads so that a folder of pages reads into warm memory.
    thread_local std::vector<unsigned char> buffer;
    return buffer;
}

void readFile(const std::string& path, std::vector<unsigned char>& out, std::size_t maxBytes)
{
    // Opened without waiting, so that a pipe under a page's name cannot hang
    // the program; only a plain file is read (a device such as /dev/zero
    // never ends).
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ImageError("파일을 열 수 없습니다: " + path + " (" + std::generic_category().message(errno) + ")");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ImageError("이미지 파일이 아닙니다 (일반 파일이 아닙니다): " + path);
    }
    const auto tooLarge = [&](unsigned long long bytes) {
        return ImageError("이미지 파일이 너무 큽니다: " + path + " (" + std::to_string(bytes >> 20) +
                          "MB, 쪽 이미지 파일은 " + std::to_string(maxBytes >> 20) + "MB까지 읽습니다)");
    };
    // The size is looked at before a byte is read: a file larger than the
    // largest page we agree to hold could need is never taken into memory.
    if (st.st_size > 0 && (unsigned long long)st.st_size > maxBytes) {
        ::close(fd);
        throw tooLarge((unsigned long long)st.st_size);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(::fdopen(fd, "rb"), &std::fclose);
    if (!f) {
        ::close(fd);
        throw ImageError("파일을 열 수 없습니다: " + path);
    }
    out.clear();
    try {
        if (st.st_size > 0) {
            // One read straight into the kept buffer.
            out.resize(std::size_t(st.st_size));
            out.resize(std::fread(out.data(), 1, out.size(), f.get()));
        } else {
            // A size the file system does not know: read up to the limit.
            unsigned char chunk[1 << 16];
            std::size_t got;
            while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
                if (out.size() + got > maxBytes)
                    throw tooLarge(out.size() + got);
                out.insert(out.end(), chunk, chunk + got);
            }
        }
    } catch (const std::bad_alloc&) {
        throw ImageError("메모리가 부족하여 이미지 파일을 읽을 수 없습니다: " + path);
    }
    if (std::ferror(f.get()))
        throw ImageError("파일을 읽는 중 오류가 났습니다: " + path);
}

void decodeAny(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
               const LoadLimits& limits, const PageRegion* region, PageTail* tail)
{
    page.clear();
    try {
        switch (sniffFormat(bytes, size)) {
        case ImageFormat::Jpeg:
            decodeJpeg(bytes, size, name, page, limits, region, tail);
            return;
        case ImageFormat::Bmp:
            decodeBmp(bytes, size, name, page, limits, region);
            return;
        case ImageFormat::Unknown:
            break;
        }
    } catch (...) {
        page.clear();
        throw;
    }
    if (size == 0)
        throw ImageError("이미지 파일이 비어 있습니다: " + name);
    throw ImageError("JPEG나 BMP 이미지 파일이 아닙니다: " + name);
}

void loadAny(const std::string& path, Bitmap& page, const LoadLimits& limits, const PageRegion* region, PageTail* tail)
{
    page.clear();
    auto& file = fileBuffer();
    // The file's bytes are kept for the next page only up to the size of a
    // large scan; a bigger file's buffer is given back once it is decoded.
    constexpr std::size_t kKeptFileBytes = std::size_t(64) << 20;
    struct GiveBackLarge {
        std::vector<unsigned char>& buffer;
        ~GiveBackLarge()
        {
            if (buffer.capacity() > kKeptFileBytes)
                std::vector<unsigned char>().swap(buffer);
        }
    } giveBack{file};
    readFile(path, file, limits.maxFileBytes);
    // A tail reads the file's bytes after this returns: only a buffer that is
    // kept (and not reused before the next load) may be left to it.
    decodeAny(file.data(), file.size(), path, page, limits, region, file.capacity() <= kKeptFileBytes ? tail : nullptr);
}

} // namespace

void decodePage(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
                const LoadLimits& limits)
{
    decodeAny(bytes, size, name, page, limits, nullptr, nullptr);
}

void loadPage(const std::string& path, Bitmap& page, const LoadLimits& limits)
{
    loadAny(path, page, limits, nullptr, nullptr);
}

void decodePageRegion(const unsigned char* bytes, std::size_t size, const std::string& name, Bitmap& page,
                      const PageRegion& region, const LoadLimits& limits)
{
    decodeAny(bytes, size, name, page, limits, region ? &region : nullptr, nullptr);
}

void loadPageRegion(const std::string& path, Bitmap& page, const PageRegion& region, const LoadLimits& limits)
{
    loadAny(path, page, limits, region ? &region : nullptr, nullptr);
}

void loadPageRegion(const std::string& path, Bitmap& page, const PageRegion& region, PageTail& tail,
                    const LoadLimits& limits)
{
    tail = PageTail();
    loadAny(path, page, limits, region ? &region : nullptr, &tail);
}

void saveBmp32(const std::string& path, const Bitmap& page)
{
    const std::size_t rowBytes = std::size_t(page.width()) * 4;
    const std::size_t imageBytes = rowBytes * std::size_t(page.height());
    const std::size_t fileBytes = 14 + 40 + imageBytes;
    if (fileBytes > 0xFFFFFFFFu)
        throw ImageError("이미지가 너무 커서 BMP 파일로 저장할 수 없습니다: " + path);
    unsigned char header[54] = {};
    auto put16 = [&](int at, std::uint32_t v) {
        header[at] = (unsigned char)v;
        header[at + 1] = (unsigned char)(v >> 8);
    };
    auto put32 = [&](int at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, std::uint32_t(fileBytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(page.width()));
    put32(22, std::uint32_t(page.height()));
    put16(26, 1);
    put16(28, 32);
    put32(34, std::uint32_t(imageBytes));
    put32(38, 3780); // 96 dpi in pixels per metre
    put32(42, 3780);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f)
        throw ImageError("파일을 저장할 수 없습니다: " + path);
    bool ok = std::fwrite(header, 1, sizeof header, f.get()) == sizeof header;
    // An ARGB word in memory is already the B, G, R, A byte order of a BMP.
    for (int y = page.height() - 1; ok && y >= 0; --y)
        ok = std::fwrite(page.row(y), 1, rowBytes, f.get()) == rowBytes;
    if (std::fclose(f.release()) != 0)
        ok = false;
    if (!ok)
        throw ImageError("파일을 저장하는 중 오류가 났습니다: " + path);
}

} // namespace rida::image
