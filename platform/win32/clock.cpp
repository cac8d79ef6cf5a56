// Win32 clock: timeGetTime and Sleep.
#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

uint32_t SysNow() { return timeGetTime(); }
void SysSleep(uint32_t milliseconds) { Sleep(milliseconds); }
