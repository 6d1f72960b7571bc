// A fixed set of threads running jobs from a bounded queue. A full queue refuses at once instead of
// growing: the caller answers "busy" while the work already taken still finishes in time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
  public:
    WorkerPool(int threads, size_t queueLimit);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // False when the queue is full or the pool is stopping; the job is then not run.
    bool TryPost(std::function<void()> job);

    // Jobs waiting for a thread.
    size_t Waiting() const;

    // Runs what is queued, then ends the threads. Later posts are refused.
    void Stop();

  private:
    void Work();

    size_t limit;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    std::vector<std::thread> threads;
};
