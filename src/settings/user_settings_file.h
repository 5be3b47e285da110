#pragma once
// The per-user settings file, %APPDATA%\LorminRecorder\settings.cfg (its text form is in
// user_settings.h): read once at start-up, written when the user
// confirms the settings dialog.

#include <string>

#include "settings/user_settings.h"

// The file's path; empty when APPDATA is not set.
std::wstring userSettingsPath();

// The settings in the file. A missing file gives the defaults silently; an unreadable one the
// defaults and a log line; a value that cannot be used its default and a log line. Never asks.
UserSettings loadUserSettings();

// Writes the file whole or not at all: the text goes to a new file with a name of its own in the
// same folder, which then replaces the old one, so a failed or interrupted save leaves the old
// file as it was. False with a Chinese error text (for the dialog) on failure.
bool saveUserSettings(const UserSettings& settings, std::wstring& error);
