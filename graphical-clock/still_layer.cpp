#include "still_layer.h"

#include "display.h"

// The background, title, help line and calendar change only with the mode, the
// browsed month and the marked day, yet drawing them (a fill and some forty
// blended texts) is most of a frame. They are drawn once and copied in after.
static SDL_Surface *layer = nullptr;
static StillParts kept; // what the layer holds, while there is one

static int same(const StillParts *a, const StillParts *b)
{
    return a->edit_mode == b->edit_mode && a->year == b->year && a->month == b->month &&
           a->mark == b->mark && a->notice == b->notice;
}

int still_layer_restore(const StillParts *parts)
{
    if (layer == nullptr || !same(parts, &kept))
        return 0;
    SDL_BlitSurface(layer, nullptr, screen, nullptr);
    return 1;
}

void still_layer_keep(const StillParts *parts)
{
    if (layer == nullptr) {
        const SDL_PixelFormat *f = screen->format;
        layer = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, f->BitsPerPixel,
                                     f->Rmask, f->Gmask, f->Bmask, f->Amask);
        if (layer == nullptr)
            return; // drawn in full every frame, then
    }
    SDL_BlitSurface(screen, nullptr, layer, nullptr);
    kept = *parts;
}

void still_layer_free()
{
    SDL_FreeSurface(layer);
    layer = nullptr;
}
