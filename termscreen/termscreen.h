/*
 * termscreen: a small terminal screen library (windows, attributes and colour
 * pairs, line-drawing borders, raw keyboard input and key decoding).
 *
 * By default it keeps no off-screen image: every operation writes its
 * ANSI/VT100 control sequences at once to the buffered standard output,
 * which reaches the terminal at term_flush (win_refresh, key_read and
 * screen_end flush too). In update mode (term_set_update_mode) the same
 * sequences draw into an image of the screen instead, and each flush writes
 * only the cells that differ from what the terminal shows: for a serial line
 * or a slow link. The terminal then shows what the default mode would have
 * made it show (a character taken as one column wide).
 * Coordinates are 0-based and reach the terminal as 8-bit values (0..254).
 * Operations return 0 for success and TERM_REJECTED (255) for a rejected
 * argument; I/O errors are not reported, but term_gone tells when the
 * terminal has gone.
 *
 * Sequences written (ESC = 0x1B; r, c, t, b are 1-based decimals of the low
 * 8 bits of row, column, top and bottom; nothing else is ever written):
 *   CUP      ESC [ r ; c H      cursor_move, term_goto, win_move_to and every
 *                               win_move_add_*, win_print, win_border
 *   DECTCEM  ESC [ ? 2 5 h / l  cursor_set_visible (1 shows, 0 hides)
 *   ED       ESC [ 2 J          term_clear, win_clear, screen_clear, screen_init
 *   ED       ESC [ J            term_clear_eos
 *   EL       ESC [ K            term_clear_eol, screen_end
 *   DCH      ESC [ P            term_delete_char
 *   DECSTBM  ESC [ t ; b r      screen_scroll, screen_insert_line,
 *                               screen_delete_line (ESC [ r resets the region)
 *   NEL      ESC E              screen_scroll, at the region's bottom line
 *   IL / DL  ESC [ L / ESC [ M  screen_insert_line / screen_delete_line
 *   IRM      ESC [ 4 h / l      term_put_char: insert mode on / off, on a change
 *   SGR      ESC [ 0 m          screen_end, win_border (borders in the default
 *                               rendition)
 *   SGR      ESC [ 0 {;3f} {;4b} {;7} {;4} {;5} {;1} {;2} m
 *                               term_set_attr, win_set_attr: foreground f and
 *                               background b (0..7), reverse, underline,
 *                               blink, bold, dim, in this order
 *   SCS      ESC ) 0            screen_init: DEC Special Graphics as G1
 *   SO / SI  0x0E / 0x0F        term_put_char: G1 for bytes 0x80..0x9F (sent
 *                               as 0x60..0x7F), G0 for all others, on a change;
 *                               screen_end ends on SI
 * In update mode a flush writes CUP, SGR, SO / SI, DECTCEM, IRM off and the
 * characters of changed cells, CUF (ESC [ n C) to move right along a row,
 * and, first after screen_init, SCS, SGR 0, ED 2 and IRM off.
 *
 * Sequences decoded by key_read after ESC [ (the rest may take up to 40 ms to
 * arrive); the code is KEY_SEQUENCE_FIRST + the index in key_suffixes:
 *   B  KEY_DOWN     A  KEY_UP        D  KEY_LEFT      C  KEY_RIGHT
 *   1~ KEY_HOME     3~ KEY_DELETE    2~ KEY_INSERT    6~ KEY_PAGE_DOWN
 *   5~ KEY_PAGE_UP  4~ KEY_END       Z  KEY_BACK_TAB
 *   [A KEY_F1  [B KEY_F2  [C KEY_F3  [D KEY_F4  [E KEY_F5   (Linux console)
 *   17~ KEY_F6  18~ KEY_F7  19~ KEY_F8  20~ KEY_F9  21~ KEY_F10
 *   23~ KEY_F11  24~ KEY_F12
 * Other keys: each byte as it comes (0..254); DEL (127) as KEY_BACKSPACE (8);
 * ESC ESC, a lone ESC and an unknown sequence as KEY_ESCAPE (27); ESC x as x;
 * KEY_NONE (255) when no byte is waiting (or a byte 0xFF came).
 */
#ifndef TERMSCREEN_H
#define TERMSCREEN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A rectangle of the terminal screen. Drawing goes straight to the terminal;
 * a window only turns window positions into screen positions and frames a
 * rectangle with a border. */
typedef struct Window {
    int16_t cur_row;   /* cursor inside the window, as set by win_move_to */
    int16_t cur_col;
    int16_t ncols;     /* width in columns */
    int16_t nlines;    /* height in rows */
    int16_t begin_row; /* screen position of the top-left cell */
    int16_t begin_col;
    int16_t end_col;   /* begin_col + ncols */
    int16_t end_row;   /* begin_row + nlines */
    uint32_t blank;    /* the blank character, a space */
    uint32_t *cells;   /* nlines x ncols cells, zero-filled; not read by the library */
} Window;

/* Attribute word: style bits 0..4, foreground colour + 1 in bits 8..11,
 * background colour + 1 in bits 12..15 (0: the terminal's default); only
 * its low 16 bits are sent. */
#define ATTR_FG_SHIFT 8
#define ATTR_BG_SHIFT 12
#define ATTR_COLOUR_MASK 0xFu /* one colour nibble, after its shift */
#define ATTR_WORD_MASK 0xFFFFu
enum {
    ATTR_UNDERLINE = 0x0001,
    ATTR_REVERSE = 0x0002,
    ATTR_BLINK = 0x0004,
    ATTR_BOLD = 0x0008,
    ATTR_DIM = 0x0010
};

/* Colours: 0 black, 1 red, 2 green, 3 yellow, 4 blue, 5 magenta, 6 cyan,
 * 7 white, -1 the terminal's default. */
#define COLOR_PAIR_COUNT 256

/* The result of an operation that rejects its argument. */
#define TERM_REJECTED 255

/* Key codes from key_read: bytes as read, DEL as 8, escape sequences as
 * 128 + their index in key_suffixes, KEY_NONE when no byte was there. */
enum {
    KEY_BACKSPACE = 8,
    KEY_ESCAPE = 27,
    KEY_SEQUENCE_FIRST = 128,
    KEY_DOWN = 128,
    KEY_UP = 129,
    KEY_LEFT = 130,
    KEY_RIGHT = 131,
    KEY_HOME = 132,
    KEY_DELETE = 133,
    KEY_INSERT = 134,
    KEY_PAGE_DOWN = 135,
    KEY_PAGE_UP = 136,
    KEY_END = 137,
    KEY_BACK_TAB = 138,
    KEY_F1 = 139,
    KEY_F2 = 140,
    KEY_F3 = 141,
    KEY_F4 = 142,
    KEY_F5 = 143,
    KEY_F6 = 144,
    KEY_F7 = 145,
    KEY_F8 = 146,
    KEY_F9 = 147,
    KEY_F10 = 148,
    KEY_F11 = 149,
    KEY_F12 = 150,
    KEY_SEQUENCE_COUNT = 23,
    KEY_NONE = 255
};

#define PRINT_BUFFER_SIZE 4096

/* Library state, process-global. */
extern uint8_t cursor_row, cursor_col;      /* where the library last put the cursor */
extern uint8_t scroll_top, scroll_bottom;   /* the remembered scroll region */
extern uint32_t color_pairs[COLOR_PAIR_COUNT];
extern uint8_t charset_state;               /* 0 G0, 1 G1 (line drawing), 255 unknown */
extern uint8_t insert_state;                /* 0 replace, 1 insert */
extern char print_buffer[PRINT_BUFFER_SIZE];
extern int screen_rows, screen_cols;
extern Window *screen_window;               /* the whole screen, made by screen_init */
extern uint8_t nodelay_state;
extern const char *const key_suffixes[KEY_SEQUENCE_COUNT];

/* Output stream, escape sequences and cursor motion. Nothing here checks
 * for errors or flushes; results not named are 0 and carry nothing. */

/* Writes the low 8 bits of ch to the buffered standard output; libc's
 * result (the byte, or EOF). */
int term_putc(int ch);
/* Writes the bytes of the NUL-terminated s as they are; 0. */
int term_puts(const char *s);
/* Writes the low 8 bits of n as one to three decimal digits. */
void term_put_decimal(int n);
/* Writes CUP to (row, col), 0-based; the remembered cursor stays. */
void term_goto(int row, int col);
/* Remembers (row, col) in cursor_row and cursor_col, then writes CUP there. */
void cursor_move(int row, int col);
/* Writes DECTCEM: shows the cursor when the low 8 bits of flag are non-zero,
 * hides it otherwise. */
void cursor_set_visible(int flag);
/* Writes DCH: deletes the character under the cursor. */
int term_delete_char(void);
/* Writes EL: erases from the cursor to the end of the line. */
int term_clear_eol(void);
/* Writes ED: erases from the cursor to the end of the screen. */
int term_clear_eos(void);
/* Writes ED 2: erases the whole screen; the cursor does not move. */
int term_clear(void);
/* As term_clear: the whole terminal, whatever window is named. */
int win_clear(Window *win);
/* As term_clear. */
int screen_clear(void);
/* Remembers the scroll region (rows top to bottom) for the line operations
 * below; writes nothing. */
void screen_set_scroll_region(int top, int bottom);
/* Writes DECSTBM for rows top to bottom, or ESC [ r (the whole screen) when
 * the two are equal. */
void term_set_scroll_region(int top, int bottom);
/* Scrolls the remembered region up a line (NEL on its bottom line), then
 * resets the region and puts the cursor back. */
void screen_scroll(void);
/* Opens a blank line at the cursor row (IL), pushing the rows below down to
 * the region's bottom; then resets the region and puts the cursor back. */
void screen_insert_line(void);
/* Removes the cursor row (DL) within the region, pulling the rows below up;
 * then resets the region and puts the cursor back. */
void screen_delete_line(void);

/* Attributes and colour pairs. */

/* Defines colour pair index (1..255) as foreground fg and background bg
 * (0..7, -1 the default); 0, or TERM_REJECTED for another index (pair 0 is
 * fixed). Writes nothing: output already drawn keeps its colours. */
int pair_init(int index, int fg, int bg);
/* Stores the colours of pair index (0..255) through fg and bg (a default
 * colour as 0); 0, or TERM_REJECTED for an index above 255. */
int pair_content(int index, short *fg, short *bg);
/* Writes the SGR sequence of the attribute word's low 16 bits; it replaces
 * the rendition of everything written after it, in every window. */
void term_set_attr(int attr);
/* As term_set_attr; the window is not read; 0. */
int win_set_attr(Window *win, int attr);

/* Characters and strings; bytes 0x80..0x9F are DEC Special Graphics. Text
 * goes where the terminal's cursor is; a window only places the cursor. */

/* Writes one character: SI or SO when the character set changes, IRM when
 * the insert mode (insert non-zero) changes, then the byte; moves
 * cursor_col on by one. The result of the byte's write. */
int term_put_char(int ch, int insert);
/* term_put_char with insert mode off. */
int add_char(int ch);
/* term_put_char with insert mode on: the rest of the line moves right. */
int insert_char(int ch);
/* add_char of the low 8 bits of ch; the window is not read. */
int win_add_char(Window *win, int ch);
/* Writes every byte of s with add_char; 0. */
int add_string(const char *s);
/* As add_string. */
int add_text(const char *s);
/* As add_string; the window is not read. */
int win_add_string(Window *win, const char *s);
/* As add_string; the window is not read. */
int win_add_text(Window *win, const char *s);
/* win_move_to (row, col) of the window, then add_char of the low 8 bits of ch. */
int win_move_add_char(Window *win, int row, int col, int ch);
/* win_move_to (row, col) of the window, then add_string of s; 0. */
int win_move_add_string(Window *win, int row, int col, const char *s);
/* win_move_to (row, col), then the printf-formatted text, cut to
 * PRINT_BUFFER_SIZE - 1 bytes, through win_add_char; the bytes written. */
int win_print(Window *win, int row, int col, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

/* Windows and borders. */

/* A new window of nlines x ncols at (begin_row, begin_col); a size of 0
 * reaches the screen's edge, so four zeros cover the screen. Writes nothing.
 * Null when memory runs out or the size cannot be held. */
Window *win_create(int nlines, int ncols, int begin_row, int begin_col);
/* Frees a window from win_create (null is allowed). Writes nothing. */
void win_destroy(Window *win);
/* Moves the window's origin; what was drawn at the old place stays. */
void win_set_origin(Window *win, int row, int col);
/* Sets the window's size; nothing is drawn or erased. */
void win_set_size(Window *win, int nlines, int ncols);
/* Sets the window's cursor and writes CUP to the origin plus (row, col),
 * inside the window or not; 0. */
int win_move_to(Window *win, int row, int col);
/* Writes SGR 0, then the border on the window's outermost cells, row by row
 * from the top. The arguments are the left, right, top and bottom sides and
 * the top-left, top-right, bottom-left and bottom-right corners; a 0 takes
 * the line-drawing default (x, x, q, q, l, k, m, j). 0. */
int win_border(Window *win, int ls, int rs, int ts, int bs, int tl, int tr, int bl, int br);
/* Writes the buffered output to the terminal (in update mode, first what
 * changed); fflush's result. A failed flush that is not a passing condition
 * marks the terminal gone. */
int term_flush(void);
/* Update mode on (non-zero) or off (0, the default); best set before
 * screen_init. Each screen_init then starts from what it draws, the terminal
 * taken as unknown, so its first flush writes the whole screen. Where the
 * images' memory cannot be had, the default mode goes on. */
void term_set_update_mode(int on);
/* Whether update mode is on. */
int term_update_mode(void);
/* term_flush, whatever window is named; 0. */
int win_refresh(Window *win);

/* Terminal mode, size and shutdown. */

/* Takes the terminal: a 32 KiB output buffer, keys through a private open
 * file of the terminal on standard input, byte-at-a-time input without echo,
 * CR kept, tabs not expanded, the interrupt and quit keys as plain bytes;
 * writes SCS (line drawing as G1), reads the size, makes screen_window,
 * writes ED 2 and CUP to (0, 0). Clears term_gone. */
void screen_init(void);
/* Gives the terminal back: CUP to the last row, SGR 0, cursor shown, EL, SI,
 * a flush, the saved terminal settings and input flags restored. */
void screen_end(void);
/* Reads the size into screen_rows and screen_cols (24 x 80 where the
 * terminal tells none) and keeps itself installed for SIGWINCH; the ioctl's
 * result. Safe in a signal handler: it writes nothing. */
int screen_update_size(int sig);
/* Makes key reads return at once (flag non-zero) or wait for a key. */
void set_nodelay(int flag);
/* set_nodelay of the low 8 bits of flag; the window is not read; 0. */
int win_set_nodelay(Window *win, int flag);
/* Do nothing and return 0: kept for programs written against the calls of
 * other screen libraries. */
int screen_noop_1(void);
int screen_noop_2(void);
int screen_noop_3(void);
int win_noop_1(Window *win, int flag);
int win_noop_2(Window *win, int flag);
/* Pairs may use the default colour (-1); 0. */
int colors_allow_default(void);

/* Keyboard input. */

/* Nonzero once the terminal has gone: a read met end of file or an I/O error,
 * or a flush failed (a hung-up terminal answers EIO). screen_init clears it. */
int term_gone(void);
/* One byte from standard input, or KEY_NONE when none is waiting. */
int term_getc(void);
/* Flushes the output, then reads one key (see the decoded sequences above):
 * a byte, a key code, or KEY_NONE. */
int key_read(void);
/* As key_read; the window is not read. */
int win_key_read(Window *win);

#ifdef __cplusplus
}
#endif

#endif
