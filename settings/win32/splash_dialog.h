// The loading splash (dialog 101).
#pragma once

#include <windows.h>

// The loading splash (dialog 101, no owner): shows the start-up module's
// display name and loads the running character. Returns 1 when the character
// is loaded, 0 when start-up must end (the splash showed any message).
INT_PTR LoadingSplash();
