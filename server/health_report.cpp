// The health report (see health_report.h).
#include "server/health_report.h"

std::pair<int, nlohmann::json> HealthReport(const StoreHealth& health, BoardReader* boards,
                                            const ServerStats& stats) {
    nlohmann::json refused = nlohmann::json::object();
    for (size_t i = 1; i < kVerdictCount; ++i) {
        refused[VerdictKey(static_cast<Verdict>(i))] = stats.refused[i].load();
    }
    refused["timed_out"] = stats.timedOut.load();
    refused["rate_limited"] = stats.rateLimited.load();
    refused["reset"] = stats.broken.load();
    refused["too_many_open"] = stats.tooManyOpen.load();
    refused["silent"] = stats.silent.load();
    refused["dropped_quiet"] = stats.droppedQuiet.load();
    StoreHealth::Figures figures = health.Snapshot();
    nlohmann::json body = {{"status", "ok"},
                           {"database", boards->Kind()},
                           {"connections", stats.connections.load()},
                           {"stored", stats.stored.load()},
                           {"waiting_for_store", figures.queued},
                           {"refused_total", stats.RefusedTotal()},
                           {"refused", refused},
                           {"lost", stats.lost.load()}};
    std::string reason;
    if (!health.Healthy(&reason)) {
        body["status"] = "cannot store scores";
        body["reason"] = reason;
        return {503, body};
    }
    int64_t count = 0;
    if (!boards->CountScores(&count, &reason)) {
        body["status"] = "database unavailable";
        body["reason"] = reason;
        return {503, body};
    }
    body["scores_in_database"] = count;
    return {200, body};
}
