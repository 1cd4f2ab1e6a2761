// One frame of the graphical clock, drawn into the screen (not presented).
#pragma once

#include "main_loop.h"

// The frame for the loop's state: background, title and help line of the
// mode (or the notice), face, calendar (browse mode: the browsed month; edit
// mode: the edited date) and the date/time or edit line.
void draw_frame(const ClockLoop *loop);
