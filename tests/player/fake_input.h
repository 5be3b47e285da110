#pragma once
// A recording stand-in for SetCursorPos, SendInput, MapVirtualKeyW and GetAsyncKeyState.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "player/input_injection.h"

struct FakeInput {
    // One entry per platform call, in order: either a cursor position or a sent record.
    struct Call {
        bool cursor = false;
        int32_t x = 0;
        int32_t y = 0;
        InputRecord record;
        bool refused = false;  // the record was handed to SendInput and refused
    };
    std::vector<Call> calls;
    // The number of records of each SendInput call, in order.
    std::vector<uint32_t> batchSizes;
    // Which records the system refuses, with this error; none when empty.
    std::function<bool(const InputRecord&)> refuses;
    uint32_t refusalError = 5;  // ERROR_ACCESS_DENIED
    // The keys and buttons the system reports down. Sent records do not change it, as on a
    // system that takes a moment to count a release.
    std::vector<uint32_t> down;

    InputSeam seam()
    {
        InputSeam s;
        s.context = this;
        s.setCursorPos = [](void* context, int32_t x, int32_t y) {
            FakeInput::Call call;
            call.cursor = true;
            call.x = x;
            call.y = y;
            static_cast<FakeInput*>(context)->calls.push_back(call);
        };
        s.sendInput = [](void* context, const InputRecord& record, uint32_t& error) {
            return static_cast<FakeInput*>(context)->send(&record, 1, error);
        };
        s.sendInputs = [](void* context, const InputRecord* records, uint32_t count, uint32_t& error) {
            return static_cast<FakeInput*>(context)->send(records, count, error);
        };
        // A recognisable scan code per key.
        s.mapVirtualKey = [](void*, uint32_t virtualKey) { return virtualKey + 0x1000u; };
        s.isKeyDown = [](void* context, uint32_t virtualKey) {
            const std::vector<uint32_t>& reported = static_cast<FakeInput*>(context)->down;
            return std::find(reported.begin(), reported.end(), virtualKey) != reported.end();
        };
        return s;
    }

    // One SendInput call: refused whole when the system refuses any of its records.
    bool send(const InputRecord* records, uint32_t count, uint32_t& error)
    {
        bool refused = false;
        for (uint32_t i = 0; i < count; ++i) {
            refused = refused || (refuses && refuses(records[i]));
        }
        for (uint32_t i = 0; i < count; ++i) {
            Call call;
            call.record = records[i];
            call.refused = refused;
            calls.push_back(call);
        }
        batchSizes.push_back(count);
        error = refused ? refusalError : 0;
        return !refused;
    }
};

inline InputRecord mouseRecord(uint32_t flags, int32_t data = 0)
{
    InputRecord r;
    r.type = kInputTypeMouse;
    r.mouseFlags = flags;
    r.mouseData = data;
    return r;
}

inline InputRecord keyboardRecord(uint16_t virtualKey, uint32_t flags)
{
    InputRecord r;
    r.type = kInputTypeKeyboard;
    r.virtualKey = virtualKey;
    r.scanCode = static_cast<uint16_t>(virtualKey + 0x1000u);
    r.keyFlags = flags;
    return r;
}

inline bool operator==(const InputRecord& a, const InputRecord& b)
{
    return a.type == b.type && a.dx == b.dx && a.dy == b.dy && a.mouseData == b.mouseData &&
           a.mouseFlags == b.mouseFlags && a.virtualKey == b.virtualKey && a.scanCode == b.scanCode &&
           a.keyFlags == b.keyFlags;
}

inline std::string describe(const FakeInput::Call& call)
{
    if (call.cursor) {
        return "cursor(" + std::to_string(call.x) + "," + std::to_string(call.y) + ")";
    }
    const InputRecord& r = call.record;
    const std::string refused = call.refused ? " refused" : "";
    if (r.type == kInputTypeKeyboard) {
        return "key(vk=" + std::to_string(r.virtualKey) + ",scan=" + std::to_string(r.scanCode) +
               ",flags=" + std::to_string(r.keyFlags) + ")" + refused;
    }
    return "mouse(flags=" + std::to_string(r.mouseFlags) + ",data=" + std::to_string(r.mouseData) +
           ",dx=" + std::to_string(r.dx) + ",dy=" + std::to_string(r.dy) + ")" + refused;
}

inline FakeInput::Call cursorCall(int32_t x, int32_t y)
{
    FakeInput::Call c;
    c.cursor = true;
    c.x = x;
    c.y = y;
    return c;
}

inline FakeInput::Call recordCall(const InputRecord& record)
{
    FakeInput::Call c;
    c.record = record;
    return c;
}

inline FakeInput::Call refusedCall(const InputRecord& record)
{
    FakeInput::Call c = recordCall(record);
    c.refused = true;
    return c;
}

inline std::vector<std::string> describeAll(const std::vector<FakeInput::Call>& calls)
{
    std::vector<std::string> out;
    for (const auto& c : calls) {
        out.push_back(describe(c));
    }
    return out;
}
