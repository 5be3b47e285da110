// The screen picker's rules: clicks, drags, keys and cancels; the magnifier's place and pixels; its texts.
#include "ui/screen_picker_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string text(const PickerRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

}  // namespace

TEST(ScreenPickerRules, DragRectangleAndClamp)
{
    const struct {
        PickerPoint press, release;
        PickerRect area;
    } drags[] = {
        {{10, 20}, {10, 20}, {10, 20, 11, 21}},  // one pixel
        {{10, 20}, {40, 25}, {10, 20, 41, 26}},  // both end pixels inside
        {{40, 25}, {10, 20}, {10, 20, 41, 26}},  // up and left
        {{40, 20}, {10, 25}, {10, 20, 41, 26}},  // down and left
        {{-30, -5}, {-1, 9}, {-30, -5, 0, 10}},  // a monitor left of and above the main one
    };
    for (const auto& d : drags) {
        EXPECT_EQ(text(rectangleOfDrag(d.press, d.release)), text(d.area));
    }
    const PickerRect screen{-1920, 0, 1280, 1024};
    const struct {
        PickerPoint in, out;
    } clamps[] = {
        {{0, 0}, {0, 0}}, {{-1921, -1}, {-1920, 0}}, {{1280, 1024}, {1279, 1023}}, {{5000, 500}, {1279, 500}}};
    for (const auto& c : clamps) {
        const PickerPoint got = clampIntoArea(c.in, screen);
        EXPECT_TRUE(got == c.out) << c.in.x << "," << c.in.y << " -> " << got.x << "," << got.y;
    }
    EXPECT_TRUE(clampIntoArea({7, 8}, PickerRect{}) == (PickerPoint{7, 8}));
}

TEST(ScreenPickerRules, PressesMovesKeysAndTheirPick)
{
    enum class Op { Move, Press, Release, Left, Right, Up, Down, FastRight, FastUp, Enter, Escape };
    using Outcome = PickerSession::Outcome;
    struct Step {
        Op op;
        int x = 0;
        int y = 0;
    };
    const struct {
        const char* name;
        bool rectangles;
        std::vector<Step> steps;
        Outcome outcome;
        bool rectangle;
        PickerPoint point;
        PickerRect area;
    } cases[] = {
        {"click",
         true,
         {{Op::Move, 5, 5}, {Op::Press, 100, 50}, {Op::Release, 100, 50}},
         Outcome::Picked,
         false,
         {100, 50},
         {100, 50, 101, 51}},
        {"jitter under the drag distance is a click at the press",
         true,
         {{Op::Press, 100, 50}, {Op::Move, 103, 47}, {Op::Release, 103, 53}},
         Outcome::Picked,
         false,
         {100, 50},
         {100, 50, 101, 51}},
        {"drag",
         true,
         {{Op::Press, 100, 50}, {Op::Move, 130, 60}, {Op::Release, 140, 70}},
         Outcome::Picked,
         true,
         {100, 50},
         {100, 50, 141, 71}},
        {"thin drag, far in one direction only",
         true,
         {{Op::Press, 100, 50}, {Op::Release, 100, 54}},
         Outcome::Picked,
         true,
         {100, 50},
         {100, 50, 101, 55}},
        {"drag up and left",
         true,
         {{Op::Press, 100, 50}, {Op::Release, 60, 20}},
         Outcome::Picked,
         true,
         {100, 50},
         {60, 20, 101, 51}},
        {"a drag back to the press is a click",
         true,
         {{Op::Press, 100, 50}, {Op::Move, 200, 200}, {Op::Release, 101, 50}},
         Outcome::Picked,
         false,
         {100, 50},
         {100, 50, 101, 51}},
        {"points only: a drag picks where it ends",
         false,
         {{Op::Press, 100, 50}, {Op::Release, 140, 70}},
         Outcome::Picked,
         false,
         {140, 70},
         {140, 70, 141, 71}},
        {"a release without a press (the button that opened the picker) picks nothing",
         true,
         {{Op::Release, 100, 50}},
         Outcome::Going,
         false,
         {},
         {}},
        {"arrows and Enter",
         true,
         {{Op::Move, 100, 50}, {Op::Right}, {Op::Right}, {Op::Down}, {Op::Left}, {Op::Up}, {Op::Up}, {Op::Enter}},
         Outcome::Picked,
         false,
         {101, 49},
         {101, 49, 102, 50}},
        {"fast arrows, held at the screen's edge",
         true,
         {{Op::Move, 1275, 3}, {Op::FastRight}, {Op::FastUp}, {Op::Enter}},
         Outcome::Picked,
         false,
         {1279, 0},
         {1279, 0, 1280, 1}},
        {"Enter while the button is held does nothing",
         true,
         {{Op::Press, 100, 50}, {Op::Enter}},
         Outcome::Going,
         false,
         {},
         {}},
        {"arrows while held extend the drag",
         true,
         {{Op::Press, 100, 50}, {Op::FastRight}, {Op::Down}, {Op::Release, 110, 51}},
         Outcome::Picked,
         true,
         {100, 50},
         {100, 50, 111, 52}},
        {"Escape", true, {{Op::Move, 100, 50}, {Op::Escape}}, Outcome::Cancelled, false, {}, {}},
        {"Escape in a drag",
         true,
         {{Op::Press, 100, 50}, {Op::Move, 150, 80}, {Op::Escape}},
         Outcome::Cancelled,
         false,
         {},
         {}},
    };
    const PickerRect screen{0, 0, 1280, 1024};
    for (const auto& c : cases) {
        PickerSession session(c.rectangles, screen, 4, PickerPoint{640, 512});
        Outcome outcome = Outcome::Going;
        for (const Step& s : c.steps) {
            ASSERT_EQ(outcome, Outcome::Going) << c.name << ": a step after the end";
            switch (s.op) {
            case Op::Move: session.moved({s.x, s.y}); break;
            case Op::Press: session.pressed({s.x, s.y}); break;
            case Op::Release: outcome = session.released({s.x, s.y}); break;
            case Op::Left: outcome = session.key(PickerKey::Left, false); break;
            case Op::Right: outcome = session.key(PickerKey::Right, false); break;
            case Op::Up: outcome = session.key(PickerKey::Up, false); break;
            case Op::Down: outcome = session.key(PickerKey::Down, false); break;
            case Op::FastRight: outcome = session.key(PickerKey::Right, true); break;
            case Op::FastUp: outcome = session.key(PickerKey::Up, true); break;
            case Op::Enter: outcome = session.key(PickerKey::Enter, false); break;
            case Op::Escape: outcome = session.key(PickerKey::Escape, false); break;
            }
        }
        EXPECT_EQ(outcome, c.outcome) << c.name;
        if (outcome == Outcome::Picked) {
            EXPECT_EQ(session.pickedRectangle(), c.rectangle) << c.name;
            EXPECT_TRUE(session.pickedPoint() == c.point) << c.name;
            EXPECT_EQ(text(session.pickedArea()), text(c.area)) << c.name;
        }
    }
}

TEST(ScreenPickerRules, DragShownOnlyPastTheDragDistanceWithRectanglesAllowed)
{
    PickerSession rectangles(true, {0, 0, 1280, 1024}, 4, {0, 0});
    PickerSession points(false, {0, 0, 1280, 1024}, 4, {0, 0});
    for (PickerSession* session : {&rectangles, &points}) {
        session->pressed({100, 100});
        session->moved({103, 97});
        EXPECT_FALSE(session->dragging());
        session->moved({96, 100});
        EXPECT_EQ(session->dragging(), session == &rectangles);
    }
    EXPECT_EQ(text(rectangles.dragRectangle()), text({96, 100, 101, 101}));
}

TEST(ScreenPickerRules, MagnifierPlaceAndPixels)
{
    // 96 DPI: 15 cells of 8 pixels, a 1-pixel frame, 20 pixels from the pointer; 40 pixels of text.
    const MagnifierMetrics metrics = magnifierMetrics(96, 40);
    ASSERT_EQ(metrics.cell, 8);
    const PickerRect main{0, 0, 1920, 1080};
    const PickerRect left{-1280, 56, 0, 1080};
    const PickerRect screen{-1280, 0, 1920, 1080};
    const struct {
        const char* name;
        PickerPoint pointer;
        PickerRect monitor;
        PickerRect box;
        PickerRect source;
        PickerPoint sourceAt;
    } cases[] = {
        {"below right", {500, 400}, main, {520, 420, 642, 582}, {493, 393, 508, 408}, {521, 421}},
        {"at the right edge: left of the pointer",
         {1900, 400},
         main,
         {1758, 420, 1880, 582},
         {1893, 393, 1908, 408},
         {1759, 421}},
        {"at the bottom right corner: above and left",
         {1919, 1079},
         main,
         {1777, 897, 1899, 1059},
         {1912, 1072, 1920, 1080},
         {1778, 898}},
        {"top left of the screen: the missing pixels stay empty",
         {-1280, 56},
         left,
         {-1260, 76, -1138, 238},
         {-1280, 49, -1272, 64},
         {-1259 + 7 * 8, 77}},
        {"at the left monitor's right edge, next to the main one",
         {-1, 600},
         left,
         {-143, 620, -21, 782},
         {-8, 593, 7, 608},
         {-142, 621}},
        {"a monitor smaller than the box: its top left",
         {50, 50},
         {0, 0, 100, 100},
         {0, 0, 122, 162},
         {43, 43, 58, 58},
         {1, 1}},
    };
    for (const auto& c : cases) {
        const MagnifierLayout layout = layoutMagnifier(c.pointer, c.monitor, screen, metrics);
        EXPECT_EQ(text(layout.box), text(c.box)) << c.name;
        EXPECT_EQ(text(layout.source), text(c.source)) << c.name;
        EXPECT_TRUE(layout.sourceAt == c.sourceAt) << c.name << ": " << layout.sourceAt.x << "," << layout.sourceAt.y;
        // The enlarged pixels and the text fill the frame; the pointer's cell is the middle one.
        EXPECT_EQ(text(layout.picture), text({c.box.left + 1, c.box.top + 1, c.box.right - 1, c.box.top + 121}))
            << c.name;
        EXPECT_EQ(text(layout.label), text({c.box.left + 1, c.box.top + 121, c.box.right - 1, c.box.bottom - 1}))
            << c.name;
        EXPECT_EQ(text(layout.centre), text({layout.picture.left + 56, layout.picture.top + 56,
                                             layout.picture.left + 64, layout.picture.top + 64}))
            << c.name;
        // The source pixel under the pointer lands in the centre cell.
        if (layout.source.contains(c.pointer)) {
            EXPECT_EQ(layout.sourceAt.x + (c.pointer.x - layout.source.left) * metrics.cell, layout.centre.left);
            EXPECT_EQ(layout.sourceAt.y + (c.pointer.y - layout.source.top) * metrics.cell, layout.centre.top);
        }
    }
    // At 150 % the box grows with the scale.
    const MagnifierMetrics scaled = magnifierMetrics(144, 60);
    EXPECT_EQ(text(layoutMagnifier({500, 400}, main, screen, scaled).box), text({530, 430, 714, 674}));
    // A pointer far outside the screen shows no pixels.
    EXPECT_TRUE(layoutMagnifier({5000, 5000}, main, screen, metrics).source.empty());
}

TEST(ScreenPickerRules, LabelTexts)
{
    EXPECT_EQ(colourHexText(0x1E90FF), L"#1E90FF");
    EXPECT_EQ(colourHexText(0x000A0B), L"#000A0B");
    EXPECT_EQ(colourHexText(0xFFFFFFFF), L"#FFFFFF");
    EXPECT_EQ(pickerLabelText({640, 400}, 0x1E90FF, nullptr), L"(640, 400)\n#1E90FF");
    const PickerRect drag{-10, 5, 38, 37};
    EXPECT_EQ(pickerLabelText({-10, 5}, 0xFF0000, &drag), L"(-10, 5)\n#FF0000\n48\u00D732");
}
