// How the graphical clock counts the time on show: SDL's ticks count it on,
// the boot clock tells time passed (a suspend included) from a jump of the
// ticks, and the system clock is followed whoever sets it.
#pragma once

#include <stdint.h>
#include <time.h>

struct ClockLoop;

// The clocks as one pass of the loop reads them.
struct LoopClocks {
    uint32_t ticks;       // SDL's millisecond counter: classic SDL counts it from the
                          // system clock, so it jumps when that is set; SDL 2 from a
                          // monotonic clock, so it stops in a suspend
    int64_t monotonic_ms; // time passed, whoever sets the system clock; stops in a suspend
    int64_t boot_ms;      // the same, running on through a suspend
    int64_t system_ms;    // the system clock, in milliseconds since the epoch
};

// How the count stands: only loop_clocks.cpp writes it.
struct LoopCount {
    uint32_t tick_base;   // ticks from which whole seconds are counted (moves by 1000s,
                          // and by the few milliseconds that keep the count on time)
    uint32_t last_tick;   // ticks at the last one-second step
    int32_t phase_ms;     // how far into the system clock's second the count's seconds
                          // begin: as at the start (0-999), 0 from the first alignment on
    int resync;           // the system clock was set during an edit: take its time once
                          // the edit ends
    LoopClocks last_pass; // the clocks as the previous pass read them
};

void loop_read_clocks(LoopClocks *now);

// Time passed between two passes: the boot clock's, through a suspend too;
// a jump that one clock alone makes is none.
int64_t loop_time_passed(const LoopClocks *last, const LoopClocks *now);

// The one-second step: when more than 1000 ms have passed since *last_tick, the
// whole seconds gained since *tick_base are returned and both counters move on;
// otherwise 0. All arithmetic is unsigned 32-bit, so the tick counter may wrap
// forward; a difference of TICK_BACKWARDS or more means the counter went back,
// and both counters restart from now without a step.
constexpr uint32_t TICK_BACKWARDS = 0x80000000u;
uint32_t loop_tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now);

// Between two passes, a clock moving this much more or less than time passed
// has jumped (someone set the system clock, or the machine slept); less is
// the clocks' own jitter and drift.
constexpr int32_t LOOP_JUMP_MS = 20;
// The count may trail the system clock by this much before it is slewed back;
// a lead is slewed away at once, so the shown time is never ahead.
constexpr int32_t LOOP_SLACK_MS = 4;

// Starts the count at `shown`, the system clock's second read just before `now`.
void loop_start_count(ClockLoop *c, time_t shown, const LoopClocks *now);

// One pass: the one-second step, by time passed only, then the system clock
// followed. In browse mode the count stays within LOOP_SLACK_MS of the system
// clock, less the part of a second it started with; a change of the system
// clock is taken at once, and the calendar's home month follows it (the
// browsed month too, unless the user paged away). An edit on show runs on by
// time passed alone, a suspend included: a change is taken when the edit ends.
void loop_count(ClockLoop *c, const LoopClocks *now);

// The count taken from the system clock: the shown and saved time are its
// second, and the count's seconds begin with its own.
void loop_align(ClockLoop *c, const LoopClocks *now);
