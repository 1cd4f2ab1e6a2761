// LD_PRELOAD shim that stands between the graphical clock and the clocks it
// sets: clock_settime is never passed on, and "/dev/rtc0" is never opened.
// What would have been written is appended to $SHIM_LOG.
//
//   SHIM_SETTIME=refuse   clock_settime fails with EPERM
//   SHIM_SETTIME=range    clock_settime fails with EINVAL (a time it does not take)
//   SHIM_RTC=noopen       opening the device fails with ENOENT
//   SHIM_RTC=refuse       RTC_SET_TIME fails with EINVAL
//   SHIM_MKTIME=fail      mktime cannot represent any time
//   SHIM_TIME=secs        fake clocks: the system clock starts at this instant
//                         (time, gettimeofday, clock_gettime(CLOCK_REALTIME)), and
//                         a monotonic and a boot clock of their own
//                         (CLOCK_MONOTONIC, CLOCK_BOOTTIME); all move with
//                         clock_shim_pass (time passes: the SDL shim's scripted
//                         time), the system clock alone with clock_settime and
//                         clock_shim_step (another program sets it), the system
//                         and boot clocks with clock_shim_suspend (the machine
//                         sleeps)
//   SHIM_CLOCK=run        with SHIM_TIME: both also run on in real time
//   SHIM_STEPS=fd         with SHIM_TIME: nanosleep does not sleep; it writes
//                         STEP_MARK to standard output (after all the program
//                         wrote), waits for one byte on fd (the test's go),
//                         and time passes by the sleep asked for: a terminal
//                         program runs in steps the test takes one at a time
// The shim defines both open and open64 itself, so it must see them unrenamed;
// on 32-bit platforms it also defines the 64-bit-time entry points that the
// programs, built with _TIME_BITS=64, call instead of the plain names.
#undef _FILE_OFFSET_BITS
#undef _TIME_BITS
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/rtc.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include "probe.h"
#include "shim_log.h"

namespace {

template <typename F> F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int fake_fd = -1;

// The fake clocks in milliseconds as last set (the system clock since the
// epoch, -1 until first read), and the real monotonic milliseconds then.
long long fake_system = -1;
long long fake_passed = 0;
long long fake_boot = 0;
long long fake_set_at = 0;

long long monotonic_ms()
{
    static auto real = next<int (*)(clockid_t, struct timespec *)>("clock_gettime");
    struct timespec ts;
    real(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

bool clock_faked()
{
    return getenv("SHIM_TIME") != nullptr;
}

long long running_since_set()
{
    const char *mode = getenv("SHIM_CLOCK");
    if (fake_system < 0) {
        fake_system = strtoll(getenv("SHIM_TIME"), nullptr, 10) * 1000;
        fake_set_at = monotonic_ms();
    }
    return mode != nullptr && strcmp(mode, "run") == 0 ? monotonic_ms() - fake_set_at : 0;
}

long long fake_now()
{
    return running_since_set() + fake_system;
}

long long fake_monotonic()
{
    return running_since_set() + fake_passed;
}

long long fake_boottime()
{
    return running_since_set() + fake_boot;
}

void fake_move(long long system_ms, long long passed_ms, long long boot_ms)
{
    long long system = fake_now() + system_ms, passed = fake_monotonic() + passed_ms;
    long long boot = fake_boottime() + boot_ms;
    fake_system = system;
    fake_passed = passed;
    fake_boot = boot;
    fake_set_at = monotonic_ms();
}

// The fake clock's reading for this clock, in ms; false for a clock it does not fake.
bool fake_reading(clockid_t id, long long *ms)
{
    if (!clock_faked())
        return false;
    switch (id) {
    case CLOCK_REALTIME: *ms = fake_now(); return true;
    case CLOCK_MONOTONIC: *ms = fake_monotonic(); return true;
    case CLOCK_BOOTTIME: *ms = fake_boottime(); return true;
    default: return false;
    }
}

bool is_rtc(const char *path)
{
    return path != nullptr && strcmp(path, "/dev/rtc0") == 0;
}

bool mode_is(const char *name, const char *value)
{
    const char *v = getenv(name);
    return v != nullptr && strcmp(v, value) == 0;
}

// Opens a harmless stand-in descriptor for the device.
int open_rtc(int flags)
{
    log_line("open /dev/rtc0 flags=%d", flags);
    if (mode_is("SHIM_RTC", "noopen")) {
        errno = ENOENT;
        return -1;
    }
    using OpenFn = int (*)(const char *, int, ...);
    static OpenFn real_open = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, "open"));
    fake_fd = real_open("/dev/null", O_RDONLY);
    return fake_fd;
}

int forward_open(const char *name, const char *path, int flags, mode_t mode)
{
    using OpenFn = int (*)(const char *, int, ...);
    OpenFn fn = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, name));
    return fn(path, flags, mode);
}

int forward_openat(const char *name, int dir, const char *path, int flags, mode_t mode)
{
    using OpenAtFn = int (*)(int, const char *, int, ...);
    OpenAtFn fn = reinterpret_cast<OpenAtFn>(dlsym(RTLD_NEXT, name));
    return fn(dir, path, flags, mode);
}


} // namespace

extern "C" {


static int set_clock_time(clockid_t id, long long sec, long nsec)
{
    if (id == PROBE_CLOCK)
        return PROBE_ANSWER;
    log_line("clock_settime clock=%d sec=%lld", (int)id, sec);
    if (mode_is("SHIM_SETTIME", "refuse") || mode_is("SHIM_SETTIME", "range")) {
        errno = mode_is("SHIM_SETTIME", "refuse") ? EPERM : EINVAL;
        return -1;
    }
    if (id == CLOCK_REALTIME && clock_faked())
        fake_move(sec * 1000 + nsec / 1000000 - fake_now(), 0, 0);
    return 0;
}

int clock_settime(clockid_t id, const struct timespec *ts)
{
    return set_clock_time(id, ts->tv_sec, ts->tv_nsec);
}

// 64-bit time on a 32-bit platform: glibc's struct __timespec64.
struct timespec64 {
    long long tv_sec;
#if __SIZEOF_POINTER__ == 4
    int tv_nsec;
    int padding;
#else
    long tv_nsec;
#endif
};

int __clock_settime64(clockid_t id, const struct timespec64 *ts)
{
    return set_clock_time(id, ts->tv_sec, ts->tv_nsec);
}

void clock_shim_pass(long long ms)
{
    if (clock_faked())
        fake_move(ms, ms, ms);
}

void clock_shim_step(long long ms)
{
    if (clock_faked())
        fake_move(ms, 0, 0);
}

void clock_shim_suspend(long long ms)
{
    if (clock_faked())
        fake_move(ms, 0, ms);
}

// One step of a program run in steps (SHIM_STEPS): false when not stepped.
static bool stepped_sleep(long long ms)
{
    const char *fd = getenv("SHIM_STEPS");
    if (fd == nullptr || !clock_faked())
        return false;
    static const char mark[] = "\033]step\007";
    ssize_t written = write(1, mark, sizeof mark - 1);
    (void)written;
    char go;
    while (read(atoi(fd), &go, 1) < 0 && errno == EINTR)
        ; // a signal the test sent while the program waits is handled here
    clock_shim_pass(ms);
    return true;
}

int nanosleep(const struct timespec *request, struct timespec *remaining)
{
    if (stepped_sleep((long long)request->tv_sec * 1000 + request->tv_nsec / 1000000))
        return 0;
    static auto real = next<int (*)(const struct timespec *, struct timespec *)>("nanosleep");
    return real(request, remaining);
}

int __nanosleep64(const struct timespec64 *request, struct timespec64 *remaining)
{
    if (stepped_sleep(request->tv_sec * 1000 + request->tv_nsec / 1000000))
        return 0;
    static auto real = next<int (*)(const struct timespec64 *, struct timespec64 *)>("__nanosleep64");
    return real(request, remaining);
}

time_t time(time_t *out)
{
    time_t t;
    if (clock_faked()) {
        t = (time_t)(fake_now() / 1000);
    } else {
        static auto real = next<time_t (*)(time_t *)>("time");
        t = real(nullptr);
    }
    if (out != nullptr)
        *out = t;
    return t;
}

long long __time64(long long *out)
{
    long long t;
    if (clock_faked()) {
        t = fake_now() / 1000;
    } else {
        static auto real = next<long long (*)(long long *)>("__time64");
        t = real(nullptr);
    }
    if (out != nullptr)
        *out = t;
    return t;
}

int gettimeofday(struct timeval *tv, void *tz)
{
    if (!clock_faked()) {
        static auto real = next<int (*)(struct timeval *, void *)>("gettimeofday");
        return real(tv, tz);
    }
    long long ms = fake_now();
    tv->tv_sec = (time_t)(ms / 1000);
    tv->tv_usec = (suseconds_t)(ms % 1000 * 1000);
    return 0;
}

// 64-bit time on a 32-bit platform: glibc's struct __timeval64.
struct timeval64 {
    long long tv_sec;
    long long tv_usec;
};

int __gettimeofday64(struct timeval64 *tv, void *tz)
{
    if (!clock_faked()) {
        static auto real = next<int (*)(struct timeval64 *, void *)>("__gettimeofday64");
        return real(tv, tz);
    }
    long long ms = fake_now();
    tv->tv_sec = ms / 1000;
    tv->tv_usec = ms % 1000 * 1000;
    return 0;
}

int clock_gettime(clockid_t id, struct timespec *ts)
{
    long long ms;
    if (fake_reading(id, &ms)) {
        ts->tv_sec = (time_t)(ms / 1000);
        ts->tv_nsec = (long)(ms % 1000 * 1000000);
        return 0;
    }
    static auto real = next<int (*)(clockid_t, struct timespec *)>("clock_gettime");
    return real(id, ts);
}

int __clock_gettime64(clockid_t id, struct timespec64 *ts)
{
    long long ms;
    if (fake_reading(id, &ms)) {
        ts->tv_sec = ms / 1000;
        ts->tv_nsec = (int)(ms % 1000 * 1000000);
        return 0;
    }
    static auto real = next<int (*)(clockid_t, struct timespec64 *)>("__clock_gettime64");
    return real(id, ts);
}

// The mode argument follows the flags only when a file may be created.
#define MODE_ARG(flags)                                                          \
    va_list args;                                                                \
    va_start(args, flags);                                                       \
    mode_t mode = ((flags) & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(args, int) : 0; \
    va_end(args)

int open(const char *path, int flags, ...)
{
    MODE_ARG(flags);
    return is_rtc(path) ? open_rtc(flags) : forward_open("open", path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    MODE_ARG(flags);
    return is_rtc(path) ? open_rtc(flags) : forward_open("open64", path, flags, mode);
}

int openat(int dir, const char *path, int flags, ...)
{
    MODE_ARG(flags);
    return is_rtc(path) ? open_rtc(flags) : forward_openat("openat", dir, path, flags, mode);
}

int openat64(int dir, const char *path, int flags, ...)
{
    MODE_ARG(flags);
    return is_rtc(path) ? open_rtc(flags) : forward_openat("openat64", dir, path, flags, mode);
}

static int rtc_or_forward(const char *name, int fd, unsigned long request, void *arg)
{
    if (request == PROBE_IOCTL)
        return PROBE_ANSWER;
    if (fake_fd >= 0 && fd == fake_fd) {
        const struct rtc_time *r = static_cast<const struct rtc_time *>(arg);
        log_line("ioctl 0x%lx rtc %d-%d-%d %d:%d:%d wday=%d yday=%d isdst=%d", request,
                 r->tm_year, r->tm_mon, r->tm_mday, r->tm_hour, r->tm_min, r->tm_sec,
                 r->tm_wday, r->tm_yday, r->tm_isdst);
        if (mode_is("SHIM_RTC", "refuse")) {
            errno = EINVAL;
            return -1;
        }
        return 0;
    }
    using IoctlFn = int (*)(int, unsigned long, void *);
    IoctlFn real_ioctl = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, name));
    return real_ioctl(fd, request, arg);
}

// The one argument that follows the request.
#define IOCTL_ARG(request)                                                       \
    va_list args;                                                                \
    va_start(args, request);                                                     \
    void *arg = va_arg(args, void *);                                            \
    va_end(args)

int ioctl(int fd, unsigned long request, ...)
{
    IOCTL_ARG(request);
    return rtc_or_forward("ioctl", fd, request, arg);
}

int __ioctl_time64(int fd, unsigned long request, ...)
{
    IOCTL_ARG(request);
    return rtc_or_forward("__ioctl_time64", fd, request, arg);
}

int close(int fd)
{
    if (fake_fd >= 0 && fd == fake_fd) {
        log_line("close rtc");
        fake_fd = -1;
    }
    using CloseFn = int (*)(int);
    static CloseFn real_close = reinterpret_cast<CloseFn>(dlsym(RTLD_NEXT, "close"));
    return real_close(fd);
}

} // extern "C"
