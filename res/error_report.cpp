// Error report and log (see error_report.h).
#include "res/error_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

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
