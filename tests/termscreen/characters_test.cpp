#include <gtest/gtest.h>

#include "terminal.h"
#include "termscreen.h"

namespace {

const std::string SO = "\x0e", SI = "\x0f";

class Characters : public ::testing::Test {
protected:
    void SetUp() override
    {
        charset_state = 255;
        capture_output([] { add_char('.'); }); // insert off, G0
    }
};

} // namespace

TEST_F(Characters, FirstCharacterFromTheUnknownStateShifts)
{
    charset_state = 255;
    EXPECT_EQ(capture_output([] { add_string("ab"); add_string("ab"); }), SI + "abab");
    charset_state = 255;
    EXPECT_EQ(capture_output([] { add_char(0x98); }), SO + "x");
}

TEST_F(Characters, LineDrawingBytesGoOutInG1)
{
    EXPECT_EQ(capture_output([] { add_char(0x91); add_char('A'); }), SO + "q" + SI + "A");
    EXPECT_EQ(capture_output([] { add_char(0x9F); add_char(0x80); }), SO + "\x7f" + "`");
    EXPECT_EQ(charset_state, 1);
    EXPECT_EQ(capture_output([] { add_char(0xA0); add_char(0xFF); add_char(0x7F); }),
              SI + "\xa0\xff\x7f");
}

TEST_F(Characters, InsertModeSwitchesOnlyOnAChange)
{
    EXPECT_EQ(capture_output([] { insert_char('x'); insert_char('y'); }), "\033[4hxy");
    EXPECT_EQ(capture_output([] { add_char('z'); }), "\033[4lz");
    EXPECT_EQ(insert_state, 0);
    EXPECT_EQ(capture_output([] { term_put_char('w', 0x100); }), "w"); // low 8 bits: off
}

TEST_F(Characters, EveryByteAdvancesTheColumnAndWraps)
{
    capture_output([] { cursor_move(2, 250); });
    capture_output([] { add_string("a\n\tbcdef"); });
    EXPECT_EQ(cursor_col, (uint8_t)(250 + 8));
    EXPECT_EQ(cursor_row, 2);
}

TEST_F(Characters, WindowEntryPointsPlaceTheCursor)
{
    Window *win = win_create(3, 20, 5, 10);
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(capture_output([win] { win_move_add_char(win, 1, 2, 0x141); }), "\033[7;13HA");
    EXPECT_EQ(capture_output([win] { win_move_add_string(win, 0, 0, "hi"); }), "\033[6;11Hhi");
    EXPECT_EQ(capture_output([win] { win_add_string(win, "x"); win_add_text(win, "y");
                                     add_text("z"); win_add_char(win, 0x198); }),
              "xyz" + SO + "x");
    win_destroy(win);
}

TEST_F(Characters, PrintFormatsAndDrawsLineCharacters)
{
    Window *win = win_create(3, 20, 5, 10);
    int n = -1;
    EXPECT_EQ(capture_output([&] { n = win_print(win, 0, 1, "%d-%s", 42, "ab"); }),
              "\033[6;12H42-ab");
    EXPECT_EQ(n, 5);
    EXPECT_EQ(capture_output([&] { n = win_print(win, 2, 3, "%s", ""); }), "\033[8;14H");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(win->cur_row, 2);
    EXPECT_EQ(win->cur_col, 3);
    EXPECT_EQ(capture_output([&] { n = win_print(win, 0, 0, "%c", 0x8C); }),
              "\033[6;11H" + SO + "l");
    win_destroy(win);
}

TEST_F(Characters, OverlongPrintIsCutToTheBuffer)
{
    Window *win = win_create(3, 20, 0, 0);
    std::string longer(5000, 'x');
    int n = -1;
    std::string out = capture_output([&] { n = win_print(win, 0, 0, "%s", longer.c_str()); });
    EXPECT_EQ(n, PRINT_BUFFER_SIZE - 1);
    EXPECT_EQ(out, "\033[1;1H" + std::string(PRINT_BUFFER_SIZE - 1, 'x'));
    win_destroy(win);
}
