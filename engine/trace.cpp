// The trace channel, in builds made with VARNEL_TRACE.
#include <windows.h>

#include "engine/trace.h"

#ifdef VARNEL_TRACE

void(WINAPI *engineTraceSink)(const char *line) = OutputDebugStringA;

void engineTrace(const char *format, ...)
{
    // wvsprintfA writes at most 1024 characters and says little when it
    // cuts; the body is ended by hand and cut to what the line has room for.
    enum { bodyLimit = 1024, prefixRoom = 32 };
    char body[bodyLimit + 1];
    va_list args;
    va_start(args, format);
    wvsprintfA(body, format, args);
    va_end(args);
    body[bodyLimit] = 0;
    char line[prefixRoom + bodyLimit + 3];
    const int n = wsprintfA(line, "varnel[%lu]: ", (unsigned long)GetCurrentProcessId());
    lstrcpynA(line + n, body, bodyLimit - n);
    lstrcatA(line, "\r\n");
    engineTraceSink(line);
}

#endif
