// Reading the command line.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "clock.h"

static constexpr const char USAGE_1[] = "usage : tessavond [-sbctruvih] [-C [0-7]] [-f format] [-d delay] ";
static constexpr const char USAGE_2[] = "    -s            Show seconds                                   ";
static constexpr const char USAGE_3[] = "    -b            Show box                                       ";
static constexpr const char USAGE_4[] = "    -c            Set the clock at the center of the terminal    ";
static constexpr const char USAGE_5[] = "    -C [0-7]      Set the clock color                            ";
static constexpr const char USAGE_6[] = "    -t            Set the hour in 12h format                     ";
static constexpr const char USAGE_7[] = "    -f format     Set the date format                            ";
static constexpr const char USAGE_8[] = "    -v            Show tessavond version                         ";
static constexpr const char USAGE_9[] = "    -i            Show some info about tessavond                 ";
static constexpr const char USAGE_10[] = "    -h            Show this page                                 ";
static constexpr const char USAGE_11[] = "    -d delay      Set the delay between two redraws of the clock ";
static constexpr const char USAGE_12[] = "    -u            Update only what changed, for a serial console ";

// Every usage line is padded to the same width.
static_assert(sizeof USAGE_1 == 66 && sizeof USAGE_2 == 66 && sizeof USAGE_3 == 66 &&
                  sizeof USAGE_4 == 66 && sizeof USAGE_5 == 66 && sizeof USAGE_6 == 66 &&
                  sizeof USAGE_7 == 66 && sizeof USAGE_8 == 66 && sizeof USAGE_9 == 66 &&
                  sizeof USAGE_10 == 66 && sizeof USAGE_11 == 66 && sizeof USAGE_12 == 66,
              "usage lines are 65 characters");

const char *const usage_lines[USAGE_LINE_COUNT] = {USAGE_1, USAGE_2,  USAGE_3,  USAGE_4,
                                                   USAGE_5, USAGE_6,  USAGE_7,  USAGE_8,
                                                   USAGE_9, USAGE_10, USAGE_11, USAGE_12};

void clock_print_usage()
{
    char text[USAGE_LINE_COUNT * 66];
    text[0] = '\0';
    for (int i = 0; i < USAGE_LINE_COUNT; i++) {
        if (i > 0)
            strcat(text, "\n");
        strcat(text, usage_lines[i]);
    }
    puts(text);
}

static void store_format(const char *format)
{
    // A longer format is cut to the buffer, and stays terminated.
    strncpy(clock_state->date_format, format, DATE_FORMAT_SIZE - 1);
    clock_state->date_format[DATE_FORMAT_SIZE - 1] = '\0';
}

// getopt's diagnostics in the program's own words: each C library words them
// its own way, and the clock says the same on every one. These are the words
// of the GNU C library, the one it was first built with.
static void report_option_error(const char *program)
{
    if (optopt == 'f' || optopt == 'd' || optopt == 'C')
        fprintf(stderr, "%s: option requires an argument -- '%c'\n", program, optopt);
    else
        fprintf(stderr, "%s: invalid option -- '%c'\n", program, optopt);
}

int clock_parse_options(int argc, char **argv)
{
    int opt;
    opterr = 0;
    while ((opt = getopt(argc, argv, "tvsrcihbuf:d:C:")) != -1) {
        switch (opt) {
        case 's': clock_state->show_seconds = 1; break;
        case 'b': clock_state->boxed = 1; break;
        case 'c': clock_state->centered = 1; break;
        case 't': clock_state->twelve_hour = 1; break;
        case 'u': clock_state->update_only = 1; break;
        case 'C': {
            int color = atoi(optarg);
            if (color >= 0 && color <= 7)
                clock_state->color = color;
            break;
        }
        case 'd': {
            long delay = atol(optarg);
            if (delay >= 0 && delay <= 999999999)
                clock_state->delay = (int)delay;
            break;
        }
        case 'f': store_format(optarg); break;
        case 'v': puts("tessavond " CLOCK_VERSION); return 0;
        case 'i':
            puts("tessavond " CLOCK_VERSION " : a terminal clock in big block digits, "
                 "by the tessavond authors <tessavond@example.org>");
            return 0;
        default: // -h, -r, an unknown option or a missing argument
            if (opt == '?')
                report_option_error(argv[0]);
            clock_print_usage();
            return 0;
        }
    }
    return 1;
}
