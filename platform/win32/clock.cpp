// Win32 clock: timeGetTime.
#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

uint32_t SysNow() { return timeGetTime(); }
