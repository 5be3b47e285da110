#pragma once
// The steps that wait for what the screen shows: a window ("ww"), a pixel's colour ("wp") and a
// picture ("wi"), with their members as the script file has them, the bounds of each, and the
// picture's PNG bytes carried in the file as base64.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum class EventKind : int32_t;
struct MacroEvent;

// What a window wait waits for.
enum class WindowCondition : int32_t {
    Shown = 0,  // "shown": a window of the program is there
    Front = 1,  // "front": a window of the program is the foreground window
    Gone = 2,   // "gone": no window of the program is there any more
};

// What happens when a wait's time is up.
enum class TimeoutAction : int32_t {
    Stop = 0,  // "stop": the replay ends ("⚠ 等待超时：<what>", exit code 7 for --play)
    Go = 1,    // "go": the replay goes on with the next step
};

// What a picture wait does where it found the picture.
enum class FoundClick : int32_t {
    None = 0,  // only waits ("click" left out)
    Left = 1,
    Right = 2,
    Double = 3,
};

constexpr double kMinWaitSeconds = 0.1;
constexpr double kMaxWaitSeconds = 3600.0;
constexpr double kDefaultWaitSeconds = 10.0;
constexpr int32_t kDefaultColourTolerance = 16;
constexpr int32_t kDefaultPictureTolerance = 24;
constexpr int32_t kMaxPictureSide = 256;

// The members of a wait step besides its kind, delay, point ("x", "y") and window: immutable once
// made, shared by the copies of the step (the undo history, a playback's job).
struct ScreenWait {
    double timeoutSeconds = kDefaultWaitSeconds;  // "to", kMinWaitSeconds..kMaxWaitSeconds
    TimeoutAction onTimeout = TimeoutAction::Stop;
    // "ww"
    WindowCondition until = WindowCondition::Shown;
    // "wp": the colour as 0xRRGGBB; absent: wait until the pixel no longer has it ("not")
    uint32_t rgb = 0;
    bool absent = false;
    // "wp" and "wi": the largest difference per channel for a pixel to match, 0..255
    int32_t tolerance = kDefaultColourTolerance;
    // "wi": the search area's size ("cx", "cy") from the step's point; 0 x 0 is the whole screen,
    // or with a window the window's whole client area.
    int32_t areaWidth = 0;
    int32_t areaHeight = 0;
    std::string png;  // the picture's PNG file bytes
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    FoundClick click = FoundClick::None;
    bool clickAtPoint = false;  // "px", "py" given: the click lands there, else at the centre
    int32_t clickX = 0;
    int32_t clickY = 0;
};

bool isScreenWait(EventKind kind);

// The file's names of the choices ("shown", "front", "gone"; "stop", "go"; "left", "right",
// "double"); the readers give false for anything else.
const char* windowConditionName(WindowCondition until);
bool windowConditionFromName(const std::string& name, WindowCondition& until);
const char* timeoutActionName(TimeoutAction action);
bool timeoutActionFromName(const std::string& name, TimeoutAction& action);
const char* foundClickName(FoundClick click);
bool foundClickFromName(const std::string& name, FoundClick& click);

// "#RRGGBB" with capitals; the reader takes either case and nothing but "#" and six hex digits.
std::string colourText(uint32_t rgb);
bool colourFromText(const std::string& text, uint32_t& rgb);

// Standard base64 with padding; the decoder refuses anything else (other characters, a wrong
// length, bits left over in the padding), leaving out untouched.
std::string encodeBase64(const std::string& bytes);
bool decodeBase64(const char* text, size_t length, std::string& out);

// The size of the picture a PNG file holds, from its signature and header chunk: false when the
// bytes are no PNG file or the size lies outside 1..kMaxPictureSide.
bool pngPictureSize(const std::string& png, int32_t& width, int32_t& height);

// The wait's limit as it can be used: a number of seconds within the bounds (the default for
// anything that is not a number).
double usableWaitSeconds(double seconds);

// The members of a wait step as the loader met them, each from its first occurrence.
struct WaitMembers {
    std::string until;
    std::string onTimeout;
    std::string rgb;
    std::string png;  // base64
    std::string click;
    bool hasTimeout = false;
    double timeoutSeconds = 0.0;
    bool hasTolerance = false;
    double tolerance = 0.0;
    bool absent = false;
    bool hasAreaWidth = false, hasAreaHeight = false, hasClickX = false, hasClickY = false;
    double areaWidth = 0.0, areaHeight = 0.0, clickX = 0.0, clickY = 0.0;
};

// The wait of a loaded step of the kind from its members, or null when the step cannot be used
// (a colour that is no "#RRGGBB", a picture that is no base64 of a PNG of 1..256 pixels a side).
// Missing or unusable optional members take their defaults; numbers are brought into range.
std::shared_ptr<const ScreenWait> screenWaitFromMembers(EventKind kind, WaitMembers& members);

// The step's members after "d" as the file has them, e.g. ", \"x\": 640, \"y\": 400, \"rgb\":
// \"#1E90FF\", \"tol\": 16, \"not\": false, \"to\": 10, \"else\": \"stop\"" (the window
// members follow, written by the caller; a window wait writes "w" here, first).
void appendScreenWaitMembers(std::string& out, const MacroEvent& event, int32_t savedWindow);
// At least the length of that text.
size_t screenWaitTextBound(const MacroEvent& event);
