// Link seams over SDL_ttf: these definitions stand in front of the library's
// own, and pass every call through unless a test asks for a failure.
#include <dlfcn.h>

#include "screen.h"

bool fail_text_size = false;
bool fail_text_render = false;
int text_renders = 0;

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
