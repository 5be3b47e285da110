// Feeds arbitrary bytes to the script loader. Whatever loads must save and load back to the
// same number of events: no loaded script may be one that the program cannot write again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "script/script_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<MacroEvent> events;
    std::wstring error;
    if (!parseScriptText(text, events, error)) {
        if (error.empty()) {
            std::abort();  // a failure must always say why
        }
        return 0;
    }
    std::vector<MacroEvent> again;
    if (!parseScriptText(formatScriptText(events), again, error) || again.size() != events.size()) {
        std::abort();
    }
    return 0;
}
