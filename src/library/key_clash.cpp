#include "library/key_clash.h"

std::vector<OwnKey> ownKeysOf(const HotkeyChords& chords)
{
    return {
        {"录制键", chords.record}, {"备用录制键", chords.recordAlt}, {"停止键", chords.stop}, {"暂停键", chords.pause}};
}

bool chordsClash(const HotkeyChord& a, const HotkeyChord& b)
{
    return !a.empty() && !b.empty() && a.key == b.key &&
           (a.modifiers == b.modifiers || a.modifiers == 0 || b.modifiers == 0);
}

std::string keyRefusal(const HotkeyChord& chord, size_t self, const std::vector<LibraryEntry>& entries,
                       const std::vector<OwnKey>& own)
{
    if (chord.empty()) {
        return std::string();
    }
    const std::string text = chordText(chord);
    if (isRefusedPlainKey(chord)) {
        return text + " 是打字用的键，不能作为热键（可加上 Ctrl、Alt 或 Win）";
    }
    for (const OwnKey& key : own) {
        if (chordsClash(chord, key.chord)) {
            return text + " 与" + key.role + "（" + chordText(key.chord) + "）冲突";
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i != self && chordsClash(chord, entries[i].key)) {
            return text + " 与脚本库中「" + entries[i].name + "」的按键（" + chordText(entries[i].key) + "）冲突";
        }
    }
    return std::string();
}

std::vector<EntryKey> entryKeysOf(const std::vector<LibraryEntry>& entries, const std::vector<OwnKey>& own,
                                  std::vector<std::string>& problems)
{
    std::vector<EntryKey> keys(entries.size());
    std::vector<LibraryEntry> accepted;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string refusal = keyRefusal(entries[i].key, accepted.size(), accepted, own);
        if (!refusal.empty()) {
            problems.push_back("[脚本库] 「" + entries[i].name + "」的按键已忽略：" + refusal);
            continue;
        }
        keys[i].chord = entries[i].key;
        keys[i].held = entries[i].mode == KeyMode::Held;
        accepted.push_back(entries[i]);
    }
    return keys;
}
