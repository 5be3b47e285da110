#include "script/script_file.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "base/atomic_file.h"
#include "base/owned.h"
#include "script/script_file_io.h"

namespace {

constexpr long kMaxScriptBytes = 0x10000000;  // 256 MiB
constexpr size_t kReadProgressSteps = 16;

// A load's three steps as one progress: reading the file, then the parser's two passes. The
// parser counts twice the text's size; a text shorter than the file (it shrank while it was
// read) is scaled so that the whole load still ends at three times the file's size.
struct LoadSteps {
    LoadProgress outer;
    uint64_t fileSize;
    uint64_t textSize;
};

void reportParsing(void* context, uint64_t done, uint64_t /*total*/)
{
    const LoadSteps& steps = *static_cast<const LoadSteps*>(context);
    steps.outer.report(steps.outer.context, steps.fileSize + done * steps.fileSize / steps.textSize,
                       3 * steps.fileSize);
}

// Reads up to text.size() bytes in a few large pieces (one per progress step); shortens text to
// what was read.
void readText(FILE* file, std::string& text, const LoadProgress& progress)
{
    const size_t piece = progress.report != nullptr ? text.size() / kReadProgressSteps + 1 : text.size();
    size_t done = 0;
    while (done < text.size()) {
        const size_t wanted = std::min(piece, text.size() - done);
        const size_t read = std::fread(&text[done], 1, wanted, file);
        done += read;
        if (progress.report != nullptr) {
            progress.report(progress.context, done, 3 * static_cast<uint64_t>(text.size()));
        }
        if (read < wanted) {
            break;
        }
    }
    text.resize(done);
}

}  // namespace

bool saveScript(const std::wstring& path, const std::vector<MacroEvent>& events, std::wstring& error)
{
    std::string text;
    try {
        text = formatScriptText(events);
    } catch (const std::bad_alloc&) {
        error = L"写入不完整（磁盘空间不足？）";
        return false;
    }
    // The text goes to a temporary file beside the target, which then replaces the target in one
    // step: a write that fails half-way (disk full, crash) never costs the previous script.
    unsigned long systemError = 0;
    switch (writeFileAtomically(path, text, FinalName::Replace, systemError)) {
    case FileWriteFailure::None: return true;
    case FileWriteFailure::Write: error = L"写入不完整（磁盘空间不足？）"; return false;
    case FileWriteFailure::Create:
    case FileWriteFailure::Place: break;
    }
    error = L"无法写入文件（可能被占用或无权限）";
    return false;
}

bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error)
{
    return loadScript(path, events, error, LoadProgress{});
}

bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error,
                const LoadProgress& progress)
{
    const FileStream file(openScriptFile(path, L"rb"));
    if (!file) {
        error = L"无法打开文件";
        return false;
    }
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        size = std::ftell(file.get());
        std::fseek(file.get(), 0, SEEK_SET);
    }
    if (size < 1 || size > kMaxScriptBytes) {
        error = L"文件为空或过大";
        return false;
    }
    std::string text;
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        error = L"文件为空或过大";
        return false;
    }
    readText(file.get(), text, progress);
    if (progress.report == nullptr || text.empty()) {
        return parseScriptText(text, events, error);
    }
    LoadSteps steps{progress, static_cast<uint64_t>(size), static_cast<uint64_t>(text.size())};
    return parseScriptText(text, events, error, LoadProgress{&reportParsing, &steps});
}
