/* The least a graphical clock can do: the same video mode, the event queue
 * polled and a 10 ms sleep a pass, one flip a second; quits as the clock does. */
#include <SDL.h>

int main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Surface *screen = SDL_SetVideoMode(320, 240, 16, 0);
    if (screen == NULL)
        return 1;
    Uint32 last = SDL_GetTicks();
    SDL_Flip(screen);
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)) {
                SDL_Quit();
                return 0;
            }
        Uint32 now = SDL_GetTicks();
        if (now - last > 1000) {
            last = now;
            SDL_Flip(screen);
        }
        SDL_Delay(10);
    }
}
