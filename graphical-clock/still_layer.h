// The parts of a frame that stay the same from one second to the next.
#pragma once

// What the still parts show: the mode (its help line), the calendar's month
// and marked day (tm_year, tm_mon conventions; 0: no mark) and the notice in
// the help line's place (one of the constant texts, or null).
struct StillParts {
    int edit_mode;
    int year;
    int month, mark;
    const char *notice;
};

// Copies the still parts into the screen when they were kept for `parts`;
// 0 when they must be drawn (and then kept with still_layer_keep).
int still_layer_restore(const StillParts *parts);
// Keeps what the screen shows now as the still parts for `parts`.
void still_layer_keep(const StillParts *parts);
// Frees the kept copy; called at shutdown.
void still_layer_free();
