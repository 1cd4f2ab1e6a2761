// The graphical clock through the changes of a real day: saves that move the
// system clock (which SDL's tick counter follows), clocks set back by others,
// daylight-saving changes while a date is edited, and signals that end it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "tavlino_run.h"

namespace {

enum Key { ENTER = 13, UP = 273, DOWN = 274, RIGHT = 275 };

std::string key(int k)
{
    return " k=" + std::to_string(k) + " |";
}

std::string repeat(int k, int times)
{
    std::string s;
    for (int i = 0; i < times; i++)
        s += key(k);
    return s;
}

} // namespace

// The ticks either follow the system clock, as classic SDL counts them (wall:
// SHIM_WALL, ticks computed from the fake system clock that the intercepted
// clock setting really moves), or count on by themselves, as SDL 2's do
// (monotonic). Either way the clock shows the system's time, whoever moved it
// and by however much; its own saves are no outside change.
TEST(TavlinoClockSteps, ShownTimeFollowsTheSystemClock)
{
    const time_t start = utc_time(2011, 12, 30, 10, 59, 50);
    const long long hour = 3600, days30 = 30 * 86400;
    const std::string wall = "SHIM_WALL=1", monotonic = "";
    struct Case {
        const char *why;
        std::string ticks; // wall or monotonic
        time_t from;       // the system's time at the start
        std::string keys;  // after the first frame
        time_t saved;      // 0: nothing saved
        time_t shown;      // the time on show a second later
        int year, month, mark; // the calendar then
        uint32_t tick0 = 0;    // where monotonic ticks start
    };
    auto moved = [](long long seconds) { return " c=" + std::to_string(seconds * 1000) + " |"; };
    const std::string edit_hour = key(ENTER) + repeat(RIGHT, 3);
    const Case cases[] = {
        {"saved one hour back", wall, start, edit_hour + key(DOWN) + key(ENTER), start - hour,
         start - hour + 1, 2011, 12, 30},
        {"saved one hour ahead", wall, start, edit_hour + key(UP) + key(ENTER), start + hour,
         start + hour + 1, 2011, 12, 30},
        {"saved two seconds back", wall, start,
         key(ENTER) + repeat(RIGHT, 5) + repeat(DOWN, 2) + key(ENTER), start - 2, start - 1, 2011,
         12, 30},
        {"saved one hour back, monotonic ticks", monotonic, start,
         edit_hour + key(DOWN) + key(ENTER), start - hour, start - hour + 1, 2011, 12, 30},
        {"set back an hour by another program", wall, start, moved(-hour), 0, start - hour + 1,
         2011, 12, 30},
        {"set back an hour, monotonic ticks", monotonic, start, moved(-hour), 0,
         start - hour + 1, 2011, 12, 30},
        {"set an hour ahead, monotonic ticks", monotonic, start, moved(hour), 0,
         start + hour + 1, 2011, 12, 30},
        {"30 days on", wall, start, moved(days30), 0, start + days30 + 1, 2012, 1, 29},
        {"a 30-day suspend the ticks did not count", monotonic, start, moved(days30), 0,
         start + days30 + 1, 2012, 1, 29},
        {"30 days back", wall, start, moved(-days30), 0, start - days30 + 1, 2011, 11, 30},
        {"30 days back, monotonic ticks", monotonic, start, moved(-days30), 0,
         start - days30 + 1, 2011, 11, 30},
        {"started in 2000, then the date from the network", monotonic,
         utc_time(2000, 1, 1, 0, 0, 5), moved(start - utc_time(2000, 1, 1, 0, 0, 5)), 0,
         start + 1, 2011, 12, 30},
        {"started in 1970, then the date from the network", wall, 0, moved(start), 0, start + 1,
         2011, 12, 30},
        {"an hour on, with the ticks about to wrap", monotonic, start, moved(hour), 0,
         start + hour + 1, 2011, 12, 30, 0xFFFFFED8u},
        // An edit runs on by time passed alone, and Enter saves what it shows.
        {"edit kept when the clock is set an hour on", wall, start,
         edit_hour + key(UP) + moved(hour) + " +1001 |" + key(ENTER), start + hour + 1,
         start + hour + 2, 2011, 12, 30},
        {"edit kept when the clock is set 30 days back", wall, start,
         edit_hour + key(UP) + moved(-days30) + " +1001 |" + key(ENTER), start + hour + 1,
         start + hour + 2, 2011, 12, 30},
        {"edit kept when the clock is set 30 days back, monotonic ticks", monotonic, start,
         edit_hour + key(UP) + moved(-days30) + " +1001 |" + key(ENTER), start + hour + 1,
         start + hour + 2, 2011, 12, 30},
        // A suspend is time passed: the edit runs on through it.
        {"edit run on through a 3-day suspend", wall, start,
         edit_hour + key(UP) + " s=259200000 |" + " +1001 |" + key(ENTER),
         start + hour + 259200 + 1, start + hour + 259200 + 2, 2011, 12, 0},
        {"edit run on through a 3-day suspend, monotonic ticks", monotonic, start,
         edit_hour + key(UP) + " s=259200000 |" + " +1001 |" + key(ENTER),
         start + hour + 259200 + 1, start + hour + 259200 + 2, 2011, 12, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> env;
        if (!c.ticks.empty())
            env.push_back(c.ticks);
        TavlinoRun run = run_tavlino("t=" + std::to_string(c.tick0) + " |" + c.keys +
                                         " | +1001 | |",
                                     c.from, "UTC", env);
        EXPECT_EQ(run.result.status, 0);
        std::vector<std::string> set = log_lines(run, "clock_settime");
        if (c.saved != 0) {
            ASSERT_EQ(set.size(), 1u);
            EXPECT_EQ(set[0], "clock_settime clock=0 sec=" + std::to_string((long long)c.saved));
        } else {
            EXPECT_TRUE(set.empty());
        }
        ASSERT_GE(run.frames.size(), 3u);
        EXPECT_EQ(frame_difference(run.frames.back(),
                                   expected_frame(browse_frame(c.shown, c.year, c.month, c.mark))),
                  0);
    }
}

// An edit on show stays as the user left it when the clock is moved under it;
// Escape then returns to the system's new time.
TEST(TavlinoClockSteps, EditIsKeptWhenTheClockMovesAndEscapeTakesTheNewTime)
{
    const time_t start = utc_time(2011, 12, 30, 10, 59, 50);
    TavlinoRun run = run_tavlino("t=0 |" + key(ENTER) + repeat(RIGHT, 3) + key(UP) +
                                     " c=-3600000 | +1001 |" + key(27),
                                 start);
    ASSERT_GE(run.frames.size(), 5u);
    size_t last = run.frames.size() - 1;
    EXPECT_EQ(frame_difference(run.frames[last - 2],
                               expected_frame(edit_frame(start + 3600 + 1, 3))),
              0);
    EXPECT_EQ(frame_difference(run.frames[last],
                               expected_frame(browse_frame(start - 3600 + 1, 2011, 12, 30))),
              0);
    EXPECT_TRUE(log_lines(run, "clock_settime").empty());
}

TEST(TavlinoClockSteps, SteppingADateAcrossDaylightSavingKeepsTheHour)
{
    struct Case {
        const char *why;
        const char *tz;
        time_t from;
        unsigned field;
        int key, times;
        time_t to;
    };
    const std::string berlin = "Europe/Berlin", new_york = "America/New_York";
    const Case cases[] = {
        {"Berlin, January 10:00 to April", "Europe/Berlin", utc_time(2011, 1, 15, 9, 0, 0), 1,
         UP, 3, utc_time(2011, 4, 15, 8, 0, 0)},
        {"Berlin, July 10:00 back to January", "Europe/Berlin", utc_time(2011, 7, 15, 8, 0, 0),
         1, DOWN, 6, utc_time(2011, 1, 15, 9, 0, 0)},
        {"Berlin, the day before summer time, day up", "Europe/Berlin",
         utc_time(2011, 3, 26, 9, 0, 0), 2, UP, 1, utc_time(2011, 3, 27, 8, 0, 0)},
        {"Berlin, 30 March 2012 to 2013, out of summer time", "Europe/Berlin",
         utc_time(2012, 3, 30, 8, 0, 0), 0, UP, 1, utc_time(2013, 3, 30, 9, 0, 0)},
        {"New York, January 10:00 to April", "America/New_York",
         utc_time(2011, 1, 15, 15, 0, 0), 1, UP, 3, utc_time(2011, 4, 15, 14, 0, 0)},
        {"New York, November 10:00 back to October", "America/New_York",
         utc_time(2011, 11, 15, 15, 0, 0), 1, DOWN, 1, utc_time(2011, 10, 15, 14, 0, 0)},
        {"New York, the day before winter time, day up", "America/New_York",
         utc_time(2011, 11, 5, 14, 0, 0), 2, UP, 1, utc_time(2011, 11, 6, 15, 0, 0)},
        // The repeated hour shows twice: 00:30, 01:30 EDT, 01:30 EST, 02:30.
        {"New York, 00:30 EDT hour up twice", "America/New_York",
         utc_time(2024, 11, 3, 4, 30, 0), 3, UP, 2, utc_time(2024, 11, 3, 5, 30, 0)},
        {"New York, 00:30 EDT hour up three times", "America/New_York",
         utc_time(2024, 11, 3, 4, 30, 0), 3, UP, 3, utc_time(2024, 11, 3, 7, 30, 0)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        TavlinoRun run = run_tavlino("t=0 |" + key(ENTER) + repeat(RIGHT, (int)c.field) +
                                         repeat(c.key, c.times) + " quit |",
                                     c.from, c.tz);
        ASSERT_GE(run.frames.size(), 3u);
        EXPECT_EQ(frame_difference(run.frames.back(), expected_frame(edit_frame(c.to, c.field, c.tz),
                                                                     c.tz)),
                  0);
    }
}

// Closing the window, a hang-up, a quit or a broken pipe: the same orderly end.
TEST(TavlinoStop, SignalsEndTheLoopWithTheFullShutdown)
{
    for (int sig : {SIGHUP, SIGQUIT, SIGPIPE, SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        std::string dir = make_temp_dir();
        int pid = spawn_program({build_dir() + "/Tavlino"},
                                {"SDL_VIDEODRIVER=dummy", "TZ=UTC",
                                 "LD_PRELOAD=" + build_dir() + "/libsdl_shim.so:" + build_dir() +
                                     "/libclock_shim.so",
                                 "SHIM_LOG=" + dir + "/log", "SHIM_TIME=1325289590"},
                                dir + "/out", dir + "/err");
        ASSERT_GT(pid, 0);
        for (int i = 0; i < 500 && read_file(dir + "/log").find("flip 2") == std::string::npos; i++)
            usleep(10000);
        ASSERT_NE(read_file(dir + "/log").find("flip 2"), std::string::npos) << "no frame drawn";
        kill(pid, sig);
        int status = wait_program(pid, 5000);
        if (status < 0)
            kill_program(pid);
        EXPECT_EQ(status, 0);
        std::string log = read_file(dir + "/log");
        size_t shutdown = log.find("TTF_CloseFont");
        ASSERT_NE(shutdown, std::string::npos) << log;
        EXPECT_EQ(log.substr(shutdown), "TTF_CloseFont 10\nTTF_CloseFont 15\nTTF_Quit\nSDL_Quit\n");
        EXPECT_EQ(read_file(dir + "/out"), "");
        for (const char *name : {"/log", "/out", "/err"})
            unlink((dir + name).c_str());
        rmdir(dir.c_str());
    }
}
