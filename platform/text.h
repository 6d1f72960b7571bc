// Bounded copies and formatting into fixed buffers: every fixed-size name, path and text of the game
// goes through these so that an over-long input is cut, never written past its buffer.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats are checked as C99's. On Windows the build uses MinGW's own printf family, which takes C99's
// formats (%zu, %lld), where the system's would not; the checker must be told which one it is.
#ifdef __MINGW_PRINTF_FORMAT
#define QUZ_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(__MINGW_PRINTF_FORMAT, formatIndex, firstArgument)))
#else
#define QUZ_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#endif

// Copies src into dst (capacity `size`, including the terminator), cutting it if needed.
// Returns false when the text was cut. A null src gives an empty text.
bool CopyText(char* dst, size_t size, const char* src);

// snprintf into dst; returns false when the result was cut (or on a format error, which leaves "").
bool FormatText(char* dst, size_t size, const char* format, ...) QUZ_PRINTF_FORMAT(3, 4);
bool FormatTextV(char* dst, size_t size, const char* format, va_list args);

// The same for arrays, so the capacity cannot be given wrong.
template <size_t N>
bool CopyText(char (&dst)[N], const char* src) {
    return CopyText(dst, N, src);
}

// Reads the character at the start of a UTF-8 text: returns how many bytes it takes (0 at the end of
// the text) and sets codePoint. A malformed, overlong or surrogate sequence counts as one byte of
// U+FFFD, so a caller walking a text always moves on.
size_t NextUtf8Character(const char* text, unsigned int* codePoint);
