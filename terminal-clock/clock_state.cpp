// Start-up of the clock's screen, and sampling the time into digits and the date line.
#include <stdio.h>
#include <string.h>

#include "clock.h"

// The clock shows times after January 2038 only with a 64-bit time_t, which
// a 32-bit target's C library gives from glibc 2.34 (with _TIME_BITS=64) or
// musl 1.2 on.
static_assert(sizeof(time_t) == 8, "a 64-bit time_t is needed: glibc 2.34 or musl 1.2 or newer");

ClockState *clock_state = nullptr;

void clock_release_windows()
{
    win_destroy(clock_state->clock_win);
    win_destroy(clock_state->date_win);
    clock_state->clock_win = nullptr;
    clock_state->date_win = nullptr;
}

// What the last conversion was made from: the same second, mode and format
// give the same digits and date line, so they are not made again.
static struct {
    time_t sample;
    int twelve_hour;
    char format[DATE_FORMAT_SIZE];
} converted;

void clock_init()
{
    ClockState *cs = clock_state;
    cs->bg = 0;
    screen_init();
    screen_noop_1();
    screen_noop_2();
    win_noop_1(screen_window, 1);
    screen_noop_3();
    cursor_set_visible(0);
    // screen_init has just cleared the screen; this second clear is part of
    // the start-up bytes the clock has always written.
    term_clear();
    if (colors_allow_default() == 0)
        cs->bg = -1;
    pair_init(PAIR_BLANK, cs->bg, cs->bg);
    pair_init(PAIR_LIT, cs->bg, cs->color);
    pair_init(PAIR_DATE, cs->color, cs->bg);
    term_flush();
    clock_install_handlers();
    cs->running = 1;
    cs->width = cs->show_seconds ? CLOCK_WIDTH_SECONDS : CLOCK_WIDTH;
    cs->height = CLOCK_HEIGHT;

    cs->last_sample = time(nullptr);
    converted.twelve_hour = -1; // a start converts afresh
    clock_update_time();

    clock_release_windows(); // those of the previous start, after a size change
    cs->clock_win = win_create(cs->height, cs->width, cs->row, cs->col);
    int row, col, lines, cols;
    clock_date_place(&row, &col, &lines, &cols);
    cs->date_win = win_create(lines, cols, row, col);
    if (cs->boxed) {
        win_border(cs->date_win, 0, 0, 0, 0, 0, 0, 0, 0);
        win_border(cs->clock_win, 0, 0, 0, 0, 0, 0, 0, 0);
    }
    win_noop_2(cs->date_win, 1);
    clock_set_center(cs->centered);
    win_set_nodelay(screen_window, 1);
    win_refresh(cs->date_win);
    win_refresh(cs->clock_win);
}

static void split(int value, int *tens, int *units)
{
    *tens = value / 10;
    *units = value % 10;
}

static int already_converted(const ClockState *cs, time_t sample)
{
    // A record that was never converted has no date line (a converted one has
    // at least its two spaces).
    return converted.sample == sample &&
           converted.twelve_hour == cs->twelve_hour && cs->date_text[0] != '\0' &&
           strcmp(converted.format, cs->date_format) == 0;
}

static void note_conversion(const ClockState *cs, time_t sample)
{
    converted.sample = sample;
    converted.twelve_hour = cs->twelve_hour;
    strcpy(converted.format, cs->date_format);
}

void clock_update_time()
{
    ClockState *cs = clock_state;
    // The digits come from the time stored by the previous sample: the display
    // trails the clock by one loop iteration.
    time_t sample = cs->last_sample;
    cs->last_sample = time(nullptr);
    // localtime checks the zone file on every call when TZ is unset: convert
    // only when the second (or the mode, or the format) has changed.
    if (already_converted(cs, sample))
        return;
    struct tm *t = localtime(&sample);
    static struct tm epoch;
    if (t == nullptr)
        t = &epoch;

    if (!cs->twelve_hour)
        cs->meridiem = "";
    else
        cs->meridiem = t->tm_hour >= 12 ? "  PM" : "  AM";
    int hour = t->tm_hour;
    if (cs->twelve_hour && hour > 12)
        hour -= 12;
    if (cs->twelve_hour && hour == 0)
        hour = 12;
    split(hour, &cs->hour_tens, &cs->hour_units);
    split(t->tm_min, &cs->minute_tens, &cs->minute_units);

    char date[DATE_BUFFER_SIZE];
    // A date that does not fit leaves the buffer undefined: show it empty instead.
    if (strftime(date, sizeof date, cs->date_format, t) == 0)
        date[0] = '\0';
    snprintf(cs->date_text, sizeof cs->date_text, " %s%s ", date, cs->meridiem);
    split(t->tm_sec, &cs->second_tens, &cs->second_units);
    note_conversion(cs, sample);
}
