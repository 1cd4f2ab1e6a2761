/* A C program using the library: it must compile as C and link without C++. */
#include <string.h>

#include "termscreen.h"

int main(void)
{
    Window *win = win_create(3, 4, 2, 5);
    if (win == NULL || win->nlines != 3 || win->ncols != 4 || win->end_col != 9)
        return 1;
    if (pair_init(1, 1, -1) != 0 || color_pairs[1] != 0x200 || pair_init(0, 1, 1) != 255)
        return 2;
    if (strcmp(key_suffixes[KEY_SEQUENCE_COUNT - 1], "24~") != 0)
        return 3;
    win_destroy(win);
    term_puts("termscreen from C: ok\n");
    return term_flush();
}
