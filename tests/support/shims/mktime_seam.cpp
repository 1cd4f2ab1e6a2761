// mktime that fails on demand: while $SHIM_MKTIME is "fail", no time can be
// represented, as on a platform whose time_t ends in 2038. Otherwise the call
// goes to the platform's own function of the same name. It also answers the
// clock shim's probe (probe.h). Linked into the unit tests, and part of the
// clock shim that the end-to-end runs preload.
//
// Both names are defined: mktime, and __mktime64, which glibc's programs call
// instead on 32-bit platforms when built with 64-bit time_t. So this file must
// see the names unrenamed.
#undef _TIME_BITS
#undef _FILE_OFFSET_BITS
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "probe.h"

// The answer when the call is not passed on; 0 when it is.
static long long seam_answer(const struct tm *tm, int *answered)
{
    *answered = 1;
    if (tm->tm_year == PROBE_YEAR)
        return PROBE_ANSWER;
    const char *mode = getenv("SHIM_MKTIME");
    if (mode != nullptr && strcmp(mode, "fail") == 0)
        return -1;
    *answered = 0;
    return 0;
}

extern "C" time_t mktime(struct tm *tm)
{
    int answered;
    long long answer = seam_answer(tm, &answered);
    if (answered)
        return (time_t)answer;
    using MktimeFn = time_t (*)(struct tm *);
    static MktimeFn real = reinterpret_cast<MktimeFn>(dlsym(RTLD_NEXT, "mktime"));
    return real(tm);
}

extern "C" long long __mktime64(struct tm *tm)
{
    int answered;
    long long answer = seam_answer(tm, &answered);
    if (answered)
        return answer;
    using Mktime64Fn = long long (*)(struct tm *);
    static Mktime64Fn real = reinterpret_cast<Mktime64Fn>(dlsym(RTLD_NEXT, "__mktime64"));
    return real(tm);
}
