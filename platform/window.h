// Platform window service: what the mascot needs of the window system —
// the foreground and desktop windows, their rectangles and class names, the
// cursor position, and placing, hiding and shaping the mascot window.
//
// On Windows these are the USER32 calls; the portable build simulates a
// screen of windows in memory (see platform/portable/hooks.h), so the frame
// logic runs, and is tested, without a window system.
#pragma once

#include <cstdint>

struct SysWindow;  // opaque window handle; never owned by the logic

// Screen rectangles and points in pixels, y growing downward; right and
// bottom are exclusive.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct Point {
    int32_t x;
    int32_t y;
};

inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }

// Window positions and a module's distances are held within this many
// pixels of the origin either way: far beyond any screen, yet far enough
// from the 32-bit ends that a module's number (any 32-bit value) added to a
// position cannot wrap.
constexpr int32_t kCoordinateLimit = 1 << 27;

// `value` held to -kCoordinateLimit .. kCoordinateLimit.
constexpr int32_t HoldCoordinate(int64_t value) {
    return value > kCoordinateLimit ? kCoordinateLimit
           : value < -kCoordinateLimit ? -kCoordinateLimit
                                       : static_cast<int32_t>(value);
}

// The foreground window, or nullptr when there is none.
SysWindow* SysForegroundWindow();
SysWindow* SysDesktopWindow();
int SysIsMinimized(SysWindow* window);
int SysIsVisible(SysWindow* window);

// Copies the window's class name into `buffer` (at most capacity - 1 bytes,
// NUL-terminated). Returns 0 and an empty text when it cannot.
int SysWindowClassName(SysWindow* window, char* buffer, int capacity);

// The window's screen rectangle. Returns 0 (and a zero rectangle) when it cannot.
int SysWindowRect(SysWindow* window, Rect* rect);

// Hides the window.
void SysHideWindow(SysWindow* window);

// Puts the window at (x, y) with the given size, topmost, showing it without
// activating it and without copying its old pixels.
void SysPlaceWindow(SysWindow* window, int32_t x, int32_t y, int32_t width, int32_t height);

// Brings the window to the top of the topmost windows, as SysPlaceWindow
// does, where another window is above it; neither moves nor shows it.
void SysKeepWindowOnTop(SysWindow* window);

// Gives the window the shape described by region data (32-byte header and
// rectangles), redrawing it. The window system owns the region from then on.
void SysSetWindowShape(SysWindow* window, const uint8_t* regionData, uint32_t regionSize);

// The cursor's screen position.
void SysCursorPos(Point* point);

// One monitor of the screen: its rectangle, the part of it that docked bars
// such as the taskbar leave free, and its dots per inch (96 is 100 %).
struct Monitor {
    Rect area;
    Rect workArea;
    int32_t dpi;
};

constexpr int32_t kStandardDpi = 96;

// The monitor that holds the largest part of `window`, or the nearest one
// when the window lies on none; the primary monitor for nullptr. Always
// fills `monitor` (with the desktop's rectangle and 96 DPI when the system
// cannot tell).
void SysWindowMonitor(SysWindow* window, Monitor* monitor);

// The monitor that holds `point`, or the nearest one when it lies on none.
// Always fills `monitor`, as SysWindowMonitor does.
void SysMonitorAt(const Point& point, Monitor* monitor);

// 1 when the window has a title bar, 0 when it has none (a full-screen
// game or film, the desktop) or is no window.
int SysWindowHasCaption(SysWindow* window);

// What the system says of the user, as far as being disturbed goes.
enum class UserState {
    kAvailable,          // nothing against it (also where the system cannot tell)
    kFullScreenProgram,  // a full-screen program, Direct3D or other, is running
    kPresenting,         // presentation settings are on
    kAway,               // a screen saver is shown or the session is locked
};
UserState SysUserState();
