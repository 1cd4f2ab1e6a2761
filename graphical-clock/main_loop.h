// The graphical clock's event loop.
#pragma once

#include <stdint.h>
#include <time.h>

#include "field_edit.h"

// The loop's state, for one run of the clock.
struct ClockLoop {
    time_t shown_time;   // the time on show; in edit mode the edited one; runs on in both
    time_t saved_time;   // the system's time as the loop counts it, which Escape returns
                         // an edit to; equal to shown_time in browse mode
    int edit_mode;       // 0 browse, 1 edit
    EditField edit_field; // the field Up and Down step; kept from one edit to the next
    int browse_year, browse_month; // the calendar's month in browse mode (tm_year, tm_mon)
    int home_year, home_month;     // where Backspace, Tab and Space return the calendar:
                                   // the month of the start, of the last save or of the
                                   // last outside change of the clock, never moved on by
                                   // the running clock
    const char *notice;  // what a failed save says in the help line's place until the
                         // next key; null when nothing is to be said
    int redraw;          // a frame is due; the loop does not sleep while it is set
    int quit;            // leave the loop; events still queued are dropped
    uint32_t tick_base;  // ticks from which whole seconds are counted (moves by 1000s)
    uint32_t last_tick;  // ticks at the last one-second step
};

// The one-second step: when more than 1000 ms have passed since *last_tick, the
// whole seconds gained since *tick_base are returned and both counters move on;
// otherwise 0. All arithmetic is unsigned 32-bit, so the tick counter may wrap
// forward; a difference of TICK_BACKWARDS or more means the counter went back,
// and both counters restart from now without a step.
constexpr uint32_t TICK_BACKWARDS = 0x80000000u;
uint32_t loop_tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now);

// How far the loop's count may trail the system clock: it starts up to a
// second behind, and a step comes up to a second after the second it counts
// (about every hundred seconds one step of two makes up the lateness).
constexpr time_t LOOP_LAG_MAX = 2;
// Whether the system clock (now) was moved away from the loop's count of it:
// it leads the count by more than the lag, or trails it.
int loop_clock_moved(time_t counted, time_t now);

void run_clock();
