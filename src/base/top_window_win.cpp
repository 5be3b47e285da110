#include "base/top_window_win.h"

#include "base/dpi_scaling.h"
#include "base/system_dpi.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"

namespace {

constexpr int kMdtEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// shcore.dll is not loaded by the program otherwise; loaded once and kept for the process.
GetDpiForMonitorFn dpiForMonitorFunction()
{
    static const GetDpiForMonitorFn function = [] {
        const HMODULE module = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return module != nullptr ? reinterpret_cast<GetDpiForMonitorFn>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "GetDpiForMonitor")))
                                 : nullptr;
    }();
    return function;
}

}  // namespace

HWND topLevelWindowOf(HWND window)
{
    return window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
}

std::string windowClassUtf8(HWND window)
{
    wchar_t name[257];
    const int length = GetClassNameW(window, name, 257);
    return length > 0 ? wideToUtf8(std::wstring(name, static_cast<size_t>(length))) : std::string();
}

std::string windowTitleUtf8(HWND window)
{
    wchar_t title[512];
    const int length = InternalGetWindowText(window, title, 512);
    return length > 0 ? wideToUtf8(std::wstring(title, static_cast<size_t>(length))) : std::string();
}

std::string processExeName(uint32_t processId)
{
    const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return std::string();
    }
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &length)) {
        return std::string();
    }
    std::wstring name = exeFileName(std::wstring(path, length));
    if (!name.empty()) {
        CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));  // the letters beyond A to Z too
    }
    return wideToUtf8(name);
}

uint32_t windowProcessId(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

WindowFactsCache::Lookups systemWindowFacts()
{
    WindowFactsCache::Lookups lookups;
    lookups.exeName = processExeName;
    lookups.windowClass = [](uintptr_t window) { return windowClassUtf8(reinterpret_cast<HWND>(window)); };
    lookups.monitorDpi = [](uintptr_t window) {
        return static_cast<int32_t>(monitorDpiOf(reinterpret_cast<HWND>(window)));
    };
    return lookups;
}

bool clientOriginOf(HWND window, POINT& origin)
{
    origin = POINT{0, 0};
    return ClientToScreen(window, &origin) != FALSE;
}

int monitorDpiOf(HWND window)
{
    return dpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int dpiOfMonitor(HMONITOR monitor)
{
    static const int systemDpi = screenDpi();
    const GetDpiForMonitorFn dpiForMonitor = dpiForMonitorFunction();
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (dpiForMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(dpiForMonitor(monitor, kMdtEffectiveDpi, &dpiX, &dpiY))) {
        return saneDpi(static_cast<int>(dpiX));
    }
    return systemDpi;
}
