#pragma once
// The screen picker's rules without Windows: what a press, a move, a release or a key means (a
// click, a drag, a cancel), the rectangle of a drag, where the magnifier box goes and which pixels
// it shows, and the texts under it. All coordinates are physical screen pixels; rectangles have
// their right and bottom edges outside (a single pixel is 1 x 1).

#include <cstdint>
#include <string>

struct PickerPoint {
    int x = 0;
    int y = 0;
};

struct PickerRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(PickerPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

bool operator==(PickerPoint a, PickerPoint b);
bool operator==(const PickerRect& a, const PickerRect& b);

// The rectangle a drag covers: both the press's and the release's pixel inside, whichever way it
// went.
PickerRect rectangleOfDrag(PickerPoint press, PickerPoint release);
// The point moved into the area (the nearest pixel inside); an empty area leaves it as it is.
PickerPoint clampIntoArea(PickerPoint point, const PickerRect& area);

enum class PickerKey { Left, Right, Up, Down, Enter, Escape };

// One pick from the first press to the pick or the cancel. A press and release closer than the
// drag distance (in both directions) is a click at the press; farther, with rectangles allowed, a
// drag. Without rectangles a release picks the point where it happened.
class PickerSession {
public:
    enum class Outcome { Going, Picked, Cancelled };

    PickerSession(bool rectangles, const PickerRect& screen, int dragDistance, PickerPoint pointer);

    // A move of the pointer; false when it changes nothing. The pointer that an arrow key has
    // put somewhere stays there for kKeyMoveMs: the moves that the key's own move of the cursor
    // makes, and those from before it, may come in late and in any order (under wine they do).
    bool moved(PickerPoint pointer, uint64_t nowMs);
    void pressed(PickerPoint pointer);
    Outcome released(PickerPoint pointer);
    // Arrows move the pointer by one pixel (ten when fast) inside the screen, Enter picks the
    // point under it (not while the button is held), Escape cancels.
    Outcome key(PickerKey key, bool fast, uint64_t nowMs);

    static constexpr uint64_t kKeyMoveMs = 250;

    PickerPoint pointer() const { return pointer_; }
    bool held() const { return held_; }
    // True while the button is held far enough from the press to make a rectangle.
    bool dragging() const;
    PickerRect dragRectangle() const { return rectangleOfDrag(press_, pointer_); }

    // The pick, once an outcome was Picked.
    bool pickedRectangle() const { return pickedRectangle_; }
    PickerPoint pickedPoint() const { return pickedPoint_; }
    PickerRect pickedArea() const { return pickedArea_; }

private:
    Outcome pickPoint(PickerPoint point);

    bool rectangles_;
    PickerRect screen_;
    int dragDistance_;
    PickerPoint pointer_;
    PickerPoint press_;
    bool held_ = false;
    bool keyMovePending_ = false;
    uint64_t keyMoveUntil_ = 0;
    bool pickedRectangle_ = false;
    PickerPoint pickedPoint_;
    PickerRect pickedArea_;
};

// The sizes of the magnifier at one DPI.
struct MagnifierMetrics {
    int pixels = 15;      // the enlarged square is pixels x pixels screen pixels (odd: the pointer in the middle)
    int cell = 8;         // screen pixels per enlarged pixel
    int border = 1;       // the frame around the box
    int gap = 20;         // between the pointer and the box
    int labelHeight = 0;  // the text below the enlarged pixels
};
MagnifierMetrics magnifierMetrics(int dpi, int labelHeight);

struct MagnifierLayout {
    PickerRect box;        // the whole box with its frame, kept inside the monitor when it fits
    PickerRect picture;    // the enlarged pixels
    PickerRect label;      // the text
    PickerRect source;     // the screen pixels shown, cut to the screen (may be empty)
    PickerPoint sourceAt;  // where source's top-left pixel lands (its cell's top-left)
    PickerRect centre;     // the cell of the pixel under the pointer
    int cell = 0;          // screen pixels per enlarged pixel
};
// The box goes below and right of the pointer, or above or left of it where the monitor ends.
MagnifierLayout layoutMagnifier(PickerPoint pointer, const PickerRect& monitor, const PickerRect& screen,
                                const MagnifierMetrics& metrics);

// "#RRGGBB" of a colour given as 0xRRGGBB.
std::wstring colourHexText(uint32_t rgb);
// The lines under the magnifier: "(x, y)", "#RRGGBB", and while dragging "w×h".
std::wstring pickerLabelText(PickerPoint pointer, uint32_t rgb, const PickerRect* drag);
