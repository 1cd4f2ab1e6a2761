#include <gtest/gtest.h>

#include "civil_time.h"

#include <time.h>

#include "field_edit.h"

namespace {

struct tm date(int year, int month, int day, int hour = 12, int minute = 30, int second = 30)
{
    struct tm t = civil_tm(year, month, day, hour, minute, second);
    t.tm_isdst = 1; // whatever localtime gave must survive every step
    return t;
}

void expect_date(const struct tm &t, int year, int month, int day)
{
    EXPECT_EQ(t.tm_year + 1900, year);
    EXPECT_EQ(t.tm_mon + 1, month);
    EXPECT_EQ(t.tm_mday, day);
    EXPECT_EQ(t.tm_isdst, 1);
}

struct tm up(struct tm t, EditField f)
{
    field_increment(&t, f);
    return t;
}

struct tm down(struct tm t, EditField f)
{
    field_decrement(&t, f);
    return t;
}

} // namespace

TEST(FieldEdit, YearRangeIsAsymmetric)
{
    expect_date(up(date(2400, 6, 1), 0), 2009, 6, 1);
    expect_date(down(date(2009, 6, 1), 0), 2009, 6, 1);
    expect_date(down(date(2400, 6, 1), 0), 2399, 6, 1);
    expect_date(up(date(2011, 6, 1), 0), 2012, 6, 1);
    // A year before 2009 from the system clock steps up one by one, down at once to 2009.
    expect_date(up(date(1999, 6, 1), 0), 2000, 6, 1);
    expect_date(down(date(1999, 6, 1), 0), 2009, 6, 1);
}

TEST(FieldEdit, YearStepLeavesTheDayForMktime)
{
    struct tm t = up(date(2012, 2, 29, 10, 0, 0), 0);
    expect_date(t, 2013, 2, 29);
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
    expect_date(up(date(2011, 1, 31), 1), 2011, 2, 28);
    expect_date(up(date(2012, 1, 31), 1), 2012, 2, 29);
    expect_date(down(date(2011, 3, 31), 1), 2011, 2, 28);
    expect_date(down(date(2012, 3, 31), 1), 2012, 2, 29);
    expect_date(up(date(2011, 5, 31), 1), 2011, 6, 30);
    expect_date(up(date(2011, 12, 15), 1), 2011, 1, 15);
    expect_date(down(date(2011, 1, 15), 1), 2011, 12, 15);
}

TEST(FieldEdit, DayWrapsWithinTheMonth)
{
    expect_date(up(date(2011, 4, 30), 2), 2011, 4, 1);
    expect_date(up(date(2012, 2, 29), 2), 2012, 2, 1);
    expect_date(up(date(2012, 2, 28), 2), 2012, 2, 29);
    expect_date(down(date(2012, 2, 1), 2), 2012, 2, 29);
    expect_date(down(date(2011, 2, 1), 2), 2011, 2, 28);
    expect_date(down(date(2011, 12, 1), 2), 2011, 12, 31);
}

TEST(FieldEdit, TimeFieldsWrapWithoutCarrying)
{
    struct tm t = up(date(2011, 3, 9, 23, 59, 59), 3);
    EXPECT_EQ(t.tm_hour, 0);
    expect_date(t, 2011, 3, 9);
    EXPECT_EQ(down(date(2011, 3, 9, 0, 0, 0), 3).tm_hour, 23);

    t = down(date(2011, 3, 9, 7, 0, 0), 4);
    EXPECT_EQ(t.tm_min, 59);
    EXPECT_EQ(t.tm_hour, 7);
    EXPECT_EQ(up(date(2011, 3, 9, 7, 59, 0), 4).tm_min, 0);

    t = up(date(2011, 3, 9, 7, 5, 59), 5);
    EXPECT_EQ(t.tm_sec, 0);
    EXPECT_EQ(t.tm_min, 5);
    EXPECT_EQ(down(date(2011, 3, 9, 7, 5, 0), 5).tm_sec, 59);
}

TEST(FieldEdit, FieldsAboveFiveChangeNothing)
{
    struct tm before = date(2011, 3, 9, 7, 5, 3);
    for (EditField f : {6u, 7u, 1000u}) {
        struct tm a = up(before, f), b = down(before, f);
        EXPECT_EQ(memcmp(&a, &before, sizeof before), 0);
        EXPECT_EQ(memcmp(&b, &before, sizeof before), 0);
    }
}
