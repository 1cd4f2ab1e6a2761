// The one character writer, with the line-drawing set and insert mode
// switched only on a change, and the string and formatted writers over it.
#include <stdarg.h>
#include <stdio.h>

#include "termscreen.h"
#include "termscreen_internal.h"

uint8_t charset_state = 255;
uint8_t insert_state = 0;
char print_buffer[PRINT_BUFFER_SIZE];


int term_put_char(int ch, int insert)
{
    uint8_t c = (uint8_t)ch;
    if (c >= 0x80 && c <= 0x9F) {
        if (charset_state != 1) {
            term_putc(SHIFT_OUT);
            charset_state = 1;
        }
        c = (uint8_t)(c - 0x20); // 0x60..0x7F in DEC Special Graphics
    } else if (charset_state != 0) {
        term_putc(SHIFT_IN); // also from the unknown state
        charset_state = 0;
    }
    if ((uint8_t)insert != 0) {
        if (insert_state == 0) {
            term_puts("\033[4h");
            insert_state = 1;
        }
    } else if (insert_state != 0) {
        term_puts("\033[4l");
        insert_state = 0;
    }
    int result = term_putc(c);
    cursor_col++; // 8-bit: wraps at 256; line wrap at the margin is not followed
    return result;
}

int add_char(int ch)
{
    return term_put_char(ch, 0);
}

int insert_char(int ch)
{
    return term_put_char(ch, 1);
}

int win_add_char(Window *, int ch)
{
    return add_char(ch & 0xFF);
}

int add_string(const char *s)
{
    while (*s != '\0')
        term_put_char((unsigned char)*s++, 0);
    return 0;
}

int add_text(const char *s)
{
    return add_string(s);
}

int win_add_string(Window *, const char *s)
{
    return add_string(s);
}

int win_add_text(Window *, const char *s)
{
    return add_string(s);
}

int win_move_add_char(Window *win, int row, int col, int ch)
{
    win_move_to(win, row, col);
    return add_char(ch & 0xFF);
}

int win_move_add_string(Window *win, int row, int col, const char *s)
{
    win_move_to(win, row, col);
    add_string(s);
    return 0;
}

int win_print(Window *win, int row, int col, const char *fmt, ...)
{
    win_move_to(win, row, col);
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(print_buffer, sizeof print_buffer, fmt, args);
    va_end(args);
    // A longer text is cut to the buffer; the count is of the bytes written.
    if (n < 0)
        n = 0;
    if (n > (int)sizeof print_buffer - 1)
        n = (int)sizeof print_buffer - 1;
    for (int i = 0; i < n; i++)
        win_add_char(win, (unsigned char)print_buffer[i]);
    return n;
}
