// The web side's clock on whole requests. The library only times out silence, so a client that sends one
// byte every few seconds would hold its connection forever; here each connection has until a fixed time
// after it started waiting for a request (its connection, or the end of its last answer) to send the
// whole request, and is cut when it has not. A thread of its own does the cutting.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

class RequestDeadlines {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RequestDeadlines(std::chrono::milliseconds limit);
    ~RequestDeadlines();
    RequestDeadlines(const RequestDeadlines&) = delete;
    RequestDeadlines& operator=(const RequestDeadlines&) = delete;

    // A new connection: its clock starts. The id names it in the calls below.
    uint64_t Opened(int fd);
    // The whole request is in (or an answer is already decided): the clock stops.
    void RequestIn(uint64_t id);
    // Its answer is sent: the clock starts again for the next request on the same connection.
    void AnswerSent(uint64_t id);
    // Must come before the descriptor is closed, so a cut never reaches a reused descriptor.
    void Closed(uint64_t id);

    // Connections cut so far.
    uint64_t Cut() const { return cut.load(); }

  private:
    struct Entry {
        int fd;
        uint64_t generation;  // which of the connection's clocks is running; 0 when none
    };
    struct Due {
        Clock::time_point at;
        uint64_t id;
        uint64_t generation;
    };
    void StartClock(uint64_t id, Entry* entry);
    void Watch();

    std::chrono::milliseconds limit;
    std::mutex mutex;
    std::condition_variable changed;
    std::unordered_map<uint64_t, Entry> open;
    // All clocks run for the same time, so they come due in the order they started.
    std::deque<Due> due;
    uint64_t nextId = 1;
    uint64_t nextGeneration = 1;
    std::atomic<uint64_t> cut{0};
    bool stopping = false;
    std::thread watcher;
};
