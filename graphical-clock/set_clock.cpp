#include "set_clock.h"

#include <errno.h>
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

// Each fits the help line's 320 pixels in the small font.
const char NOTICE_NO_PERMISSION[] = "Time not saved: no permission to set the clock";
const char NOTICE_REFUSED[] = "Time not saved: the system clock refused this date";
const char NOTICE_RTC_NOT_SET[] = "Hardware clock not set: the time is lost at restart";

// Writes the instant, in UTC, to the hardware clock; SET_CLOCK_SAVED or
// SET_CLOCK_RTC_FAILED.
static int set_rtc(const struct tm *utc)
{
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
        return SET_CLOCK_RTC_FAILED;
    }
    int result = SET_CLOCK_SAVED;
    if (ioctl(fd, RTC_SET_TIME, &rtc) < 0) {
        puts("Failed to set time!");
        result = SET_CLOCK_RTC_FAILED;
    }
    close(fd);
    return result;
}

int set_clock(time_t t)
{
    // An instant the hardware clock's record cannot hold sets neither clock.
    struct tm utc;
    if (gmtime_r(&t, &utc) == nullptr) {
        errno = EOVERFLOW;
        return SET_CLOCK_NOT_SET;
    }

    struct timespec now = {};
    now.tv_sec = t;
    // A time the system clock refused goes to no clock: at the next start
    // the hardware clock's time would become the system's.
    if (clock_settime(CLOCK_REALTIME, &now) != 0)
        return SET_CLOCK_NOT_SET;
    return set_rtc(&utc);
}

const char *set_clock_notice(int result, int error)
{
    if (result == SET_CLOCK_RTC_FAILED)
        return NOTICE_RTC_NOT_SET;
    if (result != SET_CLOCK_NOT_SET)
        return nullptr;
    return error == EPERM || error == EACCES ? NOTICE_NO_PERMISSION : NOTICE_REFUSED;
}
