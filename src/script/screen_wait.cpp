#include "script/screen_wait.h"

#include <cmath>
#include <cstring>

#include "script/json_number.h"
#include "script/macro_event.h"
#include "script/script_file.h"

namespace {

constexpr char kBase64Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : (c == '/' ? 63 : -1);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

uint32_t bigEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// A number member brought into [low, high] (a whole number for integers); fallback when absent.
double inRange(bool present, double value, double low, double high, double fallback)
{
    if (!present || std::isnan(value)) {
        return fallback;
    }
    return value < low ? low : (value > high ? high : value);
}

int32_t wholeInRange(bool present, double value, double low, double high, double fallback)
{
    return static_cast<int32_t>(std::trunc(inRange(present, value, low, high, fallback)));
}

template <size_t N>
void put(std::string& out, const char (&text)[N])
{
    out.append(text, N - 1);
}

void putInteger(std::string& out, const char* name, int32_t value)
{
    char text[16];
    out += name;
    out.append(text, static_cast<size_t>(writeJsonInteger(text, value) - text));
}

void putTimeout(std::string& out, const ScreenWait& wait)
{
    char text[kJsonNumberRoom];
    put(out, ", \"to\": ");
    out.append(text, static_cast<size_t>(writeJsonNumber(text, wait.timeoutSeconds) - text));
    put(out, ", \"else\": \"");
    out += timeoutActionName(wait.onTimeout);
    out += '"';
}

}  // namespace

bool isScreenWait(EventKind kind)
{
    return kind == EventKind::WaitWindow || kind == EventKind::WaitColour || kind == EventKind::WaitPicture;
}

const char* windowConditionName(WindowCondition until)
{
    switch (until) {
    case WindowCondition::Front: return "front";
    case WindowCondition::Gone: return "gone";
    default: return "shown";
    }
}

bool windowConditionFromName(const std::string& name, WindowCondition& until)
{
    for (WindowCondition c : {WindowCondition::Shown, WindowCondition::Front, WindowCondition::Gone}) {
        if (name == windowConditionName(c)) {
            until = c;
            return true;
        }
    }
    return false;
}

const char* timeoutActionName(TimeoutAction action)
{
    return action == TimeoutAction::Go ? "go" : "stop";
}

bool timeoutActionFromName(const std::string& name, TimeoutAction& action)
{
    for (TimeoutAction a : {TimeoutAction::Stop, TimeoutAction::Go}) {
        if (name == timeoutActionName(a)) {
            action = a;
            return true;
        }
    }
    return false;
}

const char* foundClickName(FoundClick click)
{
    switch (click) {
    case FoundClick::Left: return "left";
    case FoundClick::Right: return "right";
    case FoundClick::Double: return "double";
    default: return "";
    }
}

bool foundClickFromName(const std::string& name, FoundClick& click)
{
    for (FoundClick c : {FoundClick::Left, FoundClick::Right, FoundClick::Double}) {
        if (name == foundClickName(c)) {
            click = c;
            return true;
        }
    }
    return false;
}

std::string colourText(uint32_t rgb)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4) {
        text += kHex[(rgb >> shift) & 0xF];
    }
    return text;
}

bool colourFromText(const std::string& text, uint32_t& rgb)
{
    if (text.size() != 7 || text[0] != '#') {
        return false;
    }
    uint32_t value = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    rgb = value;
    return true;
}

std::string encodeBase64(const std::string& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t left = bytes.size() - at;
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 16;
        if (left > 1) {
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[at + 2]);
        }
        text += kBase64Letters[group >> 18];
        text += kBase64Letters[(group >> 12) & 63];
        text += left > 1 ? kBase64Letters[(group >> 6) & 63] : '=';
        text += left > 2 ? kBase64Letters[group & 63] : '=';
    }
    return text;
}

bool decodeBase64(const char* text, size_t length, std::string& out)
{
    if (length % 4 != 0) {
        return false;
    }
    std::string bytes;
    bytes.reserve(length / 4 * 3);
    for (size_t at = 0; at < length; at += 4) {
        const bool last = at + 4 == length;
        const size_t padding = last ? (text[at + 3] == '=' ? (text[at + 2] == '=' ? 2 : 1) : 0) : 0;
        uint32_t group = 0;
        for (size_t i = 0; i < 4; ++i) {
            const int value = i < 4 - padding ? base64Value(text[at + i]) : 0;
            if (value < 0) {
                return false;
            }
            group = group << 6 | static_cast<uint32_t>(value);
        }
        // The bits the padding leaves over must be zero, so that each text decodes one way only.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) {
            return false;
        }
        bytes += static_cast<char>(group >> 16);
        if (padding < 2) {
            bytes += static_cast<char>((group >> 8) & 0xFF);
        }
        if (padding < 1) {
            bytes += static_cast<char>(group & 0xFF);
        }
    }
    out.swap(bytes);
    return true;
}

bool pngPictureSize(const std::string& png, int32_t& width, int32_t& height)
{
    // Signature, then the first chunk: length 13, "IHDR", width, height.
    if (png.size() < 33 || std::memcmp(png.data(), kPngSignature, sizeof kPngSignature) != 0 ||
        bigEndian32(png, 8) != 13 || png.compare(12, 4, "IHDR") != 0) {
        return false;
    }
    const uint32_t w = bigEndian32(png, 16);
    const uint32_t h = bigEndian32(png, 20);
    if (w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide) {
        return false;
    }
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

double usableWaitSeconds(double seconds)
{
    return inRange(true, seconds, kMinWaitSeconds, kMaxWaitSeconds, kDefaultWaitSeconds);
}

std::shared_ptr<const ScreenWait> screenWaitFromMembers(EventKind kind, WaitMembers& members)
{
    auto wait = std::make_shared<ScreenWait>();
    wait->timeoutSeconds = members.hasTimeout ? usableWaitSeconds(members.timeoutSeconds) : kDefaultWaitSeconds;
    timeoutActionFromName(members.onTimeout, wait->onTimeout);
    switch (kind) {
    case EventKind::WaitWindow: windowConditionFromName(members.until, wait->until); break;
    case EventKind::WaitColour:
        if (!colourFromText(members.rgb, wait->rgb)) {
            return nullptr;
        }
        wait->absent = members.absent;
        wait->tolerance = wholeInRange(members.hasTolerance, members.tolerance, 0, 255, kDefaultColourTolerance);
        break;
    case EventKind::WaitPicture:
        if (!decodeBase64(members.png.data(), members.png.size(), wait->png) ||
            !pngPictureSize(wait->png, wait->pictureWidth, wait->pictureHeight)) {
            return nullptr;
        }
        wait->tolerance = wholeInRange(members.hasTolerance, members.tolerance, 0, 255, kDefaultPictureTolerance);
        wait->areaWidth = wholeInRange(members.hasAreaWidth, members.areaWidth, 0, 1e9, 0);
        wait->areaHeight = wholeInRange(members.hasAreaHeight, members.areaHeight, 0, 1e9, 0);
        if (wait->areaWidth == 0 || wait->areaHeight == 0) {
            wait->areaWidth = wait->areaHeight = 0;
        }
        foundClickFromName(members.click, wait->click);
        // The click point lies inside the picture; one outside it (or half given) means the centre.
        wait->clickAtPoint = members.hasClickX && members.hasClickY && members.clickX >= 0 && members.clickY >= 0 &&
                             members.clickX < wait->pictureWidth && members.clickY < wait->pictureHeight;
        if (wait->clickAtPoint) {
            wait->clickX = static_cast<int32_t>(members.clickX);
            wait->clickY = static_cast<int32_t>(members.clickY);
        }
        break;
    default: return nullptr;
    }
    return wait;
}

void appendScreenWaitMembers(std::string& out, const MacroEvent& event, int32_t savedWindow)
{
    static const ScreenWait kDefaults;
    const ScreenWait& wait = event.wait != nullptr ? *event.wait : kDefaults;
    if (event.kind == EventKind::WaitWindow) {
        putInteger(out, ", \"w\": ", savedWindow);
        put(out, ", \"until\": \"");
        out += windowConditionName(wait.until);
        out += '"';
        putTimeout(out, wait);
        return;
    }
    putInteger(out, ", \"x\": ", event.x);
    putInteger(out, ", \"y\": ", event.y);
    if (event.kind == EventKind::WaitColour) {
        put(out, ", \"rgb\": \"");
        out += colourText(wait.rgb);
        out += '"';
        putInteger(out, ", \"tol\": ", wait.tolerance);
        out += wait.absent ? ", \"not\": true" : ", \"not\": false";
        putTimeout(out, wait);
        return;
    }
    putInteger(out, ", \"cx\": ", wait.areaWidth);
    putInteger(out, ", \"cy\": ", wait.areaHeight);
    put(out, ", \"png\": \"");
    out += encodeBase64(wait.png);
    out += '"';
    putInteger(out, ", \"tol\": ", wait.tolerance);
    putTimeout(out, wait);
    if (wait.click != FoundClick::None) {
        put(out, ", \"click\": \"");
        out += foundClickName(wait.click);
        out += '"';
        if (wait.clickAtPoint) {
            putInteger(out, ", \"px\": ", wait.clickX);
            putInteger(out, ", \"py\": ", wait.clickY);
        }
    }
}

size_t screenWaitTextBound(const MacroEvent& event)
{
    // Every member but the picture fits in 256 bytes (names, eight integers, one number).
    return 256 + kJsonNumberRoom + (event.wait != nullptr ? (event.wait->png.size() + 2) / 3 * 4 : 0);
}
