// The graphical clock's event loop.
#pragma once

#include <stdint.h>
#include <time.h>

#include "field_edit.h"
#include "loop_clocks.h"

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
                         // next key, which only takes it away; null when nothing is to be said
    int redraw;          // a frame is due; the loop does not sleep while it is set
    int quit;            // leave the loop; events still queued are dropped
    uint32_t tick_base;  // ticks from which whole seconds are counted (moves by 1000s,
                         // and by the few milliseconds that keep the count on time)
    uint32_t last_tick;  // ticks at the last one-second step
    int32_t phase_ms;    // how far into the system clock's second the count's seconds
                         // begin: as at the start (0-999), 0 from the first alignment on
    int resync;          // the system clock was set during an edit: take its time once
                         // the edit ends
    LoopClocks last_pass; // the clocks as the previous pass read them
};

void run_clock();
