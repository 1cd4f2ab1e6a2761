// One frame of the graphical clock, drawn into the screen (not presented).
#pragma once

#include <time.h>

#include "screen_texts.h"

// The frame for the shown time: background, title and help line of the mode,
// face, calendar (browse mode: the browsed month; edit mode: the edited date)
// and the date/time or edit line.
void draw_frame(time_t shown_time, int edit_mode, EditField edit_field, int browse_year,
                int browse_month);
