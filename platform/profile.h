// Reading one value of an INI ("profile") file with the rules of the Windows profile API, which the
// configuration file was designed for: section and key names match without regard to case, blanks
// around names and values are ignored, a missing file or key gives the default, and the value is cut
// to the buffer (size - 1 characters).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A settings file is a handful of lines: only its first this many bytes are read, so a huge file (or a
// link to an endless device) cannot stall start-up.
inline constexpr size_t kProfileReadLimit = 64 * 1024;
// A line longer than this (terminator excluded) is skipped whole, never split into pieces that could
// be read as settings of their own.
inline constexpr size_t kProfileLineLimit = 4095;

// Returns the number of characters copied into `out` (excluding the terminator).
size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                         size_t size, const char* fileName);

// The value of key in section of an INI text, with the same matching rules; false when either is
// missing. The text is taken as the whole file: a last line without a terminator still counts.
bool FindProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                      std::string& value);
