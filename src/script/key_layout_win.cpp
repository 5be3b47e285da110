#include "script/macro_event.h"

#include <windows.h>

namespace {

// Asks the calling thread's keyboard layout; the shift-state byte is dropped.
int32_t layoutVirtualKey(uint16_t ch)
{
    const SHORT result = VkKeyScanW(static_cast<WCHAR>(ch));
    if (result == -1) {
        return -1;
    }
    return result & 0xFF;
}

}  // namespace

CharToVirtualKeyFn charToVirtualKeySeam = &layoutVirtualKey;
