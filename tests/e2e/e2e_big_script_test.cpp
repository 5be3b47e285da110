// A recording of a working day through the real window: a million events of a recording-like mix
// loaded with the Load command, measured from the moment the file is chosen to the filled list,
// with the memory the program holds afterwards.
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "script/event_description.h"
#include "script/script_file.h"

namespace {

// Mostly moves, some clicks, keys and wheel turns, as a day of recording gives them.
std::vector<MacroEvent> recordingLikeScript(size_t count)
{
    std::vector<MacroEvent> events(count);
    uint32_t state = 12345;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        MacroEvent& e = events[i];
        e.delay = (state >> 8) % 40 / 1000.0;
        e.x = static_cast<int32_t>((state >> 4) % 1920);
        e.y = static_cast<int32_t>((state >> 12) % 1080);
        switch (i % 20) {
        case 5:
        case 6:
            e.kind = EventKind::Click;
            e.pressed = i % 20 == 5;
            break;
        case 10:
        case 11:
            e.kind = i % 20 == 10 ? EventKind::KeyDown : EventKind::KeyUp;
            e.keyOrText = "A";
            break;
        case 15:
            e.kind = EventKind::Scroll;
            e.dy = -1;
            break;
        default: e.kind = EventKind::Move; break;
        }
    }
    return events;
}

TEST_F(E2e, AMillionEventScriptLoadsThroughTheWindowAndEveryRowReadsRight)
{
    const std::vector<MacroEvent> events = recordingLikeScript(1000000);
    const std::wstring path = folderFor(L"big_script") + L"\\day.json";
    std::wstring error;
    ASSERT_TRUE(saveScript(path, events, error)) << wideToUtf8(error);

    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_big_script")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    ASSERT_TRUE(app.click(idLoad));
    ASSERT_TRUE(chooseFileInDialog(app.processId(), path, 10000));
    const ULONGLONG chosen = GetTickCount64();
    MessageBoxSeen loaded;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", loaded, 120000));
    const ULONGLONG took = GetTickCount64() - chosen;
    EXPECT_EQ(loaded.text, L"加载 1000000 条");
    ASSERT_TRUE(answerMessageBox(loaded, IDOK));
    ASSERT_TRUE(app.waitStatus(L"已加载脚本", 10000));

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, app.processId());
    const bool measured = process != nullptr && GetProcessMemoryInfo(process, &memory, sizeof memory);
    if (process != nullptr) {
        CloseHandle(process);
    }
    printf("[ e2e      ] 1 000 000 events (%.1f MB file): %.2f s from the chosen file to the filled list; "
           "memory afterwards %.0f MB (peak %.0f MB)\n",
           readFileBytes(path).size() / 1048576.0, took / 1000.0, measured ? memory.WorkingSetSize / 1048576.0 : -1.0,
           measured ? memory.PeakWorkingSetSize / 1048576.0 : -1.0);

    HWND list = GetDlgItem(app.window, idEventList);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1000000);
    for (size_t index : {size_t{0}, size_t{500000}, size_t{999999}}) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
        std::wstring row(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        row.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&row[0]))));
        EXPECT_EQ(row, formatEventRow(static_cast<uint32_t>(index), events[index])) << index;
    }
    EXPECT_EQ(controlText(app.window, idEventCount), L"(1000000)");
    EXPECT_LT(took, 120000u) << "generous bound; the figure above is the measurement";

    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
    removeFileIfPresent(path);
}

}  // namespace
