#pragma once
// Putting the user's settings to work: the recorder's hotkey chords and its takeover watch.

class Recorder;
struct UserSettings;

void applyUserSettings(Recorder& recorder, const UserSettings& settings);
