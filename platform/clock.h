// Platform clock service: the 32-bit millisecond clock, and how long the
// user has left the keyboard and mouse alone.
//
// On Windows timeGetTime and GetLastInputInfo. The portable build's clock is
// a counter that only moves when told to or when the program waits for a
// message, so runs are exactly reproducible, and the last input is a moment
// of that clock that tests set (see platform/portable/hooks.h).
#pragma once

#include <cstdint>

// Milliseconds since some fixed moment; wraps after about 49.7 days.
uint32_t SysNow();

// Milliseconds since the user's last input (keys or mouse) in this session;
// wraps like the clock. 0 where the system cannot tell.
uint32_t SysIdleTime();
