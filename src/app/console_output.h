#pragma once
// Text for the person who started the program from a console (cmd, PowerShell, a batch file): to
// the standard output or error the caller redirected, or to the console of the parent process.

#include <string>

enum class ConsoleStream { Output, Error };

// Finds the caller's console or redirected stream once; false when there is none (started from
// Explorer, a shortcut or a scheduled task without one).
bool attachCallerConsole();
// Writes the text (CR LF line ends) as the stream needs it: UTF-16 to a console, UTF-8 to a file
// or a pipe. False when there is nowhere to write.
bool writeToCaller(ConsoleStream stream, const std::wstring& text);
