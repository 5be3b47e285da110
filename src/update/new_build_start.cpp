#include "update/new_build_start.h"

#include "base/error_log.h"
#include "base/session_guards.h"
#include "update/update_seams.h"

DWORD newBuildWindowDeadlineSeam = 30000;

namespace {

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window)) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

bool showsWindow(HANDLE process)
{
    WindowSearch search{GetProcessId(process), false};
    if (search.processId != 0) {
        EnumWindows(&findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

void takeGuardBack(const NewBuild& build)
{
    if (build.wasInstance) {
        sessionGuardSeam.take(SessionGuard::WindowInstance);
    }
}

}  // namespace

bool startNewBuild(HWND owner, const std::wstring& path, NewBuild& build)
{
    build.wasInstance = sessionGuardSeam.giveUp(SessionGuard::WindowInstance);
    build.process.reset(updateSystemSeam.startProgram(owner, path.c_str()));
    if (!build.process) {
        const DWORD error = GetLastError();
        takeGuardBack(build);
        ErrorLog::write(L"[更新] 新版本未能启动：%ls err=%lu", path.c_str(), error);
        return false;
    }
    build.startedAt = GetTickCount64();
    ErrorLog::write(L"[更新] 已启动新版本：%ls", path.c_str());
    return true;
}

NewBuildState watchNewBuild(NewBuild& build, ULONGLONG now)
{
    if (showsWindow(build.process.get())) {
        build.process.reset();
        ErrorLog::write(L"[更新] 新版本的窗口已出现，本窗口关闭");
        return NewBuildState::ShowsWindow;
    }
    const bool ended = WaitForSingleObject(build.process.get(), 0) == WAIT_OBJECT_0;
    if (!ended && now - build.startedAt < newBuildWindowDeadlineSeam) {
        return NewBuildState::Starting;
    }
    build.process.reset();
    takeGuardBack(build);
    ErrorLog::write(ended ? L"[更新] 新版本没有打开窗口就结束了，本窗口保留"
                          : L"[更新] 新版本 %lu 秒内没有打开窗口，本窗口保留",
                    newBuildWindowDeadlineSeam / 1000);
    return NewBuildState::Failed;
}
