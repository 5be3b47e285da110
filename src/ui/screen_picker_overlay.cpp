#include "ui/screen_picker_overlay.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/dpi_scaling.h"
#include "base/fonts.h"
#include "base/top_window_win.h"
#include "base/win_owners.h"
#include "ui/screen_picker_desktop.h"

namespace {

constexpr wchar_t kOverlayClass[] = L"LorminRecorderScreenPicker";
// The crosshair leaves this much (at 96 DPI) free around the pointer, where the cursor is.
constexpr int kCrosshairGap = 12;
constexpr int kLabelPadding = 4;
const COLORREF kBoxColour = RGB(32, 32, 32);
const COLORREF kMissingColour = RGB(80, 80, 80);

PickerRect pickerRect(const RECT& r)
{
    return PickerRect{r.left, r.top, r.right, r.bottom};
}

RECT offsetRect(const PickerRect& r, PickerPoint origin)
{
    return RECT{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
}

COLORREF colourRefOf(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The 8 x 8 pattern of the crosshair and the drag's frame: diagonal stripes four pixels wide, so
// that any line of it is dashed black and white and shows on every background.
BitmapHandle makeDashPattern()
{
    WORD rows[8];
    for (int y = 0; y < 8; ++y) {
        WORD row = 0;
        for (int x = 0; x < 8; ++x) {
            if (((x + y) / 4) % 2 != 0) {
                row |= static_cast<WORD>(0x80 >> x);
            }
        }
        rows[y] = row;
    }
    return BitmapHandle(CreateBitmap(8, 8, 1, 1, rows));
}

// The text of one DPI: its font and line height.
struct LabelFont {
    FontHandle font;
    int lineHeight = 0;
};

// What the overlay shows besides the picture, in its window's coordinates; kept to invalidate it
// again when it changes.
struct Scene {
    std::vector<RECT> lines;  // crosshair pieces and the drag's frame
    MagnifierLayout magnifier;
    PickerPoint origin;
    int dpi = 96;
    uint32_t rgb = 0;
    std::wstring label;
};

class Overlay {
public:
    Overlay(PickShape shape, const PickerRect& screen, const FrozenScreen& frozen, PickerSession& session);

    bool run();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    PickerPoint screenPoint(LPARAM lParam) const;
    void onMove(LPARAM lParam);
    void onKey(WPARAM key, LPARAM lParam);
    void finish(PickerSession::Outcome outcome);
    void refresh();
    Scene sceneNow();
    void invalidate(const Scene& scene);
    void paint();
    void paintMagnifier(HDC dc, const Scene& scene);
    const LabelFont& labelFont(int dpi);

    PickShape shape_;
    PickerRect screen_;
    PickerPoint origin_;
    const FrozenScreen& frozen_;
    PickerSession& session_;
    WindowHandle window_;
    BitmapHandle dashPattern_;
    BrushHandle dashBrush_;
    BrushHandle boxBrush_;
    BrushHandle missingBrush_;
    std::map<int, LabelFont> fonts_;
    Scene shown_;
    bool done_ = false;
    bool picked_ = false;
};

Overlay::Overlay(PickShape shape, const PickerRect& screen, const FrozenScreen& frozen, PickerSession& session)
    : shape_(shape), screen_(screen), origin_{screen.left, screen.top}, frozen_(frozen), session_(session),
      dashPattern_(makeDashPattern()), dashBrush_(CreatePatternBrush(dashPattern_.get())),
      boxBrush_(CreateSolidBrush(kBoxColour)), missingBrush_(CreateSolidBrush(kMissingColour))
{}

bool Overlay::run()
{
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Overlay::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
        windowClass.lpszClassName = kOverlayClass;
        return RegisterClassExW(&windowClass);
    }();
    if (registered == 0) {
        return false;
    }
    window_.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOverlayClass, L"取点", WS_POPUP, screen_.left,
                                  screen_.top, screen_.width(), screen_.height(), nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this));
    if (!window_) {
        return false;
    }
    refresh();
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    SetFocus(window_.get());
    SetCapture(window_.get());
    // A window with the capture gets no WM_SETCURSOR: the crosshair cursor is set once here.
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    UpdateWindow(window_.get());

    bool quit = false;
    WPARAM quitCode = 0;
    MSG message;
    while (!done_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            quitCode = message.wParam;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    done_ = true;
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    window_.reset();
    if (quit) {
        PostQuitMessage(static_cast<int>(quitCode));  // for the loop that ends the program
        return false;
    }
    return picked_;
}

LRESULT CALLBACK Overlay::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* overlay = reinterpret_cast<Overlay*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (overlay == nullptr || overlay->window_.get() != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return overlay->handle(message, wParam, lParam);
}

LRESULT Overlay::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: onMove(lParam); return 0;
    case WM_LBUTTONDOWN:
        session_.pressed(screenPoint(lParam));
        refresh();
        return 0;
    case WM_LBUTTONUP: finish(session_.released(screenPoint(lParam))); return 0;
    // A right click cancels on its release, so that the release does not reach the window below
    // (where it would open a menu).
    case WM_RBUTTONDOWN: return 0;
    case WM_RBUTTONUP: finish(PickerSession::Outcome::Cancelled); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: onKey(wParam, lParam); return 0;
    // Every other way out cancels: the capture or the focus taken away, Alt+F4, a new screen layout.
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_CLOSE:
    case WM_DISPLAYCHANGE: finish(PickerSession::Outcome::Cancelled); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            finish(PickerSession::Outcome::Cancelled);
        }
        return 0;
    default: return DefWindowProcW(window_.get(), message, wParam, lParam);
    }
}

PickerPoint Overlay::screenPoint(LPARAM lParam) const
{
    return PickerPoint{static_cast<short>(LOWORD(lParam)) + origin_.x, static_cast<short>(HIWORD(lParam)) + origin_.y};
}

void Overlay::onMove(LPARAM lParam)
{
    if (session_.moved(screenPoint(lParam), GetTickCount64())) {
        refresh();
    }
}

void Overlay::onKey(WPARAM key, LPARAM lParam)
{
    const bool repeat = (lParam & (1 << 30)) != 0;
    const bool fast = GetKeyState(VK_SHIFT) < 0;
    PickerSession::Outcome outcome = PickerSession::Outcome::Going;
    switch (key) {
    case VK_LEFT: outcome = session_.key(PickerKey::Left, fast, GetTickCount64()); break;
    case VK_RIGHT: outcome = session_.key(PickerKey::Right, fast, GetTickCount64()); break;
    case VK_UP: outcome = session_.key(PickerKey::Up, fast, GetTickCount64()); break;
    case VK_DOWN: outcome = session_.key(PickerKey::Down, fast, GetTickCount64()); break;
    // A key held down since before the picker came up (the Enter that opened it) only repeats here.
    case VK_RETURN:
        if (!repeat) {
            outcome = session_.key(PickerKey::Enter, false, GetTickCount64());
        }
        break;
    case VK_ESCAPE:
        if (!repeat) {
            outcome = session_.key(PickerKey::Escape, false, GetTickCount64());
        }
        break;
    default: return;
    }
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
        const PickerPoint pointer = session_.pointer();
        SetCursorPos(pointer.x, pointer.y);
        refresh();
    }
    finish(outcome);
}

void Overlay::finish(PickerSession::Outcome outcome)
{
    if (done_ || outcome == PickerSession::Outcome::Going) {
        return;
    }
    done_ = true;
    picked_ = outcome == PickerSession::Outcome::Picked;
}

Scene Overlay::sceneNow()
{
    Scene scene;
    scene.origin = origin_;
    const PickerPoint pointer = session_.pointer();
    POINT at{pointer.x, pointer.y};
    const HMONITOR monitorHandle = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const PickerRect monitorRect = GetMonitorInfoW(monitorHandle, &monitor) ? pickerRect(monitor.rcMonitor) : screen_;
    scene.dpi = dpiOfMonitor(monitorHandle);

    // The crosshair across the whole overlay, with a gap around the pointer.
    const int x = pointer.x - origin_.x;
    const int y = pointer.y - origin_.y;
    const int gap = scaleForDpi(kCrosshairGap, scene.dpi);
    const int width = screen_.width();
    const int height = screen_.height();
    scene.lines = {RECT{0, y, x - gap, y + 1}, RECT{x + gap + 1, y, width, y + 1}, RECT{x, 0, x + 1, y - gap},
                   RECT{x, y + gap + 1, x + 1, height}};
    // The drag's frame, just outside the pixels it takes.
    const bool dragging = session_.dragging();
    const PickerRect drag = session_.dragRectangle();
    if (dragging) {
        const RECT r = offsetRect(drag, origin_);
        scene.lines.push_back(RECT{r.left - 1, r.top - 1, r.right + 1, r.top});
        scene.lines.push_back(RECT{r.left - 1, r.bottom, r.right + 1, r.bottom + 1});
        scene.lines.push_back(RECT{r.left - 1, r.top, r.left, r.bottom});
        scene.lines.push_back(RECT{r.right, r.top, r.right + 1, r.bottom});
    }

    scene.rgb = frozen_.rgbAt(pointer);
    scene.label = pickerLabelText(pointer, scene.rgb, dragging ? &drag : nullptr);
    const int lines = shape_ == PickShape::PointOrRectangle ? 3 : 2;
    const int labelHeight = lines * labelFont(scene.dpi).lineHeight + 2 * scaleForDpi(kLabelPadding, scene.dpi);
    scene.magnifier = layoutMagnifier(pointer, monitorRect, screen_, magnifierMetrics(scene.dpi, labelHeight));
    return scene;
}

void Overlay::invalidate(const Scene& scene)
{
    for (const RECT& line : scene.lines) {
        InvalidateRect(window_.get(), &line, FALSE);
    }
    const RECT box = offsetRect(scene.magnifier.box, scene.origin);
    InvalidateRect(window_.get(), &box, FALSE);
}

void Overlay::refresh()
{
    Scene next = sceneNow();
    invalidate(shown_);
    invalidate(next);
    shown_ = std::move(next);
}

const LabelFont& Overlay::labelFont(int dpi)
{
    auto found = fonts_.find(dpi);
    if (found != fonts_.end()) {
        return found->second;
    }
    LabelFont& entry = fonts_[dpi];
    entry.font = makeFont(kTextFace, kTextPoints, FW_NORMAL, dpi);
    const WindowDc screenDc(nullptr);
    const SelectedObject selected(screenDc.get(), entry.font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screenDc.get(), &metrics);
    entry.lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : scaleForDpi(16, dpi);
    return entry;
}

void Overlay::paint()
{
    const PaintDc dc(window_.get());
    if (dc.get() == nullptr) {
        return;
    }
    const RECT& area = dc.area();
    BitBlt(dc.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, frozen_.dc(), area.left,
           area.top, SRCCOPY);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    SetBkColor(dc.get(), RGB(255, 255, 255));
    for (const RECT& line : shown_.lines) {
        if (line.right > line.left && line.bottom > line.top) {
            FillRect(dc.get(), &line, dashBrush_.get());
        }
    }
    paintMagnifier(dc.get(), shown_);
}

void Overlay::paintMagnifier(HDC dc, const Scene& scene)
{
    const MagnifierLayout& layout = scene.magnifier;
    const RECT box = offsetRect(layout.box, scene.origin);
    const RECT picture = offsetRect(layout.picture, scene.origin);
    FillRect(dc, &box, boxBrush_.get());
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));  // seen on dark screens too
    FillRect(dc, &picture, missingBrush_.get());
    if (!layout.source.empty()) {
        const int cell = layout.cell;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, layout.sourceAt.x - scene.origin.x, layout.sourceAt.y - scene.origin.y,
                   layout.source.width() * cell, layout.source.height() * cell, frozen_.dc(),
                   layout.source.left - screen_.left, layout.source.top - screen_.top, layout.source.width(),
                   layout.source.height(), SRCCOPY);
    }
    // The pointer's pixel framed black inside white.
    RECT centre = offsetRect(layout.centre, scene.origin);
    FrameRect(dc, &centre, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&centre, 1, 1);
    FrameRect(dc, &centre, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    const int padding = scaleForDpi(kLabelPadding, scene.dpi);
    const LabelFont& font = labelFont(scene.dpi);
    RECT text = offsetRect(layout.label, scene.origin);
    InflateRect(&text, -padding, -padding);
    // A swatch of the colour at the end of the colour's line.
    const RECT swatch{text.right - 2 * font.lineHeight, text.top + font.lineHeight + 1, text.right,
                      text.top + 2 * font.lineHeight - 1};
    const BrushHandle swatchBrush(CreateSolidBrush(colourRefOf(scene.rgb)));
    FillRect(dc, &swatch, swatchBrush.get());
    FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const SelectedObject selected(dc, font.font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, scene.label.c_str(), static_cast<int>(scene.label.size()), &text, DT_LEFT | DT_NOPREFIX);
}

}  // namespace

bool runPickerOverlay(PickShape shape, const PickerRect& screen, const FrozenScreen& frozen, PickerSession& session)
{
    Overlay overlay(shape, screen, frozen, session);
    return overlay.run();
}
