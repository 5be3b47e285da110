// Feeds arbitrary bytes to the configuration-line reader, with the key matched both ways
// (LorminRecorder.cfg's UPDATE_URL as a prefix, a settings.cfg key exactly).
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/config_lines.h"

namespace {

void checkOneKey(const std::string& content, const char* key, KeyMatch match)
{
    std::string value;
    const bool found = findConfigValue(content, key, match, value);
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
    if (findConfigValue(content, key, match, again) != found || again != value) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    checkOneKey(content, "UPDATE_URL", KeyMatch::Prefix);
    checkOneKey(content, "HOTKEY_RECORD", KeyMatch::Exact);
    return 0;
}
