// The update windows under wine: deadline, no stacked checks, owner, DPI layout, release notes.
#include "update_test_fixture.h"

namespace {

struct Expected {
    int id;
    RECT rect;  // in the parent's client area
};

RECT childRect(HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Compares every child (in creation order) with its expected rectangle and checks that the text
// of every label and button fits its control with the control's own font.
void expectLayout(HWND window, const std::vector<RECT>& expected, const char* label)
{
    size_t index = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, expected.size()) << label;
        const RECT r = childRect(child);
        const RECT& e = expected[index];
        EXPECT_TRUE(r.left == e.left && r.top == e.top && r.right == e.left + e.right && r.bottom == e.top + e.bottom)
            << label << " control " << index << ": " << r.left << "," << r.top << " " << r.right - r.left << "x"
            << r.bottom - r.top;
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = textOf(child);
        if ((_wcsicmp(className, L"Static") == 0 || _wcsicmp(className, L"Button") == 0) && !text.empty()) {
            const HDC dc = GetDC(child);
            const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, previous);
            ReleaseDC(child, dc);
            RECT client{};
            GetClientRect(child, &client);
            EXPECT_LE(extent.cx, client.right) << label << " control " << index << " cuts its text " << narrow(text);
            EXPECT_LE(extent.cy, client.bottom) << label << " control " << index << " is lower than its text";
        }
    }
    EXPECT_EQ(index, expected.size()) << label;
}

int fontHeight(HWND control)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

// Sends WM_DPICHANGED as the system does when a window moves to a screen of another scale.
void changeDpi(HWND window, int dpi, int width, int height)
{
    RECT outer{};
    GetWindowRect(window, &outer);
    RECT suggested{outer.left, outer.top, outer.left + width, outer.top + height};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Design rectangles as x, y, width, height.
const std::vector<RECT> updateAt96 = {{24, 18, 80, 20},   {104, 18, 380, 20}, {24, 42, 460, 20},
                                      {24, 70, 80, 20},   {24, 92, 460, 96},  {24, 200, 460, 20},
                                      {24, 226, 460, 20}, {24, 258, 110, 32}, {374, 258, 110, 32}};
const std::vector<RECT> updateAt144 = {{36, 27, 120, 30},  {156, 27, 570, 30},  {36, 63, 690, 30},
                                       {36, 105, 120, 30}, {36, 138, 690, 144}, {36, 300, 690, 30},
                                       {36, 339, 690, 30}, {36, 387, 165, 48},  {561, 387, 165, 48}};
const std::vector<RECT> checkAt96 = {{22, 18, 340, 22}, {22, 52, 340, 16}, {272, 78, 90, 26}};
const std::vector<RECT> checkAt144 = {{33, 27, 510, 33}, {33, 78, 510, 24}, {408, 117, 135, 39}};

TEST_F(UpdateCheckTest, ControlsKeepTheirDesignAt96AndScaleWithTheirTextsAt144)
{
    ASSERT_TRUE(writeWholeFile(downloadPath(L"9.9.9"), "already here"));
    manifest("{\"ver\": \"9.9.9\", \"url\": \"d.exe\", \"note\": \"说明\"}");
    boxes.answers = {IDYES, IDNO};
    bool inspected = false;
    boxes.inspect = [&](HWND window) {
        inspected = true;
        RECT outer{};
        GetWindowRect(window, &outer);
        EXPECT_EQ(outer.right - outer.left, 524);
        EXPECT_EQ(outer.bottom - outer.top, 340);
        expectLayout(window, updateAt96, "update window at 96");
        const int heightAt96 = fontHeight(GetDlgItem(window, IDC_UPD_STATUS));
        changeDpi(window, 144, 786, 510);
        GetWindowRect(window, &outer);
        EXPECT_EQ(outer.right - outer.left, 786);
        EXPECT_EQ(outer.bottom - outer.top, 510);
        expectLayout(window, updateAt144, "update window at 144");
        const int heightAt144 = fontHeight(GetDlgItem(window, IDC_UPD_STATUS));
        EXPECT_GE(heightAt144 * 2, heightAt96 * 3 - 2) << "the font follows the scale";
        EXPECT_LE(heightAt144 * 2, heightAt96 * 3 + 2) << "the font follows the scale";
        changeDpi(window, 96, 524, 340);
        expectLayout(window, updateAt96, "update window back at 96");
    };
    checkForUpdates(nullptr);
    EXPECT_TRUE(inspected);

    server.answer("/rel/version.json", silentAnswer());
    bool checked = false;
    const Every step(100, [&] {
        const HWND checking = FindWindowW(L"LorminUpdChkCls", nullptr);
        if (checking == nullptr || checked) {
            return;
        }
        checked = true;
        expectLayout(checking, checkAt96, "checking window at 96");
        changeDpi(checking, 144, 600, 225);
        expectLayout(checking, checkAt144, "checking window at 144");
        PostMessageW(checking, WM_CLOSE, 0, 0);
    });
    checkForUpdates(nullptr);
    EXPECT_TRUE(checked);
}

TEST_F(UpdateCheckTest, StalledCheckEndsAtTheDeadlineAsAFailure)
{
    ScopedSeam shorter(checkDeadlineSeam, static_cast<DWORD>(1500));
    ScriptedAnswer trickle = makeAnswer(200, "{\"ver\": \"2.1.0\", \"url\": \"x.exe\"}");
    trickle.trickleMs = 400;
    struct Case {
        const char* name;
        ScriptedAnswer answer;
    } cases[] = {{"never answers", silentAnswer()}, {"trickles", trickle}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.answer("/rel/version.json", c.answer);
        boxes.shown.clear();
        logBefore = readLog().size();
        const ULONGLONG started = GetTickCount64();
        checkForUpdates(nullptr);
        const ULONGLONG took = GetTickCount64() - started;
        EXPECT_GE(took, 1400u);
        EXPECT_LT(took, 4000u);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  L"检查更新失败：\n服务器超过 2 秒没有答复，已停止检查\n\n请确认网络可用。若长期失败，"
                  L"可到官网重新下载最新版本。");
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_NE(newLogLines().find("[更新] 检查失败：服务器超过 2 秒没有答复"), std::string::npos) << newLogLines();
    }
}

bool centredOn(HWND window, HWND owner)
{
    RECT a{}, b{};
    GetWindowRect(window, &a);
    GetWindowRect(owner, &b);
    return std::abs((a.left + a.right) - (b.left + b.right)) <= 2 &&
           std::abs((a.top + a.bottom) - (b.top + b.bottom)) <= 2;
}

TEST_F(UpdateCheckTest, WindowsAreOwnedByAndCentredOnTheDisabledOwnerAndChecksNeverStack)
{
    owner = makeOwnerWindow();
    ASSERT_NE(owner, nullptr);
    server.answer("/rel/version.json", silentAnswer());
    int seen = 0;
    ULONGLONG secondCallTook = 1000000;
    const Every step(100, [&] {
        const HWND checking = FindWindowW(L"LorminUpdChkCls", nullptr);
        if (checking == nullptr || ++seen != 3) {
            return;
        }
        EXPECT_EQ(GetWindow(checking, GW_OWNER), owner);
        EXPECT_TRUE(centredOn(checking, owner));
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled as for a modal dialog";
        const ULONGLONG before = GetTickCount64();
        checkForUpdates(owner);  // a second check while one runs
        secondCallTook = GetTickCount64() - before;
        size_t windows = 0;
        for (HWND w = FindWindowW(L"LorminUpdChkCls", nullptr); w != nullptr;
             w = FindWindowExW(nullptr, w, L"LorminUpdChkCls", nullptr)) {
            ++windows;
        }
        EXPECT_EQ(windows, 1u);
        PostMessageW(checking, WM_CLOSE, 0, 0);
    });
    checkForUpdates(owner);
    EXPECT_EQ(seen >= 3, true);
    EXPECT_LT(secondCallTook, 200u) << "the second call returns at once";
    EXPECT_EQ(requestsFor("/rel/version.json"), 1u);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again afterwards";

    ASSERT_TRUE(writeWholeFile(downloadPath(L"9.9.9"), "already here"));
    manifest("{\"ver\": \"9.9.9\", \"url\": \"d.exe\"}");
    boxes.answers = {IDYES, IDNO};
    bool inspected = false;
    boxes.inspect = [&](HWND window) {
        inspected = true;
        EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
        EXPECT_TRUE(centredOn(window, owner));
        EXPECT_FALSE(IsWindowEnabled(owner));
    };
    checkForUpdates(owner);
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

std::string jsonLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += (i > 1 ? "\\n" : "") + std::to_string(i);
    }
    return text;
}

std::wstring wideLines(int count, const wchar_t* separator)
{
    std::wstring text;
    for (int i = 1; i <= count; ++i) {
        text += (i > 1 ? separator : L"") + std::to_wstring(i);
    }
    return text;
}

TEST_F(UpdateCheckTest, LongNotesAreCappedInTheQuestionAndWholeInTheWindow)
{
    ASSERT_TRUE(writeWholeFile(downloadPath(L"9.9.9"), "already here"));
    manifest("{\"ver\": \"9.9.9\", \"url\": \"d.exe\", \"note\": \"" + jsonLines(3000) + "\"}");
    boxes.answers = {IDYES, IDNO};
    int notesLines = 0;
    boxes.inspect = [&](HWND window) {
        notesLines = static_cast<int>(SendDlgItemMessageW(window, IDC_UPD_NOTES, EM_GETLINECOUNT, 0, 0));
    };
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              L"发现新版本 v9.9.9（当前 v2.0.3）\n\n更新说明：\n" + wideLines(15, L"\n") + L"\n…\n\n" + questionTail);
    EXPECT_EQ(boxes.shown[1].notes, wideLines(3000, L"\r\n"));
    EXPECT_EQ(notesLines, 3000) << "every line of the note is a line of the field";
}

TEST_F(UpdateCheckTest, ManifestThatIsNoValidJsonIsStillReadByTheScanner)
{
    manifest("{\"ver\": \"2.1.0\", \"url\": \"a.exe\", \"note\": \"a\\nb\",}");
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"发现新版本 v2.1.0（当前 v2.0.3）\n\n更新说明：\na\\nb\n\n" + questionTail);
}

}  // namespace
