#include <gtest/gtest.h>

#include "civil_time.h"

#include <time.h>

#include "clock_record.h"

namespace {

time_t at(int hour, int minute, int second = 0)
{
    return utc_time(2024, 3, 5, hour, minute, second);
}

class Sampling : public ::testing::Test {
protected:
    FreshClock clock;
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    // The digits shown for time t: a sample shows the time stored by the one before.
    std::string shown(time_t t)
    {
        clock.state.last_sample = t;
        clock_update_time();
        const ClockState &s = clock.state;
        return std::to_string(s.hour_tens) + std::to_string(s.hour_units) + ":" +
               std::to_string(s.minute_tens) + std::to_string(s.minute_units) + ":" +
               std::to_string(s.second_tens) + std::to_string(s.second_units) + s.meridiem;
    }
};

} // namespace

TEST_F(Sampling, TwelveHourConversion)
{
    clock.state.twelve_hour = 1;
    EXPECT_EQ(shown(at(0, 15)), "12:15:00  AM");
    EXPECT_EQ(shown(at(11, 59)), "11:59:00  AM");
    EXPECT_EQ(shown(at(12, 0)), "12:00:00  PM");
    EXPECT_EQ(shown(at(13, 5)), "01:05:00  PM");
    EXPECT_EQ(shown(at(23, 59, 59)), "11:59:59  PM");
    clock.state.twelve_hour = 0;
    EXPECT_EQ(shown(at(0, 15)), "00:15:00");
    EXPECT_EQ(shown(at(13, 5, 7)), "13:05:07");
}

TEST_F(Sampling, TheDisplayTrailsByOneSample)
{
    clock.state.last_sample = at(9, 30);
    clock_update_time();
    time_t now = time(nullptr);
    EXPECT_EQ(clock.state.hour_units, 9);
    EXPECT_GE(clock.state.last_sample, now - 1);
    EXPECT_LE(clock.state.last_sample, now + 1);
}

TEST_F(Sampling, DateLine)
{
    shown(at(10, 0));
    EXPECT_STREQ(clock.state.date_text, " 2024-03-05 ");
    clock.state.twelve_hour = 1;
    shown(at(10, 0));
    EXPECT_STREQ(clock.state.date_text, " 2024-03-05  AM ");
    clock.state.twelve_hour = 0;
    strcpy(clock.format, "");
    shown(at(10, 0));
    EXPECT_STREQ(clock.state.date_text, "  ");
    strcpy(clock.format, "%d%%");
    shown(at(10, 0));
    EXPECT_STREQ(clock.state.date_text, " 05% ");
}

TEST_F(Sampling, DateTooLongForItsBufferIsLeftOut)
{
    std::string format;
    while (format.size() < 96)
        format += "%c"; // each about 24 characters: far past 128
    strcpy(clock.format, format.c_str());
    memset(clock.state.date_text, 'Z', sizeof clock.state.date_text);
    clock.state.twelve_hour = 1;
    shown(at(14, 0));
    EXPECT_STREQ(clock.state.date_text, "   PM ");

    // The longest format, 99 plain characters, is shown whole.
    strcpy(clock.format, std::string(99, 'x').c_str());
    shown(at(14, 0));
    EXPECT_EQ(strlen(clock.state.date_text), 99u + 2 + 4);
}

TEST_F(Sampling, LeapSecondShowsSixty)
{
    setenv("TZ", "right/UTC", 1);
    tzset();
    // 2016-12-31 23:59:60 in a zone that counts leap seconds.
    struct tm leap = civil_tm(2016, 12, 31, 23, 59, 59);
    time_t before = mktime(&leap);
    struct tm *next = localtime(&(before += 1));
    if (next->tm_sec != 60)
        GTEST_SKIP() << "this system's zone data counts no leap seconds";
    EXPECT_EQ(shown(before).substr(0, 8), "23:59:60");
}
