// Program-wide display handles of the graphical clock and their set-up.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#define FONT_PATH "/usr/local/share/fonts/mplus-2p-medium.ttf"

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
