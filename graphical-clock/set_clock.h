// Setting the system clock and the hardware clock (kept in UTC).
#pragma once

#include <time.h>

#define RTC_DEVICE "/dev/rtc0"

// What set_clock did.
constexpr int SET_CLOCK_SAVED = 0;       // both clocks hold the time
constexpr int SET_CLOCK_RTC_FAILED = -1; // the system clock holds it; the hardware clock
                                         // could not be opened or refused it
constexpr int SET_CLOCK_NOT_SET = -2;    // neither clock was set; errno says why the system
                                         // clock was not

// Sets both clocks to the instant t: the one on show, as it is, so that a
// time shown twice where the clocks go back is saved as the reading on show.
int set_clock(time_t t);

// What the screen says after a save that did not set both clocks (the words
// for errno after SET_CLOCK_NOT_SET); null after a whole save.
const char *set_clock_notice(int result, int error);

extern const char NOTICE_NO_PERMISSION[];
extern const char NOTICE_REFUSED[];
extern const char NOTICE_RTC_NOT_SET[];
