// Link seams over SDL and SDL_ttf: these definitions stand in front of the
// libraries' own, and pass every call through unless a test asks for a
// failure; the lock seams tell a test of each call.
#include <dlfcn.h>

#include "screen.h"

bool fail_text_size = false;
bool fail_text_render = false;
int text_renders = 0;
void (*on_lock)(SDL_Surface *surface, bool locking) = nullptr;

template <typename F> static F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

extern "C" int TTF_SizeUTF8(TTF_Font *font, const char *text, int *w, int *h)
{
    if (fail_text_size)
        return -1;
    static auto real = next<int (*)(TTF_Font *, const char *, int *, int *)>("TTF_SizeUTF8");
    return real(font, text, w, h);
}

extern "C" SDL_Surface *TTF_RenderUTF8_Blended(TTF_Font *font, const char *text, SDL_Color fg)
{
    if (fail_text_render)
        return nullptr;
    text_renders++;
    static auto real =
        next<SDL_Surface *(*)(TTF_Font *, const char *, SDL_Color)>("TTF_RenderUTF8_Blended");
    return real(font, text, fg);
}

extern "C" int SDL_LockSurface(SDL_Surface *surface)
{
    if (on_lock != nullptr)
        on_lock(surface, true);
    static auto real = next<int (*)(SDL_Surface *)>("SDL_LockSurface");
    return real(surface);
}

extern "C" void SDL_UnlockSurface(SDL_Surface *surface)
{
    if (on_lock != nullptr)
        on_lock(surface, false);
    static auto real = next<void (*)(SDL_Surface *)>("SDL_UnlockSurface");
    real(surface);
}
