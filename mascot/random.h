// The mascot program's one random generator: a linear congruential generator
// with a single process-wide state, seeded once at start-up from the clock.
// Every choice the mascot makes draws from it, so a fixed seed replays a run.
#pragma once

#include <cstdint>

// Sets the generator's state. Before any seeding the state is 1.
void SeedRandom(uint32_t seed);

// Advances the state (state * 214013 + 2531011, modulo 2^32) and returns its
// bits 16 to 30: a number from 0 to 32767.
int32_t NextRandom();
