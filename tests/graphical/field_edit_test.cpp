#include <gtest/gtest.h>

#include "civil_time.h"

#include <string.h>
#include <time.h>

#include <vector>

#include "field_edit.h"

namespace {

struct tm date(int year, int month, int day, int hour = 12, int minute = 30, int second = 30)
{
    struct tm t = civil_tm(year, month, day, hour, minute, second);
    t.tm_isdst = 1; // whatever localtime gave must survive every step
    return t;
}

// One step of one field, and the record it should leave.
struct Step {
    const char *why;
    struct tm from;
    EditField field;
    int dir; // +1 field_increment, -1 field_decrement
    struct tm to;
};

void expect_steps(const std::vector<Step> &steps)
{
    for (const Step &s : steps) {
        SCOPED_TRACE(s.why);
        struct tm t = s.from;
        if (s.dir > 0)
            field_increment(&t, s.field);
        else
            field_decrement(&t, s.field);
        EXPECT_EQ(t.tm_year + 1900, s.to.tm_year + 1900);
        EXPECT_EQ(t.tm_mon + 1, s.to.tm_mon + 1);
        EXPECT_EQ(t.tm_mday, s.to.tm_mday);
        EXPECT_EQ(t.tm_hour, s.to.tm_hour);
        EXPECT_EQ(t.tm_min, s.to.tm_min);
        EXPECT_EQ(t.tm_sec, s.to.tm_sec);
        EXPECT_EQ(t.tm_isdst, 1) << "the flag localtime gave stays";
    }
}

} // namespace

TEST(FieldEdit, YearRangeIsAsymmetric)
{
    expect_steps({
        {"2400 up wraps to 2009", date(2400, 6, 1), 0, +1, date(2009, 6, 1)},
        {"2009 down stays", date(2009, 6, 1), 0, -1, date(2009, 6, 1)},
        {"2400 down", date(2400, 6, 1), 0, -1, date(2399, 6, 1)},
        {"2011 up", date(2011, 6, 1), 0, +1, date(2012, 6, 1)},
        {"before 2009 up: one year", date(1999, 6, 1), 0, +1, date(2000, 6, 1)},
        {"before 2009 down: 2009 at once", date(1999, 6, 1), 0, -1, date(2009, 6, 1)},
    });
}

TEST(FieldEdit, YearStepLeavesTheDayForMktime)
{
    struct tm t = date(2012, 2, 29, 10, 0, 0);
    field_increment(&t, 0);
    EXPECT_EQ(t.tm_mon + 1, 2);
    EXPECT_EQ(t.tm_mday, 29) << "29 February 2013 in the record";
    t.tm_isdst = -1;
    setenv("TZ", "UTC", 1);
    tzset();
    time_t when = mktime(&t);
    struct tm *shown = localtime(&when);
    EXPECT_EQ(shown->tm_mon + 1, 3);
    EXPECT_EQ(shown->tm_mday, 1);
    EXPECT_EQ(shown->tm_year + 1900, 2013);
}

TEST(FieldEdit, MonthStepsClampTheDay)
{
    expect_steps({
        {"31 January up", date(2011, 1, 31), 1, +1, date(2011, 2, 28)},
        {"31 January up, leap year", date(2012, 1, 31), 1, +1, date(2012, 2, 29)},
        {"31 March down", date(2011, 3, 31), 1, -1, date(2011, 2, 28)},
        {"31 March down, leap year", date(2012, 3, 31), 1, -1, date(2012, 2, 29)},
        {"31 May up", date(2011, 5, 31), 1, +1, date(2011, 6, 30)},
        {"December up: January, same year", date(2011, 12, 15), 1, +1, date(2011, 1, 15)},
        {"January down: December, same year", date(2011, 1, 15), 1, -1, date(2011, 12, 15)},
    });
}

TEST(FieldEdit, DayWrapsWithinTheMonth)
{
    expect_steps({
        {"30 April up", date(2011, 4, 30), 2, +1, date(2011, 4, 1)},
        {"29 February 2012 up", date(2012, 2, 29), 2, +1, date(2012, 2, 1)},
        {"28 February 2012 up", date(2012, 2, 28), 2, +1, date(2012, 2, 29)},
        {"1 February 2012 down", date(2012, 2, 1), 2, -1, date(2012, 2, 29)},
        {"1 February 2011 down", date(2011, 2, 1), 2, -1, date(2011, 2, 28)},
        {"1 December down", date(2011, 12, 1), 2, -1, date(2011, 12, 31)},
    });
}

TEST(FieldEdit, TimeFieldsWrapWithoutCarrying)
{
    expect_steps({
        {"hour 23 up: 0, same day", date(2011, 3, 9, 23, 59, 59), 3, +1,
         date(2011, 3, 9, 0, 59, 59)},
        {"hour 0 down", date(2011, 3, 9, 0, 0, 0), 3, -1, date(2011, 3, 9, 23, 0, 0)},
        {"minute 0 down: 59, same hour", date(2011, 3, 9, 7, 0, 0), 4, -1,
         date(2011, 3, 9, 7, 59, 0)},
        {"minute 59 up", date(2011, 3, 9, 7, 59, 0), 4, +1, date(2011, 3, 9, 7, 0, 0)},
        {"second 59 up: 0, same minute", date(2011, 3, 9, 7, 5, 59), 5, +1,
         date(2011, 3, 9, 7, 5, 0)},
        {"second 0 down", date(2011, 3, 9, 7, 5, 0), 5, -1, date(2011, 3, 9, 7, 5, 59)},
    });
}

TEST(FieldEdit, FieldsAboveFiveChangeNothing)
{
    struct tm before = date(2011, 3, 9, 7, 5, 3);
    for (EditField f : {6u, 7u, 1000u}) {
        struct tm a = before, b = before;
        field_increment(&a, f);
        field_decrement(&b, f);
        EXPECT_EQ(memcmp(&a, &before, sizeof before), 0);
        EXPECT_EQ(memcmp(&b, &before, sizeof before), 0);
    }
}

// A step into a daylight-saving gap goes on past it, so the field always moves;
// 29 February a year on is 1 March. Each step means the instant it shows,
// every reading of a repeated time its own, whatever the zone's shift.
TEST(FieldEdit, SteppingTheShownTimeStepsOverAGap)
{
    struct Case {
        const char *why, *tz;
        time_t from;
        EditField field;
        int dir;
        time_t to;
    };
    const Case cases[] = {
        {"Berlin, 03:30 CEST hour down: 01:30 CET", "Europe/Berlin",
         utc_time(2024, 3, 31, 1, 30, 0), 3, -1, utc_time(2024, 3, 31, 0, 30, 0)},
        {"Berlin, 01:30 CET hour down: 00:30", "Europe/Berlin", utc_time(2024, 3, 31, 0, 30, 0),
         3, -1, utc_time(2024, 3, 30, 23, 30, 0)},
        {"Berlin, 01:30 CET hour up: 03:30 CEST", "Europe/Berlin",
         utc_time(2024, 3, 31, 0, 30, 0), 3, +1, utc_time(2024, 3, 31, 1, 30, 0)},
        {"New York, 03:30 EDT hour down: 01:30 EST", "America/New_York",
         utc_time(2024, 3, 10, 7, 30, 0), 3, -1, utc_time(2024, 3, 10, 6, 30, 0)},
        {"New York, 01:30 EST hour up: 03:30 EDT", "America/New_York",
         utc_time(2024, 3, 10, 6, 30, 0), 3, +1, utc_time(2024, 3, 10, 7, 30, 0)},
        {"Lord Howe, 02:30 minute down: 02:00-02:29 do not exist, 02:59", "Australia/Lord_Howe",
         utc_time(2024, 10, 5, 15, 30, 0), 4, -1, utc_time(2024, 10, 5, 15, 59, 0)},
        {"Lord Howe, 02:59 minute up: 02:30", "Australia/Lord_Howe",
         utc_time(2024, 10, 5, 15, 59, 0), 4, +1, utc_time(2024, 10, 5, 15, 30, 0)},
        {"Berlin, an ordinary hour down", "Europe/Berlin", utc_time(2024, 3, 30, 1, 30, 0), 3, -1,
         utc_time(2024, 3, 30, 0, 30, 0)},
        {"29 February 2012, year up: 1 March 2013", "UTC", utc_time(2012, 2, 29, 10, 0, 0), 0,
         +1, utc_time(2013, 3, 1, 10, 0, 0)},
        // Where the clocks go back, minutes and seconds keep the offset on show.
        {"New York, 01:30 EDT minute up: 01:31 EDT", "America/New_York",
         utc_time(2024, 11, 3, 5, 30, 0), 4, +1, utc_time(2024, 11, 3, 5, 31, 0)},
        {"New York, 01:30 EDT second up: 01:30:01 EDT", "America/New_York",
         utc_time(2024, 11, 3, 5, 30, 0), 5, +1, utc_time(2024, 11, 3, 5, 30, 1)},
        {"New York, 01:00 EST minute down: 01:59 EST, within its hour", "America/New_York",
         utc_time(2024, 11, 3, 6, 0, 0), 4, -1, utc_time(2024, 11, 3, 6, 59, 0)},
        {"Berlin, 02:30 CEST minute down: 02:29 CEST", "Europe/Berlin",
         utc_time(2024, 10, 27, 0, 30, 0), 4, -1, utc_time(2024, 10, 27, 0, 29, 0)},
        // Hours pass through both readings of the repeated hour, an hour apart.
        {"New York, 00:30 EDT hour up: 01:30 EDT", "America/New_York",
         utc_time(2024, 11, 3, 4, 30, 0), 3, +1, utc_time(2024, 11, 3, 5, 30, 0)},
        {"New York, 01:30 EDT hour up: 01:30 EST", "America/New_York",
         utc_time(2024, 11, 3, 5, 30, 0), 3, +1, utc_time(2024, 11, 3, 6, 30, 0)},
        {"New York, 01:30 EST hour up: 02:30 EST", "America/New_York",
         utc_time(2024, 11, 3, 6, 30, 0), 3, +1, utc_time(2024, 11, 3, 7, 30, 0)},
        {"New York, 02:30 EST hour down: 01:30 EST", "America/New_York",
         utc_time(2024, 11, 3, 7, 30, 0), 3, -1, utc_time(2024, 11, 3, 6, 30, 0)},
        {"New York, 01:30 EST hour down: 01:30 EDT", "America/New_York",
         utc_time(2024, 11, 3, 6, 30, 0), 3, -1, utc_time(2024, 11, 3, 5, 30, 0)},
        {"Berlin, 02:30 CET hour down: 02:30 CEST", "Europe/Berlin",
         utc_time(2024, 10, 27, 1, 30, 0), 3, -1, utc_time(2024, 10, 27, 0, 30, 0)},
        {"New York, the day before, day up into the repeated hour: 01:30 EDT",
         "America/New_York", utc_time(2024, 11, 2, 5, 30, 0), 2, +1,
         utc_time(2024, 11, 3, 5, 30, 0)},
        // Moscow, 26 October 2014: 01:00-02:00 twice, the daylight-saving flag
        // off both times (+04, then +03).
        {"Moscow, 00:30 hour up: 01:30 +04", "Europe/Moscow", utc_time(2014, 10, 25, 20, 30, 0),
         3, +1, utc_time(2014, 10, 25, 21, 30, 0)},
        {"Moscow, 01:30 +04 hour up: 01:30 +03", "Europe/Moscow",
         utc_time(2014, 10, 25, 21, 30, 0), 3, +1, utc_time(2014, 10, 25, 22, 30, 0)},
        {"Moscow, 01:30 +03 hour up: 02:30", "Europe/Moscow", utc_time(2014, 10, 25, 22, 30, 0),
         3, +1, utc_time(2014, 10, 25, 23, 30, 0)},
        {"Moscow, 02:30 hour down: 01:30 +03", "Europe/Moscow", utc_time(2014, 10, 25, 23, 30, 0),
         3, -1, utc_time(2014, 10, 25, 22, 30, 0)},
        {"Moscow, 01:30 +03 hour down: 01:30 +04", "Europe/Moscow",
         utc_time(2014, 10, 25, 22, 30, 0), 3, -1, utc_time(2014, 10, 25, 21, 30, 0)},
        {"Moscow, 01:30 +03 minute up: 01:31 +03", "Europe/Moscow",
         utc_time(2014, 10, 25, 22, 30, 0), 4, +1, utc_time(2014, 10, 25, 22, 31, 0)},
        // Lord Howe, 7 April 2024: 01:30-02:00 twice, half an hour apart.
        {"Lord Howe, 00:40 hour up: 01:40 +11", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 13, 40, 0), 3, +1, utc_time(2024, 4, 6, 14, 40, 0)},
        {"Lord Howe, 01:40 +11 hour up: 01:40 +1030", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 14, 40, 0), 3, +1, utc_time(2024, 4, 6, 15, 10, 0)},
        {"Lord Howe, 01:40 +1030 hour up: 02:40", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 15, 10, 0), 3, +1, utc_time(2024, 4, 6, 16, 10, 0)},
        {"Lord Howe, 02:40 hour down: 01:40 +1030", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 16, 10, 0), 3, -1, utc_time(2024, 4, 6, 15, 10, 0)},
        {"Lord Howe, 01:40 +1030 hour down: 01:40 +11", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 15, 10, 0), 3, -1, utc_time(2024, 4, 6, 14, 40, 0)},
        {"Lord Howe, 01:40 +1030 second down: 01:40:59 +1030", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 15, 10, 0), 5, -1, utc_time(2024, 4, 6, 15, 10, 59)},
        {"Lord Howe, 01:59 +11 minute up: 01:00, within its hour", "Australia/Lord_Howe",
         utc_time(2024, 4, 6, 14, 59, 0), 4, +1, utc_time(2024, 4, 6, 14, 0, 0)},
        // A date step never skips a date that exists: it takes the first time
        // at or after the fields' time on it.
        {"Santiago, 7 September day up: 8 September 01:00, 00:00 does not exist",
         "America/Santiago", utc_time(2024, 9, 7, 4, 0, 0), 2, +1, utc_time(2024, 9, 8, 4, 0, 0)},
        {"Beirut, 30 March 00:30 day up: 31 March 01:00", "Asia/Beirut",
         utc_time(2024, 3, 29, 22, 30, 0), 2, +1, utc_time(2024, 3, 30, 22, 0, 0)},
        {"Apia, November 2011 month up: 31 December, the 30th was skipped", "Pacific/Apia",
         utc_time(2011, 11, 30, 22, 0, 0), 1, +1, utc_time(2011, 12, 30, 10, 0, 0)},
        {"Apia, 30 December 2010 year up: 2011, on the 31st", "Pacific/Apia",
         utc_time(2010, 12, 30, 22, 0, 0), 0, +1, utc_time(2011, 12, 30, 10, 0, 0)},
        {"Apia, 29 December 2011 day up: the 31st, no 30th to show", "Pacific/Apia",
         utc_time(2011, 12, 29, 22, 0, 0), 2, +1, utc_time(2011, 12, 30, 22, 0, 0)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        setenv("TZ", c.tz, 1);
        tzset();
        time_t t = c.from;
        EXPECT_EQ(field_step_time(&t, c.field, c.dir), 0);
        EXPECT_EQ(t, c.to) << "off by " << (long long)(t - c.to) << " s";
    }
    setenv("TZ", "UTC", 1);
    tzset();
}

TEST(FieldEdit, AnInstantWithNoLocalTimeIsKept)
{
    time_t t = (time_t)INT64_MAX, before = t;
    for (EditField f = EDIT_FIELD_YEAR; f < EDIT_FIELD_COUNT; f++) {
        EXPECT_EQ(field_step_time(&t, f, +1), -1) << f;
        EXPECT_EQ(t, before);
    }
}
