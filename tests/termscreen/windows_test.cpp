#include <gtest/gtest.h>

#include <limits.h>

#include "terminal.h"
#include "termscreen.h"

namespace {

std::string cup(int row1, int col1)
{
    return "\033[" + std::to_string(row1) + ";" + std::to_string(col1) + "H";
}

} // namespace

TEST(Windows, ZeroSizesReachTheScreenEdge)
{
    // The size as the library starts with it, whatever terminal a test before
    // this one measured.
    screen_rows = 24;
    screen_cols = 80;
    Window *win = win_create(0, 0, 5, 0);
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->nlines, 19);
    EXPECT_EQ(win->ncols, 80);
    EXPECT_EQ(win->end_row, 24);
    EXPECT_EQ(win->end_col, 80);
    EXPECT_EQ(win->blank, 32u);
    EXPECT_EQ(win->cur_row, 0);
    for (int i = 0; i < 19 * 80; i++)
        ASSERT_EQ(win->cells[i], 0u);
    win_destroy(win);

    win = win_create(0, 0, 0, 0);
    EXPECT_EQ(win->nlines, 24);
    EXPECT_EQ(win->ncols, 80);
    EXPECT_EQ(win->begin_row, 0);
    win_destroy(win);
}

TEST(Windows, FailedAllocationGivesNullAndLeaksNothing)
{
    // More cells than memory can hold; the record made first is released again.
    // The cell count must not wrap where size_t is 32 bits (it would be 1).
    EXPECT_EQ(win_create(INT_MAX, INT_MAX, 0, 0), nullptr);
}

TEST(Windows, OriginAndSizeWriteNothing)
{
    Window *win = win_create(3, 10, 1, 1);
    EXPECT_EQ(capture_output([win] { win_set_origin(win, 4, 6); }), "");
    EXPECT_EQ(win->end_row, 7);
    EXPECT_EQ(win->end_col, 16);
    EXPECT_EQ(capture_output([win] { win_set_size(win, 5, 20); }), "");
    EXPECT_EQ(win->nlines, 5);
    EXPECT_EQ(win->ncols, 20);
    EXPECT_EQ(win->end_row, 7); // kept from before
    EXPECT_EQ(win->end_col, 16);
    // Positions outside the window are reached as well.
    EXPECT_EQ(capture_output([win] { win_move_to(win, 10, 0); }), cup(15, 7));
    win_destroy(win);
}

TEST(Borders, DefaultLineDrawingFrame)
{
    Window *win = win_create(7, 35, 2, 3);
    charset_state = 0;
    std::string expected = "\033[0m" + cup(3, 4) + "\x0el" + std::string(33, 'q') + "k";
    for (int r = 3; r <= 7; r++)
        expected += cup(r + 1, 4) + "x" + cup(r + 1, 38) + "x";
    expected += cup(9, 4) + "m" + std::string(33, 'q') + "j";
    EXPECT_EQ(capture_output([win] { EXPECT_EQ(win_border(win, 0, 0, 0, 0, 0, 0, 0, 0), 0); }),
              expected);
    EXPECT_EQ(cursor_row, 8);
    EXPECT_EQ(cursor_col, 38);
    EXPECT_EQ(win->cur_row, 0);
    win_destroy(win);
}

TEST(Borders, OneRowWindowDrawsBothCornerPairsOnTheRow)
{
    Window *win = win_create(1, 5, 0, 0);
    charset_state = 0;
    EXPECT_EQ(capture_output([win] { win_border(win, 0, 0, 0, 0, 0, 0, 0, 0); }),
              "\033[0m" + cup(1, 1) + "\x0elqqqk" + cup(1, 1) + "mqqqj");
    win_destroy(win);
}

TEST(Borders, GivenCharactersAndTheNewSizeAtTheOldOrigin)
{
    Window *win = win_create(2, 2, 1, 1);
    win_set_size(win, 3, 4);
    charset_state = 0;
    EXPECT_EQ(capture_output([win] { win_border(win, '|', '!', '-', '_', '1', '2', '3', '4'); }),
              "\033[0m" + cup(2, 2) + "1--2" + cup(3, 2) + "|" + cup(3, 5) + "!" + cup(4, 2) +
                  "3__4");
    // A frame of spaces erases a border; the rendition is reset first whatever was set.
    std::string erase = capture_output([win] {
        term_set_attr(0x1200);
        win_border(win, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ');
    });
    EXPECT_EQ(erase, "\033[0;31;40m\033[0m" + cup(2, 2) + "    " + cup(3, 2) + " " + cup(3, 5) +
                         " " + cup(4, 2) + "    ");
    win_destroy(win);
}
