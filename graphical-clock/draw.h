// Text, pixel and line primitives on 16-bit SDL surfaces.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

// Each text call formats into a buffer of its own this size; longer texts are cut.
constexpr int TEXT_BUFFER_SIZE = 1024;

int text_measure(TTF_Font *font, int *width, int *height, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
void text_draw(TTF_Font *font, SDL_Surface *target, int x, int y, SDL_Color colour,
               const char *format, ...) __attribute__((format(printf, 6, 7)));
void text_draw_solid(TTF_Font *font, SDL_Surface *target, int x, int y, SDL_Color colour,
                     const char *format, ...) __attribute__((format(printf, 6, 7)));
void put_pixel(SDL_Surface *surface, int x, int y, Uint16 colour);
void draw_line(SDL_Surface *surface, int x0, int y0, int x1, int y1, Uint16 colour);
