#include "library/schtasks_line.h"

#include <cstdio>

#include "library/civil_time.h"
#include "library/library_file.h"
#include "script/script_file.h"

namespace {

// "08:00", or "08:00:30" when the time has seconds.
std::string clockText(int secondOfDay)
{
    const std::string text = timeOfDayText(secondOfDay);
    return secondOfDay % 60 == 0 ? text.substr(0, 5) : text;
}

// A path inside the quoted /tr value: its quotes escaped as schtasks wants them.
std::string innerQuoted(const std::string& text)
{
    return "\\\"" + text + "\\\"";
}

std::string playCommand(const LibraryEntry& entry, const std::string& exe)
{
    std::string command = innerQuoted(exe) + " --play " + innerQuoted(entry.file);
    if (entry.speed != 1.0) {
        command += " --speed " + formatJsonNumber(entry.speed);
    }
    if (entry.endless) {
        command += " --endless";
    } else if (entry.loops != 1) {
        command += " --loops " + std::to_string(entry.loops);
    }
    if (!entry.fidelity) {
        command += " --no-fidelity";
    }
    if (entry.follow) {
        command += *entry.follow ? " --follow-windows" : " --no-follow-windows";
    }
    return command;
}

std::string scheduleOptions(const Schedule& schedule)
{
    static const char* const kDayNames[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    switch (schedule.kind) {
    case ScheduleKind::Once: {
        const int64_t days = floorDiv(schedule.onceAt, kSecondsPerDay);
        const CivilDate date = civilFromDays(days);
        char text[32];
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", date.year, date.month, date.day);
        return std::string("/sc once /sd ") + text + " /st " +
               clockText(static_cast<int>(schedule.onceAt - days * kSecondsPerDay));
    }
    case ScheduleKind::Daily: {
        if (schedule.days == kAllWeekdays) {
            return "/sc daily /st " + clockText(schedule.at);
        }
        std::string days;
        for (int day = 0; day < 7; ++day) {
            if ((schedule.days & (1u << day)) != 0) {
                days += (days.empty() ? "" : ",") + std::string(kDayNames[day]);
            }
        }
        return "/sc weekly /d " + days + " /st " + clockText(schedule.at);
    }
    case ScheduleKind::Every: {
        if (schedule.window) {
            const int length = (schedule.to - schedule.from + kSecondsPerDay) % kSecondsPerDay;
            char duration[16];
            std::snprintf(duration, sizeof duration, "%04d:%02d", length / 3600, length / 60 % 60);
            return "/sc daily /st " + clockText(schedule.from) + " /ri " + std::to_string(schedule.minutes) + " /du " +
                   duration;
        }
        if (schedule.minutes >= kMaxEveryMinutes) {
            return "/sc daily /st 00:00";
        }
        return "/sc minute /mo " + std::to_string(schedule.minutes) + " /st 00:00";
    }
    case ScheduleKind::None: break;
    }
    return std::string();
}

}  // namespace

std::string schtasksLine(const LibraryEntry& entry, const std::string& exe)
{
    if (entry.schedule.kind == ScheduleKind::None) {
        return std::string();
    }
    return "schtasks /create /tn \"" + entry.name + "\" " + scheduleOptions(entry.schedule) + " /tr \"" +
           playCommand(entry, exe) + "\"";
}
