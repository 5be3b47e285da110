#include "ui/library_rows.h"

#include "base/text_encoding.h"
#include "library/library_file.h"

namespace {

std::wstring localText(int64_t local)
{
    std::string text = localSecondText(local);
    text[10] = ' ';
    return utf8ToWide(text);
}

}  // namespace

std::wstring scheduleText(const Schedule& schedule)
{
    static const wchar_t* const kDayNames[] = {L"一", L"二", L"三", L"四", L"五", L"六", L"日"};
    switch (schedule.kind) {
    case ScheduleKind::Once: return L"一次 " + localText(schedule.onceAt);
    case ScheduleKind::Daily: {
        const std::wstring at = utf8ToWide(timeOfDayText(schedule.at));
        if (schedule.days == kAllWeekdays) {
            return L"每天 " + at;
        }
        std::wstring days;
        for (int day = 0; day < 7; ++day) {
            if ((schedule.days & (1u << day)) != 0) {
                days += (days.empty() ? L"" : L"、") + std::wstring(kDayNames[day]);
            }
        }
        return L"每周" + days + L" " + at;
    }
    case ScheduleKind::Every: {
        std::wstring text = L"每 " + std::to_wstring(schedule.minutes) + L" 分钟";
        if (schedule.window) {
            text += L"（" + utf8ToWide(timeOfDayText(schedule.from)) + L"–" + utf8ToWide(timeOfDayText(schedule.to)) +
                    L"）";
        }
        return text;
    }
    case ScheduleKind::None: break;
    }
    return std::wstring();
}

LibraryRow libraryRow(const LibraryEntry& entry, std::optional<int64_t> nextRun)
{
    LibraryRow row;
    row.name = utf8ToWide(entry.name);
    row.file = utf8ToWide(entry.file);
    row.key = utf8ToWide(chordText(entry.key));
    row.mode = entry.key.empty() ? std::wstring() : entry.mode == KeyMode::Held ? L"按住时回放" : L"按一次开始/停止";
    row.schedule = scheduleText(entry.schedule);
    row.nextRun = nextRun ? localText(*nextRun) : std::wstring();
    return row;
}
