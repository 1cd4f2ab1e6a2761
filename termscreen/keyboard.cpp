// Reading keys, with ANSI/VT100 cursor and function key sequences decoded.
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "termscreen.h"
#include "termscreen_internal.h"

static_assert(KEY_SEQUENCE_FIRST + KEY_SEQUENCE_COUNT - 1 == KEY_F12, "the last sequence is F12");

// What follows ESC "[" in each sequence; the key code is 128 + the index.
const char *const key_suffixes[KEY_SEQUENCE_COUNT] = {
    "B",  "A",  "D",  "C",  "1~", "3~", "2~", "6~",  "5~",  "4~",  "Z",  "[A",
    "[B", "[C", "[D", "[E", "17~", "18~", "19~", "20~", "21~", "23~", "24~",
};

// How long a sequence may take to arrive after its ESC.
enum { SEQUENCE_WAIT_MS = 40, SUFFIX_MAX = 3 };

int term_getc(void)
{
    int c = getc_unlocked(stdin);
    if (c == EOF) {
        // No byte waiting in non-blocking mode is the usual case; end of file
        // or any other error means the terminal is gone.
        if (feof_unlocked(stdin))
            term_note_error(EIO); // a terminal reads as ended only once hung up
        else if (ferror_unlocked(stdin))
            term_note_error(errno);
        clearerr(stdin); // an empty non-blocking read is no lasting condition
        return KEY_NONE;
    }
    return c;
}

// The next byte of a sequence, or -1 when none comes in time. The stream's
// buffer is asked first: a sequence that came in one read is already there,
// where a poll on the descriptor cannot see it.
static int sequence_byte(void)
{
    int b = term_getc();
    if (b != KEY_NONE)
        return b;
    struct pollfd in = {fileno(stdin), POLLIN, 0};
    if (poll(&in, 1, SEQUENCE_WAIT_MS) <= 0)
        return -1;
    b = term_getc();
    return b == KEY_NONE ? -1 : b; // ready but empty: the input has ended
}

static int decode_suffix(const char *suffix)
{
    for (int j = 0; j < KEY_SEQUENCE_COUNT; j++)
        if (strcmp(suffix, key_suffixes[j]) == 0)
            return KEY_SEQUENCE_FIRST + j;
    return KEY_ESCAPE;
}

int key_read(void)
{
    term_flush(); // everything drawn is on the screen before any wait
    int b = term_getc();
    if (b == 127)
        return KEY_BACKSPACE; // DEL, as most terminals send for Backspace
    if (b != KEY_ESCAPE)
        return b;

    int next = sequence_byte();
    if (next < 0 || next == KEY_ESCAPE)
        return KEY_ESCAPE; // a lone Escape, or ESC ESC
    if (next != '[')
        return next; // ESC x gives x

    char suffix[SUFFIX_MAX + 1];
    int n = 0;
    while (n < SUFFIX_MAX) {
        int c = sequence_byte();
        if (c < 0)
            return KEY_ESCAPE; // cut off
        suffix[n++] = (char)c;
        if (c == '~' || (c >= 'A' && c <= 'Z'))
            break;
    }
    suffix[n] = '\0';
    return decode_suffix(suffix);
}

int win_key_read(Window *)
{
    return key_read();
}
