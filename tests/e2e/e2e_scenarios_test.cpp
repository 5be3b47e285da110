// LorminRecorder.exe as a user meets it: started as its own process, driven only with real input
// (xdotool) and real windows, and judged by what it shows and by what other programs receive.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "support/xdotool.h"

namespace {

std::vector<TargetEntry> actionsBetween(const std::vector<TargetEntry>& entries, size_t from, size_t to)
{
    std::vector<TargetEntry> actions;
    for (size_t i = from; i < std::min(to, entries.size()); ++i) {
        const TargetEntry& e = entries[i];
        const bool hotkey = (e.name == "keydown" || e.name == "keyup") && e.a >= VK_F7 && e.a <= VK_F9;
        if (isInputAction(e) && !hotkey) {
            actions.push_back(e);
        }
    }
    return actions;
}

// Times of the script's events that reach a window as button, wheel or key messages, measured
// from the start of a pass: the sum of the delays up to each of them.
std::vector<double> actionTimesOf(const std::vector<MacroEvent>& events)
{
    std::vector<double> times;
    double t = 0;
    for (const MacroEvent& e : events) {
        t += e.delay;
        if (e.kind != EventKind::Move) {
            times.push_back(t);
        }
    }
    return times;
}

struct TimingError {
    std::vector<double> errors;  // seconds, replayed gap minus expected gap
    double median() const
    {
        std::vector<double> sorted = magnitudes();
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double worst() const
    {
        std::vector<double> sorted = magnitudes();
        return sorted.empty() ? 0 : sorted.back();
    }
    std::vector<double> magnitudes() const
    {
        std::vector<double> m;
        for (double e : errors) {
            m.push_back(std::fabs(e));
        }
        std::sort(m.begin(), m.end());
        return m;
    }
};

TimingError gapErrors(const std::vector<TargetEntry>& replayed, const std::vector<double>& expectedTimes)
{
    TimingError result;
    for (size_t i = 1; i < replayed.size() && i < expectedTimes.size(); ++i) {
        const double replayedGap = replayed[i].time - replayed[i - 1].time;
        const double expectedGap = expectedTimes[i] - expectedTimes[i - 1];
        result.errors.push_back(replayedGap - expectedGap);
    }
    return result;
}

std::string describeActions(const std::vector<TargetEntry>& actions)
{
    std::string text;
    for (const TargetEntry& e : actions) {
        char line[96];
        snprintf(line, sizeof line, "  %.4f %s %ld %ld %ld\n", e.time, e.name.c_str(), e.a, e.b, e.c);
        text += line;
    }
    return text;
}

// The replay holds the recorded actions one for one and nothing else: the end of a playback
// releases only what is still down, and the script released everything it pressed. Returns an
// empty text when it does, else what differs.
std::string differencesFrom(const std::vector<TargetEntry>& recorded, std::vector<TargetEntry>& replayed)
{
    const std::string both = "recorded:\n" + describeActions(recorded) + "replayed:\n" + describeActions(replayed);
    if (replayed.size() < recorded.size()) {
        return "fewer actions replayed than recorded\n" + both;
    }
    if (replayed.size() > recorded.size()) {
        return "actions after the script\n" + both;
    }
    bool same = true;
    size_t releasesElsewhere = 0;
    for (size_t i = 0; i < recorded.size(); ++i) {
        const TargetEntry& r = recorded[i];
        const TargetEntry& p = replayed[i];
        const bool key = r.name == "keydown" || r.name == "keyup";
        const bool release = r.name == "lup" || r.name == "rup" || r.name == "mup";
        const bool wheelTurn = r.name == "wheel" || r.name == "hwheel";
        const bool samePlace = p.a == r.a && p.b == r.b;
        // A release acts wherever the cursor is; under wine another process may move the cursor
        // back to an older pointer position for a moment, so that only the window and the order
        // are the player's to keep. Presses and wheel turns are positioned by the player itself.
        // Key lines carry scan codes in b, which may differ by source.
        if (release && !samePlace) {
            ++releasesElsewhere;
        }
        same = same && p.name == r.name && (key ? p.a == r.a : release || samePlace) && (!wheelTurn || p.c == r.c);
    }
    if (releasesElsewhere > 0) {
        printf("[ e2e      ] %zu button releases reached the target away from the recorded place\n", releasesElsewhere);
    }
    return same ? std::string() : "the actions differ\n" + both;
}

// A button's rectangle in client coordinates, as the window's layout places it at a DPI.
struct ButtonPlace {
    int id;
    RECT rect;
};

ButtonPlace documentedPlace(int id, int dpi)
{
    auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
    const int margin = s(10);
    if (id == idRecord) {
        return {id, RECT{margin + s(12), s(64) + s(22), margin + s(12) + s(112), s(64) + s(22) + s(30)}};
    }
    return {id, RECT{margin + s(296), s(128) + s(18), margin + s(296) + s(104), s(128) + s(18) + s(30)}};
}

RECT childClientRect(HWND parent, int id)
{
    RECT rect{};
    HWND child = GetDlgItem(parent, id);
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The button is where the layout puts it and shows the colour inside its outline, at three
// corners away from the centred caption.
void expectButtonColour(HWND window, const ButtonPlace& place, COLORREF colour)
{
    SCOPED_TRACE("button " + std::to_string(place.id));
    const RECT actual = childClientRect(window, place.id);
    EXPECT_TRUE(EqualRect(&actual, &place.rect))
        << actual.left << "," << actual.top << " - " << actual.right << "," << actual.bottom << " expected "
        << place.rect.left << "," << place.rect.top << " - " << place.rect.right << "," << place.rect.bottom;
    const POINT probes[] = {{place.rect.left + 4, place.rect.top + 4},
                            {place.rect.right - 5, place.rect.bottom - 5},
                            {place.rect.left + 4, place.rect.bottom - 5}};
    for (POINT p : probes) {
        ClientToScreen(window, &p);
        COLORREF seen = 0;
        EXPECT_TRUE(waitUntil([&] { return (seen = screenPixel(p.x, p.y)) == colour; }, 3000))
            << "at " << p.x << "," << p.y << ": " << static_cast<int>(GetRValue(seen)) << ","
            << static_cast<int>(GetGValue(seen)) << "," << static_cast<int>(GetBValue(seen));
    }
}

TEST_F(E2e, StartShowsTheWindowAndReadyStatusAndClosesWithExitCodeZero)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_start")));
    EXPECT_EQ(windowText(app.window), appTitle);
    EXPECT_TRUE(app.waitStatus(readyStatus, 10000)) << "status: " << wideToUtf8(app.status());
    RECT client{};
    GetClientRect(app.window, &client);
    EXPECT_EQ(client.right, 620);
    EXPECT_EQ(client.bottom, 482);
    EXPECT_EQ(controlText(app.window, idRecord), L"● 录制");
    EXPECT_EQ(controlText(app.window, idEventCount), L"(0)");
    EXPECT_TRUE(controlEnabled(app.window, idRecord));
    EXPECT_FALSE(controlEnabled(app.window, idRecordStop));
    EXPECT_FALSE(controlEnabled(app.window, idPlay));
    EXPECT_FALSE(controlEnabled(app.window, idPlayStop));
    EXPECT_TRUE(app.rows().empty());
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "no warning at start-up";

    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code)) << "no events: closing asks nothing";
    EXPECT_EQ(code, 0u);
    const std::string log = app.errorLog();
    EXPECT_NE(log.find("] 启动 v2.0 (C++ 原生版)\r\n"), std::string::npos);
    EXPECT_NE(log.find("] 退出\r\n"), std::string::npos);
}

TEST_F(E2e, RecordSaveClearLoadAndReplayIntoAnotherProgram)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_replay")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\replay_target.log", besideOf(app.window)));
    const POINT focus = target.pointAt(0.9, 0.1);
    const POINT a = target.pointAt(0.25, 0.3);
    const POINT b = target.pointAt(0.6, 0.6);

    // Record: the target has the focus, F8, click, type, double-click, wheel, F9.
    ASSERT_TRUE(beginRecordingAt(app, focus));
    const size_t recordFrom = target.entries().size();
    Sleep(kLeadTimeMs);
    // The pointer arrives a moment before each click, as a hand does. Under wine the cursor
    // position set by the player can fall back to the previous one about a millisecond later;
    // a press recorded within that millisecond of its move would be replayed at the old place,
    // while with a pause the player positions the cursor afresh right before the press.
    ASSERT_TRUE(moveMouse(a.x, a.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(250);
    ASSERT_TRUE(typeText(L"lormin", 70));
    Sleep(300);
    ASSERT_TRUE(moveMouse(b.x, b.y));
    Sleep(100);
    ASSERT_TRUE(doubleClickAt(b.x, b.y, 120));
    Sleep(300);
    ASSERT_TRUE(wheel(-2));
    Sleep(300);
    const size_t recordTo = target.entries().size();
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    const std::vector<TargetEntry> recorded = actionsBetween(target.entries(), recordFrom, recordTo);
    ASSERT_EQ(recorded.size(), 2u + 12u + 4u + 2u) << "the target saw the user's input";

    const std::vector<std::wstring> recordedRows = app.rows();
    ASSERT_FALSE(recordedRows.empty());
    EXPECT_EQ(app.status(), L"已停止 (" + std::to_wstring(recordedRows.size()) + L"条)");
    EXPECT_EQ(controlText(app.window, idEventCount), L"(" + std::to_wstring(recordedRows.size()) + L")");
    EXPECT_TRUE(controlEnabled(app.window, idPlay));

    // Save through the save dialog.
    const std::wstring scriptPath = folderFor(L"scripts") + L"\\replay_script";
    removeFileIfPresent(scriptPath + L".json");
    ASSERT_TRUE(app.click(idSave));
    ASSERT_TRUE(chooseFileInDialog(app.processId(), scriptPath, 10000));
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", box, 5000));
    EXPECT_EQ(box.text, L"已保存");
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_TRUE(app.waitStatus(L"已保存脚本", 3000));
    std::vector<MacroEvent> script;
    std::wstring error;
    ASSERT_TRUE(loadScript(scriptPath + L".json", script, error)) << wideToUtf8(error);
    ASSERT_EQ(script.size(), recordedRows.size());
    for (size_t i = 0; i < script.size(); ++i) {
        EXPECT_EQ(recordedRows[i], formatEventRow(static_cast<uint32_t>(i), script[i])) << i;
    }
    const std::vector<double> scriptTimes = actionTimesOf(script);
    ASSERT_EQ(scriptTimes.size(), recorded.size()) << "one script event per button, wheel and key message";

    // Clear, then load through the open dialog.
    ASSERT_TRUE(app.click(idClear));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"确认", box, 5000));
    EXPECT_EQ(box.text, L"清空所有事件？");
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    EXPECT_TRUE(app.waitStatus(L"已清空", 3000));
    EXPECT_TRUE(app.rows().empty());
    EXPECT_EQ(controlText(app.window, idEventCount), L"(0)");
    EXPECT_FALSE(controlEnabled(app.window, idPlay));

    ASSERT_TRUE(app.click(idLoad));
    ASSERT_TRUE(chooseFileInDialog(app.processId(), scriptPath + L".json", 10000));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", box, 5000));
    EXPECT_EQ(box.text, L"加载 " + std::to_wstring(script.size()) + L" 条");
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_TRUE(app.waitStatus(L"已加载脚本", 3000));
    EXPECT_EQ(app.rows(), recordedRows);
    EXPECT_TRUE(controlEnabled(app.window, idPlay));
    ASSERT_TRUE(moveMouse(1270, 1015));
    expectButtonColour(app.window, documentedPlace(idRecord, 96), RGB(211, 47, 47));
    expectButtonColour(app.window, documentedPlace(idPlay, 96), RGB(56, 142, 60));
    EXPECT_TRUE(saveScreenshot(outputFolder() + L"\\main_window_loaded_96dpi.png"));

    // One replay from the play button; the target's actions from it, up to a moment after its
    // end. Under wine a replayed press now and then lands where an earlier pointer position
    // is still reported (see kLeadTimeMs); such a pass is reported and played once more, so that
    // only a difference that comes back fails the check.
    const double passLength = scriptTimes.back();
    const unsigned waitMs = static_cast<unsigned>(passLength * 1000) + 15000;
    std::vector<TargetEntry> replayed;
    const auto replayMatches = [&](const char* pass) {
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const size_t replayFrom = target.entries().size();
            if (!app.clickAndMoveTo(idPlay, a) || !app.waitStatus(L"✅ 完成", waitMs)) {
                ADD_FAILURE() << pass << ": the replay did not run to its end; status " << wideToUtf8(app.status());
                return false;
            }
            waitUntil(
                [&] {
                    replayed = actionsBetween(target.entries(), replayFrom, SIZE_MAX);
                    return replayed.size() >= recorded.size();
                },
                2000);
            Sleep(300);  // a stray release after the script would have arrived by now
            replayed = actionsBetween(target.entries(), replayFrom, SIZE_MAX);
            const std::string differences = differencesFrom(recorded, replayed);
            if (differences.empty()) {
                return true;
            }
            if (attempt == 2) {
                ADD_FAILURE() << pass << ", twice in a row: " << differences;
                return false;
            }
            printf("[ e2e      ] %s, attempt 1 differed; playing once more: %s", pass, differences.c_str());
        }
        return false;
    };

    // Replay at speed 1: the same actions at the same places in the same order and rhythm.
    ASSERT_TRUE(replayMatches("replay at speed 1"));
    const TimingError speed1 = gapErrors(replayed, scriptTimes);
    const TimingError userVsScript = gapErrors(recorded, scriptTimes);
    printf("[ e2e      ] replay at speed 1: timing error over %zu gaps: median %.2f ms, worst %.2f ms\n",
           speed1.errors.size(), speed1.median() * 1000, speed1.worst() * 1000);
    printf("[ e2e      ] recording: hook delays against the target's own times: median %.2f ms, worst %.2f ms\n",
           userVsScript.median() * 1000, userVsScript.worst() * 1000);
    // Generous bounds: the target's own message handling adds its scheduling delays.
    EXPECT_LT(speed1.median(), 0.005);
    EXPECT_LT(speed1.worst(), 0.050);
    EXPECT_TRUE(controlEnabled(app.window, idPlay));
    EXPECT_FALSE(controlEnabled(app.window, idPlayStop));

    // Replay at speed 4 with click fidelity: faster, and the double-click stays one.
    ASSERT_TRUE(setSpeed(app, L"4"));
    EXPECT_TRUE(waitUntil([&] { return controlText(app.window, idSpeed) == L"4.0"; }, 2000))
        << wideToUtf8(controlText(app.window, idSpeed));
    ASSERT_TRUE(replayMatches("replay at speed 4"));
    const auto dbl =
        std::find_if(recorded.begin(), recorded.end(), [](const TargetEntry& e) { return e.name == "ldbl"; });
    ASSERT_NE(dbl, recorded.end());
    const size_t dblIndex = static_cast<size_t>(dbl - recorded.begin());
    const double recordedDoubleGap = scriptTimes[dblIndex] - scriptTimes[dblIndex - 2];
    const double replayedDoubleGap = replayed[dblIndex].time - replayed[dblIndex - 2].time;
    printf("[ e2e      ] speed 4: double-click gap recorded %.1f ms, replayed %.1f ms\n", recordedDoubleGap * 1000,
           replayedDoubleGap * 1000);
    EXPECT_NEAR(replayedDoubleGap, recordedDoubleGap, 0.02) << "click fidelity keeps the double-click's rhythm";
    const double fastPass = replayed.back().time - replayed.front().time;
    const double slowPass = scriptTimes.back() - scriptTimes.front();
    EXPECT_LT(fastPass, slowPass * 0.6) << "speed 4 shortens the other waits";

    // Loaded and unchanged: closing asks nothing.
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
}

TEST_F(E2e, ScreenshotsAndButtonColoursAt96And144Dpi)
{
    const struct {
        DWORD dpi;
        LONG width;
        LONG height;
    } scales[] = {{96, 620, 482}, {144, 930, 723}};
    for (const auto& scale : scales) {
        SCOPED_TRACE("dpi " + std::to_string(scale.dpi));
        ScreenScale screen(scale.dpi);
        ASSERT_TRUE(screen.ok);
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_dpi")));
        ASSERT_TRUE(app.waitStatus(readyStatus, 10000)) << wideToUtf8(app.status());
        RECT client{};
        GetClientRect(app.window, &client);
        EXPECT_EQ(client.right, scale.width);
        EXPECT_EQ(client.bottom, scale.height);
        ASSERT_TRUE(moveMouse(1270, 1015));  // keep the pointer out of the picture
        expectButtonColour(app.window, documentedPlace(idRecord, static_cast<int>(scale.dpi)), RGB(211, 47, 47));
        expectButtonColour(app.window, documentedPlace(idPlay, static_cast<int>(scale.dpi)), RGB(158, 158, 158));
        const std::wstring shot = outputFolder() + L"\\main_window_" + std::to_wstring(scale.dpi) + L"dpi.png";
        removeFileIfPresent(shot);
        EXPECT_TRUE(saveScreenshot(shot));
        EXPECT_GT(readFileBytes(shot).size(), 1000u);
        ASSERT_TRUE(app.closeWithKeyboard());
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(10000, code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(E2e, HotkeysWorkFromAnotherProgramAndAStopLeavesNothingPressed)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_hotkeys")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\hotkeys_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.7, 0.7);

    // F9 while idle changes nothing.
    ASSERT_TRUE(clickAt(a.x, a.y));
    ASSERT_TRUE(pressKeys(L"F9"));
    Sleep(300);
    EXPECT_EQ(app.status(), readyStatus);

    // F8 with the target in front starts a recording; F8 again shows one notice, and the presses
    // made while it is open are dropped, not queued.
    ASSERT_TRUE(pressKeys(L"F8"));
    ASSERT_TRUE(app.waitStatus(L"● 录制中...", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(pressKeys(L"F8"));
    MessageBoxSeen notice;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", notice, 5000));
    EXPECT_EQ(notice.text, L"程序正在录制脚本，请勿重复按F8录制。\n\n如需停止录制，请按 F9，或点击「■ 停止录制」。");
    ASSERT_TRUE(pressKeys(L"F8"));
    ASSERT_TRUE(pressKeys(L"F7"));
    Sleep(400);
    EXPECT_EQ(openDialogCount(app.processId()), 1u) << "one notice at a time";
    ASSERT_TRUE(answerMessageBox(notice, IDOK));
    Sleep(600);
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "presses made while the notice was open are dropped";
    EXPECT_EQ(app.status(), L"● 录制中...");

    // Record a hold of Shift, X and the left button, then stop with F9.
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(200);
    ASSERT_TRUE(keyDown(L"shift"));
    ASSERT_TRUE(keyDown(L"x"));
    ASSERT_TRUE(moveMouse(b.x, b.y));
    ASSERT_TRUE(mouseDown(1));
    Sleep(2500);
    ASSERT_TRUE(mouseUp(1));
    ASSERT_TRUE(keyUp(L"x"));
    ASSERT_TRUE(keyUp(L"shift"));
    Sleep(200);
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    std::string rows;
    for (const std::wstring& row : app.rows()) {
        rows += wideToUtf8(row) + "\n";
    }

    // Play; while the replay holds Shift, X and the button, F8 does nothing and F9 stops it.
    ASSERT_TRUE(app.clickAndMoveTo(idPlay, a));
    // Down counts in either view of the target: GetAsyncKeyState or the thread's GetKeyState.
    // Under wine an injected Shift is forgotten by both as soon as a pointer event comes from X
    // (wine takes the modifier state from it), so the hold is proven with X and the button.
    std::vector<int> held;
    std::vector<int> heldByThread;
    const auto down = [&](int vk) {
        return std::find(held.begin(), held.end(), vk) != held.end() ||
               std::find(heldByThread.begin(), heldByThread.end(), vk) != heldByThread.end();
    };
    ASSERT_TRUE(waitUntil([&] { return target.heldKeys(held, heldByThread) && down('X') && down(VK_LBUTTON); }, 15000))
        << "the replay never held X and the left button; recorded rows:\n"
        << rows;
    const auto shows = [](const std::vector<int>& keys, int vk) {
        return std::find(keys.begin(), keys.end(), vk) != keys.end() ? "shows" : "misses";
    };
    printf("[ e2e      ] while the replay holds: GetAsyncKeyState %s Shift, %s X, %s left button; GetKeyState %s "
           "Shift, %s X\n",
           shows(held, VK_SHIFT), shows(held, 'X'), shows(held, VK_LBUTTON), shows(heldByThread, VK_SHIFT),
           shows(heldByThread, 'X'));
    ASSERT_EQ(app.status().rfind(L"▶ 回放中", 0), 0u) << wideToUtf8(app.status());
    ASSERT_TRUE(pressKeys(L"F8"));
    Sleep(300);
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "F8 during a playback does nothing";
    EXPECT_EQ(controlText(app.window, idPlay), L"⏸ 回放中");
    ASSERT_TRUE(pressKeys(L"F9"));
    EXPECT_TRUE(app.waitStatus(L"⏹ 停止", 3000)) << wideToUtf8(app.status());
    EXPECT_TRUE(waitUntil([&] { return controlEnabled(app.window, idPlay); }, 2000));
    EXPECT_EQ(controlText(app.window, idPlay), L"▶ 回放");
    EXPECT_FALSE(controlEnabled(app.window, idPlayStop));
    ASSERT_TRUE(target.heldKeys(held, heldByThread));
    EXPECT_TRUE(held.empty()) << "GetAsyncKeyState still reports " << held.size() << " keys down after the stop";
    EXPECT_TRUE(heldByThread.empty()) << "GetKeyState still reports " << heldByThread.size()
                                      << " keys down after the stop";

    ASSERT_TRUE(app.closeWithKeyboard());
    MessageBoxSeen prompt;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
    ASSERT_TRUE(answerMessageBox(prompt, IDNO));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
}

TEST_F(E2e, ClosingWithUnsavedEventsAsksAndNoExitsDuringRecordingAndPlayback)
{
    for (const bool duringPlayback : {false, true}) {
        SCOPED_TRACE(duringPlayback ? "during a playback" : "during a recording");
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_close")));
        ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
        TargetWindow target;
        ASSERT_TRUE(target.start(outputFolder() + L"\\close_target.log", besideOf(app.window)));
        const POINT a = target.pointAt(0.3, 0.3);
        const POINT b = target.pointAt(0.7, 0.7);
        ASSERT_TRUE(beginRecordingAt(app, a));
        Sleep(kLeadTimeMs);
        ASSERT_TRUE(clickAt(b.x, b.y));
        if (duringPlayback) {
            // A script with a long pause, so that the playback is still running while closing.
            Sleep(8000);
            ASSERT_TRUE(clickAt(a.x, a.y));
            ASSERT_TRUE(pressKeys(L"F9"));
            ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
            ASSERT_TRUE(app.clickAndMoveTo(idPlay, b));
            ASSERT_TRUE(app.waitStatusPrefix(L"▶ 回放中", 3000)) << wideToUtf8(app.status());
        }
        ASSERT_TRUE(waitUntil([&] { return !app.rows().empty(); }, 3000));

        ASSERT_TRUE(app.closeWithKeyboard());
        MessageBoxSeen prompt;
        ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
        EXPECT_EQ(prompt.text, L"当前脚本尚未保存，是否保存？\n\n选「否」将直接退出，本次录制的内容会丢失。");
        ASSERT_TRUE(answerMessageBox(prompt, IDCANCEL));
        Sleep(300);
        EXPECT_TRUE(app.running()) << "Cancel keeps the window";
        EXPECT_TRUE(IsWindowVisible(app.window));
        if (duringPlayback) {
            EXPECT_EQ(controlText(app.window, idPlay), L"⏸ 回放中") << "and the playback goes on";
        } else {
            EXPECT_EQ(app.status(), L"● 录制中...") << "and the recording goes on";
        }

        ASSERT_TRUE(app.closeWithKeyboard());
        ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
        ASSERT_TRUE(answerMessageBox(prompt, IDNO));
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(10000, code)) << "No exits";
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(E2e, TypingRecordedIntoNotepadIsTypedAgainOnReplay)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_notepad")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    Notepad notepad;
    ASSERT_TRUE(openNotepad(notepad, besideOf(app.window)));
    HWND edit = notepad.edit;
    const POINT inside = centerOf(edit);
    const std::wstring text = L"Hello, World 123";

    // Notepad in front, F8, a click into its text, the typing, F9.
    ASSERT_TRUE(beginRecordingAt(app, inside));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    Sleep(200);
    ASSERT_TRUE(typeText(text, 60));
    Sleep(300);
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    ASSERT_EQ(windowText(edit), text) << "what the user typed";

    // Empty notepad the way a user does, then replay.
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    ASSERT_TRUE(pressKeys(L"ctrl+a BackSpace"));
    ASSERT_TRUE(waitUntil([&] { return windowText(edit).empty(); }, 3000)) << wideToUtf8(windowText(edit));
    ASSERT_TRUE(app.clickAndMoveTo(idPlay, inside));
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 20000)) << wideToUtf8(app.status());
    std::wstring replayed;
    waitUntil([&] { return (replayed = windowText(edit)) == text; }, 3000);
    if (replayed != text) {
        std::string rows;
        for (const std::wstring& row : app.rows()) {
            rows += wideToUtf8(row) + "\n";
        }
        saveScreenshot(outputFolder() + L"\\notepad_replay_failed.png");
        ADD_FAILURE() << "notepad holds \"" << wideToUtf8(replayed) << "\"; the script:\n" << rows;
    }

    notepad.process.terminate();
    ASSERT_TRUE(app.closeWithKeyboard());
    MessageBoxSeen prompt;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
    ASSERT_TRUE(answerMessageBox(prompt, IDNO));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
