// Feeds arbitrary bytes to the LorminRecorder.cfg line scanner.
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/config_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    std::string value;
    const bool found = findUpdateUrlSetting(content, value);
    if (!found && !value.empty()) {
        __builtin_trap();
    }
    if (found) {
        // The value is a slice of one line: never longer than the file, never across an LF.
        if (value.size() > content.size() || value.find('\n') != std::string::npos ||
            content.find(value) == std::string::npos) {
            __builtin_trap();
        }
        // Blanks around it are always trimmed unless the value was quoted.
        const auto blank = [](char c) { return c == ' ' || c == '\t'; };
        if (!value.empty() && (blank(value.front()) || blank(value.back())) &&
            content.find("\"" + value + "\"") == std::string::npos) {
            __builtin_trap();
        }
    }
    // Scanning the same content again gives the same answer.
    std::string again;
    if (findUpdateUrlSetting(content, again) != found || again != value) {
        __builtin_trap();
    }
    return 0;
}
