// The byte writer, the control-sequence vocabulary, cursor motion and the
// remembered scroll region.
#include <stdio.h>

#include "termscreen.h"
#include "termscreen_internal.h"

uint8_t cursor_row = 0, cursor_col = 0;
uint8_t scroll_top = 0, scroll_bottom = 23;

int term_putc(int ch)
{
    if (term_update_mode())
        return term_image_feed(ch);
    return putc_unlocked((unsigned char)ch, stdout);
}

int term_puts(const char *s)
{
    while (*s != '\0')
        term_putc(*s++);
    return 0;
}

// Coordinates reach the terminal as 8 bits: 256 goes out as 0. Positions
// past 254 are not usable, and the clock never needs them. Written digit by
// digit: cursor motion is most of what the clock writes.
void term_decimal_text(int n, char text[4])
{
    unsigned v = (uint8_t)n;
    char *t = text;
    if (v >= 100)
        *t++ = (char)('0' + v / 100);
    if (v >= 10)
        *t++ = (char)('0' + v / 10 % 10);
    *t++ = (char)('0' + v % 10);
    *t = '\0';
}

void term_put_decimal(int n)
{
    char text[4];
    term_decimal_text(n, text);
    term_puts(text);
}

void term_write_position(int row, int col, int (*put)(const char *))
{
    // The 1-based numbers are 8-bit too: row 255 would go out as 0.
    char text[4];
    put("\033[");
    term_decimal_text((uint8_t)(row + 1), text);
    put(text);
    put(";");
    term_decimal_text((uint8_t)(col + 1), text);
    put(text);
    put("H");
}

void term_goto(int row, int col)
{
    term_write_position(row, col, term_puts);
}

void cursor_move(int row, int col)
{
    cursor_row = (uint8_t)row;
    cursor_col = (uint8_t)col;
    term_goto(row, col);
}

void cursor_set_visible(int flag)
{
    term_puts("\033[?25");
    term_putc((uint8_t)flag != 0 ? 'h' : 'l');
}

int term_delete_char(void)
{
    term_puts("\033[P");
    return 0;
}

int term_clear_eol(void)
{
    term_puts("\033[K");
    return 0;
}

int term_clear_eos(void)
{
    term_puts("\033[J");
    return 0;
}

int term_clear(void)
{
    term_puts("\033[2J");
    return 0;
}

int win_clear(Window *)
{
    return term_clear(); // the whole terminal, whatever window is named
}

int screen_clear(void)
{
    return term_clear();
}

void screen_set_scroll_region(int top, int bottom)
{
    scroll_top = (uint8_t)top;
    scroll_bottom = (uint8_t)bottom;
}

void term_set_scroll_region(int top, int bottom)
{
    // Equal top and bottom reset the region: a one-line region is never sent.
    if ((uint8_t)top == (uint8_t)bottom) {
        term_puts("\033[r");
        return;
    }
    term_puts("\033[");
    term_put_decimal(top + 1);
    term_putc(';');
    term_put_decimal(bottom + 1);
    term_putc('r');
}

void screen_scroll(void)
{
    term_set_scroll_region(scroll_top, scroll_bottom);
    term_goto(scroll_bottom, 0);
    term_puts("\033E");
    term_set_scroll_region(0, 0);
    term_goto(cursor_row, cursor_col);
}

void screen_insert_line(void)
{
    // The region runs from the cursor row, so the rows above it stay.
    term_set_scroll_region(cursor_row, scroll_bottom);
    term_goto(cursor_row, 0);
    term_puts("\033[L");
    term_set_scroll_region(0, 0);
    term_goto(cursor_row, cursor_col);
}

void screen_delete_line(void)
{
    term_set_scroll_region(scroll_top, scroll_bottom);
    term_goto(cursor_row, 0);
    term_puts("\033[M");
    term_set_scroll_region(0, 0);
    cursor_move(cursor_row, cursor_col);
}
