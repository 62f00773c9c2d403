#include "app/window_layout.h"

#include <algorithm>

#include "app/shell_state.h"
#include "app/texts.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

// Where everything stands when the client area has exactly the size the contents need.
struct Measures {
    bool Known = false;
    RECT List{};
    RECT Add{};
    RECT Remove{};
    RECT Panel{};
    int MinListHeight = 0;
    SIZE Client{};
};
Measures Layout;

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

RECT At(int x, int y, int width, int height) {
    return RECT{x, y, x + width, y + height};
}

// The functions of per-monitor DPI, where the system has them (Windows 10 and later).
template <typename Function> Function SystemFunction(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

UINT SystemDpi() {
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto getDpiForSystem = SystemFunction<GetDpiForSystemFunction>("GetDpiForSystem");
    if (getDpiForSystem != nullptr) {
        return getDpiForSystem();
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int Scaled(int pixelsAt96, UINT dpi) {
    return MulDiv(pixelsAt96, int(dpi), USER_DEFAULT_SCREEN_DPI);
}

INT_PTR CALLBACK MeasuringProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The entry panel's frame in the client area as its dialog font makes it at the window's
// DPI: a panel made only to be measured, never shown.
RECT PanelFrame(HWND window) {
    RECT frame{};
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    HWND measured = CreateDialogParamW(instance, ResourceName, window, MeasuringProc, 0);
    if (measured != nullptr) {
        GetWindowRect(measured, &frame);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&frame), 2);
        DestroyWindow(measured);
    }
    return frame;
}

// Caption, menu and borders: what the window is larger than its client area.
SIZE FrameExtra(HWND window) {
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return SIZE{Width(outer) - Width(client), Height(outer) - Height(client)};
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

void Move(HWND control, const RECT& place) {
    if (control != nullptr) {
        MoveWindow(control, place.left, place.top, Width(place), Height(place), TRUE);
    }
}

} // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

HFONT CreateListFont(UINT dpi) {
    return CreateFontW(Scaled(15, dpi), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, W(TextListFontFace));
}

// At the system's DPI the list and buttons are sized in dialog base units as they always
// were; on a monitor of another DPI those units are scaled by the same ratio.
void MeasureLayout(HWND window, UINT dpi) {
    const UINT systemDpi = SystemDpi();
    const LONG units = GetDialogBaseUnits();
    const int cx = MulDiv(LOWORD(units), int(dpi), int(systemDpi));
    const int cy = MulDiv(HIWORD(units), int(dpi), int(systemDpi));
    const int bar = MulDiv(GetSystemMetrics(SM_CXVSCROLL), int(dpi), int(systemDpi));

    Measures m;
    m.Known = true;
    m.List = At(Scaled(20, dpi), 3 * cy, bar + 50 * cx, 10 * cy);
    m.Add = At(Scaled(120, dpi), cy / 2, bar + 10 * cx, 2 * cy);
    // With a wide system font the buttons would touch; the second keeps a gap.
    m.Remove = At(std::max(Scaled(230, dpi), int(m.Add.right) + Scaled(10, dpi)), cy / 2,
                  bar + 8 * cx, 2 * cy);
    m.MinListHeight = 4 * cy;
    const RECT frame = PanelFrame(window);
    const int panelTop = std::max(int(frame.top), int(m.List.bottom) + Scaled(2, dpi));
    m.Panel = At(frame.left, panelTop, Width(frame), Height(frame));
    const int margin = std::max(int(m.List.left), int(m.Panel.left));
    m.Client.cx = std::max({m.List.right, m.Remove.right, m.Panel.right}) + margin;
    // Below the panel as much room as on its left.
    m.Client.cy = m.Panel.bottom + m.Panel.left;
    Layout = m;
}

void ArrangeControls(HWND window) {
    if (!Layout.Known) {
        return;
    }
    RECT client{};
    GetClientRect(window, &client);
    const int wider = std::max(0, int(client.right) - int(Layout.Client.cx));
    const int listHeight =
        std::max(Layout.MinListHeight, Height(Layout.List) + int(client.bottom - Layout.Client.cy));
    const int lower = listHeight - Height(Layout.List);
    Move(EntryList, At(Layout.List.left, Layout.List.top, Width(Layout.List) + wider, listHeight));
    Move(AddButton, Layout.Add);
    Move(RemoveButton, Layout.Remove);
    if (EntryPanel != nullptr) {
        SetWindowPos(EntryPanel, nullptr, Layout.Panel.left, Layout.Panel.top + lower, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

SIZE MinimumWindowSize(HWND window) {
    if (!Layout.Known) {
        return SIZE{0, 0};
    }
    const SIZE extra = FrameExtra(window);
    const int shorter = Height(Layout.List) - Layout.MinListHeight;
    return SIZE{Layout.Client.cx + extra.cx, Layout.Client.cy - shorter + extra.cy};
}

void FitWindowToContents(HWND window) {
    if (!Layout.Known) {
        return;
    }
    const SIZE extra = FrameExtra(window);
    const int fitting = Layout.Client.cy + extra.cy;
    const int height =
        std::max(int(MinimumWindowSize(window).cy), std::min(fitting, Height(WorkAreaOf(window))));
    SetWindowPos(window, nullptr, 0, 0, Layout.Client.cx + extra.cx, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RestorableFrame(HWND window, ScreenRect& frame) {
    RECT shown{};
    if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &shown)) {
        return false;
    }
    frame = {shown.left, shown.top, shown.right, shown.bottom};
    return true;
}

void PlaceWindow(HWND window, const ScreenRect& frame, SIZE smallest) {
    const RECT wanted{frame.Left, frame.Top, frame.Right, frame.Bottom};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const ScreenRect shown = FitIntoArea(frame, {work.left, work.top, work.right, work.bottom},
                                         smallest.cx, smallest.cy);
    SetWindowPos(window, nullptr, shown.Left, shown.Top, shown.Right - shown.Left,
                 shown.Bottom - shown.Top, SWP_NOZORDER | SWP_NOACTIVATE);
}
