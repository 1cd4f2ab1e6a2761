// Runs the clock shim's probe (see probe.h), built like the programs; prints
// "intercepted" and exits 0 when the preloaded shim answered every call.
#include <stdio.h>
#include <sys/ioctl.h>
#include <time.h>

#include "probe.h"

int main()
{
    struct timespec ts = {};
    struct tm tm = {};
    tm.tm_year = PROBE_YEAR;
    int settime = clock_settime(PROBE_CLOCK, &ts) == PROBE_ANSWER;
    int request = ioctl(-1, PROBE_IOCTL, nullptr) == PROBE_ANSWER;
    int convert = mktime(&tm) == (time_t)PROBE_ANSWER;
    printf("clock_settime %s, ioctl %s, mktime %s\n", settime ? "intercepted" : "MISSED",
           request ? "intercepted" : "MISSED", convert ? "intercepted" : "MISSED");
    return settime && request && convert ? 0 : 1;
}
