#pragma once
// Message pumping helpers for tests that own windows or hooks on their thread.

#include <functional>
#include <windows.h>

// Dispatches the calling thread's messages for about durationMs.
void pumpMessagesFor(unsigned durationMs);
// Dispatches messages until done() is true or timeoutMs passed; returns done().
bool pumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs);
