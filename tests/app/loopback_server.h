// A one-connection score server on the loopback for the end-of-game tests: it accepts, reads until the
// client closes, and keeps the bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "support/loopback.h"

class LoopbackServer {
  public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Listening() const { return listenFd >= 0; }
    uint16_t Port() const { return port; }
    // Waits (at most 5 s) for the connection to close, then gives every byte read; empty if none came.
    std::vector<uint8_t> Received();

  private:
    int listenFd = -1;
    uint16_t port = 0;
    std::vector<uint8_t> bytes;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
