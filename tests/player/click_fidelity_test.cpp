#include "player/click_fidelity.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

MacroEvent move(double delay)
{
    MacroEvent e;
    e.kind = EventKind::Move;
    e.delay = delay;
    return e;
}

MacroEvent click(double delay, MouseButton button, bool pressed)
{
    MacroEvent e;
    e.kind = EventKind::Click;
    e.delay = delay;
    e.button = button;
    e.pressed = pressed;
    return e;
}

MacroEvent key(double delay, EventKind kind)
{
    MacroEvent e;
    e.kind = kind;
    e.delay = delay;
    e.keyOrText = "A";
    return e;
}

void expectDelays(const std::vector<double>& actual, const std::vector<double>& expected, const char* name)
{
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(actual[i], expected[i]) << name << ", event " << i;
    }
}

}  // namespace

TEST(ClickFidelity, ScalesEveryDelayWhenOff)
{
    const std::vector<MacroEvent> events = {move(1.0), click(0.5, MouseButton::Left, true),
                                            click(0.1, MouseButton::Left, false), move(0.0)};
    expectDelays(computeScaledDelays(events, 1.0, false, 0.5), {1.0, 0.5, 0.1, 0.0}, "speed 1");
    expectDelays(computeScaledDelays(events, 4.0, false, 0.5), {0.25, 0.125, 0.025, 0.0}, "speed 4");
}

TEST(ClickFidelity, TableOfScripts)
{
    const struct {
        const char* name;
        std::vector<MacroEvent> events;
        double speed;
        double doubleClick;
        std::vector<double> expected;
    } cases[] = {
        {"double-click at speed 2: the recorded pace of both clicks and the gap survives",
         {move(1.0), click(0.5, MouseButton::Left, true), click(0.1, MouseButton::Left, false),
          click(0.15, MouseButton::Left, true), click(0.1, MouseButton::Left, false), move(1.0)},
         2.0,
         0.5,
         {0.5, 0.25, 0.1, 0.15, 0.1, 0.5}},
        {"speed 4: hold times and the double-click gap stay, the rest is a quarter",
         {move(2.0), click(0.4, MouseButton::Right, true), click(0.08, MouseButton::Right, false),
          click(0.2, MouseButton::Right, true), click(0.06, MouseButton::Right, false), move(0.8)},
         4.0,
         0.5,
         {0.5, 0.1, 0.08, 0.2, 0.06, 0.2}},
        {"presses further apart than the double-click time: only their hold times are kept",
         {click(1.0, MouseButton::Left, true), click(0.1, MouseButton::Left, false),
          click(0.6, MouseButton::Left, true), click(0.1, MouseButton::Left, false)},
         2.0,
         0.5,
         {0.5, 0.1, 0.3, 0.1}},
        {"exactly the double-click time apart still pairs",
         {click(0.0, MouseButton::Left, true), click(0.25, MouseButton::Left, false),
          click(0.25, MouseButton::Left, true)},
         2.0,
         0.5,
         {0.0, 0.25, 0.25}},
        {"left then right in quick succession is no double-click",
         {click(1.0, MouseButton::Left, true), click(0.1, MouseButton::Left, false),
          click(0.1, MouseButton::Right, true), click(0.1, MouseButton::Right, false)},
         2.0,
         0.5,
         {0.5, 0.1, 0.05, 0.1}},
        {"a drag keeps every move between press and release, of any kind",
         {click(1.0, MouseButton::Middle, true), move(0.2), key(0.2, EventKind::KeyDown), move(0.2),
          click(0.2, MouseButton::Middle, false), move(0.2)},
         2.0,
         0.5,
         {0.5, 0.2, 0.2, 0.2, 0.2, 0.1}},
        {"an unreleased press marks nothing by itself",
         {move(1.0), click(0.4, MouseButton::Left, true), move(0.4), move(0.4)},
         2.0,
         0.5,
         {0.5, 0.2, 0.2, 0.2}},
        {"a second press within the double-click time of an unreleased one marks up to it",
         {click(1.0, MouseButton::Left, true), move(0.2), click(0.2, MouseButton::Left, true), move(0.4)},
         2.0,
         0.5,
         {0.5, 0.2, 0.2, 0.2}},
        {"a release with no open press marks nothing",
         {move(1.0), click(0.4, MouseButton::Left, false), move(0.4)},
         2.0,
         0.5,
         {0.5, 0.2, 0.2}},
        {"buttons other than left, right and middle never pair",
         {click(1.0, static_cast<MouseButton>(5), true), click(0.4, static_cast<MouseButton>(5), false)},
         2.0,
         0.5,
         {0.5, 0.2}},
        {"a text step in a drag follows the speed like any step outside a click",
         {click(1.0, MouseButton::Left, true), move(0.2), key(0.4, EventKind::Text),
          click(0.2, MouseButton::Left, false)},
         2.0,
         0.5,
         {0.5, 0.2, 0.2, 0.2}},
        {"a negative or NaN delay counts as no wait",
         {click(-1.0, MouseButton::Left, true), click(std::nan(""), MouseButton::Left, false), move(0.4)},
         2.0,
         0.5,
         {0.0, 0.0, 0.2}},
    };
    for (const auto& c : cases) {
        expectDelays(computeScaledDelays(c.events, c.speed, true, c.doubleClick), c.expected, c.name);
    }
}

TEST(ClickFidelity, KeepFlagsOfTheDoubleClick)
{
    const std::vector<MacroEvent> events = {move(1.0),
                                            click(0.5, MouseButton::Left, true),
                                            click(0.1, MouseButton::Left, false),
                                            click(0.15, MouseButton::Left, true),
                                            click(0.1, MouseButton::Left, false),
                                            move(1.0)};
    const std::vector<bool> expected = {false, false, true, true, true, false};
    EXPECT_EQ(clickFidelityKeep(events, 0.5), expected);
    // With a shorter double-click time the presses no longer pair: only the two hold times stay.
    const std::vector<bool> unpaired = {false, false, true, false, true, false};
    EXPECT_EQ(clickFidelityKeep(events, 0.2), unpaired);
}
