// Setting the system clock and the hardware clock (kept in UTC).
#pragma once

#include <time.h>

#define RTC_DEVICE "/dev/rtc0"

int set_clock(const struct tm *local);
