// Frame tick and placement: supporting window, snapping, clamping, shaping,
// drawing, and the mouse-watching direction.
#include "mascot/frame.h"

#include "mascot/behaviour.h"
#include "mascot/state.h"
#include "platform/clock.h"
#include "platform/graphics.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char kTaskbarClass[] = "Shell_TrayWnd";
// The shell's desktop: the wallpaper window and the one that takes its place
// when the wallpaper changes or the desktop is shown.
constexpr char kShellDesktopClass[] = "Progman";
constexpr char kShellWorkerClass[] = "WorkerW";
constexpr uint32_t kWatchSettle = 7000;   // ms during which the cursor's direction is only noted
constexpr uint32_t kWatchLength = 10000;  // ms a watch lasts at least
constexpr uint32_t kWatchStill = 3000;    // ms of a still direction that end a watch

// The cel the mascot window was last shaped to and drawn with. A frame that
// shows the same cel at the same place on a visible window changes nothing
// on screen and skips the shaping, drawing and placing; the window system
// repaints what another window uncovers from the back buffer by itself. The
// action's serial tells a new load from an old one at a reused address; the
// bitmap and region tell a cel whose picture was replaced.
struct DrawnCel {
    uint32_t serial;
    int32_t index;
    const SysBitmap* bitmap;
    const uint8_t* regionData;
};
DrawnCel LastDrawn = {};

bool SameCel(const DrawnCel& a, const DrawnCel& b) {
    return a.serial == b.serial && a.index == b.index && a.bitmap == b.bitmap && a.regionData == b.regionData;
}

// True when `cel` has the very shape the window was last given: many cels of
// an action share their outline. Only a cel of the same action instance is
// compared, whose region is still held by the action.
bool SameShapeAsDrawn(const Action* action, const Cel* cel) {
    if (LastDrawn.serial != action->serial || LastDrawn.index < 0 || LastDrawn.index >= action->celCount) return false;
    const Cel& drawn = action->cels[LastDrawn.index];
    return drawn.regionData == LastDrawn.regionData && drawn.regionSize == cel->regionSize &&
           std::memcmp(drawn.regionData, cel->regionData, cel->regionSize) == 0;
}


void SnapVertically(Rect* rect, const Rect& support, bool onTop) {
    int64_t anchorY = RunningCharacter.currentAction->anchorY;
    if (onTop)
        rect->top = HoldCoordinate(support.top - anchorY);
    else
        rect->top = HoldCoordinate(support.bottom - anchorY - 3);
}

void SnapHorizontally(Rect* rect, const Rect& support) {
    if (support.right < rect->right)
        rect->left = HoldCoordinate(static_cast<int64_t>(rect->left) + support.right - rect->right);
    else if (rect->left < support.left)
        rect->left = support.left;
}

// The desktop, the shell's desktop windows and the taskbar: they cover the
// screen (the taskbar its edge) yet are no program the user works in.
bool IsShellWindow(SysWindow* window) {
    if (window == SysDesktopWindow()) return true;
    char className[256];
    SysWindowClassName(window, className, sizeof className);
    for (const char* shell : {kTaskbarClass, kShellDesktopClass, kShellWorkerClass})
        if (std::strcmp(className, shell) == 0) return true;
    return false;
}

// The system's word that the user is not to be disturbed: presentation
// settings, a screen saver or a locked session, a full-screen program. The
// last is no reason while the shell's desktop or nothing is in front: some
// screen overlays make the system report one over the empty desktop.
bool UserIsBusy(SysWindow* foreground) {
    UserState state = SysUserState();
    if (state == UserState::kFullScreenProgram) return foreground && !IsShellWindow(foreground);
    return state != UserState::kAvailable;
}

// Gives the mascot window the shape of cel `index` of `action` when
// `reshape`, and copies the cel's picture into the back buffer; it becomes
// the cel drawn.
void DrawCel(const Action* action, int32_t index, bool reshape) {
    const Cel& cel = action->cels[index];
    if (reshape) SysSetWindowShape(MainWindow, cel.regionData, cel.regionSize);
    SysBitmap* previous = SysSelectBitmap(CelDC, cel.image.bitmap);
    SysCopyPixels(BackBufferDC, CelDC, cel.image.width, cel.image.height);
    SysSelectBitmap(CelDC, previous);
    LastDrawn = DrawnCel{action->serial, index, cel.image.bitmap, cel.regionData};
}

// Follows the foreground window. Returns false when the taskbar or (unless
// the user turned it off) a full-screen program or a presentation is in
// front: the mascot is then hidden and the frame ends.
bool TrackSupportWindow(const Cel* cel) {
    SysWindow* foreground = SysForegroundWindow();
    if (UserSettings.HideOverFullScreen != 0 && UserIsBusy(foreground)) {
        SysHideWindow(MainWindow);
        return false;
    }
    if (foreground == MainWindow) return true;
    // Checked every frame, not only when the front window changes: the window
    // stood on can itself turn full-screen (a film player), and is not
    // adopted anew then. It stays the supporting window while hidden.
    if (UserSettings.HideOverFullScreen != 0 && IsFullScreen(foreground)) {
        SysHideWindow(MainWindow);
        return false;
    }
    bool changed = false;
    SysWindow* candidate = foreground;
    if (candidate && SysIsMinimized(candidate)) candidate = SysDesktopWindow();
    if (candidate && candidate != SupportWindow && SysIsVisible(candidate)) {
        char className[256];
        SysWindowClassName(candidate, className, sizeof className);
        if (std::strcmp(className, kTaskbarClass) == 0) {
            SysHideWindow(MainWindow);
            return false;
        }
        SupportWindow = candidate;
        changed = true;
    }
    if (!SupportWindow) return true;
    if (!SupportArea(SupportWindow, &SupportRect)) {
        // The supporting window was closed and nothing else came to the front:
        // the character goes to the desktop rather than to an empty rectangle.
        SupportWindow = SysDesktopWindow();
        SupportArea(SupportWindow, &SupportRect);
        changed = true;
    }
    if (SupportRect != LastSupportRect || changed) {
        Rect rect;
        SysWindowRect(MainWindow, &rect);
        SnapToSupport(&rect, SupportRect);
        SysPlaceWindow(MainWindow, rect.left, rect.top, cel->image.width, cel->image.height);
        LastSupportRect = SupportRect;
    }
    return true;
}

// Runs the watch timers of a mouse-watching action; returns the direction to show.
int32_t WatchCursor(Action* action) {
    if (action->serial != WatchedAction) {
        WatchedAction = action->serial;
        uint32_t t = SysNow();
        WatchSettleTime = t + kWatchSettle;
        WatchEndTime = t + kWatchLength;
    }
    uint32_t now = SysNow();
    action->stepIndex = 0;
    if (now < WatchSettleTime) {
        LastDirection = CursorDirection();
    } else {
        int32_t direction = CursorDirection();
        if (direction != LastDirection) {
            LastDirection = direction;
            WatchEndTime = now + kWatchStill;
        }
        if (now > WatchEndTime) action->stepIndex = action->stepCount;
    }
    return CursorDirection();
}

}  // namespace

const Cel* RedrawShownCel() {
    const Action* action = RunningCharacter.currentAction;
    int32_t index = action->steps[CurrentStepIndex(action)].celIndex;
    if (LastDrawn.serial == action->serial && LastDrawn.index >= 0 && LastDrawn.index < action->celCount)
        index = LastDrawn.index;
    // The pictures may be new ones at the addresses of the old: the shape is given whatever it seems.
    DrawCel(action, index, true);
    return &action->cels[index];
}

void ResetFrameState() {
    SupportWindow = nullptr;
    SupportRect = LastSupportRect = Rect{0, 0, 0, 0};
    WatchedAction = 0;
    WatchSettleTime = WatchEndTime = 0;
    LastDirection = 0;
    LastFrame = FrameRecord{};
    LastDrawn = DrawnCel{};
    FramesStopped = 0;
    UserAway = 0;
}

int SupportArea(SysWindow* support, Rect* rect) {
    if (support != SysDesktopWindow()) return SysWindowRect(support, rect);
    Monitor monitor;
    SysWindowMonitor(MainWindow, &monitor);
    *rect = monitor.workArea;
    return 1;
}

int IsFullScreen(SysWindow* window) {
    // The title bar first: most front windows have one, and it costs least to ask.
    if (!window || SysWindowHasCaption(window)) return 0;
    if (SysIsMinimized(window) || !SysIsVisible(window) || IsShellWindow(window)) return 0;
    Rect rect;
    if (!SysWindowRect(window, &rect)) return 0;
    Monitor monitor;
    SysWindowMonitor(window, &monitor);
    const Rect& area = monitor.area;
    return rect.left <= area.left && rect.top <= area.top && rect.right >= area.right && rect.bottom >= area.bottom;
}

void SnapToSupport(Rect* rect, const Rect& support) {
    bool roomAbove = support.top > RunningCharacter.currentAction->anchorY;
    SnapVertically(rect, support, roomAbove);
    RunningCharacter.onWindowTop = roomAbove ? 1 : 0;
    SnapHorizontally(rect, support);
}

void ResnapToSupport(Rect* rect, const Rect& support) {
    SnapVertically(rect, support, RunningCharacter.onWindowTop != 0);
    SnapHorizontally(rect, support);
}

int32_t ClampHorizontal(int64_t x) {
    int64_t anchorX = RunningCharacter.currentAction->anchorX;
    int64_t min = static_cast<int64_t>(SupportRect.left) + RunningCharacter.marginLeft - anchorX;
    int64_t max = static_cast<int64_t>(SupportRect.right) - RunningCharacter.marginRight - anchorX;
    int64_t result = x;
    int clamps = 0;
    if (result > max) {
        result = max;
        clamps++;
    }
    if (result < min) {
        result = min;
        clamps++;
    }
    if (clamps == 2) result = (min + max) / 2;  // a window too narrow for both margins: the middle
    if (clamps) RunningCharacter.edgeHit = 1;
    return HoldCoordinate(result);
}

int32_t AngleBetween(int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t cx, int32_t cy) {
    double ux = static_cast<double>(bx) - ax;
    double uy = static_cast<double>(by) - ay;
    double vx = static_cast<double>(cx) - ax;
    double vy = static_cast<double>(cy) - ay;
    double lengths = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    if (lengths == 0) return 0;
    // Rounding can carry the cosine just past 1 or -1, where arccos has no value.
    double q = (ux * vx + uy * vy) / lengths;
    if (q > 1) q = 1;
    if (q < -1) q = -1;
    return static_cast<int32_t>(std::acos(q) * 57.29577994330857);
}

int32_t CursorDirection() {
    Point cursor;
    SysCursorPos(&cursor);
    Rect window;
    SysWindowRect(MainWindow, &window);
    const Step& reference = RunningCharacter.currentAction->steps[0];
    int32_t px = HoldCoordinate(static_cast<int64_t>(window.left) + reference.dx);
    int32_t py = HoldCoordinate(static_cast<int64_t>(window.top) + reference.dy);
    int32_t angle = AngleBetween(px, py, cursor.x, cursor.y, px + 10, py);
    bool below = py < cursor.y;
    if (angle < 23) return 2;
    if (angle > 157) return 6;
    if (angle > 112) return below ? 5 : 7;
    if (angle < 68) return below ? 3 : 1;
    return below ? 4 : 0;
}

void FrameTick() {
    Character& character = RunningCharacter;
    Action* action = character.currentAction;
    FrameSound = -1;
    LastFrame.time = SysNow();
    int32_t stepIndex = CurrentStepIndex(action);
    const Step* step = &action->steps[stepIndex];
    const Cel* cel = &action->cels[step->celIndex];

    if (!TrackSupportWindow(cel)) {
        LastFrame.shown = 0;
        return;
    }

    Rect start;
    SysWindowRect(MainWindow, &start);
    const Rect shown = start;  // where the window is, before any resnap
    if (action->tickCount == 1) ResnapToSupport(&start, SupportRect);

    if (IsMouseWatchingAction(action)) {
        int32_t direction = WatchCursor(action);
        cel = &action->cels[direction];
        step = &action->steps[1];
        stepIndex = 1;
    }
    int32_t width = cel->image.width;
    int32_t height = cel->image.height;

    // A hidden window is shown, shaped and drawn afresh whatever it showed before.
    bool visible = SysIsVisible(MainWindow) != 0;
    int32_t celIndex = static_cast<int32_t>(cel - action->cels);
    DrawnCel drawing = {action->serial, celIndex, cel->image.bitmap, cel->regionData};
    bool newCel = !visible || !SameCel(drawing, LastDrawn);
    if (newCel) DrawCel(action, celIndex, !visible || !SameShapeAsDrawn(action, cel));

    // A module's offsets and anchors may be any 32-bit number: the sums are
    // taken in 64 bits and the result held to the coordinate range.
    int32_t x = ClampHorizontal(static_cast<int64_t>(start.left) + step->dx - PendingShiftX);
    int32_t y = HoldCoordinate(static_cast<int64_t>(start.top) + step->dy - PendingShiftY);
    Rect placed = {x, y, x + width, y + height};
    bool moved = !visible || placed != shown;
    if (moved)
        SysPlaceWindow(MainWindow, x, y, width, height);
    else
        SysKeepWindowOnTop(MainWindow);
    PendingShiftX = 0;
    PendingShiftY = 0;
    if (newCel || moved) SysPaintWindow(MainWindow, character.palette, BackBufferDC, width, height);

    std::strncpy(LastFrame.action, action->name, sizeof LastFrame.action - 1);
    LastFrame.action[sizeof LastFrame.action - 1] = 0;
    LastFrame.step = stepIndex;
    LastFrame.cel = celIndex;
    LastFrame.window = placed;
    LastFrame.shown = 1;

    AdvanceStep();
}
