#pragma once
// What a later start of the program hands to the running window (by WM_COPYDATA): come to the
// front, or open these scripts. The running window answers kHandOverAccepted; any other answer
// (a window that runs an unattended playback, another program's window of the same class) means
// the request was not taken.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class HandOverKind : uint32_t {
    Activate = 0x4C520001,     // no data
    OpenScripts = 0x4C520002,  // the absolute paths, UTF-16, each ended by a zero unit
};

constexpr intptr_t kHandOverAccepted = 0x4C52;

// The most a request may carry; a longer one is refused.
constexpr size_t kHandOverMaxBytes = 1024 * 1024;

struct HandOverRequest {
    HandOverKind kind = HandOverKind::Activate;
    std::vector<std::wstring> files;  // OpenScripts: at least one, none empty
};

// The bytes of an OpenScripts request.
std::wstring encodeHandOverFiles(const std::vector<std::wstring>& files);

// Reads a request as WM_COPYDATA delivers it (dwData, lpData, cbData); false for anything this
// program did not send.
bool decodeHandOver(uint64_t kind, const void* data, size_t bytes, HandOverRequest& request);
