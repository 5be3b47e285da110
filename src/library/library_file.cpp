#include "library/library_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "library/civil_time.h"
#include "script/script_file.h"

namespace {

constexpr int kMaxLoops = 999;
constexpr double kMinSpeed = 0.1;
constexpr double kMaxSpeed = 10.0;

// The members the program reads itself, in the order it writes them; anything else is kept.
constexpr const char* kEntryMembers[] = {"name",    "file",  "key",      "mode",   "loops",
                                         "endless", "speed", "fidelity", "follow", "schedule"};
constexpr const char* kScheduleMembers[] = {"kind", "at", "days", "minutes", "from", "to"};

template <size_t N>
bool isKnown(const std::string& name, const char* const (&known)[N])
{
    for (const char* member : known) {
        if (name == member) {
            return true;
        }
    }
    return false;
}

// Reads two digits at text[at]; -1 when they are not digits.
int twoDigits(const std::string& text, size_t at)
{
    if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' || text[at + 1] > '9') {
        return -1;
    }
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// The text of a number that reads back as the same double.
std::string exactNumberText(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    if (std::strtod(text, nullptr) != value) {
        std::snprintf(text, sizeof text, "%.17g", value);
    }
    return text;
}

void appendValue(std::string& out, const JsonValue& value);

void appendMembers(std::string& out, const std::vector<JsonMember>& members, bool& first)
{
    for (const JsonMember& member : members) {
        out += first ? "" : ", ";
        first = false;
        appendJsonString(out, member.name);
        out += ": ";
        appendValue(out, member.value);
    }
}

void appendValue(std::string& out, const JsonValue& value)
{
    switch (value.kind) {
    case JsonKind::Null: out += "null"; break;
    case JsonKind::Bool: out += value.boolean ? "true" : "false"; break;
    case JsonKind::Number: out += std::isfinite(value.number) ? exactNumberText(value.number) : "0"; break;
    case JsonKind::String: appendJsonString(out, value.text); break;
    case JsonKind::Array:
        out += '[';
        for (size_t i = 0; i < value.items.size(); ++i) {
            out += i == 0 ? "" : ", ";
            appendValue(out, value.items[i]);
        }
        out += ']';
        break;
    case JsonKind::Object: {
        out += '{';
        bool first = true;
        appendMembers(out, value.members, first);
        out += '}';
        break;
    }
    }
}

// Collects the problems of one entry, each naming the entry and the member.
class EntryReader {
public:
    EntryReader(size_t index, std::vector<std::string>& problems) : index_(index), problems_(problems) {}

    void problem(const std::string& member, const std::string& what)
    {
        problems_.push_back("[脚本库] 第 " + std::to_string(index_ + 1) + " 项的 " + member + " " + what +
                            "，已使用默认值");
    }

    void readText(const JsonValue& value, const char* member, std::string& out)
    {
        if (value.kind == JsonKind::String) {
            out = value.text;
        } else {
            problem(member, "不是文字");
        }
    }

    void readSwitch(const JsonValue& value, const char* member, bool& out)
    {
        if (value.kind == JsonKind::Bool) {
            out = value.boolean;
        } else {
            problem(member, "不是 true 或 false");
        }
    }

    void readWhole(const JsonValue& value, const char* member, int low, int high, int& out)
    {
        if (value.kind == JsonKind::Number && value.number == std::floor(value.number) && value.number >= low &&
            value.number <= high) {
            out = static_cast<int>(value.number);
        } else {
            problem(member, "不是 " + std::to_string(low) + " 到 " + std::to_string(high) + " 的整数");
        }
    }

    void readTime(const JsonValue& value, const char* member, int& out)
    {
        if (value.kind != JsonKind::String || !parseTimeOfDay(value.text, out)) {
            problem(member, "不是时刻（HH:MM:SS）");
        }
    }

    void readSchedule(const JsonValue& value, Schedule& schedule)
    {
        if (value.kind != JsonKind::Object) {
            problem("schedule", "不是对象");
            return;
        }
        const JsonValue* kind = findMember(value, "kind");
        const std::string kindText = kind != nullptr && kind->kind == JsonKind::String ? kind->text : std::string();
        Schedule read;
        for (const JsonMember& member : value.members) {
            if (!isKnown(member.name, kScheduleMembers)) {
                read.unknown.push_back(member);
            }
        }
        const JsonValue* at = findMember(value, "at");
        if (kindText == "once") {
            read.kind = ScheduleKind::Once;
            if (at == nullptr || at->kind != JsonKind::String || !parseLocalSecond(at->text, read.onceAt)) {
                problem("schedule", "的 at 不是日期时间（YYYY-MM-DDTHH:MM:SS）");
                return;
            }
        } else if (kindText == "daily") {
            read.kind = ScheduleKind::Daily;
            if (at == nullptr || at->kind != JsonKind::String || !parseTimeOfDay(at->text, read.at)) {
                problem("schedule", "的 at 不是时刻（HH:MM:SS）");
                return;
            }
            if (const JsonValue* days = findMember(value, "days")) {
                read.days = 0;
                for (const JsonValue& day : days->kind == JsonKind::Array ? days->items : std::vector<JsonValue>{}) {
                    if (day.kind == JsonKind::Number && day.number >= 1 && day.number <= 7 &&
                        day.number == std::floor(day.number)) {
                        read.days = static_cast<uint8_t>(read.days | (1u << (static_cast<int>(day.number) - 1)));
                    }
                }
                if (read.days == 0) {
                    problem("schedule", "的 days 不是 1 到 7 的星期列表");
                    return;
                }
            }
        } else if (kindText == "every") {
            read.kind = ScheduleKind::Every;
            const JsonValue* minutes = findMember(value, "minutes");
            if (minutes == nullptr || minutes->kind != JsonKind::Number || minutes->number < kMinEveryMinutes ||
                minutes->number > kMaxEveryMinutes || minutes->number != std::floor(minutes->number)) {
                problem("schedule", "的 minutes 不是 1 到 1440 的整数");
                return;
            }
            read.minutes = static_cast<int>(minutes->number);
            const JsonValue* from = findMember(value, "from");
            const JsonValue* to = findMember(value, "to");
            if (from != nullptr || to != nullptr) {
                read.window = from != nullptr && to != nullptr && from->kind == JsonKind::String &&
                              to->kind == JsonKind::String && parseTimeOfDay(from->text, read.from) &&
                              parseTimeOfDay(to->text, read.to);
                if (!read.window) {
                    problem("schedule", "的 from 与 to 不是一对时刻（HH:MM:SS）");
                    return;
                }
            }
        } else {
            problem("schedule", "的 kind 不是 once、daily 或 every");
            return;
        }
        schedule = read;
    }

    LibraryEntry read(const JsonValue& object)
    {
        LibraryEntry entry;
        for (const JsonMember& member : object.members) {
            const std::string& name = member.name;
            const JsonValue& value = member.value;
            if (!isKnown(name, kEntryMembers)) {
                entry.unknown.push_back(member);
            } else if (name == "name") {
                readText(value, "name", entry.name);
            } else if (name == "file") {
                readText(value, "file", entry.file);
            } else if (name == "key") {
                if (value.kind != JsonKind::String || (!value.text.empty() && !parseChord(value.text, entry.key))) {
                    problem("key", "不是按键组合");
                }
            } else if (name == "mode") {
                if (value.kind == JsonKind::String && (value.text == "toggle" || value.text == "held")) {
                    entry.mode = value.text == "held" ? KeyMode::Held : KeyMode::Toggle;
                } else {
                    problem("mode", "不是 toggle 或 held");
                }
            } else if (name == "loops") {
                readWhole(value, "loops", 1, kMaxLoops, entry.loops);
            } else if (name == "endless") {
                readSwitch(value, "endless", entry.endless);
            } else if (name == "speed") {
                if (value.kind == JsonKind::Number && value.number >= kMinSpeed && value.number <= kMaxSpeed) {
                    entry.speed = value.number;
                } else {
                    problem("speed", "不是 0.1 到 10 的数");
                }
            } else if (name == "fidelity") {
                readSwitch(value, "fidelity", entry.fidelity);
            } else if (name == "follow") {
                if (value.kind == JsonKind::Bool) {
                    entry.follow = value.boolean;
                } else {
                    problem("follow", "不是 true 或 false");
                }
            } else if (name == "schedule") {
                readSchedule(value, entry.schedule);
            }
        }
        return entry;
    }

private:
    size_t index_;
    std::vector<std::string>& problems_;
};

void appendSchedule(std::string& out, const Schedule& schedule)
{
    out += "{\"kind\": ";
    switch (schedule.kind) {
    case ScheduleKind::Once: out += "\"once\", \"at\": \"" + localSecondText(schedule.onceAt) + "\""; break;
    case ScheduleKind::Daily:
        out += "\"daily\", \"at\": \"" + timeOfDayText(schedule.at) + "\"";
        if (schedule.days != kAllWeekdays) {
            out += ", \"days\": [";
            bool first = true;
            for (int day = 1; day <= 7; ++day) {
                if ((schedule.days & (1u << (day - 1))) != 0) {
                    out += first ? "" : ", ";
                    out += std::to_string(day);
                    first = false;
                }
            }
            out += ']';
        }
        break;
    case ScheduleKind::Every:
        out += "\"every\", \"minutes\": " + std::to_string(schedule.minutes);
        if (schedule.window) {
            out +=
                ", \"from\": \"" + timeOfDayText(schedule.from) + "\", \"to\": \"" + timeOfDayText(schedule.to) + "\"";
        }
        break;
    case ScheduleKind::None: break;
    }
    bool first = false;
    appendMembers(out, schedule.unknown, first);
    out += '}';
}

void appendEntry(std::string& out, const LibraryEntry& entry)
{
    out += "  {\"name\": ";
    appendJsonString(out, entry.name);
    out += ", \"file\": ";
    appendJsonString(out, entry.file);
    if (!entry.key.empty()) {
        out += ", \"key\": ";
        appendJsonString(out, chordText(entry.key));
    }
    out += entry.mode == KeyMode::Held ? ", \"mode\": \"held\"" : ", \"mode\": \"toggle\"";
    out += ",\r\n   \"loops\": " + std::to_string(entry.loops);
    out += entry.endless ? ", \"endless\": true" : ", \"endless\": false";
    std::string speed = formatJsonNumber(entry.speed);
    if (speed.find('.') == std::string::npos) {
        speed += ".0";
    }
    out += ", \"speed\": " + speed;
    out += entry.fidelity ? ", \"fidelity\": true" : ", \"fidelity\": false";
    if (entry.follow) {
        out += *entry.follow ? ", \"follow\": true" : ", \"follow\": false";
    }
    if (entry.schedule.kind != ScheduleKind::None) {
        out += ",\r\n   \"schedule\": ";
        appendSchedule(out, entry.schedule);
    }
    bool first = false;
    appendMembers(out, entry.unknown, first);
    out += '}';
}

}  // namespace

bool parseLibrary(const std::string& text, Library& library, std::string& error, std::vector<std::string>& problems)
{
    JsonValue root;
    try {
        // A byte-order mark, as Notepad may write it, is no error.
        const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
        root = parseJson(bom ? text.substr(3) : text);
    } catch (const std::runtime_error& failure) {
        error = failure.what();
        return false;
    }
    if (root.kind != JsonKind::Object) {
        error = "不是 JSON 对象";
        return false;
    }
    Library read;
    const JsonValue* entries = findMember(root, "entries");
    if (entries != nullptr && entries->kind != JsonKind::Array) {
        error = "entries 不是数组";
        return false;
    }
    for (const JsonMember& member : root.members) {
        if (member.name != "v" && member.name != "entries") {
            read.unknown.push_back(member);
        }
    }
    for (size_t i = 0; entries != nullptr && i < entries->items.size(); ++i) {
        if (entries->items[i].kind != JsonKind::Object) {
            error = "entries 的第 " + std::to_string(i + 1) + " 项不是对象";
            return false;
        }
        read.entries.push_back(EntryReader(i, problems).read(entries->items[i]));
    }
    library = std::move(read);
    return true;
}

std::string formatLibrary(const Library& library)
{
    std::string out = "{\"v\": 1, \"entries\": [";
    for (size_t i = 0; i < library.entries.size(); ++i) {
        out += i == 0 ? "\r\n" : ",\r\n";
        appendEntry(out, library.entries[i]);
    }
    out += ']';
    bool first = false;
    appendMembers(out, library.unknown, first);
    out += "}\r\n";
    return out;
}

std::string timeOfDayText(int secondOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

std::string localSecondText(int64_t local)
{
    const int64_t days = floorDiv(local, kSecondsPerDay);
    const CivilDate date = civilFromDays(days);
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT", date.year, date.month, date.day);
    return text + timeOfDayText(static_cast<int>(local - days * kSecondsPerDay));
}

bool parseTimeOfDay(const std::string& text, int& secondOfDay)
{
    if (text.size() != 5 && text.size() != 8) {
        return false;
    }
    const int hours = twoDigits(text, 0);
    const int minutes = twoDigits(text, 3);
    const int seconds = text.size() == 8 ? twoDigits(text, 6) : 0;
    if (text[2] != ':' || (text.size() == 8 && text[5] != ':') || hours < 0 || hours > 23 || minutes < 0 ||
        minutes > 59 || seconds < 0 || seconds > 59) {
        return false;
    }
    secondOfDay = hours * 3600 + minutes * 60 + seconds;
    return true;
}

bool parseLocalSecond(const std::string& text, int64_t& local)
{
    int secondOfDay = 0;
    if (text.size() < 16 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        !parseTimeOfDay(text.substr(11), secondOfDay)) {
        return false;
    }
    const int century = twoDigits(text, 0);
    const int year = twoDigits(text, 2);
    CivilDate date;
    date.month = twoDigits(text, 5);
    date.day = twoDigits(text, 8);
    if (century < 0 || year < 0) {
        return false;
    }
    date.year = century * 100 + year;
    if (!isCalendarDate(date)) {
        return false;
    }
    local = daysFromCivil(date) * kSecondsPerDay + secondOfDay;
    return true;
}
