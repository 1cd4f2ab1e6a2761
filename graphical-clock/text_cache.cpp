#include "text_cache.h"

#include <string.h>

// Nearly every text of a frame is the same as in the frame before (only the
// seconds of the date/time line change), and rendering them is most of what a
// frame costs: keep the rendered surfaces and blit them again.
struct CachedText {
    TextRenderer render;
    TTF_Font *font;
    SDL_Color colour;
    char text[TEXT_CACHE_LENGTH];
    SDL_Surface *surface; // null: a free entry
    unsigned last_use;
};

static CachedText cache[TEXT_CACHE_ENTRIES];
static unsigned use_count = 0;

static bool same_colour(SDL_Color a, SDL_Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

static CachedText *find(TextRenderer render, TTF_Font *font, const char *text, SDL_Color colour)
{
    for (CachedText &c : cache)
        if (c.surface != nullptr && c.render == render && c.font == font &&
            same_colour(c.colour, colour) && strcmp(c.text, text) == 0)
            return &c;
    return nullptr;
}

// A free entry, or the one used longest ago (its surface freed).
static CachedText *victim()
{
    CachedText *oldest = &cache[0];
    for (CachedText &c : cache) {
        if (c.surface == nullptr)
            return &c;
        if (c.last_use < oldest->last_use)
            oldest = &c;
    }
    SDL_FreeSurface(oldest->surface);
    oldest->surface = nullptr;
    return oldest;
}

SDL_Surface *text_cache_render(TextRenderer render, TTF_Font *font, const char *text,
                               SDL_Color colour, int *owned)
{
    *owned = 0;
    CachedText *hit = find(render, font, text, colour);
    if (hit != nullptr) {
        hit->last_use = ++use_count;
        return hit->surface;
    }
    SDL_Surface *rendered = render(font, text, colour);
    if (rendered == nullptr || strlen(text) >= TEXT_CACHE_LENGTH) {
        *owned = rendered != nullptr;
        return rendered;
    }
    CachedText *slot = victim();
    slot->render = render;
    slot->font = font;
    slot->colour = colour;
    strcpy(slot->text, text);
    slot->surface = rendered;
    slot->last_use = ++use_count;
    return rendered;
}

void text_cache_free()
{
    for (CachedText &c : cache) {
        SDL_FreeSurface(c.surface);
        c.surface = nullptr;
    }
}
