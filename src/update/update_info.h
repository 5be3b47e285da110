#pragma once
// What one update check found out.

#include <string>

struct UpdateInfo {
    std::wstring version;
    std::wstring downloadUrl;
    std::wstring sha256;
    std::wstring notes;
    std::wstring errorText;
    bool ok = false;
    // The user cancelled, or the main window went away: nothing more is shown.
    bool cancelled = false;
    // The offered release failed the publisher's signature check (errorText says how).
    bool refused = false;
};
