// The real Tavlino, headless: set-up failures, shutdown order, and what the
// flipped frames show as ticks and keys are scripted.
#include <gtest/gtest.h>

#include "tavlino_run.h"

namespace {

enum Key { ESC = 27, ENTER = 13, BACKSPACE = 8, TAB = 9, SPACE = 32,
           UP = 273, DOWN = 274, RIGHT = 275, LEFT = 276 };

// One key per pass, each key starting the pass after the first frame.
std::string keys_script(std::initializer_list<int> keys)
{
    std::string s = "t=0 |";
    for (int k : keys)
        s += " k=" + std::to_string(k) + " |";
    return s;
}

const time_t START = utc_time(2011, 12, 30, 23, 59, 50);

ExpectedFrame browse(time_t shown, int year, int month, int mark)
{
    return browse_frame(shown, year, month, mark);
}

ExpectedFrame edit(time_t shown, unsigned field)
{
    return edit_frame(shown, field);
}

// Frame i of a run is flip 2i + 1: flip 0 is the screen shown before any drawing,
// and every frame is flipped twice.
void expect_frames(const TavlinoRun &run, const std::vector<ExpectedFrame> &expected)
{
    ASSERT_EQ(run.frames.size(), 1 + 2 * expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(frame_difference(run.frames[2 * i + 1], expected_frame(expected[i])), 0)
            << "frame " << i;
        EXPECT_EQ(frame_difference(run.frames[2 * i + 1], run.frames[2 * i + 2]), 0);
    }
}

} // namespace

TEST(TavlinoStart, NoVideoDriverFailsToInit)
{
    RunResult r = run_program({build_dir() + "/Tavlino"}, {"SDL_VIDEODRIVER=no-such-driver"});
    EXPECT_EQ(r.out, "Failed to init library!\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "");
}

// A font that cannot be opened: the message, no frame, and an orderly end
// that still closes the large font when only the small one failed.
TEST(TavlinoStart, FontFailures)
{
    struct Case {
        const char *fail;
        std::string log;
    };
    const Case cases[] = {
        {"SHIM_FAIL_FONT=15", "SDL_ShowCursor 0\nTTF_OpenFont 15 failed\nTTF_Quit\nSDL_Quit\n"},
        {"SHIM_FAIL_FONT=10", "SDL_ShowCursor 0\nTTF_OpenFont 15 ok\nTTF_OpenFont 10 failed\n"
                              "TTF_CloseFont 15\nTTF_Quit\nSDL_Quit\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fail);
        TavlinoRun run = run_tavlino("t=0", START, "UTC", {c.fail});
        EXPECT_EQ(run.result.out, "can't load Font file!!\n");
        EXPECT_EQ(run.result.status, 1);
        EXPECT_TRUE(run.frames.empty());
        EXPECT_EQ(run.log, c.log);
    }
}

TEST(TavlinoStart, EscapeQuitsWithTheFullShutdown)
{
    TavlinoRun run = run_tavlino(keys_script({ESC}), START);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.out, "");
    EXPECT_EQ(run.result.err, "");
    ASSERT_GE(run.lines.size(), 4u) << run.log;
    std::vector<std::string> tail(run.lines.end() - 4, run.lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"TTF_CloseFont 10", "TTF_CloseFont 15", "TTF_Quit",
                                              "SDL_Quit"}));
    EXPECT_EQ(run.frames.size(), 3u);
}

TEST(TavlinoStart, WindowCloseQuits)
{
    TavlinoRun run = run_tavlino("t=0 | quit |", START);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_FALSE(run.result.timed_out);
    EXPECT_EQ(log_lines(run, "SDL_Quit").size(), 1u);
}

TEST(TavlinoFrames, FirstFrameOnTheFirstPass)
{
    TavlinoRun run = run_tavlino("t=0 | quit |", START);
    ASSERT_EQ(run.frames.size(), 3u);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            ASSERT_EQ(run.frames[0].at(x, y), 0) << "the screen is flipped once before drawing";
    expect_frames(run, {browse(START, 2011, 12, 30)});
}

TEST(TavlinoFrames, EnterShowsTheEditHelpAndLine)
{
    TavlinoRun run = run_tavlino(keys_script({ENTER}) + " quit |", START);
    expect_frames(run, {browse(START, 2011, 12, 30), edit(START, 0)});
}

TEST(TavlinoFrames, SecondsStepWithTheTicks)
{
    // exactly 1000 ms: no frame; 1001: one second; a stall of 4.5 s: four more at once
    TavlinoRun run = run_tavlino("t=0 | | t=1000 | t=1001 | t=5600 | quit |", START);
    expect_frames(run, {browse(START, 2011, 12, 30), browse(START + 1, 2011, 12, 30),
                        browse(START + 5, 2011, 12, 30)});
}

TEST(TavlinoFrames, PagingAcrossTheYearEndAndBack)
{
    TavlinoRun run = run_tavlino(
        keys_script({RIGHT, LEFT, LEFT, RIGHT, RIGHT, RIGHT, LEFT, TAB, LEFT, SPACE, RIGHT,
                     BACKSPACE}) + " quit |",
        START);
    expect_frames(run, {browse(START, 2011, 12, 30), browse(START, 2012, 1, 0),
                        browse(START, 2011, 12, 30), browse(START, 2011, 11, 0),
                        browse(START, 2011, 12, 30), browse(START, 2012, 1, 0),
                        browse(START, 2012, 2, 0), browse(START, 2012, 1, 0),
                        browse(START, 2011, 12, 30), browse(START, 2011, 11, 0),
                        browse(START, 2011, 12, 30), browse(START, 2012, 1, 0),
                        browse(START, 2011, 12, 30)});
}

TEST(TavlinoFrames, HomeMonthStaysAtTheStartMonth)
{
    // The clock runs into 2012; the calendar stays on December 2011 without a mark,
    // Backspace still returns to December, and the running day is marked in January.
    time_t eve = utc_time(2011, 12, 31, 23, 59, 50);
    TavlinoRun run = run_tavlino("t=0 | | t=20000 | k=8 | k=275 |", eve);
    expect_frames(run, {browse(eve, 2011, 12, 31), browse(eve + 20, 2011, 12, 0),
                        browse(eve + 20, 2011, 12, 0), browse(eve + 20, 2012, 1, 1)});
}

TEST(TavlinoFrames, KeysWithoutAnActionDrawNothing)
{
    TavlinoRun run = run_tavlino(keys_script({UP, DOWN, 'a', ENTER, BACKSPACE, TAB, SPACE, 'x'}) +
                                     " quit |",
                                 START);
    expect_frames(run, {browse(START, 2011, 12, 30), edit(START, 0)});
}

TEST(TavlinoEdit, EachFieldStepsAndShows)
{
    time_t t0 = utc_time(2011, 3, 9, 7, 5, 3);
    TavlinoRun run = run_tavlino(
        keys_script({ENTER, UP, RIGHT, UP, RIGHT, UP, RIGHT, UP, RIGHT, UP, RIGHT, UP, RIGHT,
                     LEFT, DOWN, LEFT, LEFT, LEFT, DOWN}) + " quit |",
        t0);
    time_t y = utc_time(2012, 3, 9, 7, 5, 3), m = utc_time(2012, 4, 9, 7, 5, 3),
           d = utc_time(2012, 4, 10, 7, 5, 3), h = utc_time(2012, 4, 10, 8, 5, 3),
           mi = utc_time(2012, 4, 10, 8, 6, 3), s = utc_time(2012, 4, 10, 8, 6, 4),
           s2 = utc_time(2012, 4, 10, 8, 6, 3), d2 = utc_time(2012, 4, 9, 8, 6, 3);
    expect_frames(run, {browse(t0, 2011, 3, 9), edit(t0, 0), edit(y, 0), edit(y, 1), edit(m, 1),
                        edit(m, 2), edit(d, 2), edit(d, 3), edit(h, 3), edit(h, 4), edit(mi, 4),
                        edit(mi, 5), edit(s, 5), edit(s, 0), edit(s, 5), edit(s2, 5), edit(s2, 4),
                        edit(s2, 3), edit(s2, 2), edit(d2, 2)});
}

TEST(TavlinoEdit, LeapDayYearUpShowsTheFirstOfMarch)
{
    time_t leap = utc_time(2012, 2, 29, 10, 0, 0);
    TavlinoRun run = run_tavlino(keys_script({ENTER, UP}) + " quit |", leap);
    expect_frames(run, {browse(leap, 2012, 2, 29), edit(leap, 0),
                        edit(utc_time(2013, 3, 1, 10, 0, 0), 0)});
}

TEST(TavlinoEdit, EscapeRestoresTheRunningTimeAndTheBrowsedMonth)
{
    // Browse to January, edit the year, let two seconds pass, cancel, quit.
    TavlinoRun run = run_tavlino("t=0 | k=275 | k=13 | k=273 | | t=2001 | k=27 | k=27 |", START);
    EXPECT_EQ(run.result.status, 0);
    time_t next_year = utc_time(2012, 12, 30, 23, 59, 50);
    expect_frames(run, {browse(START, 2011, 12, 30), browse(START, 2012, 1, 0),
                        edit(START, 0), edit(next_year, 0), edit(next_year + 2, 0),
                        browse(START + 2, 2012, 1, 0)});
    EXPECT_TRUE(log_lines(run, "clock_settime").empty());
}

TEST(TavlinoEdit, FieldIsKeptBetweenEdits)
{
    TavlinoRun run = run_tavlino(keys_script({ENTER, RIGHT, RIGHT, ESC, ENTER}) + " quit |", START);
    expect_frames(run, {browse(START, 2011, 12, 30), edit(START, 0), edit(START, 1),
                        edit(START, 2), browse(START, 2011, 12, 30), edit(START, 2)});
}

TEST(TavlinoEdit, StepsNeedNoConversionFromLocalTime)
{
    // mktime fails for every time here; the calendar falls back to its own
    // weekdays, and a step goes from the instant on show.
    TavlinoRun run = run_tavlino(keys_script({ENTER, UP}) + " quit |", START, "UTC",
                                 {"SHIM_MKTIME=fail"});
    EXPECT_EQ(run.result.status, 0);
    expect_frames(run, {browse(START, 2011, 12, 30), edit(START, 0),
                        edit(utc_time(2012, 12, 30, 23, 59, 50), 0)});
}
