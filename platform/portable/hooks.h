// Test hooks of the portable platform layer: fault injection and inspection
// that only the Linux build offers. Product code never includes this header.
#pragma once

#include <cstdint>

// Makes the allocation after the next `n` ones fail (n = 0: the very next
// one). A negative n turns failure injection off again.
void SysTestFailAllocAfter(int n);

// Makes SysFileOpenRead of exactly `path` open `size` bytes at `bytes`
// instead of a file on disk (the caller keeps them alive while in use). A
// nullptr path forgets the in-memory file.
void SysTestSetMemoryFile(const char* path, const uint8_t* bytes, uint32_t size);

// Forgets every key and value of the in-memory key store, both roots, and
// allows machine writes again.
void SysTestKeyStoreClear();

// Refuses (nonzero) or allows again (0) writes below the machine root: a
// missing machine key cannot be created, no machine value can be written; the
// user's keys stay writable. Reading is not affected.
void SysTestRefuseMachineWrites(int refuse);

// The stored type and size of a value below the machine root, for tests that
// check what a writer stored. Returns 0 when the key or value does not exist.
int SysTestKeyInfo(const char* path, const char* name, uint32_t* type, uint32_t* size);

// The message boxes "shown" so far: how many, and the last one's text,
// caption and icon. SysTestClearMessages forgets them.
int SysTestMessageCount();
const char* SysTestLastMessageText();
const char* SysTestLastMessageCaption();
int SysTestLastMessageIcon();  // a MessageIcon value as int
void SysTestClearMessages();
// The answer the next Yes/No message boxes give (kAnswerYes or kAnswerNo).
void SysTestSetMessageAnswer(int answer);

// ---- The simulated screen of the portable window service ----
#include "platform/window.h"

// Adds a top-level window (not the foreground one until made so). The
// desktop window exists from the start: 0,0,1024,768, class "#32769".
SysWindow* SysTestCreateWindow(const Rect& rect, const char* className, int visible);
// Forgets every window made with SysTestCreateWindow, the foreground, the
// monitors and the user's state.
void SysTestDestroyAllWindows();
void SysTestSetForeground(SysWindow* window);  // nullptr: no foreground window
// Closes a window: its rectangle can no longer be read (and it is no longer in front).
void SysTestCloseWindow(SysWindow* window);
void SysTestSetMinimized(SysWindow* window, int minimized);
void SysTestSetVisible(SysWindow* window, int visible);
void SysTestSetWindowRect(SysWindow* window, const Rect& rect);
void SysTestSetDesktopRect(const Rect& rect);
// Replaces the simulated screen's monitors (the first is the primary one).
// With none set (count 0, as at start) there is one monitor: the desktop's
// rectangle, all of it free, at 96 DPI.
void SysTestSetMonitors(const Monitor* monitors, int count);
// Windows made by SysTestCreateWindow have a title bar unless told otherwise.
void SysTestSetCaption(SysWindow* window, int hasCaption);
void SysTestSetCursor(int32_t x, int32_t y);
// What SysUserState answers from now on (kAvailable at start).
void SysTestSetUserState(UserState state);

// What a window shows: rectangle, visibility, its shape (region data as last
// given) and the pixels last painted into it (RGB, top row first).
struct SysTestWindowView {
    Rect rect;
    int visible;
    const uint8_t* shape;
    uint32_t shapeSize;
    const uint8_t* pixels;
    int32_t pixelWidth;
    int32_t pixelHeight;
    int placements;  // SysPlaceWindow calls so far
    int hides;       // SysHideWindow calls so far
};
int SysTestViewWindow(SysWindow* window, SysTestWindowView* view);

// ---- The portable clock: moves only when set or waited on ----
void SysTestSetClock(uint32_t now);
// Moves the clock on by `milliseconds` as one wait of the program (the
// portable message service's wait uses it).
void SysTestAdvanceClock(uint32_t milliseconds);
int SysTestWaitCount();          // waits since the last reset
uint32_t SysTestWaitedTotal();   // milliseconds waited since the last reset
void SysTestResetWaits();
// The user's last input happened when the clock read `time` (0 at start):
// SysIdleTime is the clock's reading less that.
void SysTestSetLastInput(uint32_t time);

// ---- The portable message queue ----
// Queues a message whose dispatch calls handler(context).
void SysTestPostMessage(void (*handler)(void* context), void* context);
void SysTestPostQuit(int code);
// Queues a message that arrives when the clock reaches `time`: it ends a wait
// that would pass that time, at that time.
void SysTestPostMessageAt(uint32_t time, void (*handler)(void* context), void* context);
int SysTestPendingMessages();  // queued and still to arrive
void SysTestClearMessageQueue();

// ---- The portable sound player ----
int SysTestSoundsPlayed();           // SysPlaySound calls
int SysTestSoundStops();             // SysStopSound calls
const uint8_t* SysTestLastSound();   // the last image asked to play
void SysTestResetSounds();
