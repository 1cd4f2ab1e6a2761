// The month calendar and month lengths.
#pragma once

constexpr int CALENDAR_HEADER_X = 42;
constexpr int CALENDAR_HEADER_Y = 30;
constexpr int CALENDAR_WEEKDAY_Y = 48;
constexpr int CALENDAR_GRID_Y = 64;
constexpr int CALENDAR_ROW_HEIGHT = 20;

constexpr int calendar_column_centre(int column) { return 32 + 24 * column; }
constexpr int calendar_row_y(int row) { return CALENDAR_GRID_Y + CALENDAR_ROW_HEIGHT * row; }

// year: years since 1900; month: 0..11.
int days_in_month(int year, int month);
// Weekday (0 = Sunday) of the first of the month, and the year to show for it.
int calendar_first_weekday(int year, int month, long long *shown_year);
void draw_calendar(int year, int month, int mark_day);
