// Portable clock: a counter that moves only when set or when the program
// waits; the user's last input is a reading of it that tests set.
#include "platform/clock.h"
#include "platform/portable/hooks.h"

static uint32_t g_now = 0;          // the clock's reading
static int g_waits = 0;             // waits since the last reset
static uint32_t g_waitedTotal = 0;  // and the milliseconds they lasted
static uint32_t g_lastInput = 0;    // the clock's reading at the user's last input

uint32_t SysNow() { return g_now; }
uint32_t SysIdleTime() { return g_now - g_lastInput; }
void SysTestSetLastInput(uint32_t time) { g_lastInput = time; }

void SysTestAdvanceClock(uint32_t milliseconds) {
    g_now += milliseconds;  // wraps like the real clock
    g_waits++;
    g_waitedTotal += milliseconds;
}

void SysTestSetClock(uint32_t now) { g_now = now; }
int SysTestWaitCount() { return g_waits; }
uint32_t SysTestWaitedTotal() { return g_waitedTotal; }

void SysTestResetWaits() {
    g_waits = 0;
    g_waitedTotal = 0;
}
