// Win32 window service: the USER32 and GDI32 calls the frame logic makes.
#include "platform/window.h"

#include <windows.h>

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
