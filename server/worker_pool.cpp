// Threads running jobs from a bounded queue (see worker_pool.h).
#include "server/worker_pool.h"

#include <algorithm>

WorkerPool::WorkerPool(int count, size_t queueLimit) : limit(std::max<size_t>(queueLimit, 1)) {
    threads.reserve(static_cast<size_t>(std::max(count, 1)));
    for (int i = 0; i < std::max(count, 1); ++i) {
        threads.emplace_back([this] { Work(); });
    }
}

WorkerPool::~WorkerPool() {
    Stop();
}

bool WorkerPool::TryPost(std::function<void()> job) {
    {
        std::lock_guard lock(mutex);
        if (stopping || jobs.size() >= limit) {
            return false;
        }
        jobs.push_back(std::move(job));
    }
    changed.notify_one();
    return true;
}

size_t WorkerPool::Waiting() const {
    std::lock_guard lock(mutex);
    return jobs.size();
}

void WorkerPool::Stop() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void WorkerPool::Work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (jobs.empty()) {
                return;
            }
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        job();
    }
}
