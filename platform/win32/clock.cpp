// Win32 clock: timeGetTime, and GetLastInputInfo for the user's idle time.
#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

uint32_t SysNow() { return timeGetTime(); }

uint32_t SysIdleTime() {
    LASTINPUTINFO input = {};
    input.cbSize = sizeof input;
    if (!GetLastInputInfo(&input)) return 0;
    // The last input is a reading of GetTickCount, not of timeGetTime.
    return GetTickCount() - input.dwTime;
}
