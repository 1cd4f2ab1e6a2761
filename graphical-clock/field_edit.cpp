#include "field_edit.h"

#include "calendar.h"

static void clamp_day(struct tm *tm)
{
    int n = days_in_month(tm->tm_year, tm->tm_mon);
    if (tm->tm_mday > n)
        tm->tm_mday = n;
}

static void wrap_up(int *value, int max)
{
    *value += 1;
    if (*value > max)
        *value = 0;
}

static void wrap_down(int *value, int max)
{
    *value -= 1;
    if (*value < 0)
        *value = max;
}

void field_increment(struct tm *tm, EditField field)
{
    switch (field) {
    case 0:
        tm->tm_year += 1;
        if (tm->tm_year > EDIT_YEAR_MAX)
            tm->tm_year = EDIT_YEAR_MIN;
        break;
    case 1:
        wrap_up(&tm->tm_mon, 11);
        clamp_day(tm);
        break;
    case 2:
        tm->tm_mday += 1;
        if (tm->tm_mday > days_in_month(tm->tm_year, tm->tm_mon))
            tm->tm_mday = 1;
        break;
    case 3: wrap_up(&tm->tm_hour, 23); break;
    case 4: wrap_up(&tm->tm_min, 59); break;
    case 5: wrap_up(&tm->tm_sec, 59); break;
    default: break;
    }
}

void field_decrement(struct tm *tm, EditField field)
{
    switch (field) {
    case 0:
        // Not symmetric with the step up: below 2009 it stops at 2009, it does not wrap.
        tm->tm_year -= 1;
        if (tm->tm_year <= EDIT_YEAR_MIN - 1)
            tm->tm_year = EDIT_YEAR_MIN;
        break;
    case 1:
        wrap_down(&tm->tm_mon, 11);
        clamp_day(tm);
        break;
    case 2:
        tm->tm_mday -= 1;
        if (tm->tm_mday <= 0)
            tm->tm_mday = days_in_month(tm->tm_year, tm->tm_mon);
        break;
    case 3: wrap_down(&tm->tm_hour, 23); break;
    case 4: wrap_down(&tm->tm_min, 59); break;
    case 5: wrap_down(&tm->tm_sec, 59); break;
    default: break;
    }
}
