#include <stdarg.h>
#include <stdio.h>

#include "draw.h"
#include "text_cache.h"

int text_measure(TTF_Font *font, int *width, int *height, const char *format, ...)
{
    *height = 0;
    *width = 0;
    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return TTF_SizeUTF8(font, text, width, height);
}

static void blit_text(TextRenderer render, TTF_Font *font, SDL_Surface *target, int x, int y,
                      SDL_Color colour, const char *format, va_list args)
{
    char text[TEXT_BUFFER_SIZE];
    vsnprintf(text, sizeof text, format, args);
    int owned;
    SDL_Surface *rendered = text_cache_render(render, font, text, colour, &owned);
    if (rendered == nullptr)
        return;
    // The rectangle's coordinates are 16-bit; its size is taken from the rendered surface.
    SDL_Rect where;
    where.x = (Sint16)x;
    where.y = (Sint16)y;
    where.w = 0;
    where.h = 0;
    SDL_UpperBlit(rendered, nullptr, target, &where);
    if (owned)
        SDL_FreeSurface(rendered);
}

void text_draw(TTF_Font *font, SDL_Surface *target, int x, int y, SDL_Color colour,
               const char *format, ...)
{
    va_list args;
    va_start(args, format);
    blit_text(TTF_RenderUTF8_Blended, font, target, x, y, colour, format, args);
    va_end(args);
}

void text_draw_solid(TTF_Font *font, SDL_Surface *target, int x, int y, SDL_Color colour,
                     const char *format, ...)
{
    va_list args;
    va_start(args, format);
    blit_text(TTF_RenderUTF8_Solid, font, target, x, y, colour, format, args);
    va_end(args);
}
