#include "display.h"

#include "face.h"
#include "still_layer.h"
#include "text_cache.h"

SDL_Surface *screen = nullptr;
TTF_Font *font_large = nullptr;
TTF_Font *font_small = nullptr;

int display_init()
{
    screen = nullptr;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return -1;
    if (TTF_Init() != 0) {
        SDL_Quit();
        return -1;
    }
    // A plain software surface: no full-screen, hardware or double-buffer flag.
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_DEPTH, 0);
    if (screen == nullptr)
        return -1;
    // The window's title on a desktop; a framebuffer has no title to set.
    SDL_WM_SetCaption("Tavlino", "Tavlino");
    return 0;
}

int fonts_open()
{
    SDL_ShowCursor(SDL_DISABLE);
    font_large = TTF_OpenFont(FONT_PATH, FONT_LARGE_SIZE);
    if (font_large == nullptr)
        return -1;
    font_small = TTF_OpenFont(FONT_PATH, FONT_SMALL_SIZE);
    if (font_small == nullptr)
        return -1;
    build_trig_tables();
    return 0;
}

void display_shutdown()
{
    still_layer_free();
    text_cache_free();
    if (font_small != nullptr)
        TTF_CloseFont(font_small);
    if (font_large != nullptr)
        TTF_CloseFont(font_large);
    TTF_Quit();
    SDL_Quit();
}
