// Portable window service: a simulated screen of top-level windows in memory,
// driven by tests and by the simulator through platform/portable/hooks.h.
#include "platform/graphics.h"
#include "platform/portable/hooks.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

struct SysWindow {
    Rect rect;
    std::string className;
    int visible;
    int minimized;
    std::vector<uint8_t> shape;   // region data as last given
    std::vector<uint8_t> pixels;  // RGB, top row first, as last painted (made when first viewed)
    int32_t pixelWidth;
    int32_t pixelHeight;
    int placements;
    int hides;
    int destroyed;  // closed: its handle no longer names a window
    // The last paint as painted: colour indices, top row first, and the
    // colour table; turned into `pixels` only when a test looks, since
    // converting every frame would cost more than the whole frame tick.
    std::vector<uint8_t> indices;
    uint8_t colorTable[kColorTableSize];
    int32_t paintedWidth;   // the part of the paint the source covered; black beyond
    int32_t paintedHeight;
    bool pixelsStale;
    int noCaption;  // 1: no title bar (the desktop's own is never one)
};

namespace {

SysWindow& Desktop() {
    static SysWindow desktop{{0, 0, 1024, 768}, "#32769", 1, 0, {}, {}, 0, 0, 0, 0, 0, {}, {}, 0, 0, false, 1};
    return desktop;
}

std::vector<std::unique_ptr<SysWindow>>& Windows() {
    static std::vector<std::unique_ptr<SysWindow>> windows;  // every window the tests made
    return windows;
}

SysWindow* g_foreground = nullptr;  // the foreground window, if any
Point g_cursor = {0, 0};            // the cursor's screen position
std::vector<Monitor> g_monitors;    // the screen's monitors; none set: the desktop is the one
UserState g_userState = UserState::kAvailable;  // what SysUserState answers

// Pixels of `a` that lie in `b`.
int64_t OverlapArea(const Rect& a, const Rect& b) {
    int64_t width = static_cast<int64_t>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    int64_t height = static_cast<int64_t>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// How far `a` lies from `b` (0 when they touch or overlap), for the nearest monitor.
int64_t Distance(const Rect& a, const Rect& b) {
    int64_t dx = std::max<int64_t>({0, static_cast<int64_t>(b.left) - a.right, static_cast<int64_t>(a.left) - b.right});
    int64_t dy = std::max<int64_t>({0, static_cast<int64_t>(b.top) - a.bottom, static_cast<int64_t>(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

}  // namespace

SysWindow* SysForegroundWindow() { return g_foreground; }
SysWindow* SysDesktopWindow() { return &Desktop(); }
int SysIsMinimized(SysWindow* window) { return window && window->minimized; }
int SysIsVisible(SysWindow* window) { return window && window->visible && !window->destroyed; }

int SysWindowClassName(SysWindow* window, char* buffer, int capacity) {
    if (capacity < 1) return 0;
    buffer[0] = 0;
    if (!window) return 0;
    size_t length = std::min(window->className.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, window->className.data(), length);
    buffer[length] = 0;
    return 1;
}

int SysWindowRect(SysWindow* window, Rect* rect) {
    *rect = Rect{0, 0, 0, 0};
    if (!window || window->destroyed) return 0;
    *rect = window->rect;
    return 1;
}

void SysHideWindow(SysWindow* window) {
    if (!window) return;
    window->visible = 0;
    window->hides++;
}

void SysPlaceWindow(SysWindow* window, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!window) return;
    window->rect = Rect{x, y, x + width, y + height};
    window->visible = 1;
    window->placements++;
}

// The simulated screen has no stacking order: nothing to do.
void SysKeepWindowOnTop(SysWindow*) {}

void SysSetWindowShape(SysWindow* window, const uint8_t* regionData, uint32_t regionSize) {
    if (!window) return;
    window->shape.assign(regionData, regionData + regionSize);
}

void SysCursorPos(Point* point) { *point = g_cursor; }

namespace {

// The monitor that holds the largest part of `rect`, or the nearest one when
// it lies on none; ties keep the earlier one. Needs a monitor set.
Monitor MonitorOf(const Rect& rect) {
    Monitor best = g_monitors.front();
    int64_t bestOverlap = 0;
    int64_t bestDistance = INT64_MAX;
    for (const Monitor& candidate : g_monitors) {
        int64_t overlap = OverlapArea(rect, candidate.area);
        int64_t distance = Distance(rect, candidate.area);
        if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
            best = candidate;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

void SysWindowMonitor(SysWindow* window, Monitor* monitor) {
    if (g_monitors.empty()) {
        *monitor = Monitor{Desktop().rect, Desktop().rect, kStandardDpi};
        return;
    }
    *monitor = g_monitors.front();
    if (window && !window->destroyed) *monitor = MonitorOf(window->rect);
}

void SysMonitorAt(const Point& point, Monitor* monitor) {
    if (g_monitors.empty()) {
        *monitor = Monitor{Desktop().rect, Desktop().rect, kStandardDpi};
        return;
    }
    // The pixel at the point: on a monitor's edge it belongs to the monitor on its right or below.
    int32_t x = point.x == INT32_MAX ? point.x - 1 : point.x;
    int32_t y = point.y == INT32_MAX ? point.y - 1 : point.y;
    *monitor = MonitorOf(Rect{x, y, x + 1, y + 1});
}

int SysWindowHasCaption(SysWindow* window) {
    return window && window != &Desktop() && !window->destroyed && !window->noCaption;
}

UserState SysUserState() { return g_userState; }

uint8_t* SysPortablePaintTarget(SysWindow* window, const uint8_t* colorTable, int32_t width, int32_t height,
                                int32_t paintedWidth, int32_t paintedHeight) {
    window->indices.resize(static_cast<size_t>(width) * height);
    std::memcpy(window->colorTable, colorTable, kColorTableSize);
    window->pixelWidth = width;
    window->pixelHeight = height;
    window->paintedWidth = paintedWidth;
    window->paintedHeight = paintedHeight;
    window->pixelsStale = true;
    return window->indices.data();
}

namespace {

// Turns the last paint into RGB pixels (colour table entries are blue,
// green, red, unused); what the source did not cover is black.
void MakePixels(SysWindow* window) {
    window->pixelsStale = false;
    int32_t width = window->pixelWidth;
    window->pixels.assign(static_cast<size_t>(width) * window->pixelHeight * 3, 0);
    for (int32_t y = 0; y < window->paintedHeight; y++) {
        for (int32_t x = 0; x < window->paintedWidth; x++) {
            size_t at = static_cast<size_t>(y) * width + x;
            const uint8_t* color = window->colorTable + 4 * window->indices[at];
            window->pixels[at * 3] = color[2];
            window->pixels[at * 3 + 1] = color[1];
            window->pixels[at * 3 + 2] = color[0];
        }
    }
}

}  // namespace

SysWindow* SysTestCreateWindow(const Rect& rect, const char* className, int visible) {
    Windows().push_back(std::make_unique<SysWindow>(SysWindow{rect, className ? className : "", visible, 0, {}, {}, 0, 0, 0, 0, 0, {}, {}, 0, 0, false, 0}));
    return Windows().back().get();
}

void SysTestDestroyAllWindows() {
    Windows().clear();
    g_foreground = nullptr;
    g_monitors.clear();
    Desktop().shape.clear();
    g_userState = UserState::kAvailable;
}

void SysTestSetForeground(SysWindow* window) { g_foreground = window; }

void SysTestCloseWindow(SysWindow* window) {
    window->destroyed = 1;
    if (g_foreground == window) g_foreground = nullptr;
}
void SysTestSetMinimized(SysWindow* window, int minimized) { window->minimized = minimized; }
void SysTestSetVisible(SysWindow* window, int visible) { window->visible = visible; }
void SysTestSetWindowRect(SysWindow* window, const Rect& rect) { window->rect = rect; }
void SysTestSetDesktopRect(const Rect& rect) { Desktop().rect = rect; }
void SysTestSetMonitors(const Monitor* monitors, int count) { g_monitors.assign(monitors, monitors + count); }
void SysTestSetCaption(SysWindow* window, int hasCaption) { window->noCaption = !hasCaption; }
void SysTestSetCursor(int32_t x, int32_t y) { g_cursor = Point{x, y}; }
void SysTestSetUserState(UserState state) { g_userState = state; }

int SysTestViewWindow(SysWindow* window, SysTestWindowView* view) {
    if (!window) return 0;
    if (window->pixelsStale) MakePixels(window);
    *view = SysTestWindowView{window->rect,
                              window->visible,
                              window->shape.empty() ? nullptr : window->shape.data(),
                              static_cast<uint32_t>(window->shape.size()),
                              window->pixels.empty() ? nullptr : window->pixels.data(),
                              window->pixelWidth,
                              window->pixelHeight,
                              window->placements,
                              window->hides};
    return 1;
}
