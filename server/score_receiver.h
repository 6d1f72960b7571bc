// The TCP side of the server: takes connections, reads one message from each until the sender's close,
// checks it and hands valid scores to the store. A connection is closed only after its score is committed,
// so a sender that waits for the close knows its score is kept; while nothing can be stored, the port is
// closed, so a sender that does not wait keeps its score too.
//
// One thread reads every connection (epoll); a second writes to the database in batches, so one slow
// commit serves every score that arrived meanwhile. Abuse is bounded: a limit on open connections and
// on those from one address (IPv6: one /64), a short deadline for the first byte and one for the whole
// message from the accept, the game's own size limit, a per-address rate limit. When every place is
// taken, the connection that has been quiet longest makes room for the new one: a sender that is sending
// is always the most recent, so holders of idle connections cannot keep it out.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/score_parser.h"
#include "server/score_store.h"
#include "server/server_log.h"
#include "server/store_health.h"

struct ReceiverOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t port = 4242;  // 0 picks a free port
    int maxConnections = 512;
    int perAddressConnections = 4;  // being read at once from one address or /64; 0 for no limit
    std::chrono::milliseconds firstByteTimeout{2000};
    std::chrono::milliseconds readTimeout{5000};
    int ratePerMinute = 60;  // messages per address and minute, in bursts of as many; 0 for no limit
    ExpectedSender expected;
    // How long shut-down keeps retrying a database that refuses the last scores.
    std::chrono::milliseconds storeGrace{10000};
};

class RateLimiter {
  public:
    explicit RateLimiter(int messagesPerMinute) : perMinute(messagesPerMinute) {}
    // True when the address may send one more message at `now`.
    bool Allow(const std::string& address, std::chrono::steady_clock::time_point now);
    size_t TrackedAddresses() const { return buckets.size(); }

  private:
    struct Bucket {
        double tokens;
        std::chrono::steady_clock::time_point updated;
    };
    void Forget(std::chrono::steady_clock::time_point now);

    int perMinute;
    std::unordered_map<std::string, Bucket> buckets;
    std::chrono::steady_clock::time_point lastSweep{};
};

class ScoreReceiver {
  public:
    ScoreReceiver(ReceiverOptions options, ScoreStore* writer, ServerStats* stats, RefusalLog* refusals,
                  StoreHealth* health);
    ~ScoreReceiver();
    ScoreReceiver(const ScoreReceiver&) = delete;
    ScoreReceiver& operator=(const ScoreReceiver&) = delete;

    // Binds and listens; false with the reason.
    bool Listen(std::string* error);
    uint16_t Port() const { return boundPort; }

    // Serves until Stop. Then it accepts nothing more, gives the connections being read the rest of their
    // time, stores every valid score received and returns.
    void Run();

    // From any thread, or a signal handler (it only writes to an eventfd).
    void Stop();

    // From any thread, for /metrics: connections being read, and valid scores waiting for the database.
    size_t BeingRead() const { return beingRead.load(); }
    size_t WaitingForStore() const { return waitingForStore.load(); }

  private:
    struct Connection;
    struct Pending {
        StoredScore score;
        int fd;
    };

    bool OpenListener(std::string* error);
    void CloseListener();
    // While scores cannot be stored the port is closed: a sender then keeps its score for later instead of
    // handing it to a server that cannot keep it.
    void UpdateListening(std::chrono::steady_clock::time_point now);
    void Accept();
    // Closes the connection quiet the longest, to make room; false when none is being read.
    bool DropQuietest();
    void ReadFrom(int fd);
    // A connection that is no longer read: out of the event set, the table and the counts (not closed).
    void StopReading(int fd);
    // Ends a connection being read: StopReading, then closed.
    void CloseReading(int fd);
    void ExpireDeadlines(std::chrono::steady_clock::time_point now);
    void UpdateAccepting(std::chrono::steady_clock::time_point now);
    size_t OpenConnections() const;
    void StoreLoop();
    // Waits for scores; idle, checks the store once a second. False when finishing with nothing left.
    bool NextBatch(std::vector<Pending>* batch);
    void Wake();
    void CloseAll(const std::vector<Pending>& batch, bool stored);

    ReceiverOptions options;
    ScoreStore* writer;
    ServerStats* stats;
    RefusalLog* refusals;
    StoreHealth* health;
    RateLimiter limiter;

    int listenFd = -1;
    int epollFd = -1;
    int wakeFd = -1;
    uint16_t boundPort = 0;
    bool accepting = false;
    bool stopping = false;
    std::chrono::steady_clock::time_point listenRetryAt{};
    std::chrono::steady_clock::time_point acceptPausedUntil{};

    std::unordered_map<int, std::unique_ptr<Connection>> reading;
    // Connections being read from each address key.
    std::unordered_map<std::string, int> perAddress;
    // The descriptors being read, the one quiet the longest first.
    std::list<int> quietOrder;
    // Deadlines in accept order; each kind shares one time-out, so the front is always the earliest.
    struct Deadline {
        std::chrono::steady_clock::time_point at;
        int fd;
        uint64_t id;  // a closed connection's fd may be reused: the id tells them apart
    };
    std::deque<Deadline> deadlines;
    std::deque<Deadline> firstByteDeadlines;
    uint64_t nextId = 1;

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::vector<Pending> queue;
    bool finishing = false;
    std::chrono::steady_clock::time_point finishingSince{};
    std::atomic<bool> stopRequested{false};
    std::atomic<size_t> waitingForStore{0};
    std::atomic<size_t> beingRead{0};
    std::thread storeThread;
};
