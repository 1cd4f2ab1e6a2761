// Saving an edit sets the system clock, then the hardware clock in UTC. The
// shims record what would have been written; no real clock is touched.
#include <gtest/gtest.h>

#include <sstream>

#include "set_clock.h"
#include "tavlino_run.h"

namespace {

const std::string SAVE = "t=0 | k=13 | k=13 | |"; // edit, save at once, one more frame

std::string settime_line(time_t t)
{
    return "clock_settime clock=0 sec=" + std::to_string((long long)t);
}

std::vector<std::string> clock_calls(const TavlinoRun &run)
{
    std::vector<std::string> calls;
    for (const std::string &line : run.lines)
        if (line.rfind("clock_settime", 0) == 0 || line.rfind("open /dev/rtc0", 0) == 0 ||
            line.rfind("ioctl", 0) == 0 || line.rfind("close rtc", 0) == 0)
            calls.push_back(line);
    return calls;
}

} // namespace

TEST(SetClock, TokyoMorningGoesToTheRtcAsUtcOfTheSameDay)
{
    time_t t = utc_time(2011, 3, 9, 1, 0, 0); // 10:00:00 in Tokyo
    TavlinoRun run = run_tavlino(SAVE, t, "Asia/Tokyo");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.out, "");
    EXPECT_EQ(clock_calls(run),
              (std::vector<std::string>{settime_line(t), "open /dev/rtc0 flags=2",
                                        "ioctl 0x4024700a rtc 111-2-9 1:0:0 wday=0 yday=0 isdst=0",
                                        "close rtc"}));
}

TEST(SetClock, NewYorkEveningGoesToTheRtcAsTheNextDay)
{
    time_t t = utc_time(2011, 3, 10, 3, 0, 0); // 22:00:00 on the 9th in New York
    TavlinoRun run = run_tavlino(SAVE, t, "America/New_York");
    std::vector<std::string> calls = clock_calls(run);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], settime_line(t));
    EXPECT_EQ(calls[2], "ioctl 0x4024700a rtc 111-2-10 3:0:0 wday=0 yday=0 isdst=0");
}

TEST(SetClock, MissingDeviceSaysSoOnceAndTheSystemClockIsStillSet)
{
    time_t t = utc_time(2011, 3, 9, 1, 0, 0);
    TavlinoRun run = run_tavlino(SAVE, t, "UTC", {"SHIM_RTC=noopen"});
    EXPECT_EQ(run.result.out, "Failed to open!!\n");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(clock_calls(run), (std::vector<std::string>{settime_line(t), "open /dev/rtc0 flags=2"}));
}

TEST(SetClock, RefusingDeviceIsReportedAndClosed)
{
    time_t t = utc_time(2011, 3, 9, 1, 0, 0);
    TavlinoRun run = run_tavlino(SAVE, t, "UTC", {"SHIM_RTC=refuse"});
    EXPECT_EQ(run.result.out, "Failed to set time!\n");
    std::vector<std::string> calls = clock_calls(run);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls.back(), "close rtc");
}

// Enter saves the instant on show, also the second reading of a time the
// clocks show twice; no conversion from local time takes part.
TEST(SetClock, SavesTheInstantOnShow)
{
    struct Case {
        const char *why, *tz;
        time_t shown;
        std::vector<std::string> env;
    };
    const Case cases[] = {
        {"Moscow, 01:30 +03, the second pass", "Europe/Moscow", utc_time(2014, 10, 25, 22, 30, 0),
         {}},
        {"Moscow, 01:30 +04, the first pass", "Europe/Moscow", utc_time(2014, 10, 25, 21, 30, 0),
         {}},
        {"New York, 01:30 EST", "America/New_York", utc_time(2024, 11, 3, 6, 30, 0), {}},
        {"Lord Howe, 01:40 +1030", "Australia/Lord_Howe", utc_time(2024, 4, 6, 15, 10, 0), {}},
        {"mktime failing for every time", "UTC", utc_time(2011, 3, 9, 1, 0, 0),
         {"SHIM_MKTIME=fail"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        TavlinoRun run = run_tavlino(SAVE, c.shown, c.tz, c.env);
        EXPECT_EQ(run.result.status, 0);
        std::vector<std::string> calls = clock_calls(run);
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_EQ(calls[0], settime_line(c.shown));
    }
}

TEST(SetClock, WindowCloseDuringAnEditSetsNothing)
{
    TavlinoRun run = run_tavlino("t=0 | k=13 | k=273 | quit |", utc_time(2011, 3, 9, 1, 0, 0));
    EXPECT_EQ(run.result.status, 0);
    EXPECT_TRUE(clock_calls(run).empty());
}

// What the screen shows after a save: the saved time running on, or, when
// the system clock was not set, the system's time, and then neither clock
// was written; a notice in the help line's place when either clock was not
// set, until the next key, which does nothing else (not even Escape);
// Backspace then brings the calendar home.
TEST(SetClock, ScreenTellsWhatTheSaveDid)
{
    time_t start = utc_time(2011, 12, 30, 23, 59, 50);
    time_t saved = utc_time(2012, 12, 30, 23, 59, 50);
    const std::vector<std::string> rtc = {"open /dev/rtc0 flags=2",
                                          "ioctl 0x4024700a rtc 112-11-30 23:59:50 wday=0 yday=0 isdst=0",
                                          "close rtc"};
    struct Case {
        const char *why;
        std::vector<std::string> env;
        std::string out;
        size_t rtc_calls; // of the three
        const char *notice;
        time_t shown; // after the save
        int home_year, home_month, home_mark;
        long long moved_ms = 0; // by another program during the edit
    };
    const Case cases[] = {
        {"both clocks set", {}, "", 3, nullptr, saved, 2012, 12, 30},
        {"no hardware clock", {"SHIM_RTC=noopen"}, "Failed to open!!\n", 1, NOTICE_RTC_NOT_SET,
         saved, 2012, 12, 30},
        {"the hardware clock refused", {"SHIM_RTC=refuse"}, "Failed to set time!\n", 3,
         NOTICE_RTC_NOT_SET, saved, 2012, 12, 30},
        {"no permission to set the clock", {"SHIM_SETTIME=refuse"}, "", 0, NOTICE_NO_PERMISSION,
         start, 2011, 12, 30},
        {"a date the system clock does not take", {"SHIM_SETTIME=range"}, "", 0,
         NOTICE_REFUSED, start, 2011, 12, 30},
        // The calendar then follows the system's time to its month.
        {"refused after another program set the clock 5 days on", {"SHIM_SETTIME=refuse"}, "",
         0, NOTICE_NO_PERMISSION, start + 5 * 86400, 2012, 1, 4, 5 * 86400000LL},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        // edit, year up, save, a second passes, Escape (Backspace when there is
        // no notice to take away), Backspace.
        std::string next = c.notice != nullptr ? "k=27" : "k=8";
        std::string moved = c.moved_ms != 0 ? " c=" + std::to_string(c.moved_ms) : "";
        TavlinoRun run = run_tavlino("t=0 | k=13 | k=273" + moved + " | k=13 | | t=1001 | " +
                                         next + " | k=8 | |",
                                     start, "UTC", c.env);
        EXPECT_EQ(run.result.out, c.out);
        std::vector<std::string> calls = {settime_line(saved)};
        calls.insert(calls.end(), rtc.begin(), rtc.begin() + c.rtc_calls);
        EXPECT_EQ(clock_calls(run), calls);
        ASSERT_EQ(run.frames.size(), 15u);
        // A save keeps December 2011 browsed; after a refused one the browsed
        // month is the system's, as home is.
        ExpectedFrame after = c.rtc_calls == 0
                                  ? browse_frame(c.shown, c.home_year, c.home_month, c.home_mark)
                                  : browse_frame(c.shown, 2011, 12, 0);
        after.notice = c.notice;
        EXPECT_EQ(frame_difference(run.frames[7], expected_frame(after)), 0);
        after.shown++;
        EXPECT_EQ(frame_difference(run.frames[9], expected_frame(after)), 0);
        ExpectedFrame home = browse_frame(c.shown + 1, c.home_year, c.home_month, c.home_mark);
        after.notice = nullptr;
        EXPECT_EQ(frame_difference(run.frames[11], expected_frame(c.notice ? after : home)), 0);
        EXPECT_EQ(frame_difference(run.frames[13], expected_frame(home)), 0);
    }
}

// Every program a test starts runs without the privilege to set the clock, so
// a clock setting that escaped the shim would fail, not change this machine.
TEST(SetClock, ProgramsRunWithoutThePrivilegeToSetTheClock)
{
    RunResult r = run_program({"grep", "-E", "^Cap(Eff|Prm|Bnd):", "/proc/self/status"}, {});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    int seen = 0;
    for (std::string name, mask; lines >> name >> mask; seen++) {
        unsigned long long caps = strtoull(mask.c_str(), nullptr, 16);
        EXPECT_EQ(caps >> 25 & 1, 0u) << name << " " << mask << ": CAP_SYS_TIME is bit 25";
    }
    EXPECT_EQ(seen, 3);
}
