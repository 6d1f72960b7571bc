// The server's log lines and counters (see server_log.h).
#include "server/server_log.h"

#include <cstdarg>
#include <cstdio>

uint64_t ServerStats::RefusedTotal() const {
    uint64_t total = timedOut.load() + rateLimited.load() + broken.load() + tooManyOpen.load() +
                     silent.load() + droppedQuiet.load();
    for (const auto& count : refused) {
        total += count.load();
    }
    return total;
}

void LogLine(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized): va_start is just above
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // One write per line, so lines of different threads never interleave.
    fprintf(stderr, "quz-scored: %s\n", line);
}

void RefusalLog::Note(const std::string& peer, const char* reason) {
    std::lock_guard lock(mutex);
    Clock::time_point now = Clock::now();
    if (anyLine && now - lastLine < interval) {
        ++suppressed;
        return;
    }
    if (suppressed > 0) {
        LogLine("refused a message from %s: %s (and %llu more since the last line)", peer.c_str(), reason,
                static_cast<unsigned long long>(suppressed));
    } else {
        LogLine("refused a message from %s: %s", peer.c_str(), reason);
    }
    anyLine = true;
    lastLine = now;
    suppressed = 0;
    lines.fetch_add(1);
}
