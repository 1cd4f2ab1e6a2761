// tessavond, the terminal clock: its one state record and its operations.
#pragma once

#include <time.h>

#include "termscreen.h"

#define CLOCK_VERSION "1.0.0"

constexpr int DATE_FORMAT_SIZE = 100;
constexpr int DATE_TEXT_SIZE = 256;
constexpr int DATE_BUFFER_SIZE = 128;
constexpr int CLOCK_HEIGHT = 7;
constexpr int CLOCK_WIDTH = 35;
constexpr int CLOCK_WIDTH_SECONDS = 54;
constexpr int DEFAULT_DELAY = 40000000;
constexpr int DEFAULT_COLOR = 2;

// The colour pairs the clock draws with.
enum { PAIR_BLANK = 1, PAIR_LIT = 2, PAIR_DATE = 3 };

static_assert(sizeof(int) == 4, "the clock's record holds 32-bit integers");

// The clock's one state record, reached by every operation and by the
// signal handler through clock_state.
struct ClockState {
    volatile int running; // 1 while the loop runs; written by the signal handler,
                          // so read afresh at every test
    int bg;               // background of the colour pairs: -1 the terminal's default
    int show_seconds;     // flags: any non-zero value is on; keys flip them to 0 or 1
    int twelve_hour;
    int centered;         // kept in the middle; the move keys do nothing while set
    int boxed;
    int update_only;      // -u: the terminal gets only the cells that changed
    char *date_format;    // strftime format, DATE_FORMAT_SIZE bytes, owned by the entry
    int color;            // clock colour 0..7
    int delay;            // nanoseconds slept by an idle iteration; paces the loop
    int row;              // top-left corner of the clock window on the screen; may be
    int col;              // negative or off the screen after a resize or on a narrow one
    int width;            // 35, or 54 with seconds
    int height;           // 7
    int hour_tens;        // the digits on show, as 12-hour when twelve_hour is set
    int hour_units;
    int minute_tens;
    int minute_units;
    int second_tens;
    int second_units;
    char date_text[DATE_TEXT_SIZE]; // " <date><meridiem> ", the date window's line
    time_t last_sample;   // the time read by the latest sample: the next one shows it
    const char *meridiem; // "", "  AM" or "  PM"
    Window *clock_win;    // owned; made anew by every clock_init
    Window *date_win;     // 3 lines, centred under the clock, its top on the clock's last
};

extern ClockState *clock_state;

// Options and entry. Returns 1 when the program is to run the clock, 0 when
// an informational option (or an option error) has been answered.
int clock_parse_options(int argc, char **argv);
constexpr int USAGE_LINE_COUNT = 12;
extern const char *const usage_lines[USAGE_LINE_COUNT];
void clock_print_usage();

// State and time sampling.
void clock_init();
void clock_update_time();
void clock_release_windows();

// Big digits and layout.
extern const unsigned char digit_cells[10][15];
void clock_draw_digit(int n, int top, int left);
void clock_draw();
void clock_place(int row, int col, int width, int height);
void clock_set_box(int on);
void clock_set_center(int on);
void clock_toggle_seconds();
// Where the date window goes: its three lines start on the clock's last, and
// it is centred under the clock for the date line as it stands.
void clock_date_place(int *row, int *col, int *lines, int *cols);

// Commands and signals.
// The signals the clock handles, and what each does.
enum SignalAction { STOP, SUSPEND, CONTINUE, CRASH, RESIZE };
struct HandledSignal {
    int sig;
    SignalAction action;
    bool keep_ignored; // ignored at start: stays ignored
};
constexpr int HANDLED_SIGNAL_COUNT = 9;
extern const HandledSignal handled_signals[HANDLED_SIGNAL_COUNT];
void clock_handle_key();
void clock_on_signal(int sig);
// Installs clock_on_signal for every signal the clock handles.
void clock_install_handlers();
// Runs what the handler marked (a size change, a suspension, a continue)
// between loop iterations.
void clock_apply_pending();
