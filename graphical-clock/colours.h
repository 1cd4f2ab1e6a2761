// Text colours of the graphical clock's screens.
#pragma once

#include <SDL.h>

constexpr SDL_Color COLOUR_WHITE = {255, 255, 255, 0};
constexpr SDL_Color COLOUR_RED = {255, 0, 0, 0};
constexpr SDL_Color COLOUR_BLUE = {0, 0, 255, 0};
constexpr SDL_Color COLOUR_MAGENTA = {255, 0, 255, 0};
