// The single fatal error report of the program, two lighter report lines, and a plain log file.
#pragma once

#include <cstddef>

#include "platform/text.h"

// Sets ErrorRaised; in fatal mode (the default) writes " Error: '<text>'\n" to stderr, shows a modal
// dialog captioned "Error" and ends the process with exit(1). Otherwise returns at once.
void ReportError(const char* format, ...) QUZ_PRINTF_FORMAT(1, 2);
// When condition is false writes " AssertFailed: <text>\n" to stderr.
void ReportAssert(bool condition, const char* format, ...) QUZ_PRINTF_FORMAT(2, 3);
// Writes " - <text>\n" to stderr.
void ReportNote(const char* format, ...) QUZ_PRINTF_FORMAT(1, 2);

// Null turns fatal mode off, anything else on; clears ErrorRaised.
void SetErrorsFatal(const void* fatal);
bool ErrorRaised();
void ClearErrorRaised();

// Appends text as one line of "game.log"; the first call of a run starts the file afresh.
void LogLine(const char* text);

// Report texts are formatted into a buffer of this size; longer texts are cut.
inline constexpr size_t kReportBufferSize = 4096;
