#include "sys/TAV_Exception.h"

#include <cstdarg>  // Required for: va_list, va_start, va_end
#include <cstdio>   // Required for: vsnprintf()

TAV_Exception::TAV_Exception(int code, const char* format, ...)
    : code(code)
{
    // A limit of 255 keeps at most 254 characters plus the terminator, whatever the caller
    // formats (a file name can be of any length).
    va_list args;
    va_start(args, format);
    vsnprintf(message, MAX_MESSAGE_LENGTH + 1, format, args);
    va_end(args);
}
