#include "base/exe_name_cache.h"

#include <string>

#include <gtest/gtest.h>

namespace {

int lookups = 0;

std::string nameOfProcess(uint32_t processId)
{
    ++lookups;
    return "p" + std::to_string(processId) + ".exe";
}

TEST(ExeNameCache, LooksUpOncePerWindowAndProcessAndMakesRoomForNewOnes)
{
    lookups = 0;
    ExeNameCache cache(nameOfProcess);
    EXPECT_EQ(cache.nameFor(1, 10), "p10.exe");
    EXPECT_EQ(cache.nameFor(1, 10), "p10.exe");
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(cache.nameFor(1, 11), "p11.exe");  // the handle now belongs to another process
    EXPECT_EQ(lookups, 2);
    for (uintptr_t window = 100; window < 100 + ExeNameCache::kEntries; ++window) {
        cache.nameFor(window, 5);
    }
    const int before = lookups;
    EXPECT_EQ(cache.nameFor(1, 10), "p10.exe");  // the oldest pair made room
    EXPECT_EQ(lookups, before + 1);
    EXPECT_EQ(cache.nameFor(100 + ExeNameCache::kEntries - 1, 5), "p5.exe");
    EXPECT_EQ(lookups, before + 1);
}

TEST(ExeNameCache, FileNameIsTheLastPathPartInLowerCase)
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
