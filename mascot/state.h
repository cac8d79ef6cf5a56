// The mascot program's process-wide state, all of it in one place: the
// running character and the user's settings, the mascot window and its two
// memory drawing contexts, what the frame tick remembers between frames, and
// what the behaviour hands to the next frame. Each global is named for what it
// holds, in capitals without a prefix, and starts as zero or none (a state
// that one file keeps to itself is `g_` and lower case in that file's
// unnamed namespace). The handles only the Win32 program holds (instance,
// mutex, tray icon) are declared with its window procedure
// (mascot/win32/main_window.h).
#pragma once

#include "modules/character.h"
#include "platform/graphics.h"
#include "platform/window.h"

#include <cstdint>

constexpr int32_t kDefaultCharActPer = 550;
constexpr int32_t kMinCharActPer = 100;
constexpr int32_t kMaxCharActPer = 1000;
// Bytes of the `Module` value, one of them kept for the terminating zero: a
// running module whose name is longer could not be saved.
constexpr uint32_t kModuleValueBuffer = 256;

// The hide key as the product key holds it: the modifiers times 256 plus the
// key's virtual-key code; the modifiers add up 1 for Alt, 2 for Ctrl, 4 for
// Shift and 8 for the Windows key. The default is Ctrl+Alt+Z; 0 is no key.
constexpr int32_t kHotKeyAlt = 1;
constexpr int32_t kHotKeyCtrl = 2;
constexpr int32_t kHotKeyShift = 4;
constexpr int32_t kHotKeyWin = 8;
constexpr int32_t kDefaultHideHotKey = ((kHotKeyCtrl | kHotKeyAlt) << 8) | 'Z';
constexpr int32_t kMaxSizeFactor = 4;

// The user's choices, read from the product key at start-up and written back
// at the end (settings/settings.h); the dialogs change them, the runtime
// reads them directly.
struct Settings {
    char* Module;         // start-up module file name (owned); nullptr until loaded
    int32_t CharActPer;   // personality, 100 to 1000 after a successful load
    int32_t SndUse;       // sound effects: 0 off, anything else on
    int32_t HideOverFullScreen;  // hide while a full-screen program or a presentation is in front: 0 no, else yes
    int32_t HideHotKey;   // the key that hides the character and brings it back (see kDefaultHideHotKey); 0 none
    int32_t IdleMinutes;  // minutes without input after which the character sleeps; 0 never
    int32_t SizeFactor;   // the character's size: the monitor's factor times this, 1 to kMaxSizeFactor
    char UserName[16];    // the user line of the splash and About: "********" once loaded
};

extern Settings UserSettings;       // the one settings record of the run
extern Character RunningCharacter;  // the one character being played
extern SysWindow* MainWindow;       // the mascot window
extern SysDC* BackBufferDC;         // holds the running character's canvas; every frame is composed here
extern SysDC* CelDC;                // a cel's bitmap is selected here only to be copied to the canvas

// The window stood on; none at start. The desktop window stands for the work
// area of the monitor the character is on (see SupportArea in frame.h).
extern SysWindow* SupportWindow;
extern Rect SupportRect;           // its rectangle as the last frame read it
extern Rect LastSupportRect;       // SupportRect at the last snap
extern uint32_t WatchedAction;     // serial of the action the watch timers belong to; 0: none
extern uint32_t WatchSettleTime;   // end of the watch's settling period
extern uint32_t WatchEndTime;      // the watch ends at the first frame after this
extern int32_t LastDirection;      // cursor direction at the previous watching frame

// The change of (anchorX, anchorY) at the last switch of action; the next
// frame subtracts it from the window position and sets it back to 0, so the
// character's standing point stays put across the switch. 64 bits: the
// difference of two anchors spans twice their range.
extern int64_t PendingShiftX;
extern int64_t PendingShiftY;

// Why the frames have stopped altogether, as bits; none while the character
// plays. While any is set the character is hidden and silent and the frame
// loop waits for messages alone (StopFrames in frame_loop.h sets them).
constexpr uint32_t kStoppedByHotKey = 1;   // the user's hide key
constexpr uint32_t kStoppedByLock = 2;     // the session is locked
constexpr uint32_t kStoppedByDisplay = 4;  // the display is off
extern uint32_t FramesStopped;

// 1 while the user has given no input for IdleMinutes: the character plays
// its module's sleep action, if it has one (see behaviour.h).
extern int32_t UserAway;

// Index of the sound AdvanceStep drew during the last frame (also when that
// sound has no data and played nothing), or -1.
extern int32_t FrameSound;

// What the last frame showed, for the simulator and tests.
struct FrameRecord {
    uint32_t time;     // clock reading when the frame started
    char action[256];  // name of the action shown
    int32_t step;      // step shown (1 for a mouse-watching frame)
    int32_t cel;       // cel shown
    Rect window;       // the mascot window after the frame's move
    int32_t shown;     // 0 when the frame hid the window and drew nothing
};
extern FrameRecord LastFrame;

// Called by the frame loop after each frame when set; the simulator prints
// each frame through it.
extern void (*AfterFrame)();
