// The attribute word, colour pairs and the SGR sequence that sets them.
#include "termscreen.h"

uint32_t color_pairs[COLOR_PAIR_COUNT];

// Pair 0 starts as 0x800 (foreground nibble 8). Set before main rather than in
// the table's initialiser, which would put a kilobyte of zeros in the program.
__attribute__((constructor)) static void pair_zero_at_load(void)
{
    color_pairs[0] = 0x800;
}

static_assert(sizeof color_pairs == 256 * 4, "256 pairs of 32-bit attribute words");

// A colour is kept in a nibble as colour + 1, so -1 (and 15) are the default.
static uint32_t colour_nibble(int16_t colour)
{
    return (uint32_t)(colour + 1) & 0xF;
}

int pair_init(int index, int fg, int bg)
{
    int16_t i = (int16_t)index;
    if (i <= 0 || i > 255)
        return TERM_REJECTED;
    color_pairs[i] = colour_nibble((int16_t)fg) << 8 | colour_nibble((int16_t)bg) << 12;
    return 0;
}

static short nibble_colour(uint32_t nibble)
{
    return (short)(nibble == 0 ? 0 : nibble - 1);
}

int pair_content(int index, short *fg, short *bg)
{
    uint16_t i = (uint16_t)index;
    if (i > 255)
        return TERM_REJECTED;
    *fg = nibble_colour((color_pairs[i] >> 8) & 0xF);
    *bg = nibble_colour((color_pairs[i] >> 12) & 0xF);
    return 0;
}

void term_set_attr(int attr)
{
    uint16_t a = (uint16_t)attr;
    unsigned fg = (a >> 8) & 0xF, bg = (a >> 12) & 0xF;
    term_puts("\033[0");
    // Nibbles 9..15 name no colour and send no code.
    if (fg >= 1 && fg <= 8) {
        term_puts(";3");
        term_putc('0' + (int)fg - 1);
    }
    if (bg >= 1 && bg <= 8) {
        term_puts(";4");
        term_putc('0' + (int)bg - 1);
    }
    if (a & ATTR_REVERSE)
        term_puts(";7");
    if (a & ATTR_UNDERLINE)
        term_puts(";4");
    if (a & ATTR_BLINK)
        term_puts(";5");
    if (a & ATTR_BOLD)
        term_puts(";1");
    if (a & ATTR_DIM)
        term_puts(";2");
    term_putc('m');
}

int win_set_attr(Window *, int attr)
{
    term_set_attr(attr & 0xFFFF);
    return 0;
}
