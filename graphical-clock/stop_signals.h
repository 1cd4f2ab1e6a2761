// Signals that end the graphical clock the way closing its window does.
#pragma once

#include <signal.h>

// Set by a hang-up, quit or broken-pipe signal; the main loop then quits.
extern volatile sig_atomic_t stop_requested;

// Catches SIGHUP, SIGQUIT and SIGPIPE (after SDL has installed its own
// handlers), so that the loop ends and SDL is shut down in order. A signal
// that was ignored when the program started stays ignored.
void stop_signals_install();
