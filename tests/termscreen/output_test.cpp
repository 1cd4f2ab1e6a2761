#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "terminal.h"
#include "termscreen.h"

namespace {

const std::string ESC = "\033";

std::string cup(int row1, int col1)
{
    return ESC + "[" + std::to_string(row1) + ";" + std::to_string(col1) + "H";
}

} // namespace

// The values at load time, in a fresh copy of this program (other tests,
// run in any order, change them).
TEST(LoadTime, LibraryStartsWithItsDocumentedValues)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // re-executes the program
    EXPECT_EXIT(
        {
            bool ok = cursor_row == 0 && cursor_col == 0 && scroll_top == 0 &&
                      scroll_bottom == 23 && charset_state == 255 && insert_state == 0 &&
                      color_pairs[0] == 0x800u && screen_rows == 24 && screen_cols == 80 &&
                      screen_window == nullptr && nodelay_state == 0;
            for (int i = 1; i < 256; i++)
                ok = ok && color_pairs[i] == 0u;
            fprintf(stderr, ok ? "load-time values\n" : "changed\n");
            exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "load-time values");
}

TEST(CursorMotion, OneBasedEightBitPositions)
{
    EXPECT_EQ(capture_output([] { cursor_move(0, 0); }), cup(1, 1));
    EXPECT_EQ(capture_output([] { term_goto(23, 79); }), cup(24, 80));
    EXPECT_EQ(capture_output([] { cursor_move(254, 254); }), cup(255, 255));
    EXPECT_EQ(cursor_row, 254);
    EXPECT_EQ(cursor_col, 254);
    capture_output([] { term_goto(3, 4); }); // does not touch the remembered cursor
    EXPECT_EQ(cursor_row, 254);
    // 255 goes out as 0, and larger values modulo 256.
    EXPECT_EQ(capture_output([] { cursor_move(255, 257); }), ESC + "[0;2H");
    EXPECT_EQ(cursor_col, 1);
}

TEST(CursorMotion, DecimalsAreTheLowEightBits)
{
    EXPECT_EQ(capture_output([] { term_put_decimal(300); }), "44");
    EXPECT_EQ(capture_output([] { term_put_decimal(-1); }), "255");
    EXPECT_EQ(capture_output([] { term_put_decimal(0); }), "0");
    EXPECT_EQ(capture_output([] { term_puts("a\tb\n"); }), "a\tb\n");
    EXPECT_EQ(capture_output([] { term_putc(0x141); }), "A");
}

TEST(CursorMotion, VisibilityUsesTheLowByte)
{
    EXPECT_EQ(capture_output([] { cursor_set_visible(1); }), ESC + "[?25h");
    EXPECT_EQ(capture_output([] { cursor_set_visible(0); }), ESC + "[?25l");
    EXPECT_EQ(capture_output([] { cursor_set_visible(256); }), ESC + "[?25l");
}

TEST(Erasing, EachOperationAndItsWrappers)
{
    EXPECT_EQ(capture_output([] { term_clear(); }), ESC + "[2J");
    EXPECT_EQ(capture_output([] { win_clear(nullptr); }), ESC + "[2J");
    EXPECT_EQ(capture_output([] { screen_clear(); }), ESC + "[2J");
    EXPECT_EQ(capture_output([] { term_clear_eol(); }), ESC + "[K");
    EXPECT_EQ(capture_output([] { term_clear_eos(); }), ESC + "[J");
    EXPECT_EQ(capture_output([] { term_delete_char(); }), ESC + "[P");
}

TEST(ScrollRegion, EqualTopAndBottomReset)
{
    EXPECT_EQ(capture_output([] { term_set_scroll_region(0, 23); }), ESC + "[1;24r");
    EXPECT_EQ(capture_output([] { term_set_scroll_region(0, 0); }), ESC + "[r");
    EXPECT_EQ(capture_output([] { term_set_scroll_region(5, 5); }), ESC + "[r");
    EXPECT_EQ(capture_output([] { term_set_scroll_region(256, 0); }), ESC + "[r");
    EXPECT_EQ(capture_output([] { screen_set_scroll_region(2, 20); }), "");
    EXPECT_EQ(scroll_top, 2);
    EXPECT_EQ(scroll_bottom, 20);
}

TEST(LineOperations, ScrollInsertAndDeleteStepByStep)
{
    screen_set_scroll_region(2, 20);
    capture_output([] { cursor_move(5, 7); });
    EXPECT_EQ(capture_output([] { screen_scroll(); }),
              ESC + "[3;21r" + cup(21, 1) + ESC + "E" + ESC + "[r" + cup(6, 8));
    EXPECT_EQ(capture_output([] { screen_insert_line(); }),
              ESC + "[6;21r" + cup(6, 1) + ESC + "[L" + ESC + "[r" + cup(6, 8));
    EXPECT_EQ(capture_output([] { screen_delete_line(); }),
              ESC + "[3;21r" + cup(6, 1) + ESC + "[M" + ESC + "[r" + cup(6, 8));
    EXPECT_EQ(cursor_row, 5);
    EXPECT_EQ(cursor_col, 7);

    // On the region's last row the insert works on the whole screen.
    capture_output([] { cursor_move(20, 0); });
    EXPECT_EQ(capture_output([] { screen_insert_line(); }),
              ESC + "[r" + cup(21, 1) + ESC + "[L" + ESC + "[r" + cup(21, 1));
    screen_set_scroll_region(0, 23);
}

TEST(Flushing, NothingArrivesBeforeAFlush)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    fflush(stdout);
    int saved = dup(1);
    dup2(fds[1], 1);
    cursor_move(3, 3);
    term_clear();
    char buf[64];
    ssize_t before = read(fds[0], buf, sizeof buf);
    term_flush();
    ssize_t after = read(fds[0], buf, sizeof buf);
    dup2(saved, 1);
    close(saved);
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(before, -1);
    ASSERT_GT(after, 0);
    EXPECT_EQ(std::string(buf, (size_t)after), cup(4, 4) + ESC + "[2J");
}
