/*
 * termscreen: a small terminal screen library (windows, attributes and colour
 * pairs, line-drawing borders, raw keyboard input and key decoding).
 *
 * It keeps no off-screen image: every operation writes its ANSI/VT100 control
 * sequences at once to the buffered standard output, which reaches the
 * terminal at term_flush (win_refresh, key_read and screen_end flush too).
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
 * background colour + 1 in bits 12..15 (0: the terminal's default). */
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

/* Output stream, escape sequences and cursor motion. */
int term_putc(int ch);
int term_puts(const char *s);
void term_put_decimal(int n);
void term_goto(int row, int col);
void cursor_move(int row, int col);
void cursor_set_visible(int flag);
int term_delete_char(void);
int term_clear_eol(void);
int term_clear_eos(void);
int term_clear(void);
int win_clear(Window *win);
int screen_clear(void);
void screen_set_scroll_region(int top, int bottom);
void term_set_scroll_region(int top, int bottom);
void screen_scroll(void);
void screen_insert_line(void);
void screen_delete_line(void);

/* Attributes and colour pairs. */
int pair_init(int index, int fg, int bg);
int pair_content(int index, short *fg, short *bg);
void term_set_attr(int attr);
int win_set_attr(Window *win, int attr);

/* Characters and strings; bytes 0x80..0x9F are DEC Special Graphics. */
int term_put_char(int ch, int insert);
int add_char(int ch);
int insert_char(int ch);
int win_add_char(Window *win, int ch);
int add_string(const char *s);
int add_text(const char *s);
int win_add_string(Window *win, const char *s);
int win_add_text(Window *win, const char *s);
int win_move_add_char(Window *win, int row, int col, int ch);
int win_move_add_string(Window *win, int row, int col, const char *s);
int win_print(Window *win, int row, int col, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

/* Windows and borders. */
Window *win_create(int nlines, int ncols, int begin_row, int begin_col);
void win_destroy(Window *win);
void win_set_origin(Window *win, int row, int col);
void win_set_size(Window *win, int nlines, int ncols);
int win_move_to(Window *win, int row, int col);
int win_border(Window *win, int ls, int rs, int ts, int bs, int tl, int tr, int bl, int br);
int term_flush(void);
int win_refresh(Window *win);

/* Terminal mode, size and shutdown. */
void screen_init(void);
void screen_end(void);
int screen_update_size(int sig);
void set_nodelay(int flag);
int win_set_nodelay(Window *win, int flag);
int screen_noop_1(void);
int screen_noop_2(void);
int screen_noop_3(void);
int win_noop_1(Window *win, int flag);
int win_noop_2(Window *win, int flag);
int colors_allow_default(void);

/* Keyboard input. */
/* Nonzero once the terminal has gone: a read met end of file or an I/O error,
 * or a flush failed (a hung-up terminal answers EIO). screen_init clears it. */
int term_gone(void);
int term_getc(void);
int key_read(void);
int win_key_read(Window *win);

#ifdef __cplusplus
}
#endif

#endif
