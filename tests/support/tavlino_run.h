// Running the real Tavlino headless under the SDL shim, and drawing the frames
// it should show with the program's own drawing code for comparison.
#pragma once

#include <time.h>

#include <string>
#include <vector>

#include "civil_time.h"
#include "frames.h"
#include "process.h"

struct TavlinoRun {
    RunResult result;
    std::string log;                // the shims' call log
    std::vector<std::string> lines; // the log, line by line
    std::vector<Image> frames;      // every flipped frame, in order
};

// script: see the SDL shim; time: the instant time() returns.
TavlinoRun run_tavlino(const std::string &script, time_t time, const std::string &tz = "UTC",
                       const std::vector<std::string> &extra_env = {});

// Lines of the log that start with prefix.
std::vector<std::string> log_lines(const TavlinoRun &run, const std::string &prefix);

struct ExpectedFrame {
    int edit_mode = 0;
    time_t shown = 0;
    int calendar_year = 0, calendar_month = 0; // calendar years, months 1..12
    int mark_day = 0;
    unsigned field = 0;                        // edit mode only
    const char *notice = nullptr;              // in the help line's place
};

// A browse-mode frame showing `shown`, with this calendar and day mark.
ExpectedFrame browse_frame(time_t shown, int year, int month, int mark);

// An edit-mode frame showing `shown` with this field chosen; the calendar shows
// the month of `shown` in zone tz, its day marked.
ExpectedFrame edit_frame(time_t shown, unsigned field, const std::string &tz = "UTC");

// The frame as the program should draw it, in the TZ given to the run.
Image expected_frame(const ExpectedFrame &e, const std::string &tz = "UTC");

// Number of pixels that differ.
long frame_difference(const Image &a, const Image &b);
