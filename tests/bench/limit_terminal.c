/* The least a terminal clock can do: write the bytes of one real iteration
 * (captured from the clock) in one write, then sleep the clock's delay; and
 * again. What the terminal clock costs above this is its own doing.
 *   limit_terminal FILE DELAY_NS */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    static char bytes[65536];
    FILE *f = fopen(argv[1], "rb");
    if (f == NULL)
        return 2;
    size_t n = fread(bytes, 1, sizeof bytes, f);
    fclose(f);
    struct timespec delay = {0, atol(argv[2])};
    for (;;) {
        if (write(1, bytes, n) < 0)
            return 1;
        nanosleep(&delay, NULL);
    }
}
