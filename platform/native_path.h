// Paths and texts handed to the operating system. The game keeps every path as UTF-8. Windows' narrow
// calls would read that in the ANSI code page, where a user folder named in another script (a player
// called Zoë, or Дима) cannot be reached at all; there each call goes through the wide-character API,
// converting at the boundary with these.
#pragma once

#include <string>

#ifdef _WIN32
// The UTF-16 form of UTF-8 text; empty when the text is not valid UTF-8 (so no call finds a file by a
// mangled name).
std::wstring WideText(const char* utf8);
// The UTF-8 form of the system's UTF-16 text.
std::string Utf8Text(const wchar_t* wide);
#endif

// The value of an environment variable as UTF-8; false when it is not set.
bool GetEnvironmentText(const char* name, std::string& value);
