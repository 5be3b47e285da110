#include "base/window_facts_cache.h"

#include <string>

#include <gtest/gtest.h>

namespace {

int exeLookups = 0;
int classLookups = 0;
int dpiLookups = 0;

WindowFactsCache countingCache()
{
    exeLookups = classLookups = dpiLookups = 0;
    WindowFactsCache::Lookups lookups;
    lookups.exeName = [](uint32_t processId) {
        ++exeLookups;
        return "p" + std::to_string(processId) + ".exe";
    };
    lookups.windowClass = [](uintptr_t window) {
        ++classLookups;
        return "C" + std::to_string(window);
    };
    lookups.monitorDpi = [](uintptr_t window) {
        ++dpiLookups;
        return static_cast<int32_t>(96 + window);
    };
    return WindowFactsCache(lookups);
}

TEST(WindowFactsCache, LooksEachFactUpOncePerWindowAndProcess)
{
    // Calls in order, each with the lookups counted so far after it.
    enum Fact { Exe, Class, Dpi };
    const struct {
        Fact fact;
        uintptr_t window;
        uint32_t processId;
        int32_t originX;
        const char* answer;  // exe or class; the DPI is 96 + window
        int exes, classes, dpis;
    } steps[] = {
        {Exe, 1, 10, 0, "p10.exe", 1, 0, 0}, {Exe, 1, 10, 0, "p10.exe", 1, 0, 0},
        {Class, 1, 10, 0, "C1", 1, 1, 0},    {Class, 1, 10, 0, "C1", 1, 1, 0},
        {Dpi, 1, 10, 5, "", 1, 1, 1},        {Dpi, 1, 10, 5, "", 1, 1, 1},  // the window stayed where it was
        {Dpi, 1, 10, 6, "", 1, 1, 2},                                       // it moved: asked again
        {Exe, 1, 11, 0, "p11.exe", 2, 1, 2},                                // the handle now belongs to another process
        {Class, 1, 11, 0, "C1", 2, 2, 2},    {Dpi, 1, 11, 6, "", 2, 2, 3},
        {Class, 2, 10, 0, "C2", 2, 3, 3},    {Exe, 1, 10, 0, "p10.exe", 2, 3, 3},  // the first pair is still remembered
    };
    WindowFactsCache cache = countingCache();
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i) {
        const auto& step = steps[i];
        SCOPED_TRACE(i);
        if (step.fact == Exe) {
            EXPECT_EQ(cache.exeName(step.window, step.processId), step.answer);
        } else if (step.fact == Class) {
            EXPECT_EQ(cache.windowClass(step.window, step.processId), step.answer);
        } else {
            EXPECT_EQ(cache.monitorDpi(step.window, step.processId, step.originX, 0), 96 + step.window);
        }
        EXPECT_EQ(exeLookups, step.exes);
        EXPECT_EQ(classLookups, step.classes);
        EXPECT_EQ(dpiLookups, step.dpis);
    }
}

TEST(WindowFactsCache, TheOldestPairMakesRoom)
{
    WindowFactsCache cache = countingCache();
    cache.exeName(1, 10);
    for (uintptr_t window = 100; window < 100 + WindowFactsCache::kEntries; ++window) {
        cache.exeName(window, 5);
    }
    const int before = exeLookups;
    EXPECT_EQ(cache.exeName(1, 10), "p10.exe");
    EXPECT_EQ(exeLookups, before + 1);
    EXPECT_EQ(cache.exeName(100 + WindowFactsCache::kEntries - 1, 5), "p5.exe");
    EXPECT_EQ(exeLookups, before + 1);
}

TEST(WindowFactsCache, FileNameIsTheLastPathPartInLowerCase)
{
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\Windows\\System32\\NOTEPAD.EXE", L"notepad.exe"},
        {L"C:/Program Files/App/App.exe", L"app.exe"},
        {L"Plain.Exe", L"plain.exe"},
        {L"C:\\dir\\", L""},
        {L"", L""},
        {L"D:\\Ünïcode\\Ä.EXE", L"Ä.exe"},  // letters beyond A to Z are the system's to lower
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exeFileName(c.path), c.name);
    }
}

}  // namespace
