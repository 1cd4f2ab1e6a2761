/* A bordered window drawn with termscreen; keys are read until q.
 * Build against an installed library:
 *   cc bordered_window.c $(pkg-config --cflags --libs termscreen) -o bordered_window */
#include <stdio.h>

#include <termscreen.h>

int main(void)
{
    screen_init();
    cursor_set_visible(0);
    term_clear();
    pair_init(1, 3, -1); /* yellow on the terminal's background */

    Window *win = win_create(5, 30, 2, 4);
    if (win == NULL) {
        screen_end();
        return 1;
    }
    win_border(win, 0, 0, 0, 0, 0, 0, 0, 0);
    win_set_attr(win, (int)color_pairs[1]);
    win_move_add_string(win, 2, 3, "Press q to quit.");
    win_refresh(win);

    int key;
    while ((key = win_key_read(screen_window)) != 'q' && key != 'Q') {
        if (key == KEY_NONE && term_gone())
            break; /* the terminal has gone */
    }
    win_destroy(win);
    screen_end();
    return 0;
}
