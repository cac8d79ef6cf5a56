// Frame tick and placement: one frame of the mascot. Each frame finds the
// window the character stands on (the supporting window: the foreground one),
// hides the character while the taskbar or a full-screen program is in front
// or the system says the user is busy (a presentation and the like),
// keeps the character on its top edge, shapes the mascot window to the cel,
// draws it, moves the window by the step's offsets within the supporting
// window's margins, and hands over to AdvanceStep. Mouse-watching actions
// take their picture from the direction of the cursor.
#pragma once

#include "modules/action.h"
#include "platform/window.h"

#include <cstdint>

// One frame of the running character.
void FrameTick();

// The rectangle the character stands on when `support` holds it: the
// window's own, or for the desktop window the work area of the monitor the
// mascot window is on, so that a character without a window neither jumps to
// another screen nor stands under a taskbar. Returns 0 (and a zero
// rectangle) when `support` is no longer a window.
int SupportArea(SysWindow* support, Rect* rect);

// 1 when `window` is shown, covers the whole of its monitor and has no title
// bar (a game, a film or a slide show), and is none of the desktop, the
// shell's desktop windows (which cover the screen too) and the taskbar.
int IsFullScreen(SysWindow* window);

// Puts `rect` (left and top rewritten; right read) onto `support`: the
// current action's standing line on its top edge when there is room above
// it (onWindowTop 1), else 3 pixels above its bottom edge (onWindowTop 0);
// then pulls the rect back inside the support's left and right edges.
void SnapToSupport(Rect* rect, const Rect& support);

// As SnapToSupport, keeping the edge remembered in onWindowTop.
void ResnapToSupport(Rect* rect, const Rect& support);

// Holds window left `x` so that the anchor stays within the supporting
// window's margins (and the result within the coordinate range); sets
// edgeHit when the margins moved it.
int32_t ClampHorizontal(int64_t x);

// The direction of the cursor seen from the current action's watching
// point: 0 up, 1 up-right, 2 right, 3 down-right, 4 down, 5 down-left,
// 6 left, 7 up-left.
int32_t CursorDirection();

// Whole degrees (0 to 180) at (ax, ay) between the directions to (bx, by) and
// to (cx, cy); 0 when either direction has no length.
int32_t AngleBetween(int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t cx, int32_t cy);

// Draws the cel the mascot window shows afresh, as a frame draws one: the
// cel the last frame drew when it is the current action's, else the current
// step's. Gives the window its shape and copies its picture into the back
// buffer, without placing or painting the window. Returns the cel.
const Cel* RedrawShownCel();

// Forgets the supporting window and the watch, and lifts every stop of the
// frames and the user's absence, as at start-up.
void ResetFrameState();
