#pragma once
// One row per control of the main window: id, window class, text, style, font and design
// rectangle. Creation, layout and the DPI step read this table and nothing else. Platform-free:
// the window styles are spelled out here with the values the system gives them.

#include <cstddef>
#include <cstdint>

// The style bits the main window's controls use (WS_, BS_, SS_, ES_, UDS_, LBS_ values).
namespace WindowStyle {
constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kVerticalScroll = 0x00200000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kButtonGroupBox = 0x00000007;
constexpr uint32_t kButtonAutoCheckBox = 0x00000003;
constexpr uint32_t kButtonOwnerDraw = 0x0000000B;
constexpr uint32_t kStaticLeft = 0x00000000;
constexpr uint32_t kStaticCenterImage = 0x00000200;
constexpr uint32_t kEditAutoHorizontalScroll = 0x00000080;
constexpr uint32_t kUpDownAlignRight = 0x00000004;
constexpr uint32_t kUpDownArrowKeys = 0x00000020;
constexpr uint32_t kUpDownNoThousands = 0x00000080;
constexpr uint32_t kListNotify = 0x00000001;
constexpr uint32_t kListOwnerDrawFixed = 0x00000010;
constexpr uint32_t kListNoIntegralHeight = 0x00000100;
constexpr uint32_t kListWantKeyboardInput = 0x00000400;
constexpr uint32_t kListExtendedSelection = 0x00000800;
constexpr uint32_t kListDisableNoScroll = 0x00001000;
constexpr uint32_t kListNoData = 0x00002000;
constexpr uint32_t kExClientEdge = 0x00000200;
}  // namespace WindowStyle

enum class FontRole { Regular, Bold, Mono, Small, None };

// How a control follows the size of the client area; every other measure is fixed design units.
enum class Anchor {
    Fixed,        // the design rectangle as it is
    GroupWidth,   // width: the client width less the margins on both sides
    EventsGroup,  // GroupWidth, and the height fills the client area down to the status line
    EventsList,   // inside the events group: its width less 20, its height less 30
    StatusLine,   // the whole client width, at the bottom
    StatusButton  // at the right end of the status line, centred in its height
};

// A design rectangle at 96 DPI. Positions are the sum of an origin (a group's corner) and an
// offset inside it; both are scaled on their own before they are added, so a control keeps its
// place in its group at every scale.
struct DesignRect {
    int originX = 0;
    int offsetX = 0;
    int originY = 0;
    int offsetY = 0;
    int width = 0;
    int height = 0;
    Anchor anchor = Anchor::Fixed;
};

struct ControlRow {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    uint32_t style;
    uint32_t exStyle;
    FontRole font;
    DesignRect rect;
};

constexpr size_t kControlCount = 26;
// The rows in creation order, which is also z-order and tab order.
extern const ControlRow kControlTable[kControlCount];

// The row of a control id, or null.
const ControlRow* findControlRow(int id);

// The font a control gets once the real DPI is known: the bold controls take the regular font
// then, and controls without a font of their own get the regular one.
FontRole fontAfterDpiStep(FontRole role);
