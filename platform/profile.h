// Reading one value of an INI ("profile") file with the rules of the Windows profile API, which the
// configuration file was designed for: section and key names match without regard to case, blanks
// around names and values are ignored, a missing file or key gives the default, and the value is cut
// to the buffer (size - 1 characters).
#pragma once

#include <cstddef>

// Returns the number of characters copied into `out` (excluding the terminator).
size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                         size_t size, const char* fileName);
