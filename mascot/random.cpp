// The mascot program's random generator.
#include "mascot/random.h"

static uint32_t RandomState = 1;  // the generator's whole state

void SeedRandom(uint32_t seed) { RandomState = seed; }

int32_t NextRandom() {
    RandomState = RandomState * 214013u + 2531011u;
    return static_cast<int32_t>((RandomState >> 16) & 0x7FFFu);
}
