#include "stop_signals.h"

volatile sig_atomic_t stop_requested = 0;

static void request_stop(int)
{
    stop_requested = 1;
}

void stop_signals_install()
{
    // On the framebuffer console a process that dies without SDL_Quit leaves
    // the console in graphics mode with the keyboard unusable.
    static constexpr int signals[] = {SIGHUP, SIGQUIT, SIGPIPE};
    for (int sig : signals) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // started under nohup, or the like
        struct sigaction action = {};
        action.sa_handler = request_stop;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
}
