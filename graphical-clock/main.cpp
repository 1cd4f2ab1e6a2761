// Tavlino: the graphical clock.
#include <stdio.h>

#include "display.h"
#include "main_loop.h"

int main(int, char **)
{
    if (display_init() != 0) {
        puts("Failed to init library!");
        return -1;
    }
    // A clock whose fonts could not be opened did not start: say so in the status.
    int status = 0;
    if (fonts_open() == 0) {
        run_clock();
    } else {
        puts("can't load Font file!!");
        status = 1;
    }
    display_shutdown();
    return status;
}
