#include "script/macro_event.h"

namespace {

// A US keyboard layout, for builds without VkKeyScanW.
int32_t usLayoutVirtualKey(uint16_t ch)
{
    if (ch >= 'A' && ch <= 'Z') {
        return ch;
    }
    if (ch >= 'a' && ch <= 'z') {
        return ch - 'a' + 'A';
    }
    if (ch >= '0' && ch <= '9') {
        return ch;
    }
    switch (ch) {
    case ' ': return 0x20;
    case ';': return 0xBA;
    case '=': return 0xBB;
    case ',': return 0xBC;
    case '-': return 0xBD;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    case '[': return 0xDB;
    case '\\': return 0xDC;
    case ']': return 0xDD;
    case '\'': return 0xDE;
    default: return -1;
    }
}

}  // namespace

CharToVirtualKeyFn charToVirtualKeySeam = &usLayoutVirtualKey;
