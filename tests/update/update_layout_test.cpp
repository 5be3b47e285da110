#include "update/update_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaleDesignUnits, RoundsLikeMulDivAndKeepsDesignSizesAt96)
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
        EXPECT_EQ(ScaleDesignUnits(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    }
    const DesignRect rect = ScaleDesignRect(DesignRect{24, 18, 80, 20}, 144);
    EXPECT_EQ(rect.x, 36);
    EXPECT_EQ(rect.y, 27);
    EXPECT_EQ(rect.width, 120);
    EXPECT_EQ(rect.height, 30);
}

TEST(SaneDpi, OutOfRangeValuesCountAs96)
{
    EXPECT_EQ(SaneDpi(0), 96);
    EXPECT_EQ(SaneDpi(71), 96);
    EXPECT_EQ(SaneDpi(72), 72);
    EXPECT_EQ(SaneDpi(144), 144);
    EXPECT_EQ(SaneDpi(480), 480);
    EXPECT_EQ(SaneDpi(481), 96);
}

TEST(CenteredOn, CentresOnTheOwnerAndStaysInTheWorkArea)
{
    const DesignRect screen{0, 0, 1280, 1024};
    const struct {
        const char* label;
        DesignRect owner;
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
        const DesignRect placed = CenteredOn(c.owner, c.width, c.height, screen);
        EXPECT_EQ(placed.x, c.x) << c.label;
        EXPECT_EQ(placed.y, c.y) << c.label;
        EXPECT_EQ(placed.width, c.width) << c.label;
        EXPECT_EQ(placed.height, c.height) << c.label;
    }
}

}  // namespace
