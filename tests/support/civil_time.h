// Broken-down times for tests, written as calendar dates.
#pragma once

#include <time.h>

// month 1..12, as on a calendar; every other field 0.
inline struct tm civil_tm(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

inline time_t utc_time(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t = civil_tm(year, month, day, hour, minute, second);
    return timegm(&t);
}
