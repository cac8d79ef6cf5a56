// Win32 window service: the USER32 and GDI32 calls the frame logic makes.
#include "platform/window.h"

#include <windows.h>
#include <shellapi.h>

static HWND Hwnd(SysWindow* window) { return reinterpret_cast<HWND>(window); }

SysWindow* SysForegroundWindow() { return reinterpret_cast<SysWindow*>(GetForegroundWindow()); }
SysWindow* SysDesktopWindow() { return reinterpret_cast<SysWindow*>(GetDesktopWindow()); }
int SysIsMinimized(SysWindow* window) { return IsIconic(Hwnd(window)) ? 1 : 0; }
int SysIsVisible(SysWindow* window) { return IsWindowVisible(Hwnd(window)) ? 1 : 0; }

int SysWindowClassName(SysWindow* window, char* buffer, int capacity) {
    if (capacity < 1) return 0;
    buffer[0] = 0;
    return GetClassNameA(Hwnd(window), buffer, capacity) > 0;
}

int SysWindowRect(SysWindow* window, Rect* rect) {
    RECT r;
    if (!GetWindowRect(Hwnd(window), &r)) {
        *rect = Rect{0, 0, 0, 0};
        return 0;
    }
    *rect = Rect{r.left, r.top, r.right, r.bottom};
    return 1;
}

void SysHideWindow(SysWindow* window) { ShowWindow(Hwnd(window), SW_HIDE); }

void SysPlaceWindow(SysWindow* window, int32_t x, int32_t y, int32_t width, int32_t height) {
    SetWindowPos(Hwnd(window), HWND_TOPMOST, x, y, width, height, SWP_NOCOPYBITS | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void SysKeepWindowOnTop(SysWindow* window) {
    // Asking where it stands costs far less than a SetWindowPos, which sends
    // the window its position messages and restacks it even where it is.
    if (GetWindow(Hwnd(window), GW_HWNDPREV))
        SetWindowPos(Hwnd(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SysSetWindowShape(SysWindow* window, const uint8_t* regionData, uint32_t regionSize) {
    HRGN region = ExtCreateRegion(nullptr, regionSize, reinterpret_cast<const RGNDATA*>(regionData));
    // The window owns the region once SetWindowRgn succeeds; a refused one is ours to delete.
    if (region && !SetWindowRgn(Hwnd(window), region, TRUE)) DeleteObject(region);
}

void SysCursorPos(Point* point) {
    POINT p = {0, 0};
    GetCursorPos(&p);
    *point = Point{p.x, p.y};
}

namespace {

Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// The monitor's own DPI where the system has per-monitor DPI (shcore.dll,
// Windows 8.1 and later), else the screen's, which is then every monitor's.
int32_t MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static GetDpiForMonitorFunction getDpiForMonitor = [] {
        HMODULE shcore = LoadLibraryA("shcore.dll");
        FARPROC found = shcore ? GetProcAddress(shcore, "GetDpiForMonitor") : nullptr;
        return reinterpret_cast<GetDpiForMonitorFunction>(reinterpret_cast<void*>(found));
    }();
    UINT dpiX = 0, dpiY = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (getDpiForMonitor && getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY) == S_OK && dpiY > 0)
        return static_cast<int32_t>(dpiY);
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kStandardDpi;
}

// Fills `monitor` from `handle`, with the desktop's rectangle and 96 DPI when
// the system cannot tell.
void FillMonitor(HMONITOR handle, Monitor* monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (handle && GetMonitorInfoA(handle, &info)) {
        *monitor = Monitor{FromRECT(info.rcMonitor), FromRECT(info.rcWork), MonitorDpi(handle)};
        return;
    }
    RECT desktop = {0, 0, 0, 0};
    GetWindowRect(GetDesktopWindow(), &desktop);
    *monitor = Monitor{FromRECT(desktop), FromRECT(desktop), kStandardDpi};
}

}  // namespace

void SysWindowMonitor(SysWindow* window, Monitor* monitor) {
    FillMonitor(window ? MonitorFromWindow(Hwnd(window), MONITOR_DEFAULTTONEAREST)
                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                monitor);
}

void SysMonitorAt(const Point& point, Monitor* monitor) {
    FillMonitor(MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONEAREST), monitor);
}

int SysWindowHasCaption(SysWindow* window) {
    if (!window || !IsWindow(Hwnd(window))) return 0;
    return (GetWindowLongA(Hwnd(window), GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

UserState SysUserState() {
    // Looked up once: shell32 is not among the window service's libraries.
    using QueryFunction = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    static QueryFunction query = [] {
        HMODULE shell = LoadLibraryA("shell32.dll");
        FARPROC found = shell ? GetProcAddress(shell, "SHQueryUserNotificationState") : nullptr;
        return reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(found));
    }();
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (!query || query(&state) != S_OK) return UserState::kAvailable;
    switch (state) {
        case QUNS_BUSY:
        case QUNS_RUNNING_D3D_FULL_SCREEN:
            return UserState::kFullScreenProgram;
        case QUNS_PRESENTATION_MODE:
            return UserState::kPresenting;
        case QUNS_NOT_PRESENT:
            return UserState::kAway;
        default:
            // Quiet time, the first hour after a new account's first sign-in
            // or after an upgrade, says nothing of the user now; a store app
            // (QUNS_APP) runs in a window like any other since Windows 10.
            return UserState::kAvailable;
    }
}
