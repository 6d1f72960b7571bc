// What the server tells its operator: one line per event on standard error (the journal under systemd),
// counters for the health report, and a summary of refused messages that a flood cannot turn into a
// flood of lines.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "server/metrics.h"
#include "server/score_parser.h"

struct ServerStats {
    std::atomic<uint64_t> connections{0};  // accepted
    std::atomic<uint64_t> stored{0};
    std::array<std::atomic<uint64_t>, kVerdictCount> refused{};  // by verdict; kValid stays 0
    std::atomic<uint64_t> timedOut{0};     // the whole message did not arrive within the read time-out
    std::atomic<uint64_t> rateLimited{0};  // closed at once: the address sent too many
    std::atomic<uint64_t> broken{0};       // reset by the peer before the end of its message
    std::atomic<uint64_t> tooManyOpen{0};  // closed at once: that address (or /64) already had its share open
    std::atomic<uint64_t> silent{0};       // nothing arrived within the first-byte time-out
    std::atomic<uint64_t> droppedQuiet{
        0};                         // closed to make room for a new sender while every place was taken
    std::atomic<uint64_t> lost{0};  // valid, but the database refused them until shut-down
    LatencyHistogram storeSeconds;  // each batch's commit, retries apart

    uint64_t RefusedTotal() const;
};

// printf-style line to standard error, prefixed with the program's name; whole lines from any thread.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// At most one line per interval for refused messages: the first in each interval is shown with its
// address and reason, the rest are counted into the next line.
class RefusalLog {
  public:
    explicit RefusalLog(std::chrono::milliseconds lineInterval = std::chrono::seconds(1))
        : interval(lineInterval) {}

    void Note(const std::string& peer, const char* reason);

    // Lines written so far (for tests).
    uint64_t LinesWritten() const { return lines.load(); }

  private:
    using Clock = std::chrono::steady_clock;
    std::chrono::milliseconds interval;
    std::mutex mutex;
    Clock::time_point lastLine{};
    bool anyLine = false;
    uint64_t suppressed = 0;
    std::atomic<uint64_t> lines{0};
};
