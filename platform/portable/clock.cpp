// Portable clock: a counter that moves only when set or when the program sleeps.
#include "platform/clock.h"
#include "platform/portable/hooks.h"

static uint32_t g_now = 0;          // the clock's reading
static int g_sleeps = 0;            // SysSleep calls since the last reset
static uint32_t g_sleptTotal = 0;   // and the milliseconds they slept

uint32_t SysNow() { return g_now; }

void SysSleep(uint32_t milliseconds) {
    g_now += milliseconds;  // wraps like the real clock
    g_sleeps++;
    g_sleptTotal += milliseconds;
}

void SysTestSetClock(uint32_t now) { g_now = now; }
int SysTestSleepCount() { return g_sleeps; }
uint32_t SysTestSleptTotal() { return g_sleptTotal; }

void SysTestResetSleeps() {
    g_sleeps = 0;
    g_sleptTotal = 0;
}
