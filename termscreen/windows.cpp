// Windows: rectangles of the screen that place the cursor and carry a border.
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>

#include "termscreen.h"

static_assert(offsetof(Window, cur_row) == 0 && offsetof(Window, end_row) == 14,
              "eight 16-bit geometry fields first");
static_assert(offsetof(Window, blank) == 16, "the blank follows the geometry");

enum {
    LINE_VERTICAL = 0x98,
    LINE_HORIZONTAL = 0x91,
    CORNER_UPPER_LEFT = 0x8C,
    CORNER_UPPER_RIGHT = 0x8B,
    CORNER_LOWER_LEFT = 0x8D,
    CORNER_LOWER_RIGHT = 0x8A
};

Window *win_create(int nlines, int ncols, int begin_row, int begin_col)
{
    if (nlines == 0)
        nlines = screen_rows - begin_row;
    if (ncols == 0)
        ncols = screen_cols - begin_col;
    Window *win = (Window *)calloc(1, sizeof *win);
    if (win == NULL)
        return NULL;
    size_t count = 1;
    // With a 32-bit size_t the product of two large sizes wraps to a small
    // one: such a window cannot be had on any platform.
    if (nlines > 0 && ncols > 0 && __builtin_mul_overflow((size_t)nlines, (size_t)ncols, &count)) {
        free(win);
        return NULL;
    }
    win->cells = (uint32_t *)calloc(count, sizeof *win->cells);
    if (win->cells == NULL) {
        free(win);
        return NULL;
    }
    win->cur_row = 0;
    win->cur_col = 0;
    win->ncols = (int16_t)ncols;
    win->nlines = (int16_t)nlines;
    win->begin_row = (int16_t)begin_row;
    win->begin_col = (int16_t)begin_col;
    win->end_col = (int16_t)(begin_col + ncols);
    win->end_row = (int16_t)(begin_row + nlines);
    win->blank = ' ';
    return win;
}

void win_destroy(Window *win)
{
    if (win == NULL)
        return;
    free(win->cells);
    free(win);
}

void win_set_origin(Window *win, int row, int col)
{
    win->begin_row = (int16_t)row;
    win->begin_col = (int16_t)col;
    win->end_col = (int16_t)(col + win->ncols);
    win->end_row = (int16_t)(row + win->nlines);
}

void win_set_size(Window *win, int nlines, int ncols)
{
    // end_col, end_row and the cells keep their old values.
    win->nlines = (int16_t)nlines;
    win->ncols = (int16_t)ncols;
}

int win_move_to(Window *win, int row, int col)
{
    win->cur_row = (int16_t)row;
    win->cur_col = (int16_t)col;
    cursor_move(win->begin_row + row, win->begin_col + col);
    return 0;
}

static void border_row(int row, int col, int count, int left, int middle, int right)
{
    cursor_move(row, col);
    add_char(left);
    for (int i = 0; i < count; i++)
        add_char(middle);
    add_char(right);
}

int win_border(Window *win, int ls, int rs, int ts, int bs, int tl, int tr, int bl, int br)
{
    ls = ls ? ls : LINE_VERTICAL;
    rs = rs ? rs : LINE_VERTICAL;
    ts = ts ? ts : LINE_HORIZONTAL;
    bs = bs ? bs : LINE_HORIZONTAL;
    tl = tl ? tl : CORNER_UPPER_LEFT;
    tr = tr ? tr : CORNER_UPPER_RIGHT;
    bl = bl ? bl : CORNER_LOWER_LEFT;
    br = br ? br : CORNER_LOWER_RIGHT;

    // Borders are always drawn, and left, in the default rendition.
    term_puts("\033[0m");
    int top = win->begin_row, left = win->begin_col;
    int inner_cols = win->ncols - 2, inner_rows = win->nlines - 2; // signed: may be <= 0
    border_row(top, left, inner_cols, tl, ts, tr);
    for (int r = 0; r < inner_rows; r++) {
        cursor_move(top + 1 + r, left);
        add_char(ls);
        cursor_move(top + 1 + r, left + win->ncols - 1);
        add_char(rs);
    }
    border_row(top + win->nlines - 1, left, inner_cols, bl, bs, br);
    return 0;
}

int win_refresh(Window *)
{
    term_flush();
    return 0;
}
