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

size_t NextUtf8Character(const char* text, unsigned int* codePoint) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (bytes == nullptr || bytes[0] == 0) {
        *codePoint = 0;
        return 0;
    }
    const unsigned int lead = bytes[0];
    size_t length = 0;
    unsigned int value = 0;
    unsigned int smallest = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            length = 0;  // a cut sequence: the terminator or a new character comes first
            break;
        }
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    if (length == 0 || value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        *codePoint = 0xFFFD;
        return 1;
    }
    *codePoint = value;
    return length;
}
