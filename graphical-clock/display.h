// Program-wide display handles of the graphical clock and their set-up.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

// FONT_PATH, the font file, comes from the build (CLOCKS_FONT_PATH).
#ifndef FONT_PATH
#error "FONT_PATH is set by the build"
#endif

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;
constexpr int SCREEN_DEPTH = 16;
constexpr int FONT_LARGE_SIZE = 15;
constexpr int FONT_SMALL_SIZE = 10;

extern SDL_Surface *screen;
extern TTF_Font *font_large;
extern TTF_Font *font_small;

int display_init();
int fonts_open();
void display_shutdown();
