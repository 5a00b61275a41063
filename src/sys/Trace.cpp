#include "sys/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool IsTraceOn()
{
    static const bool on = [] {
        const char* value = getenv("LAUNCHER_TRACE");
        return value && *value && strcmp(value, "0") != 0;
    }();
    return on;
}

void Trace(const char* format, ...)
{
    if (!IsTraceOn())
        return;
    va_list args;
    va_start(args, format);
    fputs("launcher: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}
