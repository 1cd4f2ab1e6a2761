/* Preloaded by the benchmark: notes when the first frame is flipped, for the
 * start-up time of an SDL program. $FLIP_STAMP names the file that receives
 * the CLOCK_MONOTONIC time of the first SDL_Flip, in nanoseconds. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int SDL_Flip(SDL_Surface *screen)
{
    static int stamped = 0;
    const char *path = getenv("FLIP_STAMP");
    if (!stamped && path != NULL) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        FILE *f = fopen(path, "w");
        if (f != NULL) {
            fprintf(f, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
            fclose(f);
        }
        stamped = 1;
    }
    int (*real)(SDL_Surface *) = (int (*)(SDL_Surface *))dlsym(RTLD_NEXT, "SDL_Flip");
    return real(screen);
}
