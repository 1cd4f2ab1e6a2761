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
    case EDIT_FIELD_YEAR:
        tm->tm_year += 1;
        if (tm->tm_year > EDIT_YEAR_MAX)
            tm->tm_year = EDIT_YEAR_MIN;
        break;
    case EDIT_FIELD_MONTH:
        wrap_up(&tm->tm_mon, 11);
        clamp_day(tm);
        break;
    case EDIT_FIELD_DAY:
        tm->tm_mday += 1;
        if (tm->tm_mday > days_in_month(tm->tm_year, tm->tm_mon))
            tm->tm_mday = 1;
        break;
    case EDIT_FIELD_HOUR: wrap_up(&tm->tm_hour, 23); break;
    case EDIT_FIELD_MINUTE: wrap_up(&tm->tm_min, 59); break;
    case EDIT_FIELD_SECOND: wrap_up(&tm->tm_sec, 59); break;
    default: break;
    }
}

void field_decrement(struct tm *tm, EditField field)
{
    switch (field) {
    case EDIT_FIELD_YEAR:
        // Not symmetric with the step up: below 2009 it stops at 2009, it does not wrap.
        tm->tm_year -= 1;
        if (tm->tm_year <= EDIT_YEAR_MIN - 1)
            tm->tm_year = EDIT_YEAR_MIN;
        break;
    case EDIT_FIELD_MONTH:
        wrap_down(&tm->tm_mon, 11);
        clamp_day(tm);
        break;
    case EDIT_FIELD_DAY:
        tm->tm_mday -= 1;
        if (tm->tm_mday <= 0)
            tm->tm_mday = days_in_month(tm->tm_year, tm->tm_mon);
        break;
    case EDIT_FIELD_HOUR: wrap_down(&tm->tm_hour, 23); break;
    case EDIT_FIELD_MINUTE: wrap_down(&tm->tm_min, 59); break;
    case EDIT_FIELD_SECOND: wrap_down(&tm->tm_sec, 59); break;
    default: break;
    }
}

EditField field_next(EditField field, int direction)
{
    if (direction > 0)
        return field + 1 >= EDIT_FIELD_COUNT ? EDIT_FIELD_YEAR : field + 1;
    return field == EDIT_FIELD_YEAR ? EDIT_FIELD_COUNT - 1 : field - 1;
}

static int field_value(const struct tm *tm, EditField field)
{
    static constexpr int tm::*MEMBERS[EDIT_FIELD_COUNT] = {&tm::tm_year, &tm::tm_mon,
                                                           &tm::tm_mday, &tm::tm_hour,
                                                           &tm::tm_min,  &tm::tm_sec};
    return field < EDIT_FIELD_COUNT ? tm->*MEMBERS[field] : 0;
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar; a day
// past the month's end runs on into the next month (29 February of a common
// year is 1 March).
static long long days_from_civil(long long year, int month, int day)
{
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long of_era = year - era * 400;
    long long of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + of_era * 365 + of_era / 4 - of_era / 100 + of_year - 719468;
}

// A reading of the local time, as seconds on the zone's own scale (the
// fields taken as if they were UTC): every instant that shows the same date
// and time has the same reading, whatever its offset.
static long long fields_reading(const struct tm *tm)
{
    return days_from_civil((long long)tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday) * 86400 +
           tm->tm_hour * 3600 + tm->tm_min * 60 + tm->tm_sec;
}

// The reading an instant shows, and its fields; false when the platform
// cannot tell them.
static bool instant_reading(time_t t, long long *reading, struct tm *fields)
{
    struct tm *local = localtime(&t);
    if (local == nullptr)
        return false;
    if (fields != nullptr)
        *fields = *local;
    *reading = fields_reading(local);
    return true;
}

// No zone is further than this from UTC, and none shifts twice within it.
constexpr long long ZONE_REACH_S = 26 * 3600;
constexpr long long ZONE_SAMPLE_S = 2 * 3600;
constexpr int OFFSETS_MAX = 8;
constexpr int READINGS_MAX = 4;

// The offsets from UTC the zone has around a reading: an instant that shows
// it can only be the reading less one of them.
static int zone_offsets(long long reading, long long offsets[OFFSETS_MAX])
{
    int count = 0;
    for (long long t = reading - ZONE_REACH_S; t <= reading + ZONE_REACH_S; t += ZONE_SAMPLE_S) {
        long long r;
        if (!instant_reading((time_t)t, &r, nullptr))
            continue;
        int known = 0;
        for (int i = 0; i < count; i++)
            known |= offsets[i] == r - t;
        if (!known && count < OFFSETS_MAX)
            offsets[count++] = r - t;
    }
    return count;
}

// The instants that show a reading, earliest first: none in a gap where the
// clocks go forward, two (or more) where they go back.
static int instants_showing(long long reading, const long long offsets[], int n_offsets,
                            time_t found[READINGS_MAX])
{
    int count = 0;
    for (int i = 0; i < n_offsets; i++) {
        time_t t = (time_t)(reading - offsets[i]);
        long long r;
        if (!instant_reading(t, &r, nullptr) || r != reading)
            continue;
        int at = count;
        while (at > 0 && found[at - 1] > t)
            at--;
        if ((at > 0 && found[at - 1] == t) || count == READINGS_MAX)
            continue;
        for (int j = count; j > at; j--)
            found[j] = found[j - 1];
        found[at] = t;
        count++;
    }
    return count;
}

// In a gap: the first instant whose reading is past the wanted one, where
// the clocks jump. Between the instants the zone's largest and smallest
// offsets give, the reading crosses the wanted one once.
static bool gap_end(long long reading, const long long offsets[], int n_offsets, time_t *end)
{
    if (n_offsets < 2)
        return false;
    long long most = offsets[0], least = offsets[0];
    for (int i = 1; i < n_offsets; i++) {
        most = offsets[i] > most ? offsets[i] : most;
        least = offsets[i] < least ? offsets[i] : least;
    }
    long long before = reading - most, after = reading - least, r;
    if (!instant_reading((time_t)before, &r, nullptr) || r >= reading ||
        !instant_reading((time_t)after, &r, nullptr) || r <= reading)
        return false;
    while (after - before > 1) {
        long long mid = before + (after - before) / 2;
        if (!instant_reading((time_t)mid, &r, nullptr))
            return false;
        (r < reading ? before : after) = mid;
    }
    *end = (time_t)after;
    return true;
}

// Of the instants that show the wanted reading: a minute or second step
// keeps the offset on show, so it moves the instant by exactly the step (or
// comes as near as the zone allows); an hour step takes them in the order of
// real time, the earliest going up, the latest going down; a date step the
// first.
static time_t choose_instant(const time_t found[], int count, EditField field, int direction,
                             time_t kept)
{
    if (field == EDIT_FIELD_MINUTE || field == EDIT_FIELD_SECOND) {
        time_t best = found[0];
        for (int i = 1; i < count; i++)
            if ((found[i] > kept ? found[i] - kept : kept - found[i]) <
                (best > kept ? best - kept : kept - best))
                best = found[i];
        return best;
    }
    if (field == EDIT_FIELD_HOUR && direction < 0)
        return found[count - 1];
    return found[0];
}

// The next reading of the time on show itself, where it comes more than once.
static bool next_pass(time_t shown, long long reading, int direction, time_t *next)
{
    long long offsets[OFFSETS_MAX];
    time_t found[READINGS_MAX];
    int count = instants_showing(reading, offsets, zone_offsets(reading, offsets), found);
    for (int i = 0; i < count; i++) {
        int j = i + (direction > 0 ? 1 : -1);
        if (found[i] == shown && j >= 0 && j < count) {
            *next = found[j];
            return true;
        }
    }
    return false;
}

// The wanted fields as an instant: a reading that exists, or the edge of the
// gap it falls in when that still shows the stepped field's value.
static bool wanted_instant(const struct tm *wanted, EditField field, int direction, time_t kept,
                           time_t *result)
{
    long long reading = fields_reading(wanted);
    long long offsets[OFFSETS_MAX];
    int n_offsets = zone_offsets(reading, offsets);
    time_t found[READINGS_MAX];
    int count = instants_showing(reading, offsets, n_offsets, found);
    if (count > 0) {
        *result = choose_instant(found, count, field, direction, kept);
        return true;
    }
    time_t end;
    if (!gap_end(reading, offsets, n_offsets, &end))
        return false;
    // The first time after the gap, else the last before it.
    const time_t edges[2] = {end, end - 1};
    for (time_t t : edges) {
        struct tm got;
        long long r;
        if (instant_reading(t, &r, &got) && field_value(&got, field) == field_value(wanted, field)) {
            *result = t;
            return true;
        }
    }
    return false;
}

int field_step_time(time_t *shown, EditField field, int direction)
{
    struct tm from;
    long long from_reading;
    if (!instant_reading(*shown, &from_reading, &from))
        return -1;
    if (field == EDIT_FIELD_HOUR && next_pass(*shown, from_reading, direction, shown))
        return 0;
    // A value that does not exist is stepped over; a field has at most 60
    // values to try.
    struct tm wanted = from;
    for (int tries = 0; tries < 60; tries++) {
        if (direction > 0)
            field_increment(&wanted, field);
        else
            field_decrement(&wanted, field);
        time_t kept = (time_t)(*shown + (fields_reading(&wanted) - from_reading));
        if (wanted_instant(&wanted, field, direction, kept, shown))
            return 0;
    }
    return -1;
}
