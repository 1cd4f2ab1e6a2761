#include <gtest/gtest.h>

#include "terminal.h"
#include "termscreen.h"

namespace {

std::string sgr(int attr)
{
    return capture_output([attr] { term_set_attr(attr); });
}

} // namespace

TEST(Attributes, SgrParametersInTheirOrder)
{
    EXPECT_EQ(sgr(0), "\033[0m");
    EXPECT_EQ(sgr(0x300), "\033[0;32m");
    EXPECT_EQ(sgr(0x1200 | ATTR_BOLD), "\033[0;31;40;1m");
    EXPECT_EQ(sgr(0x8800 | ATTR_UNDERLINE | ATTR_REVERSE | ATTR_BLINK | ATTR_BOLD | ATTR_DIM),
              "\033[0;37;47;7;4;5;1;2m");
    EXPECT_EQ(sgr(ATTR_UNDERLINE), "\033[0;4m");
    EXPECT_EQ(sgr(0xE0), "\033[0m");                 // bits 5 to 7 mean nothing
    EXPECT_EQ(sgr(0x300 | 0xE0), sgr(0x300));
    EXPECT_EQ(sgr(0x9A00), "\033[0m");               // nibbles 9 and 10 name no colour
    EXPECT_EQ(sgr(0x10300), "\033[0;32m");           // only the low 16 bits count
    EXPECT_EQ(capture_output([] { EXPECT_EQ(win_set_attr(nullptr, 0x1200), 0); }),
              "\033[0;31;40m");
}

TEST(ColourPairs, ColoursAreStoredPlusOneModuloSixteen)
{
    EXPECT_EQ(pair_init(1, -1, -1), 0);
    EXPECT_EQ(color_pairs[1], 0u);
    EXPECT_EQ(sgr((int)color_pairs[1]), "\033[0m");

    EXPECT_EQ(pair_init(2, 8, 0), 0); // foreground nibble 9: no code
    EXPECT_EQ(color_pairs[2], 0x1900u);
    EXPECT_EQ(sgr((int)color_pairs[2]), "\033[0;40m");

    EXPECT_EQ(pair_init(3, 15, 7), 0); // 15 wraps to the default
    EXPECT_EQ(color_pairs[3], 0x8000u);
    EXPECT_EQ(pair_init(4, 2, -1), 0);
    EXPECT_EQ(sgr((int)color_pairs[4] | ATTR_BOLD), "\033[0;32;1m");
}

TEST(ColourPairs, IndexLimits)
{
    EXPECT_EQ(pair_init(0, 1, 1), 255);
    EXPECT_EQ(pair_init(256, 1, 1), 255);
    EXPECT_EQ(pair_init(-1, 1, 1), 255);
    EXPECT_EQ(color_pairs[0], 0x800u);
    EXPECT_EQ(pair_init(255, 3, 4), 0);
    EXPECT_EQ(color_pairs[255], 0x5400u);
    // The index is a signed 16-bit value: 65537 is pair 1.
    EXPECT_EQ(pair_init(65537, 5, 6), 0);
    EXPECT_EQ(color_pairs[1], 0x7600u);
}

TEST(ColourPairs, ContentReportsDefaultAsZero)
{
    short fg = 99, bg = 99;
    pair_init(5, -1, 3);
    EXPECT_EQ(pair_content(5, &fg, &bg), 0);
    EXPECT_EQ(fg, 0);
    EXPECT_EQ(bg, 3);
    EXPECT_EQ(pair_content(0, &fg, &bg), 0);
    EXPECT_EQ(fg, 7);
    EXPECT_EQ(bg, 0);
    fg = bg = 99;
    EXPECT_EQ(pair_content(256, &fg, &bg), 255);
    EXPECT_EQ(pair_content(-1, &fg, &bg), 255); // 65535 as an unsigned index
    EXPECT_EQ(fg, 99);
    EXPECT_EQ(bg, 99);
}
