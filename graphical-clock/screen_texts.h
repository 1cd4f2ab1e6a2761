// Background, title, help line and the date/time lines.
#pragma once

#include <time.h>

#include "field_edit.h"

constexpr int LINE_X = 64;
constexpr int LINE_Y = 200;
constexpr int HELP_Y = 225;

extern const char TITLE_TEXT[];
extern const char HELP_EDIT_TEXT[];
extern const char HELP_BROWSE_TEXT[];

// The fill, the title and the help line of the mode; a notice, when there is
// one, stands in red in the help line's place.
void draw_background(int edit_mode, const char *notice = nullptr);
void draw_datetime_line(const struct tm *tm);
void draw_edit_line(const struct tm *tm, EditField field);
