// A stand-in score server on the loopback for the net tests. It decodes what it receives with its own
// code, not the client's, so a fault shared by both directions still shows.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback.h"

// One connection as the peer saw it, from accept to close.
struct ReceivedScore {
    std::vector<uint8_t> wire;  // every byte read
    bool checksumMatches = false;
    std::string text;                 // the wire bytes before the checksum, unscrambled
    std::vector<std::string> fields;  // the text split at TABs
};

class ScorePeer {
  public:
    enum class Behaviour {
        ReadToClose,           // a well-behaved server
        ResetAfterFirstBytes,  // takes a first chunk, then drops the connection with a reset
    };

    explicit ScorePeer(Behaviour behaviour = Behaviour::ReadToClose);
    ~ScorePeer();
    ScorePeer(const ScorePeer&) = delete;
    ScorePeer& operator=(const ScorePeer&) = delete;

    bool Listening() const { return listenFd >= 0; }
    uint16_t Port() const { return port; }

    // Waits at most timeoutMs until `count` connections have been read to their close.
    bool WaitForConnections(size_t count, int timeoutMs);
    std::vector<ReceivedScore> Received();

  private:
    void Run();
    void Serve(int connection);

    Behaviour behaviour;
    int listenFd = -1;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<ReceivedScore> received;
    std::thread thread;
};

// The decoding the peer applies, for tests that check bytes directly.
std::string UnscrambleForTest(const uint8_t* bytes, size_t length);
