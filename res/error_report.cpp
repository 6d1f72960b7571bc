// Error report and log (see error_report.h).
#include "res/error_report.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/audio_layer.h"
#include "platform/dialog.h"
#include "platform/text.h"

namespace {

const void* errorsFatal = reinterpret_cast<const void*>(1);
bool errorRaised = false;
bool logStarted = false;

}  // namespace

void ReportError(const char* format, ...) {
    errorRaised = true;
    if (errorsFatal == nullptr) {
        return;
    }
    char text[kReportBufferSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, " Error: '%s'\n", text);
    fflush(stderr);
    ShowErrorDialog("Error", text);
    // The mixer runs on SDL's audio thread; left running while exit() tears the process down it can
    // crash the exit into a signal. Stop it (and SDL) first, so the status really is 1.
    SDL_Quit();
    SDLMikMod_Quit();
    exit(1);
}

void ReportAssert(bool condition, const char* format, ...) {
    if (condition) {
        return;
    }
    char text[kReportBufferSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, " AssertFailed: %s\n", text);
}

void ReportNote(const char* format, ...) {
    char text[kReportBufferSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, " - %s\n", text);
}

void SetErrorsFatal(const void* fatal) {
    errorsFatal = fatal;
    errorRaised = false;
}

bool ErrorRaised() {
    return errorRaised;
}

void ClearErrorRaised() {
    errorRaised = false;
}

void LogLine(const char* text) {
    FILE* file = fopen("game.log", logStarted ? "at" : "wt");
    if (file == nullptr) {
        return;
    }
    logStarted = true;
    fprintf(file, "%s\n", text != nullptr ? text : "");
    fclose(file);
}
