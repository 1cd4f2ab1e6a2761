// The big block digits and the layout of the clock and date windows.
#include <string.h>

#include "clock.h"

// 5 rows of 3 cells a digit, top row first; 1 is lit.
const unsigned char digit_cells[10][15] = {
    {1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 1}, // 0
    {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}, // 1
    {1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1}, // 2
    {1, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1}, // 3
    {1, 0, 1, 1, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 1}, // 4
    {1, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1, 1}, // 5
    {1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1}, // 6
    {1, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}, // 7
    {1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1}, // 8
    {1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1}, // 9
};

enum { CELL_WIDTH = 2, DIGIT_WIDTH = 6 };

static void set_pair(Window *win, int pair)
{
    win_set_attr(win, (int)color_pairs[pair]);
}

void clock_draw_digit(int n, int top, int left)
{
    Window *win = clock_state->clock_win;
    int c = left, line = top;
    // Each cell is two columns wide: 30 steps of one column for 15 cells.
    for (int s = 0; s < 15 * CELL_WIDTH; s++) {
        int lit = digit_cells[n][s / CELL_WIDTH];
        if (c == left + DIGIT_WIDTH) {
            c = left;
            line++;
        }
        set_pair(win, lit ? PAIR_LIT : PAIR_BLANK);
        win_move_add_char(win, line, c, ' ');
        c++;
    }
    win_refresh(win);
}

static void draw_colon(int col)
{
    Window *win = clock_state->clock_win;
    set_pair(win, PAIR_LIT);
    win_move_add_string(win, 2, col, "  ");
    win_move_add_string(win, 4, col, "  ");
}

void clock_draw()
{
    ClockState *cs = clock_state;
    clock_draw_digit(cs->hour_tens, 1, 1);
    clock_draw_digit(cs->hour_units, 1, 8);
    draw_colon(16);
    clock_draw_digit(cs->minute_tens, 1, 20);
    clock_draw_digit(cs->minute_units, 1, 27);
    // The date is drawn as it stands: a percent sign is just a character here.
    set_pair(cs->date_win, PAIR_DATE);
    win_move_add_string(cs->date_win, 1, 1, cs->date_text);
    win_refresh(cs->date_win);
    if (cs->show_seconds) {
        draw_colon(35);
        clock_draw_digit(cs->second_tens, 1, 39);
        clock_draw_digit(cs->second_units, 1, 46);
    }
}

void clock_date_place(int *row, int *col, int *lines, int *cols)
{
    const ClockState *cs = clock_state;
    int length = (int)strlen(cs->date_text);
    *row = cs->row + cs->height - 1;
    *col = cs->col + cs->width / 2 - length / 2 - 1;
    *lines = 3;
    *cols = length + 2;
}

static void border(Window *win, int ch)
{
    win_border(win, ch, ch, ch, ch, ch, ch, ch, ch);
}

static void draw_borders(int ch)
{
    border(clock_state->date_win, ch);
    border(clock_state->clock_win, ch);
}

void clock_place(int row, int col, int width, int height)
{
    ClockState *cs = clock_state;
    set_pair(cs->clock_win, PAIR_BLANK);
    border(cs->clock_win, ' ');
    set_pair(cs->date_win, PAIR_BLANK);
    border(cs->date_win, ' ');
    // Two clears, one a window: each clears the whole terminal, so the second
    // is redundant, but it is part of the bytes the clock has always written.
    win_clear(cs->clock_win);
    win_clear(cs->date_win);
    win_refresh(cs->clock_win);
    win_refresh(cs->date_win);

    cs->col = col;
    cs->row = row;
    win_set_origin(cs->clock_win, cs->row, cs->col);
    cs->width = width;
    cs->height = height;
    win_set_size(cs->clock_win, cs->height, cs->width);
    int date_row, date_col, lines, cols;
    clock_date_place(&date_row, &date_col, &lines, &cols);
    win_set_origin(cs->date_win, date_row, date_col);
    win_set_size(cs->date_win, lines, cols);
    if (cs->boxed)
        draw_borders(0);
    win_refresh(cs->date_win);
    win_refresh(cs->clock_win);
}

void clock_set_box(int on)
{
    ClockState *cs = clock_state;
    cs->boxed = on;
    set_pair(cs->clock_win, PAIR_BLANK);
    set_pair(cs->date_win, PAIR_BLANK);
    draw_borders(on ? 0 : ' ');
    win_refresh(cs->date_win);
    win_refresh(cs->clock_win);
}

void clock_set_center(int on)
{
    ClockState *cs = clock_state;
    cs->centered = on;
    if (!on)
        return;
    clock_place(screen_rows / 2 - cs->height / 2, screen_cols / 2 - cs->width / 2, cs->width,
                cs->height);
}

void clock_toggle_seconds()
{
    ClockState *cs = clock_state;
    cs->show_seconds = !cs->show_seconds;
    int width = cs->show_seconds ? CLOCK_WIDTH_SECONDS : CLOCK_WIDTH;
    // Pulled left to fit; no lower limit, so a narrow terminal makes it negative.
    int col = cs->col;
    int limit = screen_cols - width - 1;
    if (col > limit)
        col = limit;
    clock_place(cs->row, col, width, cs->height);
    clock_set_center(cs->centered);
}
