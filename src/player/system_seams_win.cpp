#include "player/system_seams.h"

#include <windows.h>

namespace {

void systemSetCursorPos(void*, int32_t x, int32_t y)
{
    SetCursorPos(x, y);
}

INPUT systemInput(const InputRecord& record)
{
    INPUT input{};
    input.type = record.type;
    if (record.type == kInputTypeKeyboard) {
        input.ki.wVk = record.virtualKey;
        input.ki.wScan = record.scanCode;
        input.ki.dwFlags = record.keyFlags;
    } else {
        input.mi.dx = record.dx;
        input.mi.dy = record.dy;
        // mouseData is a DWORD that carries a signed wheel amount.
        input.mi.mouseData = static_cast<DWORD>(record.mouseData);
        input.mi.dwFlags = record.mouseFlags;
    }
    return input;
}

bool systemSendInput(void*, const InputRecord& record, uint32_t& error)
{
    INPUT input = systemInput(record);
    if (SendInput(1, &input, sizeof(INPUT)) == 1) {
        error = 0;
        return true;
    }
    error = GetLastError();
    return false;
}

bool systemSendInputs(void*, const InputRecord* records, uint32_t count, uint32_t& error)
{
    constexpr uint32_t kMostRecords = 8;
    INPUT inputs[kMostRecords];
    if (count > kMostRecords) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        inputs[i] = systemInput(records[i]);
    }
    if (SendInput(count, inputs, sizeof(INPUT)) == count) {
        error = 0;
        return true;
    }
    error = GetLastError();
    return false;
}

uint32_t systemMapVirtualKey(void*, uint32_t virtualKey)
{
    return MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
}

bool systemIsKeyDown(void*, uint32_t virtualKey)
{
    return (GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

}  // namespace

double systemDoubleClickSeconds(void*)
{
    return static_cast<double>(GetDoubleClickTime()) / 1000.0;
}

InputSeam systemInputSeam()
{
    InputSeam seam;
    seam.setCursorPos = &systemSetCursorPos;
    seam.sendInput = &systemSendInput;
    seam.mapVirtualKey = &systemMapVirtualKey;
    seam.isKeyDown = &systemIsKeyDown;
    seam.sendInputs = &systemSendInputs;
    return seam;
}

InputSeam playbackInputSeam = systemInputSeam();
