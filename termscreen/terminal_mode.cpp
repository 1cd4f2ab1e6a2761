// Taking the terminal and giving it back: the line discipline, the
// line-drawing set, the size, non-blocking input.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "termscreen.h"
#include "termscreen_internal.h"

constexpr int DEFAULT_ROWS = 24, DEFAULT_COLS = 80; // where the terminal tells no size
int screen_rows = DEFAULT_ROWS, screen_cols = DEFAULT_COLS;
Window *screen_window = NULL;
uint8_t nodelay_state = 0;

static struct termios saved_termios;
// Large enough for a whole frame, so output reaches the terminal only at the
// flushes the library makes, never in the middle of one.
static char output_buffer[32768];
static int saved_stdin_flags = -1; // standard input's status flags before we changed them

constexpr cc_t CHAR_OFF = 0xFF;

void screen_init(void)
{
    static int buffered = 0;
    if (!buffered) {
        setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
        buffered = 1;
    }
    int fd = fileno(stdin);
    term_open_input(fd);
    struct termios working;
    tcgetattr(fd, &saved_termios);
    tcgetattr(fd, &working);
    saved_stdin_flags = fcntl(fd, F_GETFL);

    working.c_iflag &= ~(tcflag_t)ICRNL;  // Enter arrives as 13
    working.c_oflag &= ~(tcflag_t)TABDLY; // tabs are not expanded
    working.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    // Interrupt and quit keys arrive as ordinary bytes (3 and 0x1C); ISIG stays.
    working.c_cc[VINTR] = CHAR_OFF;
    working.c_cc[VQUIT] = CHAR_OFF;
    working.c_cc[VTIME] = 0;
    working.c_cc[VMIN] = 1;
    tcsetattr(fd, TCSADRAIN, &working);

    screen_update_size(0);
    term_image_start(screen_rows, screen_cols); // update mode: drawn anew, shown unknown
    term_puts("\033)0"); // DEC Special Graphics as G1
    win_destroy(screen_window); // a restart after a size change makes a new one
    screen_window = win_create(0, 0, 0, 0);
    scroll_bottom = (uint8_t)(screen_rows - 1);
    scroll_top = 0;
    term_clear();
    cursor_move(0, 0);
}

void screen_end(void)
{
    cursor_move(screen_rows - 1, 0);
    term_puts("\033[0m");
    cursor_set_visible(1);
    term_clear_eol();
    term_putc(SHIFT_IN);
    charset_state = 0;
    term_flush();
    int fd = fileno(stdin);
    tcsetattr(fd, TCSADRAIN, &saved_termios);
    // Standard input's status flags as they came, so the next program reads
    // it as before.
    if (saved_stdin_flags >= 0)
        fcntl(fd, F_SETFL, saved_stdin_flags);
    nodelay_state = 0;
}

static void size_changed(int sig)
{
    screen_update_size(sig);
}

int screen_update_size(int)
{
    signal(SIGWINCH, size_changed); // stays installed where handlers reset on delivery
    struct winsize ws = {};
    int result = ioctl(1, TIOCGWINSZ, &ws);
    if (result != 0) {
        ws = winsize{};
        result = ioctl(0, TIOCGWINSZ, &ws);
        if (result != 0)
            ws = winsize{};
    }
    screen_rows = ws.ws_row != 0 ? ws.ws_row : DEFAULT_ROWS;
    screen_cols = ws.ws_col != 0 ? ws.ws_col : DEFAULT_COLS;
    return result;
}

void set_nodelay(int flag)
{
    uint8_t f = (uint8_t)flag;
    if (f == nodelay_state)
        return;
    int fd = fileno(stdin);
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return;
    fcntl(fd, F_SETFL, f != 0 ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
    nodelay_state = f; // the byte as given
}

int win_set_nodelay(Window *, int flag)
{
    set_nodelay(flag & 0xFF);
    return 0;
}

int screen_noop_1(void) { return 0; }
int screen_noop_2(void) { return 0; }
int screen_noop_3(void) { return 0; }
int win_noop_1(Window *, int) { return 0; }
int win_noop_2(Window *, int) { return 0; }

// The default colour (-1) may be used in colour pairs.
int colors_allow_default(void) { return 0; }
