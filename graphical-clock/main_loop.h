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
                                   // the month on show at the start, after the last save
                                   // (refused or not) or the last outside change of the
                                   // clock; never moved on by the running clock
    const char *notice;  // what a failed save says in the help line's place until the
                         // next key, which only takes it away; null when nothing is to be said
    int redraw;          // a frame is due; the loop does not sleep while it is set
    int quit;            // leave the loop; events still queued are dropped
    LoopCount count;     // how the time on show is counted on (loop_clocks.h)
};

void run_clock();

// The calendar's home month becomes the month of the time on show; the
// browsed month goes along when it was at home and carry is set.
void set_home_month(ClockLoop *c, int carry);
