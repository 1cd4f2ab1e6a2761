#include "calendar.h"

#include <stdio.h>
#include <time.h>

#include "colours.h"
#include "display.h"
#include "draw.h"

static constexpr int DAYS_PER_MONTH[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
static constexpr const char *MONTH_NAMES[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
static constexpr const char *WEEKDAY_NAMES[7] = {"Sun", "Mon", "Tue", "Wed",
                                                 "Thu", "Fri", "Sat"};

static bool is_leap(long long y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int year, int month)
{
    int d = DAYS_PER_MONTH[month];
    // In 64 bits: browsing has no year limit, and year + 1900 must not overflow.
    if (month == 1 && is_leap((long long)year + 1900))
        d = d + 1;
    return d;
}

static long long floor_div(long long a, long long b)
{
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Weekday of the first of a month in the proleptic Gregorian calendar, for
// years the platform's time functions cannot represent.
static int civil_weekday(long long y, int month)
{
    static constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 2)
        y -= 1;
    long long w = y + floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400) + offsets[month] + 1;
    return (int)(((w % 7) + 7) % 7);
}

int calendar_first_weekday(int year, int month, long long *shown_year)
{
    struct tm first = {};
    first.tm_year = year;
    first.tm_mon = month;
    first.tm_mday = 1;
    first.tm_isdst = 0;
    time_t t = mktime(&first);
    struct tm *converted = t == (time_t)-1 ? nullptr : localtime(&t);
    if (converted != nullptr) {
        *shown_year = (long long)converted->tm_year + 1900;
        return converted->tm_wday;
    }
    *shown_year = (long long)year + 1900;
    return civil_weekday(*shown_year, month);
}

static void draw_centred(TTF_Font *font, int centre, int y, SDL_Color colour, const char *label)
{
    int w, h;
    text_measure(font, &w, &h, "%s", label);
    text_draw(font, screen, centre - w / 2, y, colour, "%s", label);
}

static SDL_Color column_colour(int column)
{
    if (column == 0)
        return COLOUR_RED;
    if (column == 6)
        return COLOUR_BLUE;
    return COLOUR_WHITE;
}

void draw_calendar(int year, int month, int mark_day)
{
    long long shown_year;
    int cell = calendar_first_weekday(year, month, &shown_year);

    text_draw(font_large, screen, CALENDAR_HEADER_X, CALENDAR_HEADER_Y, COLOUR_WHITE,
              "%04lld / %s  -%d-", shown_year, MONTH_NAMES[month], month + 1);

    for (int i = 0; i < 7; i++)
        draw_centred(font_small, calendar_column_centre(i), CALENDAR_WEEKDAY_Y,
                     column_colour(i), WEEKDAY_NAMES[i]);

    int n = days_in_month(year, month);
    for (int d = 1; d <= n; d++, cell++) {
        int column = cell % 7;
        int row = cell / 7;
        SDL_Color colour = d == mark_day ? COLOUR_MAGENTA : column_colour(column);
        char label[12];
        snprintf(label, sizeof label, "%02d", d);
        draw_centred(font_large, calendar_column_centre(column), calendar_row_y(row), colour,
                     label);
    }
}
