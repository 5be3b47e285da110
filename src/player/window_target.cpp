#include "player/window_target.h"

#include <utility>

namespace {

char foldLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameFileName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldLetter(a[i]) != foldLetter(b[i])) {
            return false;
        }
    }
    return true;
}

// The preferences of chooseWindow, most important first; a larger rank wins.
int rankOf(const WindowIdentity& wanted, const WindowCandidate& candidate, const WindowOrigin* recorded)
{
    const bool sameTitle = candidate.title == wanted.title;
    const bool samePlace = recorded != nullptr && !candidate.minimised && candidate.place.originX == recorded->x &&
                           candidate.place.originY == recorded->y;
    return (sameTitle ? 4 : 0) + (candidate.minimised ? 0 : 2) + (samePlace ? 1 : 0);
}

}  // namespace

bool sameProgram(const WindowIdentity& wanted, const std::string& exe, const std::string& windowClass)
{
    return windowClass == wanted.windowClass && (wanted.exe.empty() || sameFileName(exe, wanted.exe));
}

const wchar_t* windowProblemText(WindowProblem problem)
{
    switch (problem) {
    case WindowProblem::Minimised: return L"窗口未能从最小化恢复";
    case WindowProblem::Hung: return L"窗口无响应";
    case WindowProblem::Covered: return L"点击处被其他窗口遮住";
    case WindowProblem::OutsideWindow: return L"点击处不在窗口内";
    case WindowProblem::OffScreen: return L"点击处不在屏幕上";
    case WindowProblem::NotInFront: return L"窗口未到前台";
    case WindowProblem::None:
    case WindowProblem::Missing: break;
    }
    return L"找不到窗口";
}

bool rectHolds(const ScreenRect& rect, int32_t x, int32_t y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

WindowChoice chooseWindow(const WindowIdentity& wanted, const std::vector<WindowCandidate>& candidates,
                          const WindowOrigin* recorded)
{
    int32_t best = -1;
    int bestRank = -1;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const int rank = rankOf(wanted, candidates[i], recorded);
        if (rank > bestRank) {  // ties go to the topmost, met first
            best = static_cast<int32_t>(i);
            bestRank = rank;
        }
    }
    WindowChoice choice;
    if (best >= 0) {
        (candidates[static_cast<size_t>(best)].minimised ? choice.restore : choice.use) = best;
    }
    return choice;
}

WindowTargets::WindowTargets(const std::vector<WindowIdentity>& table, const DesktopSeam& desktop)
    : table_(table), desktop_(desktop), chosen_(table.size()), restoring_(table.size(), 0), frontAsked_(table.size(), 0)
{}

bool WindowTargets::candidatesOf(const WindowIdentity& wanted, std::vector<uintptr_t>& windows,
                                 std::vector<WindowCandidate>& candidates)
{
    std::vector<uintptr_t> all;
    desktop_.topWindows(desktop_.context, wanted.windowClass, all);
    std::string exe;
    std::string windowClass;
    for (uintptr_t window : all) {
        WindowCandidate state;
        if (desktop_.programOf(desktop_.context, window, exe, windowClass) && sameProgram(wanted, exe, windowClass) &&
            desktop_.stateOf(desktop_.context, window, state)) {
            windows.push_back(window);
            candidates.push_back(std::move(state));
        }
    }
    return !windows.empty();
}

WindowProblem WindowTargets::look(int32_t index, const WindowOrigin* recorded, WindowPlace& place)
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return WindowProblem::Missing;
    }
    const auto slot = static_cast<size_t>(index);
    chosen_[slot] = Found{};
    std::vector<uintptr_t> windows;
    std::vector<WindowCandidate> candidates;
    candidatesOf(table_[slot], windows, candidates);
    const WindowChoice choice = chooseWindow(table_[slot], candidates, recorded);
    if (choice.use >= 0) {
        const auto used = static_cast<size_t>(choice.use);
        chosen_[slot] = Found{windows[used], candidates[used]};
        restoring_[slot] = 0;
        place = candidates[used].place;
        // Nothing goes to a window that does not take its messages: it would wait in its queue.
        return desktop_.responding(desktop_.context, windows[used]) ? WindowProblem::None : WindowProblem::Hung;
    }
    if (choice.restore < 0) {
        return WindowProblem::Missing;
    }
    const uintptr_t window = windows[static_cast<size_t>(choice.restore)];
    if (restoring_[slot] != window) {
        restoring_[slot] = window;  // asked once: a window that stays minimised is not asked again and again
        desktop_.restore(desktop_.context, window);
    }
    return WindowProblem::Minimised;
}

WindowProblem WindowTargets::checkPoint(int32_t index, int32_t x, int32_t y)
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size() || chosen_[static_cast<size_t>(index)].window == 0) {
        return WindowProblem::Missing;
    }
    const auto slot = static_cast<size_t>(index);
    const Found& found = chosen_[slot];
    if (!desktop_.onMonitor(desktop_.context, x, y)) {
        return WindowProblem::OffScreen;
    }
    if (!rectHolds(found.state.frame, x, y)) {
        return WindowProblem::OutsideWindow;
    }
    if (!desktop_.responding(desktop_.context, found.window)) {
        return WindowProblem::Hung;
    }
    if (desktop_.topLevelAt(desktop_.context, x, y) == found.window) {
        frontAsked_[slot] = 0;
        return WindowProblem::None;
    }
    if (frontAsked_[slot] != found.window) {
        frontAsked_[slot] = found.window;
        desktop_.bringToFront(desktop_.context, found.window);
    }
    return WindowProblem::Covered;
}

WindowProblem WindowTargets::checkFront(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return WindowProblem::Missing;
    }
    const WindowIdentity& wanted = table_[static_cast<size_t>(index)];
    const uintptr_t front = desktop_.foreground(desktop_.context);
    std::string exe;
    std::string windowClass;
    WindowCandidate state;
    if (front != 0 && desktop_.programOf(desktop_.context, front, exe, windowClass) &&
        sameProgram(wanted, exe, windowClass) && desktop_.stateOf(desktop_.context, front, state) &&
        state.title == wanted.title) {
        return desktop_.responding(desktop_.context, front) ? WindowProblem::None : WindowProblem::Hung;
    }
    std::vector<uintptr_t> windows;
    std::vector<WindowCandidate> candidates;
    candidatesOf(wanted, windows, candidates);
    for (const WindowCandidate& candidate : candidates) {
        if (candidate.title == wanted.title) {
            return WindowProblem::NotInFront;
        }
    }
    return WindowProblem::Missing;
}
