#include <cstdarg>
#include <cstdio>

#include "update/update.h"

void ConsolePrint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    // The verifier shares the console, and the progress line ends in a
    // carriage return: every message must be out before the next step.
    fflush(stdout);
}
