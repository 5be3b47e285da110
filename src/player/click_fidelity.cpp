#include "player/click_fidelity.h"

#include <cstddef>

namespace {

// A delay that is not a number or lies in the past counts as no wait at all: a NaN target
// would otherwise make the wait loop spin forever, deaf to a stop request.
double usableDelay(double delay)
{
    return delay > 0.0 ? delay : 0.0;
}

void markSpan(std::vector<bool>& keep, size_t from, size_t to)
{
    for (size_t j = from; j <= to; ++j) {
        keep[j] = true;
    }
}

}  // namespace

std::vector<bool> clickFidelityKeep(const std::vector<MacroEvent>& events, double doubleClickSeconds)
{
    const size_t count = events.size();
    std::vector<double> cumulative(count);
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        sum += usableDelay(events[i].delay);
        cumulative[i] = sum;
    }

    std::vector<bool> keep(count, false);
    constexpr size_t kNone = static_cast<size_t>(-1);
    for (MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        // The last press is remembered across its release, so that a double-click pairs the two
        // presses although a release lies between them.
        size_t lastPress = kNone;
        size_t openPress = kNone;
        for (size_t k = 0; k < count; ++k) {
            const MacroEvent& e = events[k];
            if (e.kind != EventKind::Click || e.button != button) {
                continue;
            }
            if (e.pressed) {
                if (lastPress != kNone && cumulative[k] - cumulative[lastPress] <= doubleClickSeconds) {
                    markSpan(keep, lastPress + 1, k);
                }
                lastPress = k;
                openPress = k;
            } else if (openPress != kNone) {
                markSpan(keep, openPress + 1, k);
                openPress = kNone;
            }
        }
    }
    return keep;
}

std::vector<double> computeScaledDelays(const std::vector<MacroEvent>& events, double speed, bool clickFidelity,
                                        double doubleClickSeconds)
{
    std::vector<double> scaled(events.size());
    std::vector<bool> keep;
    if (clickFidelity) {
        keep = clickFidelityKeep(events, doubleClickSeconds);
    }
    for (size_t i = 0; i < events.size(); ++i) {
        const double delay = usableDelay(events[i].delay);
        // A text step lies outside every click's rhythm: its delay always follows the speed.
        const bool kept = clickFidelity && keep[i] && events[i].kind != EventKind::Text;
        scaled[i] = kept ? delay : delay / speed;
    }
    return scaled;
}
