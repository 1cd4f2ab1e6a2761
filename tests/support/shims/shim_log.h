// The shims' call log: one line per call, appended to $SHIM_LOG.
#pragma once

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

__attribute__((format(printf, 1, 2))) static inline void log_line(const char *format, ...)
{
    const char *path = getenv("SHIM_LOG");
    if (path == nullptr)
        return;
    FILE *f = fopen(path, "a");
    if (f == nullptr)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}
