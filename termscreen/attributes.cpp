// The attribute word, colour pairs and the SGR sequence that sets them.
#include "termscreen.h"
#include "termscreen_internal.h"

uint32_t color_pairs[COLOR_PAIR_COUNT];

// Pair 0 starts with foreground nibble 8 (white). Set before main rather than
// in the table's initialiser, which would put a kilobyte of zeros in the
// program.
__attribute__((constructor)) static void pair_zero_at_load(void)
{
    color_pairs[0] = 8u << ATTR_FG_SHIFT;
}

static_assert(sizeof color_pairs == 256 * 4, "256 pairs of 32-bit attribute words");

// A colour is kept in a nibble as colour + 1, so -1 (and 15) are the default.
static uint32_t colour_nibble(int16_t colour)
{
    return (uint32_t)(colour + 1) & ATTR_COLOUR_MASK;
}

static unsigned attr_fg(uint32_t attr)
{
    return attr >> ATTR_FG_SHIFT & ATTR_COLOUR_MASK;
}

static unsigned attr_bg(uint32_t attr)
{
    return attr >> ATTR_BG_SHIFT & ATTR_COLOUR_MASK;
}

int pair_init(int index, int fg, int bg)
{
    int16_t i = (int16_t)index;
    if (i <= 0 || i > 255)
        return TERM_REJECTED;
    color_pairs[i] =
        colour_nibble((int16_t)fg) << ATTR_FG_SHIFT | colour_nibble((int16_t)bg) << ATTR_BG_SHIFT;
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
    *fg = nibble_colour(attr_fg(color_pairs[i]));
    *bg = nibble_colour(attr_bg(color_pairs[i]));
    return 0;
}

void term_write_rendition(uint32_t attr, int (*put)(const char *))
{
    uint32_t a = attr & ATTR_WORD_MASK;
    unsigned fg = attr_fg(a), bg = attr_bg(a);
    put("\033[0");
    // Nibbles 9..15 name no colour and send no code.
    static constexpr const char *FOREGROUNDS[8] = {";30", ";31", ";32", ";33",
                                                   ";34", ";35", ";36", ";37"};
    static constexpr const char *BACKGROUNDS[8] = {";40", ";41", ";42", ";43",
                                                   ";44", ";45", ";46", ";47"};
    if (fg >= 1 && fg <= 8)
        put(FOREGROUNDS[fg - 1]);
    if (bg >= 1 && bg <= 8)
        put(BACKGROUNDS[bg - 1]);
    static constexpr struct {
        uint32_t bit;
        const char *code;
    } STYLES[] = {{ATTR_REVERSE, ";7"}, {ATTR_UNDERLINE, ";4"}, {ATTR_BLINK, ";5"},
                  {ATTR_BOLD, ";1"},    {ATTR_DIM, ";2"}};
    for (const auto &s : STYLES)
        if (a & s.bit)
            put(s.code);
    put("m");
}

void term_set_attr(int attr)
{
    term_write_rendition((uint32_t)attr, term_puts);
}

int win_set_attr(Window *, int attr)
{
    term_set_attr((int)((uint32_t)attr & ATTR_WORD_MASK));
    return 0;
}
