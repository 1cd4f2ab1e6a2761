// The graphical clock's event loop.
#pragma once

#include <stdint.h>

// The one-second step: when more than 1000 ms have passed since *last_tick, the
// whole seconds gained since *tick_base are returned and both counters move on;
// otherwise 0. All arithmetic is unsigned 32-bit, so the tick counter may wrap
// forward; a difference of TICK_BACKWARDS or more means the counter went back,
// and both counters restart from now without a step.
constexpr uint32_t TICK_BACKWARDS = 0x80000000u;
uint32_t tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now);

void run_clock();
