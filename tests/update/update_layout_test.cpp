#include "update/update_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(scaleForDpi, RoundsLikeMulDivAndKeepsDesignSizesAt96)
{
    const struct {
        int value;
        int dpi;
        int scaled;
    } cases[] = {
        {400, 96, 400}, {80, 96, 80}, {80, 144, 120}, {22, 144, 33}, {15, 144, 23},   {1, 144, 2},
        {3, 120, 4},    {5, 120, 6},  {80, 192, 160}, {0, 144, 0},   {-15, 144, -23}, {524, 168, 917},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scaleForDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    }
    const UpdateRect rect = scaleUpdateRect(UpdateRect{24, 18, 80, 20}, 144);
    EXPECT_EQ(rect.x, 36);
    EXPECT_EQ(rect.y, 27);
    EXPECT_EQ(rect.width, 120);
    EXPECT_EQ(rect.height, 30);
}

TEST(saneDpi, OutOfRangeValuesCountAs96)
{
    EXPECT_EQ(saneDpi(0), 96);
    EXPECT_EQ(saneDpi(71), 96);
    EXPECT_EQ(saneDpi(72), 72);
    EXPECT_EQ(saneDpi(144), 144);
    EXPECT_EQ(saneDpi(480), 480);
    EXPECT_EQ(saneDpi(481), 96);
}

TEST(centeredOn, CentresOnTheOwnerAndStaysInTheWorkArea)
{
    const UpdateRect screen{0, 0, 1280, 1024};
    const struct {
        const char* label;
        UpdateRect owner;
        int width, height;
        int x, y;
    } cases[] = {
        {"middle", {100, 100, 600, 400}, 400, 150, 200, 225},
        {"owner smaller than window", {500, 500, 100, 100}, 400, 150, 350, 475},
        {"owner near the right edge", {1100, 100, 400, 300}, 400, 150, 880, 175},
        {"owner above the top", {-300, -200, 400, 300}, 400, 150, 0, 0},
        {"window larger than the screen", {0, 0, 1280, 1024}, 1400, 1100, 0, 0},
    };
    for (const auto& c : cases) {
        const UpdateRect placed = centeredOn(c.owner, c.width, c.height, screen);
        EXPECT_EQ(placed.x, c.x) << c.label;
        EXPECT_EQ(placed.y, c.y) << c.label;
        EXPECT_EQ(placed.width, c.width) << c.label;
        EXPECT_EQ(placed.height, c.height) << c.label;
    }
}

}  // namespace
