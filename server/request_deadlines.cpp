// The web side's clock on whole requests (see request_deadlines.h).
#include "server/request_deadlines.h"

#include <sys/socket.h>

RequestDeadlines::RequestDeadlines(std::chrono::milliseconds wholeRequest)
    : limit(wholeRequest), watcher([this] { Watch(); }) {}

RequestDeadlines::~RequestDeadlines() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    watcher.join();
}

void RequestDeadlines::StartClock(uint64_t id, Entry* entry) {
    entry->generation = nextGeneration++;
    bool wasEmpty = due.empty();
    due.push_back({Clock::now() + limit, id, entry->generation});
    if (wasEmpty) {
        changed.notify_all();
    }
}

uint64_t RequestDeadlines::Opened(int fd) {
    std::lock_guard lock(mutex);
    uint64_t id = nextId++;
    Entry& entry = open[id];
    entry.fd = fd;
    StartClock(id, &entry);
    return id;
}

void RequestDeadlines::RequestIn(uint64_t id) {
    std::lock_guard lock(mutex);
    if (auto it = open.find(id); it != open.end()) {
        it->second.generation = 0;
    }
}

void RequestDeadlines::AnswerSent(uint64_t id) {
    std::lock_guard lock(mutex);
    if (auto it = open.find(id); it != open.end()) {
        StartClock(id, &it->second);
    }
}

void RequestDeadlines::Closed(uint64_t id) {
    std::lock_guard lock(mutex);
    open.erase(id);
}

void RequestDeadlines::Watch() {
    std::unique_lock lock(mutex);
    while (!stopping) {
        if (due.empty()) {
            changed.wait(lock);
            continue;
        }
        Clock::time_point now = Clock::now();
        if (due.front().at > now) {
            changed.wait_until(lock, due.front().at);
            continue;
        }
        Due next = due.front();
        due.pop_front();
        auto it = open.find(next.id);
        if (it != open.end() && it->second.generation == next.generation) {
            // The library sees the end of the stream and closes the connection on its own thread; closing
            // the descriptor here would race with it.
            shutdown(it->second.fd, SHUT_RDWR);
            it->second.generation = 0;
            ++cut;
        }
    }
}
