// Feeds arbitrary server answers to the version.json scanner and the version filter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/update_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ManifestFields fields;
    if (readManifest(text, fields) && (fields.ver.size() > text.size() || fields.url.size() > text.size())) {
        // Decoding only ever shortens a member's text.
        __builtin_trap();
    }
    for (const char* name : {"ver", "url", "sha256", "note"}) {
        std::string value;
        if (extractJsonString(text, name, value)) {
            // The value is a slice of the text, never more.
            if (value.size() > text.size() || text.find(value) == std::string::npos) {
                __builtin_trap();
            }
            if (isAcceptableVersionText(value) &&
                (value.find('\\') != std::string::npos || value.find('/') != std::string::npos ||
                 (!value.empty() && value[0] == '.'))) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
