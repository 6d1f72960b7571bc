// Bounded copy and format helpers (see text.h).
#include "platform/text.h"

#include <cstdio>
#include <cstring>

bool CopyText(char* dst, size_t size, const char* src) {
    if (size == 0) {
        return false;
    }
    if (src == nullptr) {
        dst[0] = '\0';
        return true;
    }
    size_t length = strnlen(src, size);
    bool fits = length < size;
    if (!fits) {
        length = size - 1;
    }
    memmove(dst, src, length);
    dst[length] = '\0';
    return fits;
}

bool FormatTextV(char* dst, size_t size, const char* format, va_list args) {
    if (size == 0) {
        return false;
    }
    // The callers va_start the list; the analyzer cannot see through the forwarding.
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
    int written = vsnprintf(dst, size, format, args);
    if (written < 0) {
        dst[0] = '\0';
        return false;
    }
    return static_cast<size_t>(written) < size;
}

bool FormatText(char* dst, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool fits = FormatTextV(dst, size, format, args);
    va_end(args);
    return fits;
}
