// Feeds arbitrary bytes to the JSON reader: it must either build a tree or throw its own error.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "script/json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        parseJson(text);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
