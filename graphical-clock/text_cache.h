// Rendered texts kept from one frame to the next.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

typedef SDL_Surface *(*TextRenderer)(TTF_Font *, const char *, SDL_Color);

constexpr int TEXT_CACHE_ENTRIES = 96;   // a frame draws up to about 45 texts
constexpr int TEXT_CACHE_LENGTH = 96;    // longer texts are rendered every time

// The text rendered with this renderer, font and colour: the surface kept from
// an earlier call when there is one, else a new rendering (null when it fails).
// *owned is set when the caller must free the surface (it was not kept).
SDL_Surface *text_cache_render(TextRenderer render, TTF_Font *font, const char *text,
                               SDL_Color colour, int *owned);

// Frees every kept surface; called at shutdown, before the fonts are closed.
void text_cache_free();
