#pragma once
// The program's command line, read from the arguments CommandLineToArgvW gives (without the
// program's own name): open a script, play one unattended, or show the usage.

#include <string>
#include <vector>

enum class StartMode {
    Window,  // no arguments: the window as usual
    Open,    // one or more files: the window with the first of them loaded
    Play,    // --play FILE: play it at once, minimised, and exit when the playback ends
    Help,    // --help, -h, /?: the usage
    Invalid  // anything else: the usage and exit code 2
};

// Exit codes of the process, for batch files and scheduled tasks.
enum class ExitCode : int {
    Completed = 0,           // every pass of the playback completed (or the window closed normally)
    StoppedByUser = 1,       // the stop key, the stop button, a takeover or closing the window
    BadArguments = 2,        // the command line could not be read
    ScriptNotLoaded = 3,     // missing, unreadable, invalid or empty script
    PlaybackNotStarted = 4,  // the playback could not start
    InputRefused = 5,        // the system refused the injected input
    WindowMissing = 6,       // a followed window did not appear within the wait
    WaitTimedOut = 7,        // a wait step's time was up and it stops the replay
};

// Whether a --play run follows windows: as the settings say, or as the command line says.
enum class FollowWindows { FromSettings, On, Off };

struct StartRequest {
    StartMode mode = StartMode::Window;
    std::vector<std::wstring> files;  // Open: every file given; Play: the one script
    double speed = 1.0;
    int loops = 1;
    bool endless = false;
    bool clickFidelity = true;
    FollowWindows followWindows = FollowWindows::FromSettings;
    int windowWaitSeconds = 0;  // 0: as the settings say
    int passGapSeconds = -1;    // the wait between passes, 0 to 3600; -1: as the settings say
    std::wstring error;         // Invalid: what is wrong, in one line
};

StartRequest parseCommandLine(const std::vector<std::wstring>& arguments);

// The text --help shows and a refused command line prints before its error.
std::wstring usageText();
