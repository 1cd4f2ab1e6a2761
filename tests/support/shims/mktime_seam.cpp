// mktime that fails on demand: while $SHIM_MKTIME is "fail", no time can be
// represented, as on a platform whose time_t ends in 2038. Otherwise the call
// goes to the platform's own. Linked into the unit tests, and part of the
// clock shim that the end-to-end runs preload.
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

extern "C" time_t mktime(struct tm *tm)
{
    const char *mode = getenv("SHIM_MKTIME");
    if (mode != nullptr && strcmp(mode, "fail") == 0)
        return (time_t)-1;
    using MktimeFn = time_t (*)(struct tm *);
    static MktimeFn real_mktime = reinterpret_cast<MktimeFn>(dlsym(RTLD_NEXT, "mktime"));
    return real_mktime(tm);
}
