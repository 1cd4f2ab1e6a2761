/* board_clock: the emulated board's two clocks, and its console's mode, for
 * its check. Built for the board only and run only inside the emulated
 * machine, never on a host.
 *
 *   board_clock show        prints "system=S rtc=R rtc_utc=YYYY-MM-DD HH:MM:SS"
 *                           (S, R: seconds since the epoch; R read from
 *                           /dev/rtc0 as UTC with RTC_RD_TIME)
 *   board_clock set S       sets the system clock to S seconds
 *   board_clock vt-mode TTY prints "text" or "graphics": the virtual
 *                           terminal's mode (KDGETMODE)
 *
 * Built with a 64-bit time_t, so dates after 2038 are read and set whole
 * (the board's busybox has a 32-bit one). */
#include <fcntl.h>
#include <linux/kd.h>
#include <linux/rtc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

_Static_assert(sizeof(time_t) == 8, "board_clock needs a 64-bit time_t");

static int show(void)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    int fd = open("/dev/rtc0", O_RDONLY);
    if (fd < 0) {
        perror("board_clock: /dev/rtc0");
        return 1;
    }
    struct rtc_time rtc;
    memset(&rtc, 0, sizeof rtc);
    int read = ioctl(fd, RTC_RD_TIME, &rtc);
    close(fd);
    if (read < 0) {
        perror("board_clock: RTC_RD_TIME");
        return 1;
    }
    struct tm tm;
    memset(&tm, 0, sizeof tm);
    tm.tm_year = rtc.tm_year;
    tm.tm_mon = rtc.tm_mon;
    tm.tm_mday = rtc.tm_mday;
    tm.tm_hour = rtc.tm_hour;
    tm.tm_min = rtc.tm_min;
    tm.tm_sec = rtc.tm_sec;
    time_t rtc_seconds = timegm(&tm);
    printf("system=%lld rtc=%lld rtc_utc=%04d-%02d-%02d %02d:%02d:%02d\n",
           (long long)now.tv_sec, (long long)rtc_seconds, rtc.tm_year + 1900, rtc.tm_mon + 1,
           rtc.tm_mday, rtc.tm_hour, rtc.tm_min, rtc.tm_sec);
    return 0;
}

static int set(const char *seconds)
{
    struct timespec t = {(time_t)strtoll(seconds, NULL, 10), 0};
    if (clock_settime(CLOCK_REALTIME, &t) < 0) {
        perror("board_clock: clock_settime");
        return 1;
    }
    return 0;
}

static int vt_mode(const char *tty)
{
    int fd = open(tty, O_RDONLY | O_NOCTTY);
    int mode = KD_TEXT;
    if (fd < 0 || ioctl(fd, KDGETMODE, &mode) < 0) {
        perror("board_clock: KDGETMODE");
        return 1;
    }
    close(fd);
    puts(mode == KD_GRAPHICS ? "graphics" : "text");
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "show") == 0)
        return show();
    if (argc == 3 && strcmp(argv[1], "set") == 0)
        return set(argv[2]);
    if (argc == 3 && strcmp(argv[1], "vt-mode") == 0)
        return vt_mode(argv[2]);
    fprintf(stderr, "usage: board_clock show | board_clock set SECONDS | board_clock vt-mode TTY\n");
    return 2;
}
