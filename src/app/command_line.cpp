#include "app/command_line.h"

#include <string>

#include "player/pass_gap.h"
#include "player/playback_loop.h"
#include "player/window_follow.h"
#include "script/json_number.h"

namespace {

StartRequest invalid(const std::wstring& error)
{
    StartRequest request;
    request.mode = StartMode::Invalid;
    request.error = error;
    return request;
}

bool isOption(const std::wstring& argument)
{
    return argument.size() > 1 && (argument[0] == L'-' || argument == L"/?");
}

// An option that takes a value is followed by it; a negative number is a value, not an option.
bool isMissingValue(const std::vector<std::wstring>& arguments, size_t at)
{
    if (at >= arguments.size()) {
        return true;
    }
    const std::wstring& next = arguments[at];
    return next.compare(0, 2, L"--") == 0 || next == L"-h" || next == L"/?";
}

bool isAsciiDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Moves at past a run of ASCII digits and returns how many there were.
size_t skipDigits(const std::wstring& text, size_t& at)
{
    const size_t start = at;
    while (at < text.size() && isAsciiDigit(text[at])) {
        ++at;
    }
    return at - start;
}

// The program's own grammar of a decimal number, the same under every C runtime: an optional sign,
// digits with at most one full stop among or after them (at least one digit in all), and an
// optional exponent of e or E, an optional sign and at least one digit. ASCII digits only; nothing
// may follow.
bool isDecimalNumber(const std::wstring& text)
{
    size_t at = 0;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) {
        ++at;
    }
    size_t digits = skipDigits(text, at);
    if (at < text.size() && text[at] == L'.') {
        ++at;
        digits += skipDigits(text, at);
    }
    if (digits == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == L'e' || text[at] == L'E')) {
        ++at;
        if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) {
            ++at;
        }
        if (skipDigits(text, at) == 0) {
            return false;
        }
    }
    return at == text.size();
}

// A decimal number written out in full ("1.5", "2", "0.25", "1e1"); a value beyond any double
// ("1e400") is infinite and so out of range.
bool readSpeed(const std::wstring& text, double& speed)
{
    if (text.size() > 32 || !isDecimalNumber(text)) {
        return false;
    }
    // The grammar let through ASCII only, so the narrow copy is exact.
    const std::string narrow(text.begin(), text.end());
    speed = numberRunValue(narrow.data(), narrow.data() + narrow.size());
    return true;
}

// ASCII digits only; anything longer than four digits is out of range anyway.
bool readLoops(const std::wstring& text, int& loops, bool& tooLarge)
{
    tooLarge = false;
    size_t at = 0;
    if (skipDigits(text, at) == 0 || at != text.size()) {
        return false;
    }
    size_t first = text.find_first_not_of(L'0');
    if (first == std::wstring::npos) {
        loops = 0;
        return true;
    }
    if (text.size() - first > 4) {
        tooLarge = true;
        return true;
    }
    loops = 0;
    for (size_t i = first; i < text.size(); ++i) {
        loops = loops * 10 + (text[i] - L'0');
    }
    return true;
}

struct Seen {
    bool play = false;
    bool speed = false;
    bool loops = false;
    bool endless = false;
    bool noFidelity = false;
    bool followWindows = false;
    bool noFollowWindows = false;
    bool windowWait = false;
    bool passGap = false;
};

// Where an option is noted as seen; null for an option the program does not know.
bool* seenFlag(Seen& seen, const std::wstring& option)
{
    return option == L"--play"                ? &seen.play
           : option == L"--speed"             ? &seen.speed
           : option == L"--loops"             ? &seen.loops
           : option == L"--endless"           ? &seen.endless
           : option == L"--no-fidelity"       ? &seen.noFidelity
           : option == L"--follow-windows"    ? &seen.followWindows
           : option == L"--no-follow-windows" ? &seen.noFollowWindows
           : option == L"--window-wait"       ? &seen.windowWait
           : option == L"--pass-gap"          ? &seen.passGap
                                              : nullptr;
}

bool takesValue(const std::wstring& option)
{
    return option == L"--play" || option == L"--speed" || option == L"--loops" || option == L"--window-wait" ||
           option == L"--pass-gap";
}

// A whole number from low to high into number; the error text otherwise (empty when it was read).
std::wstring readWholeNumber(const std::wstring& value, int low, int high, int& number, const wchar_t* notWhole,
                             const wchar_t* outOfRange)
{
    bool tooLarge = false;
    if (!readLoops(value, number, tooLarge)) {
        return notWhole + value;
    }
    if (tooLarge || number < low || number > high) {
        return outOfRange + value;
    }
    return {};
}

// Takes the value of an option that has one into the request; the error text when it is refused.
std::wstring readOptionValue(const std::wstring& option, const std::wstring& value, StartRequest& request)
{
    if (option == L"--play") {
        request.files.push_back(value);
        return {};
    }
    if (option == L"--speed") {
        if (!readSpeed(value, request.speed)) {
            return L"倍速不是数字：" + value;
        }
        if (!(request.speed >= kMinPlaybackSpeed && request.speed <= kMaxPlaybackSpeed)) {
            return L"倍速须在 0.1 到 10 之间：" + value;
        }
        return {};
    }
    if (option == L"--window-wait") {
        return readWholeNumber(value, kMinWindowWaitSeconds, kMaxWindowWaitSeconds, request.windowWaitSeconds,
                               L"等待秒数不是整数：", L"等待秒数须在 1 到 600 之间：");
    }
    if (option == L"--pass-gap") {
        return readWholeNumber(value, kMinPassGapSeconds, kMaxPassGapSeconds, request.passGapSeconds,
                               L"间隔秒数不是整数：", L"间隔秒数须在 0 到 3600 之间：");
    }
    return readWholeNumber(value, kMinPlaybackLoops, kMaxPlaybackLoops, request.loops, L"次数不是整数：",
                           L"次数须在 1 到 999 之间：");
}

// What the options seen together make of the request, once every argument was read.
StartRequest completeRequest(StartRequest request, const Seen& seen, const std::vector<std::wstring>& positional)
{
    if (seen.loops && seen.endless) {
        return invalid(L"--loops 与 --endless 不能同时使用");
    }
    if (seen.followWindows && seen.noFollowWindows) {
        return invalid(L"--follow-windows 与 --no-follow-windows 不能同时使用");
    }
    if (!seen.play) {
        if (seen.speed || seen.loops || seen.endless || seen.noFidelity) {
            return invalid(L"--speed、--loops、--endless 和 --no-fidelity 只能与 --play 一起使用");
        }
        if (seen.followWindows || seen.noFollowWindows || seen.windowWait) {
            return invalid(L"--follow-windows、--no-follow-windows 和 --window-wait 只能与 --play 一起使用");
        }
        if (seen.passGap) {
            return invalid(L"--pass-gap 只能与 --play 一起使用");
        }
        request.mode = positional.empty() ? StartMode::Window : StartMode::Open;
        request.files = positional;
        return request;
    }
    if (!positional.empty()) {
        return invalid(L"多余的参数：" + positional.front());
    }
    request.mode = StartMode::Play;
    request.endless = seen.endless;
    request.clickFidelity = !seen.noFidelity;
    request.followWindows = seen.followWindows     ? FollowWindows::On
                            : seen.noFollowWindows ? FollowWindows::Off
                                                   : FollowWindows::FromSettings;
    if (request.endless) {
        request.loops = 1;
    }
    return request;
}

}  // namespace

StartRequest parseCommandLine(const std::vector<std::wstring>& arguments)
{
    StartRequest request;
    Seen seen;
    std::vector<std::wstring> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            StartRequest help;
            help.mode = StartMode::Help;
            return help;
        }
        if (!isOption(argument)) {
            positional.push_back(argument);
            continue;
        }
        bool* flag = seenFlag(seen, argument);
        if (flag == nullptr) {
            return invalid(L"未知选项：" + argument);
        }
        if (*flag) {
            return invalid(L"选项重复：" + argument);
        }
        *flag = true;
        if (!takesValue(argument)) {
            continue;
        }
        if (isMissingValue(arguments, i + 1)) {
            return invalid(L"选项 " + argument + L" 缺少值");
        }
        const std::wstring error = readOptionValue(argument, arguments[++i], request);
        if (!error.empty()) {
            return invalid(error);
        }
    }
    return completeRequest(request, seen, positional);
}

std::wstring usageText()
{
    return L"用法：\r\n"
           L"  LorminRecorder.exe [脚本文件]\r\n"
           L"  LorminRecorder.exe --play 脚本文件 [--speed 倍速] [--loops 次数 | --endless] [--no-fidelity]\r\n"
           L"                     [--follow-windows | --no-follow-windows] [--window-wait 秒数] [--pass-gap 秒数]\r\n"
           L"\r\n"
           L"  --play 文件     加载脚本并立即回放（窗口最小化），回放结束后退出\r\n"
           L"  --speed 倍速    0.1 到 10，默认 1\r\n"
           L"  --loops 次数    1 到 999，默认 1\r\n"
           L"  --endless       无限循环，直到按停止键\r\n"
           L"  --no-fidelity   关闭点击保真\r\n"
           L"  --follow-windows     回放时跟随窗口（本次回放，优先于设置）\r\n"
           L"  --no-follow-windows  回放时不跟随窗口（本次回放，优先于设置）\r\n"
           L"  --window-wait 秒数   等待窗口最长秒数，1 到 600（本次回放，优先于设置）\r\n"
           L"  --pass-gap 秒数      两遍之间等待的秒数，0 到 3600（本次回放，优先于设置）\r\n"
           L"  --help, -h, /?  显示本说明\r\n"
           L"\r\n"
           L"退出码：0 全部完成；1 被用户停止；2 参数错误；3 脚本无法加载；4 无法开始回放；5 输入被系统拒绝；6 "
           L"找不到窗口；7 等待超时\r\n";
}
