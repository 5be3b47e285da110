#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"

namespace {

ControlPlacement placementOf(const WindowLayout& layout, int id)
{
    for (const ControlPlacement& place : layout) {
        if (place.id == id) {
            return place;
        }
    }
    ADD_FAILURE() << "no placement for id " << id;
    return {};
}

struct Expected {
    int id;
    int x, y, width, height;
};

void expectPlacements(const WindowLayout& layout, std::initializer_list<Expected> expected)
{
    for (const Expected& e : expected) {
        const ControlPlacement got = placementOf(layout, e.id);
        EXPECT_EQ(got.x, e.x) << "id " << e.id;
        EXPECT_EQ(got.y, e.y) << "id " << e.id;
        EXPECT_EQ(got.width, e.width) << "id " << e.id;
        EXPECT_EQ(got.height, e.height) << "id " << e.id;
    }
}

TEST(WindowLayout, ScalingRoundsHalvesAwayFromZeroLikeMulDiv)
{
    struct Case {
        int value, dpi, scaled;
    } cases[] = {{10, 96, 10}, {10, 144, 15},   {1, 144, 2}, {3, 120, 4}, {5, 120, 6}, {-1, 144, -2},
                 {7, 168, 12}, {276, 144, 414}, {0, 480, 0}, {1, 72, 1},  {3, 72, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(scaleForDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    }
    EXPECT_EQ(fontHeightForDpi(9, 96), -12);
    EXPECT_EQ(fontHeightForDpi(9, 144), -18);
    EXPECT_EQ(fontHeightForDpi(8, 120), -13);
}

TEST(WindowLayout, InitialSizeAt96Dpi)
{
    const WindowLayout layout = computeLayout(initialClientWidth(96), initialClientHeight(96), 96);
    EXPECT_EQ(initialClientWidth(96), 620);
    EXPECT_EQ(initialClientHeight(96), 482);
    expectPlacements(layout, {
                                 {IDC_GROUP_CAPTURE, 10, 6, 600, 52},    {IDC_MOUSE, 28, 26, 72, 22},
                                 {IDC_KEYBOARD, 120, 26, 72, 22},        {IDC_GROUP_RECORD, 10, 64, 600, 58},
                                 {IDC_RECORD, 22, 86, 112, 30},          {IDC_RECORD_STOP, 142, 86, 90, 30},
                                 {IDC_GROUP_PLAYBACK, 10, 128, 600, 80}, {IDC_SPEED_LABEL, 26, 152, 35, 20},
                                 {IDC_SPEED, 62, 149, 46, 24},           {IDC_SPEED_SPIN, 108, 149, 16, 24},
                                 {IDC_LOOP, 130, 152, 56, 20},           {IDC_COUNT_LABEL, 196, 152, 35, 20},
                                 {IDC_COUNT, 232, 149, 46, 24},          {IDC_COUNT_SPIN, 278, 149, 16, 24},
                                 {IDC_PLAY, 306, 146, 104, 30},          {IDC_PLAY_STOP, 416, 146, 84, 30},
                                 {IDC_EVENT_COUNT, 506, 152, 60, 20},    {IDC_CLICK_FIDELITY, 26, 180, 340, 20},
                                 {IDC_GROUP_SCRIPT, 10, 214, 600, 56},   {IDC_SAVE, 22, 236, 84, 26},
                                 {IDC_LOAD, 114, 236, 84, 26},           {IDC_CLEAR, 206, 236, 84, 26},
                                 {IDC_GROUP_EVENTS, 10, 276, 600, 172},  {IDC_EVENT_LIST, 20, 296, 580, 142},
                                 {IDC_STATUS, 0, 458, 620, 24},          {IDC_CHECK_UPDATE, 530, 460, 84, 20},
                             });
}

TEST(WindowLayout, InitialSizeAt144DpiScalesEveryTermOnItsOwn)
{
    EXPECT_EQ(initialClientWidth(144), 930);
    EXPECT_EQ(initialClientHeight(144), 723);
    const WindowLayout layout = computeLayout(930, 723, 144);
    expectPlacements(layout, {
                                 {IDC_EVENT_LIST, 30, 444, 870, 213},
                                 {IDC_GROUP_EVENTS, 15, 414, 900, 258},
                                 {IDC_STATUS, 0, 687, 930, 36},
                                 {IDC_CHECK_UPDATE, 930 - 9 - 126, 687 + (36 - 30) / 2, 126, 30},
                                 {IDC_MOUSE, 15 + 27, 9 + 30, 108, 33},
                                 {IDC_SPEED, 15 + 78, 192 + 32, 69, 36},  // 21 * 1.5 = 31.5 rounds to 32 on its own
                             });
    // At 120 DPI the sum of separately rounded terms differs from rounding the sum:
    // 214 and 22 scale to 268 and 28 (296), while 236 would scale to 295.
    const WindowLayout at120 = computeLayout(775, 603, 120);
    EXPECT_EQ(placementOf(at120, IDC_SAVE).y, 296);
}

TEST(WindowLayout, ShortClientKeepsEventsGroupAtItsMinimum)
{
    for (int dpi : {96, 144}) {
        const int s80 = scaleForDpi(80, dpi);
        const int threshold = scaleForDpi(276, dpi) + scaleForDpi(24, dpi) + scaleForDpi(10, dpi) + s80;
        for (int height : {0, 100, threshold - 1, threshold}) {
            const WindowLayout layout = computeLayout(initialClientWidth(dpi), height, dpi);
            EXPECT_EQ(placementOf(layout, IDC_GROUP_EVENTS).height, s80) << height << " at " << dpi;
            EXPECT_EQ(placementOf(layout, IDC_EVENT_LIST).height, s80 - scaleForDpi(30, dpi));
            EXPECT_EQ(placementOf(layout, IDC_STATUS).y, height - scaleForDpi(24, dpi));
        }
        const WindowLayout taller = computeLayout(initialClientWidth(dpi), threshold + 7, dpi);
        EXPECT_EQ(placementOf(taller, IDC_GROUP_EVENTS).height, s80 + 7);
    }
}

TEST(WindowLayout, WideClientStretchesGroupsListAndStatus)
{
    const WindowLayout layout = computeLayout(1000, 600, 96);
    EXPECT_EQ(placementOf(layout, IDC_GROUP_PLAYBACK).width, 980);
    EXPECT_EQ(placementOf(layout, IDC_EVENT_LIST).width, 960);
    EXPECT_EQ(placementOf(layout, IDC_STATUS).width, 1000);
    EXPECT_EQ(placementOf(layout, IDC_CHECK_UPDATE).x, 910);
    EXPECT_EQ(placementOf(layout, IDC_PLAY).x, 306);  // buttons keep their place on the left
    EXPECT_EQ(minimumTrackWidth(144), 930);
    EXPECT_EQ(minimumTrackHeight(144), 600);
}

TEST(WindowLayout, EveryControlIsPlacedOnce)
{
    const WindowLayout layout = computeLayout(620, 482, 96);
    for (size_t i = 0; i < layout.size(); ++i) {
        for (size_t j = i + 1; j < layout.size(); ++j) {
            EXPECT_NE(layout[i].id, layout[j].id);
        }
    }
}

TEST(ActionButtonColour, ByIdStateAndPress)
{
    struct Case {
        int id;
        bool enabled, pressed;
        ButtonColour colour;
    } cases[] = {
        {IDC_RECORD, true, false, {211, 47, 47}},      {IDC_RECORD, true, true, {168, 37, 37}},
        {IDC_RECORD_STOP, true, false, {56, 142, 60}}, {IDC_PLAY, true, false, {56, 142, 60}},
        {IDC_PLAY_STOP, true, true, {44, 113, 48}},    {IDC_SAVE, true, false, {25, 118, 210}},
        {IDC_LOAD, true, true, {20, 94, 168}},         {IDC_CLEAR, true, false, {25, 118, 210}},
        {IDC_CHECK_UPDATE, true, false, {96, 96, 96}}, {IDC_CHECK_UPDATE, true, true, {76, 76, 76}},
        {IDC_RECORD, false, false, {158, 158, 158}},   {IDC_SAVE, false, true, {158, 158, 158}},
    };
    for (const Case& c : cases) {
        const ButtonColour got = actionButtonColour(c.id, c.enabled, c.pressed);
        EXPECT_TRUE(got == c.colour) << c.id << " enabled " << c.enabled << " pressed " << c.pressed << ": "
                                     << int(got.red) << "," << int(got.green) << "," << int(got.blue);
    }
}

}  // namespace
