// Page tools when memory runs out: the tools say so in Korean and leave the
// page and the selection as they were. This executable replaces the global
// operator new so that a test can make every large allocation fail.
#include "tests/viewer/harness.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// While armed, an allocation of this many bytes or more fails as if memory had run out.
std::atomic<bool> failLarge{false};
constexpr std::size_t kLarge = std::size_t(4) << 20;

void* allocate(std::size_t n)
{
    if (failLarge.load(std::memory_order_relaxed) && n >= kLarge)
        throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

struct ArmedOutOfMemory {
    ArmedOutOfMemory() { failLarge = true; }
    ~ArmedOutOfMemory() { failLarge = false; }
};

} // namespace

void* operator new(std::size_t n)
{
    return allocate(n);
}
void* operator new[](std::size_t n)
{
    return allocate(n);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

using namespace rida;
using namespace rida::viewer;
using namespace rida::viewer::testing;

namespace {

image::Bitmap stripedPage()
{
    return makePage(1500, 1500, [](int x, int y) { return image::argb(255, x & 255, y & 255, (x ^ y) & 255); });
}

bool samePixels(const image::Bitmap& a, const image::Bitmap& b)
{
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.data(), a.data() + std::size_t(a.width()) * std::size_t(a.height()), b.data());
}

TEST(OutOfMemory, ApplyKeepsTheSelectionAndThePage)
{
    Harness h;
    h.setPage(stripedPage());
    h.viewer->selectScaleEntry(6); // 100 %
    h.viewer->toggleMagnifier();
    ui::Layer* magnifier = h.viewer->selection;
    ASSERT_NE(magnifier, nullptr);
    const image::Bitmap before = h.view().page();
    const std::size_t layers = h.view().layers().size();
    {
        ArmedOutOfMemory armed;
        h.viewer->applySelection();
    }
    EXPECT_EQ(h.errors, QStringList{QStringLiteral("메모리가 부족합니다.")});
    EXPECT_EQ(h.viewer->selection, magnifier);
    EXPECT_TRUE(h.viewer->rubberBand && h.viewer->rubberBand->visible);
    EXPECT_EQ(h.view().layers().size(), layers);
    EXPECT_TRUE(samePixels(h.view().page(), before));
    EXPECT_EQ(h.modified, 0);
    // With memory back, the same command burns the magnifier in.
    h.viewer->applySelection();
    EXPECT_EQ(h.viewer->selection, nullptr);
    EXPECT_EQ(h.modified, 1);
}

TEST(OutOfMemory, RotationKeepsThePage)
{
    Harness h;
    h.setPage(stripedPage());
    const image::Bitmap before = h.view().page();
    {
        ArmedOutOfMemory armed;
        h.viewer->rotate90();
    }
    EXPECT_EQ(h.errors, QStringList{QStringLiteral("메모리가 부족합니다.")});
    EXPECT_TRUE(samePixels(h.view().page(), before));
}

} // namespace
