#include "app/console_output.h"

#include <windows.h>

#include "base/text_encoding.h"

namespace {

bool attached = false;

HANDLE streamHandle(ConsoleStream stream)
{
    const HANDLE handle = GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

bool attachCallerConsole()
{
    // A redirected stream (cmd /c program > file) comes in the start-up information and needs no
    // console; otherwise the parent's console, if it has one, takes the text.
    if (streamHandle(ConsoleStream::Output) != nullptr || streamHandle(ConsoleStream::Error) != nullptr) {
        attached = true;
    } else {
        attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    }
    return attached;
}

bool writeToCaller(ConsoleStream stream, const std::wstring& text)
{
    if (!attached) {
        return false;
    }
    HANDLE handle = streamHandle(stream);
    if (handle == nullptr) {
        handle = streamHandle(stream == ConsoleStream::Output ? ConsoleStream::Error : ConsoleStream::Output);
    }
    if (handle == nullptr) {
        return false;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        return WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    }
    const std::string bytes = wideToUtf8(text);
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}
