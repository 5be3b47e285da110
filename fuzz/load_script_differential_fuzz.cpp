// The streaming script loader against the first, tree-based one (tests/script): for every input
// both agree on success, on the error text (message and byte position) and on every field of
// every event; whatever loads is written by the fast writer exactly as by the printf one; the
// progress of a load only grows and ends at its total.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/screen_wait.h"
#include "script/script_file.h"
#include "script/script_text_reference.h"

namespace {

struct ProgressSeen {
    uint64_t calls = 0;
    uint64_t lastDone = 0;
    uint64_t lastTotal = 0;
    bool ordered = true;
};

void noteProgress(void* context, uint64_t done, uint64_t total)
{
    ProgressSeen& seen = *static_cast<ProgressSeen*>(context);
    if (done < seen.lastDone || done > total || (seen.calls > 0 && total != seen.lastTotal)) {
        seen.ordered = false;
    }
    ++seen.calls;
    seen.lastDone = done;
    seen.lastTotal = total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<MacroEvent> streamed(1);
    std::vector<MacroEvent> reference(1);
    std::wstring streamedError = L"untouched";
    std::wstring referenceError = L"untouched";
    ProgressSeen seen;
    const bool streamedOk = parseScriptText(text, streamed, streamedError, LoadProgress{&noteProgress, &seen});
    const bool referenceOk = parseScriptTextWithTree(text, reference, referenceError);
    // The reference knows no wait steps (their own checks are in screen_wait_fuzz): compared without them.
    if (streamedOk) {
        streamed.erase(std::remove_if(streamed.begin(), streamed.end(),
                                      [](const MacroEvent& event) { return isScreenWait(event.kind); }),
                       streamed.end());
    }
    if (streamedOk != referenceOk || streamedError != referenceError || streamed.size() != reference.size()) {
        __builtin_trap();
    }
    for (size_t i = 0; i < streamed.size(); ++i) {
        if (!sameEvent(streamed[i], reference[i])) {
            __builtin_trap();
        }
    }
    if (!seen.ordered || seen.calls > 300 || (streamedOk && seen.lastDone != seen.lastTotal)) {
        __builtin_trap();
    }
    if (streamedOk && formatScriptText(streamed) != formatScriptTextWithPrintf(streamed)) {
        __builtin_trap();
    }
    return 0;
}
