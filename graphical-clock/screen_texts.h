// Background, title, help line and the date/time lines.
#pragma once

#include <time.h>

typedef unsigned EditField; // 0 year, 1 month, 2 day, 3 hour, 4 minute, 5 second

constexpr int LINE_X = 64;
constexpr int LINE_Y = 200;
constexpr int HELP_Y = 225;

extern const char TITLE_TEXT[];
extern const char HELP_EDIT_TEXT[];
extern const char HELP_BROWSE_TEXT[];

void draw_background(int edit_mode);
void draw_datetime_line(const struct tm *tm);
void draw_edit_line(const struct tm *tm, EditField field);
