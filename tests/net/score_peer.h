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

// A loopback listener that never accepts. With queueFull its accept queue is filled first, so a new
// connect to it hangs as if the server were black-holed; otherwise connects complete but nothing is read.
class SilentListener {
  public:
    explicit SilentListener(bool queueFull);
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    bool Listening() const { return listenFd >= 0; }
    uint16_t Port() const { return port; }

  private:
    int listenFd = -1;
    uint16_t port = 0;
    std::vector<int> fillers;
};

// A loopback port with nobody listening on it (connects are refused at once).
uint16_t UnusedLoopbackPort();

// True when a plain connect to the loopback port is still not through after waitMs.
bool LoopbackConnectHangs(uint16_t port, int waitMs);

// The decoding the peer applies, for tests that check bytes directly.
std::string UnscrambleForTest(const uint8_t* bytes, size_t length);
