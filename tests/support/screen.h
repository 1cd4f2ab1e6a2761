// The graphical clock's real screen (SDL's dummy driver) and fonts, set up
// once per test program.
#pragma once

#include <gtest/gtest.h>

#include "display.h"

inline void ensure_screen()
{
    if (screen == nullptr) {
        ASSERT_EQ(display_init(), 0) << SDL_GetError();
        ASSERT_EQ(fonts_open(), 0) << "font " FONT_PATH;
    }
}

inline Uint16 screen_pixel(int x, int y)
{
    return ((const Uint16 *)((const Uint8 *)screen->pixels + y * screen->pitch))[x];
}

inline void clear_screen(Uint16 value)
{
    for (int y = 0; y < screen->h; y++)
        for (int x = 0; x < screen->w; x++)
            ((Uint16 *)((Uint8 *)screen->pixels + y * screen->pitch))[x] = value;
}

// The link seams below let a test make SDL_ttf fail on demand (mktime fails
// while $SHIM_MKTIME is "fail": see shims/mktime_seam.cpp).
extern bool fail_text_size;
extern bool fail_text_render;
extern int text_renders; // blended renderings that reached SDL_ttf
extern void (*on_lock)(SDL_Surface *surface, bool locking); // called before each lock, unlock
