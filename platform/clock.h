// Platform clock service: the 32-bit millisecond clock.
//
// On Windows timeGetTime. The portable build's clock is a counter that only
// moves when told to or when the program waits for a message, so runs are
// exactly reproducible (see platform/portable/hooks.h).
#pragma once

#include <cstdint>

// Milliseconds since some fixed moment; wraps after about 49.7 days.
uint32_t SysNow();
