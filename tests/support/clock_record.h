// A fresh clock record for unit tests, as the program entry makes it.
#pragma once

#include <stdlib.h>
#include <string.h>

#include "clock.h"

struct FreshClock {
    char format[DATE_FORMAT_SIZE] = "%F";
    ClockState state = {};
    FreshClock()
    {
        state.date_format = format;
        state.delay = DEFAULT_DELAY;
        state.color = DEFAULT_COLOR;
        clock_state = &state;
    }
    ~FreshClock()
    {
        win_destroy(state.clock_win);
        win_destroy(state.date_win);
        clock_state = nullptr;
    }
};
