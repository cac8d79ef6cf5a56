// The check every fuzz target ends its inputs with; needs nothing of the
// product, so the installer's targets use it without the mascot's libraries.
#pragma once

#include <cstdio>
#include <cstdlib>

// Aborts (a finding for libFuzzer) when `condition` is false, naming `what`.
inline void FuzzCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
