#include "settings/user_settings.h"

#include <cstddef>
#include <iterator>

#include "base/config_lines.h"

namespace {

// The lines of the file, in the order it is written: the chords, then the on/off settings. A
// new setting is a field of UserSettings and a row here.
// Settings added later are written after the earlier ones: the lines that an earlier version
// wrote keep their order.
enum class Section { First, Later };

struct ChordSetting {
    const char* key;
    HotkeyChord UserSettings::*chord;
    bool mayBeEmpty;
    Section section;
};
constexpr ChordSetting kChordSettings[] = {{"HOTKEY_RECORD", &UserSettings::record, false, Section::First},
                                           {"HOTKEY_RECORD_ALT", &UserSettings::recordAlt, true, Section::First},
                                           {"HOTKEY_STOP", &UserSettings::stop, false, Section::First},
                                           {"HOTKEY_PAUSE", &UserSettings::pause, true, Section::Later}};

struct SwitchSetting {
    const char* key;
    bool UserSettings::*on;  // written "1" or "0"
    Section section;
};
constexpr SwitchSetting kSwitchSettings[] = {{"STOP_ON_USER_INPUT", &UserSettings::stopOnUserInput, Section::First},
                                             {"FOLLOW_WINDOWS", &UserSettings::followWindows, Section::First},
                                             {"TRAY_ICON", &UserSettings::trayIcon, Section::Later},
                                             {"MINIMIZE_TO_TRAY", &UserSettings::minimizeToTray, Section::Later}};

struct SecondsSetting {
    const char* key;
    int UserSettings::*seconds;  // whole seconds from low to high
    int low;
    int high;
    Section section;
};
constexpr SecondsSetting kSecondsSettings[] = {
    {"WINDOW_WAIT_SECONDS", &UserSettings::windowWaitSeconds, 1, 600, Section::First},
    {"PASS_GAP_SECONDS", &UserSettings::passGapSeconds, 0, 3600, Section::Later}};

// Whole seconds written as digits only, within the bounds; false for anything else.
bool readSeconds(const std::string& value, int low, int high, int& seconds)
{
    if (value.empty() || value.size() > 6) {
        return false;
    }
    int parsed = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') {
            return false;
        }
        parsed = parsed * 10 + (c - '0');
    }
    if (parsed < low || parsed > high) {
        return false;
    }
    seconds = parsed;
    return true;
}

// The first line that sets key; false when none does. A key here must stand alone (unlike
// LorminRecorder.cfg's one key): HOTKEY_RECORD is the beginning of HOTKEY_RECORD_ALT.
bool findSetting(const std::string& content, const char* key, std::string& value)
{
    return findConfigValue(content, key, KeyMatch::Exact, value);
}

// A value as a log line shows it: at most 64 bytes.
std::string shown(const std::string& value)
{
    return value.size() <= 64 ? value : value.substr(0, 64) + "...";
}

std::string defaultText(const HotkeyChord& chord)
{
    return chord.empty() ? std::string("（无）") : chordText(chord);
}

void readChord(const std::string& content, const char* key, bool mayBeEmpty, const HotkeyChord& fallback,
               HotkeyChord& chord, std::vector<std::string>& problems)
{
    std::string value;
    if (!findSetting(content, key, value)) {
        return;
    }
    HotkeyChord parsed;
    if (value.empty() && mayBeEmpty) {
        chord = HotkeyChord{};
    } else if (parseChord(value, parsed) && !isRefusedPlainKey(parsed)) {
        chord = parsed;
    } else {
        problems.push_back(std::string("设置 ") + key + "=" + shown(value) + " 无法使用，改用默认值 " +
                           defaultText(fallback));
        chord = fallback;
    }
}

// A chord equal to one read before it gets its default. A default that meets another chord is
// left to the check of all three.
void separate(HotkeyChord& chord, const char* key, const HotkeyChord& earlier, const char* earlierKey,
              const HotkeyChord& fallback, std::vector<std::string>& problems)
{
    if (!chord.empty() && chord == earlier && chord != fallback) {
        problems.push_back(std::string("设置 ") + key + "=" + chordText(chord) + " 与 " + earlierKey +
                           " 相同，改用默认值 " + defaultText(fallback));
        chord = fallback;
    }
}

}  // namespace

HotkeyCheck checkHotkeys(const UserSettings& settings)
{
    const struct {
        HotkeyField field;
        const HotkeyChord& chord;
        bool required;
    } fields[] = {{HotkeyField::Record, settings.record, true},
                  {HotkeyField::RecordAlt, settings.recordAlt, false},
                  {HotkeyField::Stop, settings.stop, true},
                  {HotkeyField::Pause, settings.pause, false}};
    HotkeyCheck check;
    for (size_t i = 0; i < std::size(fields); ++i) {
        check.field = fields[i].field;
        if (fields[i].chord.empty()) {
            if (fields[i].required) {
                check.fault = HotkeyFault::Missing;
                return check;
            }
            continue;
        }
        if (isRefusedPlainKey(fields[i].chord)) {
            check.fault = HotkeyFault::PlainKey;
            return check;
        }
        for (size_t j = 0; j < i; ++j) {
            if (fields[j].chord == fields[i].chord) {
                check.fault = HotkeyFault::SameAs;
                check.other = fields[j].field;
                return check;
            }
        }
    }
    return HotkeyCheck{};
}

UserSettings readUserSettings(const std::string& content, std::vector<std::string>& problems)
{
    const UserSettings defaults;
    UserSettings settings;
    for (const ChordSetting& setting : kChordSettings) {
        readChord(content, setting.key, setting.mayBeEmpty, defaults.*setting.chord, settings.*setting.chord, problems);
    }
    // Each chord against the ones read before it.
    for (size_t i = 1; i < std::size(kChordSettings); ++i) {
        for (size_t j = 0; j < i; ++j) {
            const ChordSetting& later = kChordSettings[i];
            const ChordSetting& earlier = kChordSettings[j];
            separate(settings.*later.chord, later.key, settings.*earlier.chord, earlier.key, defaults.*later.chord,
                     problems);
        }
    }
    // The pause key came later than the others: where its default is a key the user chose for
    // another one, that choice stands and there is no pause key (the menus still pause). Said in
    // the log only when the file asked for it.
    if (settings.pause == defaults.pause && (settings.pause == settings.record ||
                                             settings.pause == settings.recordAlt || settings.pause == settings.stop)) {
        std::string asked;
        if (findSetting(content, "HOTKEY_PAUSE", asked)) {
            problems.push_back("设置 HOTKEY_PAUSE=" + shown(asked) + " 与其他热键相同，不设暂停键");
        }
        settings.pause = HotkeyChord{};
    }
    // A default can meet a chord the user chose for another key (HOTKEY_RECORD=F9 with a bad
    // HOTKEY_STOP): then none of the three can be trusted to be meant.
    if (checkHotkeys(settings).fault != HotkeyFault::None) {
        problems.push_back("热键设置相互冲突，各热键都改用默认值 F8、F7、F9、F10");
        for (const ChordSetting& setting : kChordSettings) {
            settings.*setting.chord = defaults.*setting.chord;
        }
    }

    for (const SwitchSetting& setting : kSwitchSettings) {
        std::string value;
        if (!findSetting(content, setting.key, value)) {
            continue;
        }
        if (value == "0" || value == "1") {
            settings.*setting.on = value == "1";
        } else {
            problems.push_back(std::string("设置 ") + setting.key + "=" + shown(value) + " 无法使用，改用默认值 " +
                               (defaults.*setting.on ? "1" : "0"));
        }
    }
    for (const SecondsSetting& setting : kSecondsSettings) {
        std::string value;
        if (findSetting(content, setting.key, value) &&
            !readSeconds(value, setting.low, setting.high, settings.*setting.seconds)) {
            problems.push_back(std::string("设置 ") + setting.key + "=" + shown(value) + " 无法使用，改用默认值 " +
                               std::to_string(defaults.*setting.seconds));
        }
    }
    return settings;
}

std::string writeUserSettings(const UserSettings& settings)
{
    std::string text;
    for (const Section section : {Section::First, Section::Later}) {
        for (const ChordSetting& setting : kChordSettings) {
            if (setting.section == section) {
                text += std::string(setting.key) + "=" + chordText(settings.*setting.chord) + "\r\n";
            }
        }
        for (const SwitchSetting& setting : kSwitchSettings) {
            if (setting.section == section) {
                text += std::string(setting.key) + "=" + (settings.*setting.on ? "1" : "0") + "\r\n";
            }
        }
        for (const SecondsSetting& setting : kSecondsSettings) {
            if (setting.section == section) {
                text += std::string(setting.key) + "=" + std::to_string(settings.*setting.seconds) + "\r\n";
            }
        }
    }
    return text;
}

HotkeyChords hotkeyChordsOf(const UserSettings& settings)
{
    HotkeyChords chords;
    chords.record = settings.record;
    chords.recordAlt = settings.recordAlt;
    chords.stop = settings.stop;
    chords.pause = settings.pause;
    return chords;
}
