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

static int field_value(const struct tm *tm, EditField field)
{
    const int values[EDIT_FIELD_COUNT] = {tm->tm_year, tm->tm_mon,  tm->tm_mday,
                                          tm->tm_hour, tm->tm_min, tm->tm_sec};
    return field < EDIT_FIELD_COUNT ? values[field] : 0;
}

int field_step_time(time_t *shown, EditField field, int direction)
{
    struct tm wanted = *localtime(shown);
    // mktime moves a time inside a daylight-saving gap forward (02:30 on the
    // day the clocks go from 02:00 to 03:00 becomes 03:30), which would leave
    // the stepped field where it was. Such values are stepped over; a field
    // has at most 60 of them to try.
    for (int tries = 0; tries < 60; tries++) {
        if (direction > 0)
            field_increment(&wanted, field);
        else
            field_decrement(&wanted, field);
        struct tm got = wanted;
        // The stepped date may lie on the other side of a daylight-saving
        // change: let mktime find its flag, so the hour and minute stay.
        got.tm_isdst = -1;
        time_t t = mktime(&got);
        if (t == (time_t)-1)
            return -1;
        if (field_value(&got, field) == field_value(&wanted, field)) {
            *shown = t;
            return 0;
        }
    }
    return -1;
}
