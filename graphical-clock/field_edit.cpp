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

static int same_reading(const struct tm *a, const struct tm *b)
{
    return a->tm_year == b->tm_year && a->tm_mon == b->tm_mon && a->tm_mday == b->tm_mday &&
           a->tm_hour == b->tm_hour && a->tm_min == b->tm_min && a->tm_sec == b->tm_sec;
}

// The instants whose local time shows the stepped field as *wanted has it,
// earliest first: none in a daylight-saving gap (mktime moves such a time
// out of it), two in the hour that is repeated when the clocks go back.
// Their daylight-saving flags go to dst[]. -1 when the platform cannot
// represent the time.
static int local_readings(const struct tm *wanted, EditField field, time_t found[2], int dst[2])
{
    int count = 0, failed = 0;
    for (int flag = 0; flag <= 1; flag++) {
        struct tm got = *wanted;
        got.tm_isdst = flag;
        time_t t = mktime(&got);
        if (t == (time_t)-1) {
            failed++;
            continue;
        }
        // mktime reads a flag the zone does not have at that time with the
        // other offset; such a reading is not one the screen would show.
        if (got.tm_isdst != flag || field_value(&got, field) != field_value(wanted, field))
            continue;
        if (count == 1 && t == found[0])
            continue;
        found[count] = t;
        dst[count] = flag;
        count++;
    }
    if (count == 2 && found[1] < found[0]) {
        time_t t = found[0];
        found[0] = found[1];
        found[1] = t;
        int d = dst[0];
        dst[0] = dst[1];
        dst[1] = d;
    }
    return failed == 2 ? -1 : count;
}

// Of two readings of the same local time: a minute or second step keeps the
// offset of the instant on show, so it moves it by exactly the step; other
// fields take the readings in the order of real time (the earlier going up).
static time_t choose_reading(const time_t found[2], const int dst[2], EditField field,
                             int direction, int shown_dst)
{
    if (field == EDIT_FIELD_MINUTE || field == EDIT_FIELD_SECOND)
        return dst[0] == shown_dst ? found[0] : found[1];
    return direction > 0 ? found[0] : found[1];
}

int field_step_time(time_t *shown, EditField field, int direction)
{
    struct tm from = *localtime(shown);
    // In the repeated hour the same hour comes twice, an hour of real time
    // apart: an hour step goes from one reading to the other.
    if (field == EDIT_FIELD_HOUR) {
        time_t other = *shown + (direction > 0 ? 3600 : -3600);
        struct tm *then = localtime(&other);
        if (then != nullptr && same_reading(then, &from)) {
            *shown = other;
            return 0;
        }
    }
    // A value that does not exist that day is stepped over; a field has at
    // most 60 values to try.
    struct tm wanted = from;
    for (int tries = 0; tries < 60; tries++) {
        if (direction > 0)
            field_increment(&wanted, field);
        else
            field_decrement(&wanted, field);
        time_t found[2];
        int dst[2];
        int count = local_readings(&wanted, field, found, dst);
        if (count < 0)
            return -1;
        if (count == 1)
            *shown = found[0];
        else if (count == 2)
            *shown = choose_reading(found, dst, field, direction, from.tm_isdst);
        if (count > 0)
            return 0;
    }
    return -1;
}
