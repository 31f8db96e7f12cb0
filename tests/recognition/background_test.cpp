#include "recognition/engine/background.h"
#include "recognition/engine/templates.h"

#include <gtest/gtest.h>

namespace rida::recognition {
namespace {

using image::argb;

TEST(BackgroundRemoval, ColoursUnderEveryMode)
{
    struct Case {
        const char* what;
        int r, g, b;
        bool paper[6]; // modes 0..5, mode 0 at level 145
    };
    const Case cases[] = {
        {"white", 255, 255, 255, {true, true, true, true, true, true}},
        {"black", 0, 0, 0, {false, false, false, false, false, false}},
        {"light grey, Black 55", 200, 200, 200, {true, false, true, true, false, true}},
        {"mid grey, Black 127", 128, 128, 128, {false, false, false, false, false, false}},
        {"form ink", 60, 200, 220, {true, true, true, true, true, true}},
        {"dark slightly blue", 40, 40, 60, {false, false, false, false, false, false}},
        {"Black 40 is paper in mode 4", 215, 215, 215, {true, true, true, true, true, true}},
        {"Black 41", 214, 214, 214, {true, true, true, true, false, true}},
        {"Black 60 is paper in mode 5", 195, 195, 195, {true, false, true, true, false, true}},
        {"Black 61", 194, 194, 194, {true, false, true, true, false, false}},
        {"magenta excess 41, Black 79", 176, 135, 176, {true, false, false, true, true, true}},
    };
    for (const Case& c : cases)
        for (int mode = 0; mode < kRemovalModes; ++mode)
            EXPECT_EQ(becomesPaper(removalMode(mode), 145, argb(255, c.r, c.g, c.b)), c.paper[mode])
                << c.what << ", mode " << mode;
}

TEST(BackgroundRemoval, LevelOfThePlainMode)
{
    for (int level = 0; level <= 254; ++level) {
        EXPECT_TRUE(becomesPaper(RemovalMode::Plain, level, argb(255, 255, 255, 255)));
        EXPECT_FALSE(becomesPaper(RemovalMode::Plain, level, argb(255, 0, 0, 0)));
    }
    // A pixel is ink only when no channel exceeds the level.
    EXPECT_FALSE(becomesPaper(RemovalMode::Plain, 145, argb(255, 145, 145, 145)));
    EXPECT_TRUE(becomesPaper(RemovalMode::Plain, 145, argb(255, 0, 0, 146)));
    EXPECT_FALSE(becomesPaper(RemovalMode::Plain, 255, argb(255, 255, 255, 255)));
    EXPECT_TRUE(becomesPaper(RemovalMode::Plain, -1, argb(255, 0, 0, 0)));
}

TEST(BackgroundRemoval, LeavesExactlyTwoOpaqueColoursAndIgnoresAlpha)
{
    image::Bitmap page(3, 2);
    page.setPixel(0, 0, 0x00FFFFFF); // transparent white
    page.setPixel(1, 0, 0x12000000); // transparent black
    page.setPixel(2, 0, argb(255, 60, 200, 220));
    page.setPixel(0, 1, argb(255, 40, 40, 60));
    page.setPixel(1, 1, argb(255, 146, 0, 0));
    page.setPixel(2, 1, argb(255, 145, 145, 145));
    removeBackground(page, RemovalMode::Plain, 145);
    const std::uint32_t expected[] = {kPaper, kInk, kPaper, kInk, kPaper, kInk};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(page.data()[i], expected[i]) << i;
}

TEST(BackgroundRemoval, EmptyPageAndBadMode)
{
    image::Bitmap empty;
    EXPECT_NO_THROW(removeBackground(empty, RemovalMode::CorrectedStrongGothic, 0));
    image::Bitmap page(1, 1);
    EXPECT_THROW(removalMode(6), std::invalid_argument);
    EXPECT_THROW(removalMode(-1), std::invalid_argument);
    EXPECT_THROW(removeBackground(page, RemovalMode(6), 145), std::invalid_argument);
}

} // namespace
} // namespace rida::recognition
