#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "clock_record.h"
#include "terminal.h"

namespace {

// The clock started on a 24 x 80 screen (no terminal answers the size query),
// with keys typed into a pipe and the output kept in a file.
class Layout : public ::testing::Test {
protected:
    FreshClock clock;
    int keys[2] = {-1, -1};
    FILE *out = nullptr;
    StdioOn *on = nullptr;

    void start()
    {
        ASSERT_EQ(pipe(keys), 0);
        out = tmpfile();
        on = new StdioOn(keys[0], fileno(out));
        clock.state.delay = 0;
        setenv("TZ", "UTC", 1);
        clock_init();
    }
    void TearDown() override
    {
        if (on != nullptr) {
            screen_end();
            delete on;
            fclose(out);
            close(keys[0]);
            close(keys[1]);
        }
        for (const HandledSignal &h : handled_signals)
            signal(h.sig, SIG_DFL);
    }
    void press(const std::string &typed)
    {
        for (char c : typed) {
            ASSERT_EQ(write(keys[1], &c, 1), 1);
            clock_handle_key();
        }
    }
    // A key that sends several bytes arrives in one write.
    void press_key(const std::string &bytes)
    {
        ASSERT_EQ(write(keys[1], bytes.data(), bytes.size()), (ssize_t)bytes.size());
        clock_handle_key();
    }
    const ClockState &s() const { return clock.state; }
};

} // namespace

TEST_F(Layout, DateWindowSitsUnderTheClock)
{
    start();
    EXPECT_EQ(screen_rows, 24);
    EXPECT_EQ(screen_cols, 80);
    EXPECT_EQ(s().width, 35);
    EXPECT_EQ(s().height, 7);
    EXPECT_EQ(strlen(s().date_text), 12u);
    EXPECT_EQ(s().date_win->ncols, 14);
    EXPECT_EQ(s().date_win->nlines, 3);
    EXPECT_EQ(s().date_win->begin_row, 6);
    EXPECT_EQ(s().date_win->begin_col, 10);
    EXPECT_EQ(s().clock_win->begin_row, 0);
    EXPECT_EQ(s().running, 1);
    EXPECT_EQ(s().bg, -1);
    EXPECT_EQ(color_pairs[1], 0u);
    EXPECT_EQ(color_pairs[2], 0x3000u);
    EXPECT_EQ(color_pairs[3], 0x0300u);
}

TEST_F(Layout, EmptyFormatMakesAFourColumnDateWindow)
{
    strcpy(clock.format, "");
    start();
    EXPECT_EQ(s().date_win->ncols, 4);
}

TEST_F(Layout, CentringOnEightyByTwentyFour)
{
    clock.state.centered = 1;
    start();
    EXPECT_EQ(s().row, 9);
    EXPECT_EQ(s().col, 23);
    EXPECT_EQ(s().clock_win->begin_col, 23);
    EXPECT_EQ(s().date_win->begin_row, 15);
    press("s");
    EXPECT_EQ(s().width, 54);
    EXPECT_EQ(s().col, 13);
    press("c");
    EXPECT_EQ(s().centered, 0);
    EXPECT_EQ(s().col, 13);
}

TEST_F(Layout, SecondsTogglePullsTheClockLeft)
{
    start();
    press("llllllllllllllllllllllllllllllllllllllll"); // 40 steps right
    EXPECT_EQ(s().col, 40);
    press("s");
    EXPECT_EQ(s().col, 25);
    EXPECT_EQ(s().width, 54);
    press("s");
    EXPECT_EQ(s().col, 25);
    EXPECT_EQ(s().width, 35);
    press("lllllllllllllllllllllllllllllll");
    EXPECT_EQ(s().col, 45);
    press("S");
    press("s");
    EXPECT_EQ(s().col, 25);
}

TEST_F(Layout, MovesStopAtTheScreenEdges)
{
    start();
    press("kh");
    EXPECT_EQ(s().row, 0);
    EXPECT_EQ(s().col, 0);
    press(std::string(30, 'j'));
    EXPECT_EQ(s().row, 15);
    press(std::string(60, 'L'));
    EXPECT_EQ(s().col, 45);
    press("KH");
    EXPECT_EQ(s().row, 14);
    EXPECT_EQ(s().col, 44);
    EXPECT_EQ(s().date_win->begin_row, 20);
    for (const char *arrow : {"\033[A", "\033[D", "\033[B", "\033[C"})
        press_key(arrow);
    EXPECT_EQ(s().row, 14);
    EXPECT_EQ(s().col, 44);
    press_key("\033[A");
    press_key("\033[D");
    EXPECT_EQ(s().row, 13);
    EXPECT_EQ(s().col, 43);
}

TEST_F(Layout, MovesAreIgnoredWhileCentred)
{
    clock.state.centered = 1;
    start();
    press("hjklHJKL");
    press_key("\033[B");
    EXPECT_EQ(s().row, 9);
    EXPECT_EQ(s().col, 23);
}

TEST_F(Layout, CommandKeysAndColours)
{
    start();
    press("b");
    EXPECT_EQ(s().boxed, 1);
    press("B");
    EXPECT_EQ(s().boxed, 0);
    press("t");
    EXPECT_EQ(s().twelve_hour, 1);
    EXPECT_EQ(strlen(s().date_text), 16u);
    EXPECT_EQ(s().date_win->ncols, 18); // re-fitted at once
    press("5");
    EXPECT_EQ(s().color, 5);
    EXPECT_EQ(color_pairs[2], 0x6000u);
    EXPECT_EQ(color_pairs[3], 0x0600u);
    press("89x");
    EXPECT_EQ(s().color, 5);
    press("q");
    EXPECT_EQ(s().running, 0);
}

TEST_F(Layout, ADigitLightsItsCells)
{
    start();
    auto lit_columns = [this](int digit) {
        std::string bytes = capture_output([digit] { clock_draw_digit(digit, 1, 1); });
        // Each step sets the pair, moves, and writes one space.
        std::vector<std::string> rows(5);
        size_t pos = 0;
        for (int step = 0; step < 30; step++) {
            size_t sgr = bytes.find("\033[0", pos);
            size_t end = bytes.find('m', sgr);
            bool lit = bytes.compare(sgr, end - sgr + 1, "\033[0;42m") == 0;
            rows[step / 6] += lit ? '#' : '.';
            pos = bytes.find(' ', end) + 1;
        }
        return rows;
    };
    EXPECT_EQ(lit_columns(1), std::vector<std::string>(5, "....##"));
    EXPECT_EQ(lit_columns(7), (std::vector<std::string>{"######", "....##", "....##", "....##",
                                                        "....##"}));
    EXPECT_EQ(lit_columns(0), (std::vector<std::string>{"######", "##..##", "##..##", "##..##",
                                                        "######"}));
    EXPECT_EQ(lit_columns(4), (std::vector<std::string>{"##..##", "##..##", "######", "....##",
                                                        "....##"}));
}
