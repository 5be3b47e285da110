#include "ui/tray_icon.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <vector>
#include <shellapi.h>

#include "base/dpi_scaling.h"

namespace {

constexpr UINT kTrayIconId = 1;

// The window of the icon shown, for the crash path.
std::atomic<HWND> shownIconOwner{nullptr};

// An icon of the state drawn for size x size pixels.
HICON makeIcon(TrayState state, int size)
{
    const std::vector<uint32_t> pixels = drawTrayIcon(state, size);
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // rows from the top
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    BitmapHandle colour(
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (!colour || bits == nullptr) {
        return nullptr;
    }
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    BitmapHandle mask(CreateBitmap(size, size, 1, 1, nullptr));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.get();
    info.hbmMask = mask.get();
    return CreateIconIndirect(&info);
}

int iconSizeFor(int dpi)
{
    return scaleForDpi(16, dpi);
}

}  // namespace

UINT TrayIcon::taskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

bool TrayIcon::notify(DWORD action, int dpi)
{
    const int size = iconSizeFor(dpi);
    if (!icon_ || iconState_ != look_.state || iconSize_ != size) {
        icon_.reset(makeIcon(look_.state, size));
        iconState_ = look_.state;
        iconSize_ = size;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = WM_APP_TRAY_ICON;
    data.hIcon = icon_.get();
    wcsncpy(data.szTip, look_.tooltip.c_str(), kTrayTooltipLength);
    if (!Shell_NotifyIconW(action, &data)) {
        return false;
    }
    if (action == NIM_ADD) {
        data.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconW(NIM_SETVERSION, &data);
    }
    lastUpdateMs_ = GetTickCount64();
    return true;
}

bool TrayIcon::show(HWND owner, const TrayLook& look, int dpi)
{
    look_ = look;
    if (owner_ != nullptr) {
        return notify(NIM_MODIFY, dpi);
    }
    owner_ = owner;
    if (!notify(NIM_ADD, dpi)) {
        owner_ = nullptr;
        return false;
    }
    shownIconOwner.store(owner_);
    return true;
}

void TrayIcon::update(const TrayLook& look, int dpi)
{
    if (owner_ == nullptr) {
        return;
    }
    look_.menu = look.menu;  // the menu is read when it opens: always the newest
    if (isTrayUpdateDue(look_, look, lastUpdateMs_, GetTickCount64())) {
        look_ = look;
        notify(NIM_MODIFY, dpi);
    }
}

void TrayIcon::addAgain(int dpi)
{
    if (owner_ != nullptr) {
        notify(NIM_ADD, dpi);
    }
}

void TrayIcon::remove()
{
    if (owner_ == nullptr) {
        return;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    shownIconOwner.store(nullptr);
    owner_ = nullptr;
}

std::optional<TrayCommand> TrayIcon::runMenu(int x, int y) const
{
    if (owner_ == nullptr) {
        return std::nullopt;
    }
    MenuHandle menu(CreatePopupMenu());
    if (!menu) {
        return std::nullopt;
    }
    for (size_t i = 0; i < look_.menu.size(); ++i) {
        const TrayMenuItem& item = look_.menu[i];
        if (item.command == TrayCommand::Separator) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), i + 1, item.text);
        }
    }
    // The menu closes when the user clicks elsewhere only while its owner is in front.
    SetForegroundWindow(owner_);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, x, y, owner_, nullptr));
    PostMessageW(owner_, WM_NULL, 0, 0);
    if (chosen == 0 || chosen > look_.menu.size() || !look_.menu[chosen - 1].enabled) {
        return std::nullopt;
    }
    return look_.menu[chosen - 1].command;
}

void showTrayBalloon(HWND owner, const std::wstring& text)
{
    if (owner == nullptr || shownIconOwner.load() != owner) {
        return;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(data.szInfoTitle, L"岚溪脚本录制软件", ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void removeTrayIconAfterCrash()
{
    HWND owner = shownIconOwner.exchange(nullptr);
    if (owner == nullptr) {
        return;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}
