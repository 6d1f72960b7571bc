// A crowd of hostile connections for the server tests: from many loopback addresses (127.0.0.2 and up,
// so the checked client on 127.0.0.1 is another address, as on the internet), each either idle or
// trickling a few bytes at long intervals, and each opened again as soon as the server cuts it. One
// thread runs the whole crowd until Stop.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct CrowdPlan {
    int addresses = 10;    // 127.0.<1 + i / 250>.<2 + i % 250>...: never 127.0.0.1
    int perAddress = 5;    // connections held from each
    int firstAddress = 0;  // to give two crowds distinct addresses
    std::string trickle;   // sent one byte per interval; empty: idle
    std::chrono::milliseconds interval{4000};
};

class LoopbackCrowd {
  public:
    LoopbackCrowd(uint16_t port, CrowdPlan plan);
    ~LoopbackCrowd();
    LoopbackCrowd(const LoopbackCrowd&) = delete;
    LoopbackCrowd& operator=(const LoopbackCrowd&) = delete;

    // Waits until every connection has been opened once (or the wait ends); how many are open.
    int WaitUntilOpen(std::chrono::milliseconds wait);
    int Open() const { return open.load(); }
    // Times the server cut (closed or reset) a connection of the crowd.
    int64_t Cuts() const { return cuts.load(); }
    void Stop();

    static std::string Address(int index);

  private:
    void Run();

    uint16_t port;
    CrowdPlan plan;
    std::atomic<bool> stopping{false};
    std::atomic<int> open{0};
    std::atomic<int64_t> cuts{0};
    std::atomic<bool> allOpened{false};
    std::thread runner;
};

// Raises this process's descriptor limit to its hard limit: the crowds need thousands.
void RaiseDescriptorLimit();
