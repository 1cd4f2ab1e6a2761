// Update mode: what the program drew and what the terminal shows, kept side
// by side, and a flush that writes only the cells that differ.
//
// Every byte the library's operations write is read here, as a terminal
// would read it, into the drawn image: the library's own vocabulary of
// sequences (the list in termscreen.h), with a terminal's autowrap and the
// line-drawing set. A flush then brings the terminal from the shown image to
// the drawn one, cell by cell, with the cheapest of a cursor position, a
// forward move or the unchanged cells written again, and leaves the
// cursor, its visibility, the rendition and the character set as drawn.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "termscreen.h"
#include "termscreen_internal.h"

namespace {

// One character cell: its bytes (one, or a UTF-8 sequence taken as one
// column), whether they are line drawing, and the rendition as an
// attribute word.
struct Cell {
    uint8_t bytes[4];
    uint8_t length;
    uint8_t graphics;
    uint16_t attr;
};
static_assert(sizeof(Cell) == 8, "cells compare as 8 bytes, no padding");

constexpr Cell BLANK = {{' ', 0, 0, 0}, 1, 0, 0};
constexpr int IMAGE_MAX = 255; // coordinates reach the terminal as 8 bits

// What a terminal's state holds beside its cells.
struct Modes {
    int row, col;
    int wrap_pending; // the last column was written: the next character wraps
    uint16_t attr;
    int shifted;      // SO: G1 in use
    int g1_graphics;  // G1 designated as the line-drawing set
    int insert;
    int cursor_visible;
    int top, bottom;  // the scroll region
};

struct Image {
    int rows, cols;
    Cell *cells;
    Modes modes;
    uint8_t changed[IMAGE_MAX]; // a row whose cells may differ from the terminal's
};

int update_on = 0;
Image drawn, shown;
int shown_known = 0; // the terminal's cells and modes are those of `shown`

// The parser of the drawn stream.
enum ParseState { GROUND, ESCAPE, CSI, DESIGNATE };
ParseState parse_state = GROUND;
int params[8];
int param_count = 0;
int private_mode = 0;
Cell pending_char; // a UTF-8 sequence being read
int pending_left = 0;

Cell *cell_at(Image *image, int row, int col)
{
    return &image->cells[row * image->cols + col];
}

int image_size(Image *image, int rows, int cols)
{
    rows = rows < 1 ? 1 : rows > IMAGE_MAX ? IMAGE_MAX : rows;
    cols = cols < 1 ? 1 : cols > IMAGE_MAX ? IMAGE_MAX : cols;
    Cell *cells = (Cell *)realloc(image->cells, sizeof(Cell) * (size_t)(rows * cols));
    if (cells == nullptr)
        return -1;
    image->cells = cells;
    image->rows = rows;
    image->cols = cols;
    for (int i = 0; i < rows * cols; i++)
        cells[i] = BLANK;
    image->modes = {0, 0, 0, 0, 0, 0, 0, 1, 0, rows - 1};
    memset(image->changed, 1, sizeof image->changed);
    return 0;
}

// Cells from (row, col) for count cells, row-major, to blanks of the
// rendition: erased cells take it, as the terminal's do.
void erase(Image *image, int row, int col, int count, uint16_t attr)
{
    Cell blank = BLANK;
    blank.attr = attr;
    for (int i = row * image->cols + col, end = i + count; i < end; i++)
        image->cells[i] = blank;
    if (count > 0)
        memset(image->changed + row, 1, (size_t)((row * image->cols + col + count - 1) / image->cols - row + 1));
}

// Rows first..last move up (count > 0) or down by count within them; the
// rows they leave are blank.
void shift_rows(Image *image, int first, int last, int count)
{
    int cols = image->cols, span = last - first + 1;
    int n = count < 0 ? -count : count;
    if (n > span)
        n = span;
    Cell *base = cell_at(image, first, 0);
    size_t kept = sizeof(Cell) * (size_t)((span - n) * cols);
    memset(image->changed + first, 1, (size_t)span);
    if (count > 0) {
        memmove(base, base + n * cols, kept);
        erase(image, last - n + 1, 0, n * cols, 0);
    } else {
        memmove(base + n * cols, base, kept);
        erase(image, first, 0, n * cols, 0);
    }
}

void line_feed(Image *image)
{
    Modes *m = &image->modes;
    if (m->row == m->bottom)
        shift_rows(image, m->top, m->bottom, 1);
    else if (m->row < image->rows - 1)
        m->row++;
}

void put_cell(Image *image, const Cell &cell)
{
    Modes *m = &image->modes;
    if (m->wrap_pending) {
        m->wrap_pending = 0;
        m->col = 0;
        line_feed(image);
    }
    Cell *at = cell_at(image, m->row, m->col);
    if (m->insert)
        memmove(at + 1, at, sizeof(Cell) * (size_t)(image->cols - m->col - 1));
    // A cell drawn as it was changes nothing: most of a redraw is that.
    if (m->insert || memcmp(at, &cell, sizeof cell) != 0) {
        *at = cell;
        image->changed[m->row] = 1;
    }
    if (m->col == image->cols - 1)
        m->wrap_pending = 1;
    else
        m->col++;
}

void put_byte(uint8_t byte)
{
    Modes *m = &drawn.modes;
    Cell cell = BLANK;
    cell.attr = m->attr;
    if (byte < 0x80) {
        cell.bytes[0] = byte;
        cell.graphics = (uint8_t)(m->shifted && m->g1_graphics && byte >= 0x5F && byte <= 0x7E);
        put_cell(&drawn, cell);
        return;
    }
    // A UTF-8 sequence is one cell; a stray byte is a cell of its own.
    if (pending_left > 0 && (byte & 0xC0) == 0x80) {
        pending_char.bytes[pending_char.length++] = byte;
        if (--pending_left == 0)
            put_cell(&drawn, pending_char);
        return;
    }
    cell.bytes[0] = byte;
    pending_left = byte >= 0xF0 && byte < 0xF8 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    if (pending_left == 0) {
        put_cell(&drawn, cell);
        return;
    }
    pending_char = cell;
}

int param(int i, int otherwise)
{
    return i < param_count && params[i] > 0 ? params[i] : otherwise;
}

int clamp(int v, int low, int high)
{
    return v < low ? low : v > high ? high : v;
}

// SGR: the attribute word the parameters give, from the default rendition.
void select_rendition()
{
    static constexpr struct {
        int code;
        uint16_t bit;
    } STYLES[] = {{7, ATTR_REVERSE}, {4, ATTR_UNDERLINE}, {5, ATTR_BLINK}, {1, ATTR_BOLD},
                  {2, ATTR_DIM}};
    uint32_t attr = drawn.modes.attr;
    for (int i = 0; i < (param_count == 0 ? 1 : param_count); i++) {
        int p = i < param_count ? params[i] : 0;
        if (p == 0)
            attr = 0;
        else if (p >= 30 && p <= 37)
            attr = (attr & ~(ATTR_COLOUR_MASK << ATTR_FG_SHIFT)) | (uint32_t)(p - 29) << ATTR_FG_SHIFT;
        else if (p >= 40 && p <= 47)
            attr = (attr & ~(ATTR_COLOUR_MASK << ATTR_BG_SHIFT)) | (uint32_t)(p - 39) << ATTR_BG_SHIFT;
        for (const auto &s : STYLES)
            if (p == s.code)
                attr |= s.bit;
    }
    drawn.modes.attr = (uint16_t)attr;
}

void control_sequence(uint8_t final)
{
    Image *d = &drawn;
    Modes *m = &d->modes;
    int rows = d->rows, cols = d->cols;
    switch (final) {
    case 'H':
        m->row = clamp(param(0, 1) - 1, 0, rows - 1);
        m->col = clamp(param(1, 1) - 1, 0, cols - 1);
        m->wrap_pending = 0;
        break;
    case 'C':
        m->col = clamp(m->col + param(0, 1), 0, cols - 1);
        m->wrap_pending = 0;
        break;
    case 'J': {
        int at = m->row * cols + m->col, how = param(0, 0);
        if (how == 2)
            erase(d, 0, 0, rows * cols, m->attr);
        else if (how == 1)
            erase(d, 0, 0, at + 1, m->attr);
        else
            erase(d, m->row, m->col, rows * cols - at, m->attr);
        break;
    }
    case 'K': {
        int how = param(0, 0);
        int from = how == 0 ? m->col : 0, to = how == 1 ? m->col + 1 : cols;
        erase(d, m->row, from, to - from, m->attr);
        break;
    }
    case 'P': {
        int n = clamp(param(0, 1), 1, cols - m->col);
        Cell *at = cell_at(d, m->row, m->col);
        memmove(at, at + n, sizeof(Cell) * (size_t)(cols - m->col - n));
        erase(d, m->row, cols - n, n, m->attr); // marks the row
        break;
    }
    case 'L':
    case 'M':
        if (m->row >= m->top && m->row <= m->bottom)
            shift_rows(d, m->row, m->bottom, final == 'L' ? -param(0, 1) : param(0, 1));
        m->col = 0;
        m->wrap_pending = 0;
        break;
    case 'r': {
        int top = param(0, 1) - 1, bottom = param(1, rows) - 1;
        if (top < bottom && bottom < rows) {
            m->top = top;
            m->bottom = bottom;
        }
        m->row = m->col = m->wrap_pending = 0;
        break;
    }
    case 'h':
    case 'l':
        if (private_mode && param(0, 0) == 25)
            m->cursor_visible = final == 'h';
        else if (!private_mode && param(0, 0) == 4)
            m->insert = final == 'h';
        break;
    case 'm':
        select_rendition();
        break;
    default:
        break;
    }
}

void feed(uint8_t byte)
{
    switch (parse_state) {
    case GROUND:
        if (byte == 0x1B)
            parse_state = ESCAPE;
        else if (byte == SHIFT_OUT || byte == SHIFT_IN)
            drawn.modes.shifted = byte == SHIFT_OUT;
        else if (byte == '\r')
            drawn.modes.col = drawn.modes.wrap_pending = 0;
        else if (byte == '\n')
            line_feed(&drawn);
        else if (byte >= 0x20 && byte != 0x7F)
            put_byte(byte);
        break;
    case ESCAPE:
        parse_state = GROUND;
        if (byte == '[') {
            parse_state = CSI;
            param_count = private_mode = 0;
            memset(params, 0, sizeof params);
        } else if (byte == ')') {
            parse_state = DESIGNATE;
        } else if (byte == 'E') {
            drawn.modes.col = drawn.modes.wrap_pending = 0;
            line_feed(&drawn);
        }
        break;
    case DESIGNATE:
        drawn.modes.g1_graphics = byte == '0';
        parse_state = GROUND;
        break;
    case CSI:
        if (byte == '?') {
            private_mode = 1;
        } else if (byte >= '0' && byte <= '9') {
            if (param_count == 0)
                param_count = 1;
            int *p = &params[param_count - 1];
            *p = *p > 9999 ? *p : *p * 10 + (byte - '0');
        } else if (byte == ';') {
            param_count = param_count == 0 ? 2 : param_count + 1;
            if (param_count > 8)
                param_count = 8;
        } else {
            control_sequence(byte);
            parse_state = GROUND;
        }
        break;
    }
}

// The terminal's side: the bytes that bring it to the drawn image.
void out(int ch)
{
    putc_unlocked((unsigned char)ch, stdout);
}

int out_string(const char *s)
{
    while (*s != '\0')
        out(*s++);
    return 0;
}

int decimal_length(int n)
{
    return n >= 100 ? 3 : n >= 10 ? 2 : 1;
}

void out_rendition(uint16_t attr)
{
    term_write_rendition(attr, out_string);
    shown.modes.attr = attr;
}

void out_position(int row, int col)
{
    term_write_position(row, col, out_string);
    shown.modes.row = row;
    shown.modes.col = col;
    shown.modes.wrap_pending = 0;
}

// Whether the cells from..to-1 of the row can be written again as they are
// to move over them: one byte each, in the rendition and set in use.
int rewritable(int row, int from, int to)
{
    const Modes &m = shown.modes;
    int lines = m.shifted && m.g1_graphics;
    for (int c = from; c < to; c++) {
        const Cell *cell = cell_at(&shown, row, c);
        int drawn_as_line = lines && cell->bytes[0] >= 0x5F;
        if (cell->length != 1 || cell->attr != m.attr || (cell->graphics != 0) != drawn_as_line)
            return 0;
    }
    return 1;
}

// The cursor to (row, col): the cheapest way this terminal's state allows.
void move_to(int row, int col)
{
    Modes *m = &shown.modes;
    if (m->row == row && m->col == col && !m->wrap_pending)
        return;
    int cup = 4 + decimal_length(row + 1) + decimal_length(col + 1);
    if (m->row == row && m->col < col && !m->wrap_pending) {
        int gap = col - m->col;
        if (gap <= cup && gap <= 3 + decimal_length(gap) && rewritable(row, m->col, col)) {
            for (int c = m->col; c < col; c++)
                out(cell_at(&shown, row, c)->bytes[0]);
            m->col = col;
            return;
        }
        if (3 + decimal_length(gap) < cup) {
            char text[4];
            term_decimal_text(gap, text);
            out_string("\033[");
            out_string(text);
            out('C');
            m->col = col;
            return;
        }
    }
    out_position(row, col);
}

void out_shift(int shifted)
{
    if (shown.modes.shifted != shifted)
        out(shifted ? SHIFT_OUT : SHIFT_IN);
    shown.modes.shifted = shifted;
}

void write_cell(int row, int col, const Cell &cell)
{
    move_to(row, col);
    if (shown.modes.attr != cell.attr)
        out_rendition(cell.attr);
    // Line drawing needs the set; text that the set would draw as lines
    // needs it off. Other text goes out in whichever is in use.
    if (cell.graphics)
        out_shift(1);
    else if (cell.length != 1 || cell.bytes[0] >= 0x5F)
        out_shift(0);
    for (int i = 0; i < cell.length; i++)
        out(cell.bytes[i]);
    *cell_at(&shown, row, col) = cell;
    Modes *m = &shown.modes;
    if (col == shown.cols - 1)
        m->wrap_pending = 1;
    else
        m->col = col + 1;
}

// The terminal's cells as blanks and its modes as known: where it stands is
// unknown after a start, a size change or the shell's turn.
void make_shown_known()
{
    if (shown.rows != drawn.rows || shown.cols != drawn.cols)
        image_size(&shown, drawn.rows, drawn.cols);
    out_string("\033)0\033[0m\033[2J");
    for (int i = 0; i < shown.rows * shown.cols; i++)
        shown.cells[i] = BLANK;
    shown.modes = {-1, -1, 1, 0, 0, 1, 0, -1, 0, shown.rows - 1};
    out_string("\033[4l");
    out(SHIFT_IN);
    shown_known = 1;
}

// The cursor's visibility as drawn; where the cursor shows, its place, the
// rendition and the character set too. A hidden cursor's place and the
// terminal's current rendition show nowhere, so while the cursor is hidden
// (the clock's whole run) they are left until a cell needs them or the
// terminal is given back with the cursor shown.
void write_modes()
{
    const Modes &d = drawn.modes;
    Modes *s = &shown.modes;
    if (s->insert != d.insert) {
        out_string(d.insert ? "\033[4h" : "\033[4l");
        s->insert = d.insert;
    }
    if (d.cursor_visible) {
        if (s->attr != d.attr)
            out_rendition(d.attr);
        out_shift(d.shifted);
        if (s->row != d.row || s->col != d.col || s->wrap_pending)
            out_position(d.row, d.col);
    }
    if (s->cursor_visible != d.cursor_visible) {
        out_string(d.cursor_visible ? "\033[?25h" : "\033[?25l");
        s->cursor_visible = d.cursor_visible;
    }
}

} // namespace

void term_set_update_mode(int on)
{
    update_on = on != 0;
    shown_known = 0;
}

int term_update_mode(void)
{
    return update_on;
}

void term_image_start(int rows, int cols)
{
    if (!update_on)
        return;
    // Without room for the images, every byte goes out as in the default mode.
    if (image_size(&drawn, rows, cols) != 0) {
        update_on = 0;
        return;
    }
    parse_state = GROUND;
    pending_left = 0;
    shown_known = 0;
}

int term_image_feed(int ch)
{
    if (drawn.cells == nullptr)
        term_image_start(screen_rows, screen_cols);
    if (!update_on)
        return putc_unlocked((unsigned char)ch, stdout);
    feed((uint8_t)ch);
    return (unsigned char)ch;
}

void term_image_write(void)
{
    if (!update_on || drawn.cells == nullptr)
        return;
    if (!shown_known) {
        make_shown_known();
        memset(drawn.changed, 1, sizeof drawn.changed);
    }
    for (int row = 0; row < drawn.rows; row++) {
        if (!drawn.changed[row])
            continue;
        drawn.changed[row] = 0;
        for (int col = 0; col < drawn.cols; col++) {
            const Cell *want = cell_at(&drawn, row, col);
            if (memcmp(want, cell_at(&shown, row, col), sizeof *want) != 0)
                write_cell(row, col, *want);
        }
    }
    write_modes();
}
