// Single-key commands, the idle sleep that paces the loop, and the signals.
#include <signal.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "clock.h"

// Marked by the handler, acted on by the loop between iterations.
static volatile sig_atomic_t resize_pending = 0;
static volatile sig_atomic_t suspend_pending = 0;
static volatile sig_atomic_t continue_pending = 0;

static void move_clock(int row, int col)
{
    ClockState *cs = clock_state;
    clock_place(row, col, cs->width, cs->height);
}

static void quit(ClockState *cs)
{
    cs->running = 0;
}

static void toggle_seconds(ClockState *)
{
    clock_toggle_seconds();
}

static void toggle_twelve_hour(ClockState *cs)
{
    cs->twelve_hour = !cs->twelve_hour;
    clock_update_time();
    clock_place(cs->row, cs->col, cs->width, cs->height);
}

static void toggle_centre(ClockState *cs)
{
    clock_set_center(!cs->centered);
}

static void toggle_box(ClockState *cs)
{
    clock_set_box(!cs->boxed);
}

// The moves stop at the screen's edges, and do nothing while centred.
static void move_up(ClockState *cs)
{
    if (cs->row >= 1 && !cs->centered)
        move_clock(cs->row - 1, cs->col);
}

static void move_down(ClockState *cs)
{
    // The date window's three lines start on the clock's last line.
    if (cs->row <= screen_rows - cs->height - 3 && !cs->centered)
        move_clock(cs->row + 1, cs->col);
}

static void move_left(ClockState *cs)
{
    if (cs->col >= 1 && !cs->centered)
        move_clock(cs->row, cs->col - 1);
}

static void move_right(ClockState *cs)
{
    if (cs->col <= screen_cols - cs->width - 1 && !cs->centered)
        move_clock(cs->row, cs->col + 1);
}

// The command keys; up to three keys a command, 0 ending a shorter list.
struct KeyCommand {
    int keys[3];
    void (*run)(ClockState *cs);
};
static constexpr KeyCommand key_commands[] = {
    {{'q', 'Q'}, quit},
    {{'s', 'S'}, toggle_seconds},
    {{'t', 'T'}, toggle_twelve_hour},
    {{'c', 'C'}, toggle_centre},
    {{'b', 'B'}, toggle_box},
    {{'k', 'K', KEY_UP}, move_up},
    {{'j', 'J', KEY_DOWN}, move_down},
    {{'h', 'H', KEY_LEFT}, move_left},
    {{'l', 'L', KEY_RIGHT}, move_right},
};

static const KeyCommand *command_for(int key)
{
    for (const KeyCommand &c : key_commands)
        for (int k : c.keys)
            if (k != 0 && k == key)
                return &c;
    return nullptr;
}

static void set_colour(ClockState *cs, int colour)
{
    cs->color = colour;
    pair_init(PAIR_LIT, cs->bg, cs->color);
    pair_init(PAIR_DATE, cs->color, cs->bg);
}

// The pace of the loop, after any key but a command's (which runs the next
// iteration at once).
static void idle(ClockState *cs)
{
    struct timespec pause = {0, cs->delay};
    nanosleep(&pause, nullptr); // a signal ends it early; the rest is not slept
}

void clock_handle_key()
{
    ClockState *cs = clock_state;
    int key = win_key_read(screen_window);
    // A terminal that is gone (closed under nohup, or not the controlling one)
    // sends no hang-up: stop instead of polling it for ever.
    if (term_gone()) {
        cs->running = 0;
        return;
    }
    const KeyCommand *command = command_for(key);
    if (command != nullptr) {
        command->run(cs);
        return;
    }
    if (key >= '0' && key <= '7')
        set_colour(cs, key - '0');
    idle(cs);
}

// One that was ignored at start stays ignored where the table says so
// (nohup's hang-up); all but SIGCONT and SIGSEGV are held while the screen
// restarts.
const HandledSignal handled_signals[HANDLED_SIGNAL_COUNT] = {
    {SIGWINCH, RESIZE, false}, {SIGTERM, STOP, false},    {SIGINT, STOP, false},
    {SIGSEGV, CRASH, false},   {SIGHUP, STOP, true},      {SIGQUIT, STOP, true},
    {SIGPIPE, STOP, true},     {SIGTSTP, SUSPEND, true},  {SIGCONT, CONTINUE, true},
};

static bool held_during_restart(const HandledSignal &h)
{
    return h.action != CONTINUE && h.action != CRASH;
}

void clock_install_handlers()
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = clock_on_signal;
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    for (const HandledSignal &h : handled_signals) {
        struct sigaction old;
        if (h.keep_ignored && sigaction(h.sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        sigaction(h.sig, &action, nullptr);
    }
}

void clock_on_signal(int sig)
{
    for (const HandledSignal &h : handled_signals) {
        if (h.sig != sig)
            continue;
        switch (h.action) {
        case STOP:
            if (clock_state != nullptr)
                clock_state->running = 0;
            break;
        case SUSPEND:
            suspend_pending = 1;
            break;
        case CONTINUE:
            continue_pending = 1;
            break;
        case CRASH: {
            static const char message[] = "Segmentation fault.\n";
            screen_end();
            ssize_t written = write(2, message, sizeof message - 1);
            (void)written;
            _exit(1);
        }
        case RESIZE:
            // Only marked here: the loop restarts the screen between
            // iterations, never in the middle of drawing or reading a key.
            resize_pending = 1;
            break;
        }
    }
}

// Gives the terminal back and stops, as the suspend key would without the
// clock's handler; returns once the job is continued.
static void suspend()
{
    screen_end();
    struct sigaction ours, stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &ours);
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    raise(SIGTSTP);                           // held while blocked...
    sigprocmask(SIG_UNBLOCK, &tstp, nullptr); // ...stops here, until SIGCONT
    sigprocmask(SIG_BLOCK, &tstp, nullptr);
    sigaction(SIGTSTP, &ours, nullptr);
}

void clock_apply_pending()
{
    if (!resize_pending && !suspend_pending && !continue_pending)
        return;
    // Held off while the screen restarts, so a stop is not undone by clock_init
    // and the restart runs as one piece. SIGCONT stays open: it marks the
    // restart that follows a suspension.
    sigset_t block, previous;
    sigemptyset(&block);
    for (const HandledSignal &h : handled_signals)
        if (held_during_restart(h))
            sigaddset(&block, h.sig);
    sigprocmask(SIG_BLOCK, &block, &previous);
    int ended = 0;
    if (suspend_pending) {
        suspend_pending = 0;
        suspend();
        ended = 1;
    }
    // After a continue the shell may have changed the terminal's modes and
    // cleared non-blocking input: take the terminal again and draw it all.
    int restart = ended || resize_pending || continue_pending;
    resize_pending = 0;
    continue_pending = 0;
    if (restart && clock_state->running) {
        if (!ended)
            screen_end();
        clock_init();
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}
