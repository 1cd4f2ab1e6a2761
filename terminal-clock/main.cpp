// tessavond: the terminal clock.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "clock.h"

static void release_state(char *format)
{
    ClockState *state = clock_state;
    clock_state = nullptr; // a late signal finds no record
    free(format);
    free(state);
}

int main(int argc, char **argv)
{
    clock_state = (ClockState *)calloc(1, sizeof *clock_state);
    char *format = (char *)calloc(1, DATE_FORMAT_SIZE);
    if (clock_state == nullptr || format == nullptr) {
        fputs("tessavond: out of memory\n", stderr);
        release_state(format);
        return 1;
    }
    strcpy(format, "%F");
    clock_state->date_format = format;
    clock_state->delay = DEFAULT_DELAY;
    clock_state->color = DEFAULT_COLOR;

    if (!clock_parse_options(argc, argv)) {
        release_state(format);
        return 0;
    }
    // Redrawn 25 times a second, the clock would fill a file or a pipe for ever.
    const char *not_terminal = !isatty(STDOUT_FILENO) ? "standard output"
                               : !isatty(STDIN_FILENO) ? "standard input"
                                                       : nullptr;
    if (not_terminal != nullptr) {
        fprintf(stderr, "tessavond: %s is not a terminal\n", not_terminal);
        release_state(format);
        return 1;
    }

    term_set_update_mode(clock_state->update_only);
    clock_init();
    while (clock_state->running) {
        clock_update_time();
        clock_draw();
        clock_handle_key();
        clock_apply_pending();
    }
    int status = clock_state->running;
    clock_release_windows();
    release_state(format);
    screen_end();
    return status;
}
