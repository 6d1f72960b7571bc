// Where standard output and error go. A Windows program started from the desktop has no console, so
// what the game prints (its messages, --help) would be lost: there both streams are written to
// stdout.txt and stderr.txt in the per-user folder %APPDATA%\quz, begun afresh at each start; a file
// left empty at exit is removed. Elsewhere the streams stay where the caller put them.
#pragma once

#include <string>

// Redirects the streams as above; returns the folder they now go to ("" when they were left alone:
// not Windows, or no per-user folder could be made).
std::string RedirectStandardStreams();
