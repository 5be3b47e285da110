#pragma once
// The per-user error log: %LOCALAPPDATA%\ScriptRecorder\error.log, one time-stamped line per call.

namespace ErrorLog {
// Finds the log path; call once at start-up before other threads exist.
void init();
// printf-style with a wide format string; silent on every failure; callable from any thread.
void write(const wchar_t* format, ...);
}  // namespace ErrorLog
