// The TCP side of the server (see score_receiver.h).
#include "server/score_receiver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "server/client_address.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kMaxBatch = 1024;
// Connections taken per wake-up: a flood of new connections must not push out, before it is read, one
// accepted a moment earlier.
constexpr int kAcceptsPerWake = 64;
// What the kernel holds while the server is busy; it is capped by net.core.somaxconn.
constexpr int kListenBacklog = 65535;

int64_t NowUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A close that tells the peer its message was not kept: a reset rather than the orderly end.
void CloseWithReset(int fd) {
    linger abort = {1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(fd);
}

}  // namespace

struct ScoreReceiver::Connection {
    uint64_t id = 0;
    std::string peer;
    std::string key;  // what the per-address limits count by
    std::list<int>::iterator quietPlace;
    size_t length = 0;
    // One byte more than the longest message, to tell a full message from an oversized one.
    uint8_t bytes[kScoreWireLimit + 1];
};

bool RateLimiter::Allow(const std::string& address, Clock::time_point now) {
    if (perMinute <= 0) {
        return true;
    }
    Forget(now);
    double burst = perMinute;
    auto [it, added] = buckets.try_emplace(address, Bucket{burst, now});
    Bucket& bucket = it->second;
    if (!added) {
        double minutes = std::chrono::duration<double>(now - bucket.updated).count() / 60.0;
        bucket.tokens = std::min(burst, bucket.tokens + minutes * perMinute);
        bucket.updated = now;
    }
    if (bucket.tokens < 1.0) {
        return false;
    }
    bucket.tokens -= 1.0;
    return true;
}

// Addresses whose bucket has filled up again behave exactly like new ones: forgetting them keeps the
// table as small as the set of recent senders.
void RateLimiter::Forget(Clock::time_point now) {
    if (now - lastSweep < std::chrono::minutes(1)) {
        return;
    }
    lastSweep = now;
    for (auto it = buckets.begin(); it != buckets.end();) {
        double minutes = std::chrono::duration<double>(now - it->second.updated).count() / 60.0;
        if (it->second.tokens + minutes * perMinute >= perMinute) {
            it = buckets.erase(it);
        } else {
            ++it;
        }
    }
}

ScoreReceiver::ScoreReceiver(ReceiverOptions opts, ScoreStore* store, ServerStats* counters,
                             RefusalLog* refusalLog, StoreHealth* storeHealth)
    : options(std::move(opts)),
      writer(store),
      stats(counters),
      refusals(refusalLog),
      health(storeHealth),
      limiter(options.ratePerMinute) {
    epollFd = epoll_create1(EPOLL_CLOEXEC);
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

ScoreReceiver::~ScoreReceiver() {
    for (auto& [fd, connection] : reading) {
        close(fd);
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
    if (wakeFd >= 0) {
        close(wakeFd);
    }
    if (epollFd >= 0) {
        close(epollFd);
    }
}

bool ScoreReceiver::Listen(std::string* error) {
    if (epollFd < 0 || wakeFd < 0) {
        *error = std::string("cannot create the event set: ") + strerror(errno);
        return false;
    }
    if (!OpenListener(error)) {
        return false;
    }
    epoll_event wake = {};
    wake.events = EPOLLIN;
    wake.data.fd = wakeFd;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &wake);
    return true;
}

// Once bound, the same port again: a port chosen by the system stays the one announced.
bool ScoreReceiver::OpenListener(std::string* error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string port = std::to_string(boundPort != 0 ? boundPort : options.port);
    const char* host = options.bindAddress.empty() ? nullptr : options.bindAddress.c_str();
    if (int rc = getaddrinfo(host, port.c_str(), &hints, &found); rc != 0) {
        *error = "bad listen address " + options.bindAddress + ": " + gai_strerror(rc);
        return false;
    }
    int fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    bool ok = fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
              bind(fd, found->ai_addr, found->ai_addrlen) == 0 && listen(fd, kListenBacklog) == 0;
    freeaddrinfo(found);
    if (!ok) {
        *error = "cannot listen on " + options.bindAddress + " port " + port + ": " + strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    sockaddr_storage bound = {};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    boundPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                                  : reinterpret_cast<sockaddr_in&>(bound).sin_port);
    listenFd = fd;
    return true;
}

void ScoreReceiver::CloseListener() {
    if (listenFd < 0) {
        return;
    }
    if (accepting) {
        epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
        accepting = false;
    }
    close(listenFd);
    listenFd = -1;
}

void ScoreReceiver::UpdateListening(Clock::time_point now) {
    std::string reason;
    bool storable = health == nullptr || health->Healthy(&reason);
    if (!storable && listenFd >= 0) {
        LogLine("not taking scores while they cannot be stored: %s", reason.c_str());
        CloseListener();
    } else if (storable && listenFd < 0 && now >= listenRetryAt) {
        std::string error;
        if (OpenListener(&error)) {
            LogLine("taking scores again on port %u", boundPort);
        } else {
            LogLine("%s; trying again", error.c_str());
            listenRetryAt = now + std::chrono::seconds(1);
        }
    }
}

void ScoreReceiver::Stop() {
    stopRequested.store(true);
    uint64_t one = 1;
    // Nothing to do if it fails: the counter is already non-zero and the loop wakes anyway.
    [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

size_t ScoreReceiver::OpenConnections() const {
    return reading.size() + waitingForStore.load();
}

void ScoreReceiver::UpdateAccepting(Clock::time_point now) {
    if (listenFd < 0) {
        return;
    }
    // While full, a connection being read can still make room; those waiting for the database cannot.
    bool want =
        (OpenConnections() < static_cast<size_t>(std::max(options.maxConnections, 1)) || !reading.empty()) &&
        now >= acceptPausedUntil;
    if (want == accepting) {
        return;
    }
    // Taken out of the event set while full: the kernel's backlog holds the next senders meanwhile.
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.fd = listenFd;
    epoll_ctl(epollFd, want ? EPOLL_CTL_ADD : EPOLL_CTL_DEL, listenFd, &event);
    accepting = want;
}

void ScoreReceiver::Accept() {
    Clock::time_point now = Clock::now();
    size_t limit = static_cast<size_t>(std::max(options.maxConnections, 1));
    for (int taken = 0; taken < kAcceptsPerWake; ++taken) {
        if (OpenConnections() >= limit && reading.empty()) {
            return;  // every place waits for the database: the backlog holds the next senders
        }
        sockaddr_storage address = {};
        socklen_t length = sizeof address;
        int fd =
            accept4(listenFd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: wait for connections to end rather than spin on the same error.
                LogLine("cannot accept a connection: %s", strerror(errno));
                acceptPausedUntil = now + std::chrono::milliseconds(100);
            }
            return;  // EAGAIN: nothing more waiting; other errors concern that one connection
        }
        stats->connections.fetch_add(1);
        const auto* from = reinterpret_cast<const sockaddr*>(&address);
        std::string peer = AddressText(from);
        std::string key = AddressKey(from);
        if (options.perAddressConnections > 0) {
            auto open = perAddress.find(key);
            if (open != perAddress.end() && open->second >= options.perAddressConnections) {
                stats->tooManyOpen.fetch_add(1);
                refusals->Note(peer, "too many connections open from this address");
                CloseWithReset(fd);
                continue;
            }
        }
        if (!limiter.Allow(key, now)) {
            stats->rateLimited.fetch_add(1);
            refusals->Note(peer, "too many messages from this address");
            CloseWithReset(fd);
            continue;
        }
        if (OpenConnections() >= limit && !DropQuietest()) {
            CloseWithReset(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->id = nextId++;
        connection->peer = std::move(peer);
        connection->key = std::move(key);
        epoll_event event = {};
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.fd = fd;
        if (epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) != 0) {
            close(fd);
            continue;
        }
        deadlines.push_back({now + options.readTimeout, fd, connection->id});
        firstByteDeadlines.push_back({now + options.firstByteTimeout, fd, connection->id});
        connection->quietPlace = quietOrder.insert(quietOrder.end(), fd);
        ++perAddress[connection->key];
        reading[fd] = std::move(connection);
        beingRead.store(reading.size());
    }
}

bool ScoreReceiver::DropQuietest() {
    if (quietOrder.empty()) {
        return false;
    }
    int fd = quietOrder.front();
    stats->droppedQuiet.fetch_add(1);
    refusals->Note(reading[fd]->peer, "a quiet connection closed to make room");
    CloseReading(fd);
    return true;
}

void ScoreReceiver::StopReading(int fd) {
    auto it = reading.find(fd);
    if (it == reading.end()) {
        return;
    }
    epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
    quietOrder.erase(it->second->quietPlace);
    if (auto count = perAddress.find(it->second->key); count != perAddress.end() && --count->second <= 0) {
        perAddress.erase(count);
    }
    reading.erase(it);
    beingRead.store(reading.size());
}

void ScoreReceiver::CloseReading(int fd) {
    StopReading(fd);
    close(fd);
}

void ScoreReceiver::ReadFrom(int fd) {
    auto it = reading.find(fd);
    if (it == reading.end()) {
        return;
    }
    Connection& connection = *it->second;
    for (;;) {
        ssize_t got =
            recv(fd, connection.bytes + connection.length, sizeof connection.bytes - connection.length, 0);
        if (got > 0) {
            connection.length += static_cast<size_t>(got);
            quietOrder.splice(quietOrder.end(), quietOrder, connection.quietPlace);
            if (connection.length > kScoreWireLimit) {
                stats->refused[static_cast<size_t>(Verdict::kOversized)].fetch_add(1);
                refusals->Note(connection.peer, VerdictText(Verdict::kOversized));
                CloseReading(fd);
                return;
            }
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            // A reset may have thrown away bytes that were on their way: nothing here can be trusted whole.
            stats->broken.fetch_add(1);
            refusals->Note(connection.peer, "connection reset before the end of the message");
            CloseReading(fd);
            return;
        }
        break;
    }
    // The sender's close marks the end of the message.
    ScoreSubmission submission;
    Verdict verdict = ParseScoreMessage(connection.bytes, connection.length, options.expected, &submission);
    if (verdict != Verdict::kValid) {
        stats->refused[static_cast<size_t>(verdict)].fetch_add(1);
        refusals->Note(connection.peer, VerdictText(verdict));
        CloseReading(fd);
        return;
    }
    Pending pending{{std::move(submission), NowUnixMs(), connection.peer}, fd};
    // Out of the event set but still open: the store thread closes it once the score is committed.
    StopReading(fd);
    waitingForStore.fetch_add(1);
    if (health != nullptr) {
        health->SetQueued(waitingForStore.load());
    }
    {
        std::lock_guard lock(queueMutex);
        queue.push_back(std::move(pending));
    }
    queueChanged.notify_one();
}
void ScoreReceiver::ExpireDeadlines(Clock::time_point now) {
    while (!firstByteDeadlines.empty() && firstByteDeadlines.front().at <= now) {
        Deadline due = firstByteDeadlines.front();
        firstByteDeadlines.pop_front();
        auto it = reading.find(due.fd);
        if (it == reading.end() || it->second->id != due.id || it->second->length > 0) {
            continue;  // ended, or it has begun its message
        }
        stats->silent.fetch_add(1);
        refusals->Note(it->second->peer, "nothing arrived in time");
        CloseReading(due.fd);
    }
    while (!deadlines.empty() && deadlines.front().at <= now) {
        Deadline due = deadlines.front();
        deadlines.pop_front();
        auto it = reading.find(due.fd);
        if (it == reading.end() || it->second->id != due.id) {
            continue;  // that connection ended before its deadline
        }
        stats->timedOut.fetch_add(1);
        refusals->Note(it->second->peer, "the message did not arrive in time");
        CloseReading(due.fd);
    }
}

void ScoreReceiver::Run() {
    storeThread = std::thread([this] { StoreLoop(); });
    constexpr int kMaxEvents = 256;
    epoll_event events[kMaxEvents];
    for (;;) {
        Clock::time_point now = Clock::now();
        ExpireDeadlines(now);
        if (!stopping) {
            UpdateListening(now);
        }
        UpdateAccepting(now);
        if (stopping && reading.empty()) {
            break;
        }
        // Sleep until the earliest deadline, a paused accept's retry, or an event.
        int waitMs = 1000;
        for (const std::deque<Deadline>* due : {&deadlines, &firstByteDeadlines}) {
            if (!due->empty()) {
                auto left = std::chrono::ceil<std::chrono::milliseconds>(due->front().at - now).count();
                waitMs = static_cast<int>(std::clamp<long long>(left, 0, waitMs));
            }
        }
        if (!accepting && listenFd >= 0 && now < acceptPausedUntil) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(acceptPausedUntil - now).count();
            waitMs = std::min(waitMs, static_cast<int>(std::max<long long>(left, 0)));
        }
        int count = epoll_wait(epollFd, events, kMaxEvents, waitMs);
        if (count < 0 && errno != EINTR) {
            LogLine("cannot wait for connections: %s", strerror(errno));
            break;
        }
        for (int i = 0; i < count; ++i) {
            int fd = events[i].data.fd;
            if (fd == wakeFd) {
                uint64_t value;
                [[maybe_unused]] ssize_t got = read(wakeFd, &value, sizeof value);
                // The store thread also wakes this loop when it frees connection slots.
                if (stopRequested.load() && !stopping) {
                    stopping = true;
                    CloseListener();
                }
            } else if (fd == listenFd) {
                Accept();
            } else {
                ReadFrom(fd);
            }
        }
    }
    // Whatever is still being read after a failed wait is dropped; every received score gets stored.
    while (!reading.empty()) {
        CloseReading(reading.begin()->first);
    }
    {
        std::lock_guard lock(queueMutex);
        finishing = true;
        finishingSince = Clock::now();
    }
    queueChanged.notify_all();
    storeThread.join();
}

void ScoreReceiver::CloseAll(const std::vector<Pending>& batch, bool stored) {
    // Counted out before the closes: a sender that sees its close then finds the queue without it.
    waitingForStore.fetch_sub(batch.size());
    if (health != nullptr) {
        health->SetQueued(waitingForStore.load());
    }
    for (const Pending& pending : batch) {
        if (stored) {
            close(pending.fd);
        } else {
            CloseWithReset(pending.fd);
        }
    }
    // Slots are free again: let the reading loop accept if it had stopped at the limit.
    Wake();
}

void ScoreReceiver::Wake() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

bool ScoreReceiver::NextBatch(std::vector<Pending>* batch) {
    std::unique_lock lock(queueMutex);
    while (queue.empty() && !finishing) {
        if (queueChanged.wait_for(lock, std::chrono::seconds(1)) == std::cv_status::timeout &&
            queue.empty() && !finishing) {
            // Idle: a database that went away, filled up or was deleted shows in the health report and
            // closes the port before the next sender hands over a score.
            lock.unlock();
            bool storable = writer->CheckStorable();
            if (health != nullptr && health->Checked(storable, writer->LastError())) {
                if (!storable) {
                    LogLine("scores cannot be stored: %s", writer->LastError().c_str());
                }
                Wake();
            }
            lock.lock();
        }
    }
    if (queue.empty()) {
        return false;  // finishing, and nothing left
    }
    size_t take = std::min(queue.size(), kMaxBatch);
    batch->assign(std::make_move_iterator(queue.begin()), std::make_move_iterator(queue.begin() + take));
    queue.erase(queue.begin(), queue.begin() + take);
    return true;
}

void ScoreReceiver::StoreLoop() {
    auto lastComplaint = Clock::time_point{};
    for (;;) {
        std::vector<Pending> batch;
        if (!NextBatch(&batch)) {
            return;
        }
        ScoreBatch scores;
        scores.id = NewBatchId();
        scores.scores.reserve(batch.size());
        for (const Pending& pending : batch) {
            scores.scores.push_back(pending.score);
        }
        // Held until the database takes them: their senders stay connected, and at the connection limit
        // new senders wait in the backlog rather than being told a lie. The same id on every attempt
        // lets the store tell a retry from a new batch.
        for (;;) {
            Clock::time_point began = Clock::now();
            bool stored = writer->StoreScores(scores);
            stats->storeSeconds.Observe(std::chrono::duration<double>(Clock::now() - began).count());
            if (stored) {
                if (health != nullptr) {
                    bool wasHealthy = health->Healthy();
                    health->Stored(Clock::now() - began);
                    if (!wasHealthy) {
                        LogLine("scores are stored again");
                        Wake();
                    }
                }
                stats->stored.fetch_add(scores.scores.size());
                CloseAll(batch, true);
                break;
            }
            if (health != nullptr) {
                bool wasHealthy = health->Healthy();
                health->Failed(writer->LastError());
                if (wasHealthy) {
                    Wake();
                }
            }
            Clock::time_point now = Clock::now();
            if (now - lastComplaint >= std::chrono::seconds(10)) {
                LogLine("cannot store %zu scores, will retry: %s", scores.scores.size(),
                        writer->LastError().c_str());
                lastComplaint = now;
            }
            std::unique_lock lock(queueMutex);
            if (finishing && now - finishingSince >= options.storeGrace) {
                lock.unlock();
                LogLine("shutting down with %zu scores not stored: %s", scores.scores.size(),
                        writer->LastError().c_str());
                stats->lost.fetch_add(scores.scores.size());
                CloseAll(batch, false);
                break;
            }
            queueChanged.wait_for(lock, std::chrono::milliseconds(500));
        }
    }
}
