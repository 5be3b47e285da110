#include "script/step_clipboard.h"

#include <utility>

#include "script/script_file.h"

std::string stepsClipboardText(const ScriptContents& steps)
{
    return formatScriptText(steps.events, steps.windows);
}

bool readStepsClipboardText(const std::string& text, ScriptContents& steps, std::wstring& error)
{
    ScriptContents read;
    if (!parseScriptText(text, read.events, read.windows, error, LoadProgress{})) {
        return false;
    }
    if (read.events.empty()) {
        error = L"剪贴板中的脚本没有步骤";
        return false;
    }
    steps = std::move(read);
    return true;
}
