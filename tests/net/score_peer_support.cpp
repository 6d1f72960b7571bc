// The loopback stand-in score server and listeners for the net tests (see score_peer.h).
#include "net/score_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>

namespace {

constexpr char kKey[] = "QBX1994";
constexpr int kPollMs = 20;
// No connection in these tests lasts longer; a hung client must not hang the peer too.
constexpr auto kConnectionLimit = std::chrono::seconds(10);

int OpenLoopbackListener(int backlog, uint16_t* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

// A connect that is left running in the background.
int StartConnect(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    // In progress (or already refused): either way the caller only watches what becomes of it.
    (void)connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

std::vector<std::string> SplitAtTabs(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

ReceivedScore Decode(std::vector<uint8_t> wire) {
    ReceivedScore score;
    if (wire.size() >= 4) {
        size_t n = wire.size() - 4;
        uint32_t sum = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += wire[i];
        }
        uint32_t stated =
            wire[n] | (wire[n + 1] << 8) | (wire[n + 2] << 16) | (static_cast<uint32_t>(wire[n + 3]) << 24);
        score.checksumMatches = sum == stated;
        score.text = UnscrambleForTest(wire.data(), n);
        score.fields = SplitAtTabs(score.text);
    }
    score.wire = std::move(wire);
    return score;
}

}  // namespace

std::string UnscrambleForTest(const uint8_t* bytes, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += static_cast<char>(bytes[i] - kKey[i % 7]);
    }
    return text;
}

ScorePeer::ScorePeer(Behaviour behaviourChosen) : behaviour(behaviourChosen) {
    listenFd = OpenLoopbackListener(16, &port);
    if (listenFd >= 0) {
        thread = std::thread([this] { Run(); });
    }
}

ScorePeer::~ScorePeer() {
    stopping = true;
    if (thread.joinable()) {
        thread.join();
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
}

bool ScorePeer::WaitForConnections(size_t count, int timeoutMs) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return received.size() >= count; });
}

std::vector<ReceivedScore> ScorePeer::Received() {
    std::lock_guard lock(mutex);
    return received;
}

void ScorePeer::Run() {
    while (!stopping) {
        pollfd entry = {listenFd, POLLIN, 0};
        if (poll(&entry, 1, kPollMs) > 0 && (entry.revents & POLLIN) != 0) {
            int connection = accept(listenFd, nullptr, nullptr);
            if (connection >= 0) {
                Serve(connection);
            }
        }
    }
}

void ScorePeer::Serve(int connection) {
    std::vector<uint8_t> wire;
    auto giveUp = std::chrono::steady_clock::now() + kConnectionLimit;
    uint8_t chunk[4096];
    while (!stopping && std::chrono::steady_clock::now() < giveUp) {
        pollfd entry = {connection, POLLIN, 0};
        if (poll(&entry, 1, kPollMs) <= 0) {
            continue;
        }
        ssize_t got = read(connection, chunk, sizeof chunk);
        if (got <= 0) {
            break;  // closed by the client (or reset)
        }
        wire.insert(wire.end(), chunk, chunk + got);
        if (behaviour == Behaviour::ResetAfterFirstBytes) {
            linger abort = {1, 0};
            setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            break;
        }
    }
    close(connection);
    std::lock_guard lock(mutex);
    received.push_back(Decode(std::move(wire)));
    changed.notify_all();
}

SilentListener::SilentListener(bool queueFull) {
    listenFd = OpenLoopbackListener(queueFull ? 0 : 16, &port);
    if (listenFd >= 0 && queueFull) {
        // A backlog of 0 still queues one connection; a few more make sure the queue is over its limit.
        for (int i = 0; i < 4; ++i) {
            fillers.push_back(StartConnect(port));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

SilentListener::~SilentListener() {
    for (int fd : fillers) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (listenFd >= 0) {
        close(listenFd);
    }
}

uint16_t UnusedLoopbackPort() {
    uint16_t port = 0;
    int fd = OpenLoopbackListener(1, &port);
    if (fd >= 0) {
        close(fd);
    }
    return port;
}

bool LoopbackConnectHangs(uint16_t port, int waitMs) {
    int fd = StartConnect(port);
    if (fd < 0) {
        return false;
    }
    pollfd entry = {fd, POLLOUT, 0};
    bool hangs = poll(&entry, 1, waitMs) == 0;
    close(fd);
    return hangs;
}
