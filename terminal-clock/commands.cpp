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

static void idle(int key)
{
    ClockState *cs = clock_state;
    struct timespec pause = {0, cs->delay};
    nanosleep(&pause, nullptr); // a signal ends it early; the rest is not slept
    if (key >= '0' && key <= '7') {
        cs->color = key - '0';
        pair_init(2, cs->bg, cs->color);
        pair_init(3, cs->color, cs->bg);
    }
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
    switch (key) {
    case 'q': case 'Q':
        cs->running = 0;
        break;
    case 's': case 'S':
        clock_toggle_seconds();
        break;
    case 't': case 'T':
        cs->twelve_hour = !cs->twelve_hour;
        clock_update_time();
        clock_place(cs->row, cs->col, cs->width, cs->height);
        break;
    case 'c': case 'C':
        clock_set_center(!cs->centered);
        break;
    case 'b': case 'B':
        clock_set_box(!cs->boxed);
        break;
    case 'k': case 'K': case KEY_UP:
        if (cs->row >= 1 && !cs->centered)
            move_clock(cs->row - 1, cs->col);
        break;
    case 'j': case 'J': case KEY_DOWN:
        // The date window's three lines start on the clock's last line.
        if (cs->row <= screen_rows - cs->height - 3 && !cs->centered)
            move_clock(cs->row + 1, cs->col);
        break;
    case 'h': case 'H': case KEY_LEFT:
        if (cs->col >= 1 && !cs->centered)
            move_clock(cs->row, cs->col - 1);
        break;
    case 'l': case 'L': case KEY_RIGHT:
        if (cs->col <= screen_cols - cs->width - 1 && !cs->centered)
            move_clock(cs->row, cs->col + 1);
        break;
    default:
        idle(key);
        break;
    }
}

// The signals the clock handles, and what each does. One that was ignored at
// start stays ignored where the table says so (nohup's hang-up); all but
// SIGCONT and SIGSEGV are held while the screen restarts.
enum SignalAction { STOP, SUSPEND, CONTINUE, CRASH, RESIZE };
struct HandledSignal {
    int sig;
    SignalAction action;
    bool keep_ignored; // ignored at start: stays ignored
};
static constexpr HandledSignal handled_signals[] = {
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
