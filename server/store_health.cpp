// The store's health and figures (see store_health.h).
#include "server/store_health.h"

void StoreHealth::Stored(std::chrono::steady_clock::duration took) {
    double seconds = std::chrono::duration<double>(took).count();
    std::lock_guard lock(mutex);
    healthy = true;
    problem.clear();
    ++figures.batches;
    figures.storeSeconds += seconds;
    figures.lastStoreSeconds = seconds;
}

void StoreHealth::Failed(const std::string& reason) {
    std::lock_guard lock(mutex);
    healthy = false;
    problem = reason;
    ++figures.failures;
}

bool StoreHealth::Checked(bool storable, const std::string& reason) {
    std::lock_guard lock(mutex);
    bool changed = storable != healthy || (!storable && reason != problem);
    healthy = storable;
    problem = storable ? std::string() : reason;
    return changed;
}

bool StoreHealth::Healthy(std::string* reason) const {
    std::lock_guard lock(mutex);
    if (!healthy && reason != nullptr) {
        *reason = problem;
    }
    return healthy;
}

StoreHealth::Figures StoreHealth::Snapshot() const {
    std::lock_guard lock(mutex);
    Figures copy = figures;
    copy.queued = queued.load();
    return copy;
}
