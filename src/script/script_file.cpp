#include "script/script_file.h"

#include <cstdio>
#include <new>

#include "base/owned.h"
#include "script/script_file_io.h"
#include "script/temporary_file.h"

namespace {

constexpr long kMaxScriptBytes = 0x10000000;  // 256 MiB

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
    // step: a write that fails half-way (disk full, crash) never costs the previous script. The
    // temporary file is a new one, never a file that was there before.
    std::wstring temporary;
    FILE* file = createTemporaryBeside(path, temporary);
    if (file == nullptr) {
        error = L"无法写入文件（可能被占用或无权限）";
        return false;
    }
    const size_t written = text.empty() ? 0 : std::fwrite(text.data(), 1, text.size(), file);
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (written != text.size() || !flushed || !closed) {
        removeScriptFile(temporary);
        error = L"写入不完整（磁盘空间不足？）";
        return false;
    }
    if (!replaceScriptFile(temporary, path)) {
        removeScriptFile(temporary);
        error = L"无法写入文件（可能被占用或无权限）";
        return false;
    }
    return true;
}

bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error)
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
    text.resize(std::fread(&text[0], 1, text.size(), file.get()));
    return parseScriptText(text, events, error);
}
