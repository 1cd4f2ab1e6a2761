#include "set_clock.h"

#include <fcntl.h>
#include <linux/rtc.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <unistd.h>

static_assert(sizeof(struct rtc_time) == 36, "RTC_SET_TIME carries a 36-byte record");
static_assert(RTC_SET_TIME == 0x4024700a, "RTC_SET_TIME request number");
// Times after January 2038 are set whole only with a 64-bit time_t, which a
// 32-bit target's C library gives from glibc 2.34 (with _TIME_BITS=64) or
// musl 1.2 on.
static_assert(sizeof(time_t) == 8, "a 64-bit time_t is needed: glibc 2.34 or musl 1.2 or newer");

int set_clock(const struct tm *local)
{
    struct tm copy = *local;
    time_t t = mktime(&copy);
    // An instant the platform cannot represent sets neither clock.
    if (t == (time_t)-1)
        return -1;

    struct timespec now = {};
    now.tv_sec = t;
    clock_settime(CLOCK_REALTIME, &now); // a refusal (no privilege) stays silent

    struct tm *utc = gmtime(&t);
    struct rtc_time rtc = {};
    rtc.tm_sec = utc->tm_sec;
    rtc.tm_min = utc->tm_min;
    rtc.tm_hour = utc->tm_hour;
    rtc.tm_mday = utc->tm_mday;
    rtc.tm_mon = utc->tm_mon;
    rtc.tm_year = utc->tm_year;

    int fd = open(RTC_DEVICE, O_RDWR);
    if (fd < 0) {
        puts("Failed to open!!");
        return -1;
    }
    int result = 0;
    if (ioctl(fd, RTC_SET_TIME, &rtc) < 0) {
        puts("Failed to set time!");
        result = -1;
    }
    close(fd);
    return result;
}
