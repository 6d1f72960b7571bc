// Whether scores can be stored right now, and the figures of the storing: written by the thread that
// stores, read by the web side's health report and metrics. A failed store, or an idle check that finds
// the database gone, full or unreachable, makes the server unhealthy until a store or a check succeeds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

class StoreHealth {
  public:
    struct Figures {
        uint64_t batches = 0;         // committed
        uint64_t failures = 0;        // store attempts that failed
        double storeSeconds = 0;      // spent in successful stores, in all
        double lastStoreSeconds = 0;  // the latest successful store
        uint64_t queued = 0;          // valid scores waiting for the store
    };

    void Stored(std::chrono::steady_clock::duration took);
    void Failed(const std::string& reason);
    // The idle check's verdict; true when it changed the health.
    bool Checked(bool storable, const std::string& reason);
    void SetQueued(uint64_t scores) { queued.store(scores); }

    // True when scores can be stored; otherwise false with the reason.
    bool Healthy(std::string* reason = nullptr) const;
    Figures Snapshot() const;

  private:
    mutable std::mutex mutex;
    bool healthy = true;
    std::string problem;
    Figures figures;
    std::atomic<uint64_t> queued{0};
};
