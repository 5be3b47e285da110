// The screen picker's rules: clicks, drags, keys and cancels; the magnifier's place and pixels; its texts.
#include "ui/screen_picker_rules.h"

#include <cstdint>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string text(const PickerRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Plays steps at a session on a 1280 x 1024 screen with a drag distance of 4: "m x,y" a move,
// "p x,y" a press, "r x,y" a release, "left" "right" "up" "down" arrows ("Right", "Up" fast),
// "enter", "esc", "@ms" the time of the steps after it. Says how it ended: "going", "cancelled",
// "point x,y" or "rectangle x,y in l,t,r,b".
std::string play(bool rectangles, const std::string& steps)
{
    PickerSession session(rectangles, {0, 0, 1280, 1024}, 4, PickerPoint{640, 512});
    using Outcome = PickerSession::Outcome;
    Outcome outcome = Outcome::Going;
    uint64_t ms = 1000;
    std::istringstream in(steps);
    std::string word;
    while (in >> word) {
        if (outcome != Outcome::Going) {
            return "a step after the end";
        }
        PickerPoint at;
        if (word == "m" || word == "p" || word == "r") {
            char comma = 0;
            in >> at.x >> comma >> at.y;
        }
        if (word[0] == '@') {
            ms = std::stoull(word.substr(1));
        } else if (word == "m") {
            session.moved(at, ms);
        } else if (word == "p") {
            session.pressed(at);
        } else if (word == "r") {
            outcome = session.released(at);
        } else {
            const struct {
                const char* word;
                PickerKey key;
                bool fast;
            } keys[] = {{"left", PickerKey::Left, false},   {"right", PickerKey::Right, false},
                        {"up", PickerKey::Up, false},       {"down", PickerKey::Down, false},
                        {"Right", PickerKey::Right, true},  {"Up", PickerKey::Up, true},
                        {"enter", PickerKey::Enter, false}, {"esc", PickerKey::Escape, false}};
            for (const auto& k : keys) {
                if (word == k.word) {
                    outcome = session.key(k.key, k.fast, ms);
                }
            }
        }
    }
    if (outcome != Outcome::Picked) {
        return outcome == Outcome::Going ? "going" : "cancelled";
    }
    const PickerPoint p = session.pickedPoint();
    const PickerRect a = session.pickedArea();
    const std::string point = std::to_string(p.x) + "," + std::to_string(p.y);
    if (!session.pickedRectangle()) {
        // A point's area is its pixel.
        return a == PickerRect{p.x, p.y, p.x + 1, p.y + 1} ? "point " + point : "point with " + text(a);
    }
    return "rectangle " + point + " in " + text(a);
}

}  // namespace

TEST(ScreenPickerRules, PressesMovesKeysAndTheirPick)
{
    const struct {
        const char* name;
        bool rectangles;
        const char* steps;
        const char* result;
    } cases[] = {
        {"click", true, "m 5,5 p 100,50 r 100,50", "point 100,50"},
        {"jitter under the drag distance is a click at the press", true, "p 100,50 m 103,47 r 103,53", "point 100,50"},
        {"drag", true, "p 100,50 m 130,60 r 140,70", "rectangle 100,50 in 100,50,141,71"},
        {"thin drag, far in one direction only", true, "p 100,50 r 100,54", "rectangle 100,50 in 100,50,101,55"},
        {"drag up and left", true, "p 100,50 r 60,20", "rectangle 100,50 in 60,20,101,51"},
        {"a drag back to the press is a click", true, "p 100,50 m 200,200 r 101,50", "point 100,50"},
        {"points only: a drag picks where it ends", false, "p 100,50 r 140,70", "point 140,70"},
        {"a release without a press (the button that opened the picker) picks nothing", true, "r 100,50", "going"},
        {"arrows and Enter", true, "m 100,50 right right down left up up enter", "point 101,49"},
        {"fast arrows, held at the screen's edge", true, "m 1275,3 Right Up enter", "point 1279,0"},
        {"Enter while the button is held does nothing", true, "p 100,50 enter", "going"},
        {"arrows while held extend the drag", true, "p 100,50 Right down r 110,51",
         "rectangle 100,50 in 100,50,111,52"},
        {"moves that come in late after an arrow key are passed over", true,
         "m 100,50 right @1010 m 100,50 @1020 right @1030 m 101,50 m 100,50 @1040 down enter", "point 102,51"},
        {"a while after a key the mouse moves the pointer again", true,
         "m 1279,50 Right @1249 m 1200,40 @1250 m 1200,30 enter", "point 1200,30"},
        {"Escape", true, "m 100,50 esc", "cancelled"},
        {"Escape in a drag", true, "p 100,50 m 150,80 esc", "cancelled"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(play(c.rectangles, c.steps), c.result) << c.name;
    }
}

TEST(ScreenPickerRules, DragShownOnlyPastTheDragDistanceWithRectanglesAllowed)
{
    PickerSession rectangles(true, {0, 0, 1280, 1024}, 4, {0, 0});
    PickerSession points(false, {0, 0, 1280, 1024}, 4, {0, 0});
    for (PickerSession* session : {&rectangles, &points}) {
        session->pressed({100, 100});
        session->moved({103, 97}, 0);
        EXPECT_FALSE(session->dragging());
        session->moved({96, 100}, 0);
        EXPECT_EQ(session->dragging(), session == &rectangles);
    }
    EXPECT_EQ(text(rectangles.dragRectangle()), text({96, 100, 101, 101}));
}

TEST(ScreenPickerRules, MagnifierPlaceAndPixels)
{
    // 96 DPI: 15 cells of 8 pixels, a 1-pixel frame, 20 pixels from the pointer; 40 pixels of text.
    const MagnifierMetrics metrics = magnifierMetrics(96, 40);
    const PickerRect main{0, 0, 1920, 1080};
    const PickerRect left{-1280, 56, 0, 1080};
    const PickerRect screen{-1280, 0, 1920, 1080};
    const struct {
        const char* name;
        PickerPoint pointer;
        PickerRect monitor;
        const char* layout;  // "box B, shows S at P": the box, the screen pixels in it, where they start
    } cases[] = {
        {"below right", {500, 400}, main, "box 520,420,642,582, shows 493,393,508,408 at 521,421"},
        {"at the right edge: left of the pointer",
         {1900, 400},
         main,
         "box 1758,420,1880,582, shows 1893,393,1908,408 at 1759,421"},
        {"at the bottom right corner: above and left",
         {1919, 1079},
         main,
         "box 1777,897,1899,1059, shows 1912,1072,1920,1080 at 1778,898"},
        {"top left of the screen: the missing pixels stay empty",
         {-1280, 56},
         left,
         "box -1260,76,-1138,238, shows -1280,49,-1272,64 at -1203,77"},
        {"at the left monitor's right edge, next to the main one",
         {-1, 600},
         left,
         "box -143,620,-21,782, shows -8,593,7,608 at -142,621"},
        {"a monitor smaller than the box: its top left",
         {50, 50},
         {0, 0, 100, 100},
         "box 0,0,122,162, shows 43,43,58,58 at 1,1"},
    };
    for (const auto& c : cases) {
        const MagnifierLayout m = layoutMagnifier(c.pointer, c.monitor, screen, metrics);
        EXPECT_EQ("box " + text(m.box) + ", shows " + text(m.source) + " at " + std::to_string(m.sourceAt.x) + "," +
                      std::to_string(m.sourceAt.y),
                  c.layout)
            << c.name;
        // The enlarged pixels and the text fill the frame; the pixel under the pointer lands in the middle cell.
        EXPECT_EQ(text(m.picture), text({m.box.left + 1, m.box.top + 1, m.box.right - 1, m.box.top + 121})) << c.name;
        EXPECT_EQ(text(m.label), text({m.box.left + 1, m.box.top + 121, m.box.right - 1, m.box.bottom - 1})) << c.name;
        EXPECT_EQ(text(m.centre),
                  text({m.picture.left + 56, m.picture.top + 56, m.picture.left + 64, m.picture.top + 64}))
            << c.name;
        EXPECT_EQ(m.sourceAt.x + (c.pointer.x - m.source.left) * metrics.cell, m.centre.left) << c.name;
        EXPECT_EQ(m.sourceAt.y + (c.pointer.y - m.source.top) * metrics.cell, m.centre.top) << c.name;
    }
    // At 150 % the box grows with the scale; a pointer far outside the screen shows no pixels.
    EXPECT_EQ(text(layoutMagnifier({500, 400}, main, screen, magnifierMetrics(144, 60)).box), "530,430,714,674");
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
