// Where verified submissions go: quz.ini's [Scores] Submit, a base URL ("http://host[:port]" or https,
// with an optional path for a server behind a proxy) or "off". The game appends "/api/games".
#pragma once

#include <cstddef>

inline constexpr size_t kSubmitUrlSize = 512;
inline constexpr char kSubmitPath[] = "/api/games";

struct SubmitChoice {
    bool off = false;
    bool overridden = false;            // baseUrl replaces the one chosen at build time
    char baseUrl[kSubmitUrlSize] = {};  // without a trailing slash
};

// Reads a [Scores] Submit value. An empty text leaves the build-time URL. A text that is neither "off" nor
// an http or https URL with a host, an optional port (1 to 65535) and an optional plain path (no query,
// no fragment, no user name) gives false and leaves the choice as it was.
bool ParseSubmitSetting(const char* text, SubmitChoice* choice);

// The URL the game posts to: the base with "/api/games" appended, into out[size]. "" when the choice is
// off or the result does not fit.
void SubmitUrlFor(const SubmitChoice& choice, const char* buildTimeBase, char* out, size_t size);
