// The loopback stand-in score server for the net tests (see score_peer.h).
#include "net/score_peer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>

namespace {

constexpr char kKey[] = "QBX1994";
constexpr int kPollMs = 20;
// No connection in these tests lasts longer; a hung client must not hang the peer too.
constexpr auto kConnectionLimit = std::chrono::seconds(10);

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
