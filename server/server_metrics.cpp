// The families quz-scored shows on /metrics (see server_metrics.h).
#include "server/server_metrics.h"

namespace {

double Value(const std::atomic<uint64_t>& counter) {
    return static_cast<double>(counter.load());
}

}  // namespace

void RegisterServerMetrics(MetricRegistry* registry, const ServerStats* stats, const ScoreReceiver* receiver,
                           const HttpServer* web) {
    registry->AddValue("quz_scores_stored_total", MetricType::kCounter, "Scores committed to the database.",
                       [stats] { return Value(stats->stored); });
    registry->AddValue("quz_scores_lost_total", MetricType::kCounter,
                       "Valid scores the database refused until shut-down.",
                       [stats] { return Value(stats->lost); });
    registry->Add(
        "quz_score_messages_refused_total", MetricType::kCounter,
        "Score connections ended without storing, by reason.", [stats] {
            std::vector<MetricSample> samples;
            for (size_t i = 1; i < kVerdictCount; ++i) {
                samples.push_back({std::string("reason=\"") + VerdictKey(static_cast<Verdict>(i)) + "\"",
                                   Value(stats->refused[i])});
            }
            const std::pair<const char*, const std::atomic<uint64_t>*> others[] = {
                {"timed_out", &stats->timedOut}, {"rate_limited", &stats->rateLimited},
                {"reset", &stats->broken},       {"too_many_open", &stats->tooManyOpen},
                {"silent", &stats->silent},      {"dropped_quiet", &stats->droppedQuiet}};
            for (const auto& [reason, counter] : others) {
                samples.push_back({std::string("reason=\"") + reason + "\"", Value(*counter)});
            }
            return samples;
        });
    registry->AddValue("quz_score_connections_total", MetricType::kCounter, "Score connections accepted.",
                       [stats] { return Value(stats->connections); });
    registry->AddValue("quz_score_connections_reading", MetricType::kGauge,
                       "Score connections whose message is being read.",
                       [receiver] { return static_cast<double>(receiver->BeingRead()); });
    registry->AddValue("quz_store_queue_depth", MetricType::kGauge,
                       "Valid scores received and waiting for the database.",
                       [receiver] { return static_cast<double>(receiver->WaitingForStore()); });
    registry->Add("quz_store_commit_seconds", MetricType::kHistogram, "Time of each batch's commit.",
                  [stats] { return stats->storeSeconds.Samples(); });
    registry->AddValue("quz_web_connections_total", MetricType::kCounter, "Web connections accepted.",
                       [web] { return Value(web->Counters().accepted); });
    registry->AddValue("quz_web_connections_open", MetricType::kGauge, "Web connections open.",
                       [web] { return static_cast<double>(web->Counters().open.load()); });
    registry->AddValue("quz_web_connections_refused_total", MetricType::kCounter,
                       "Web connections refused: their address had its share open.",
                       [web] { return Value(web->Counters().refusedPerAddress); });
    registry->AddValue("quz_web_requests_total", MetricType::kCounter, "Web requests received.",
                       [web] { return Value(web->Counters().requests); });
    registry->AddValue("quz_web_requests_busy_total", MetricType::kCounter,
                       "Web requests answered 503: the workers' queue was full.",
                       [web] { return Value(web->Counters().busy); });
    registry->AddValue("quz_web_requests_cut_total", MetricType::kCounter,
                       "Web connections cut: their request did not arrive whole in time.",
                       [web] { return static_cast<double>(web->DeadlineCuts()); });
    registry->AddValue("quz_web_queue_depth", MetricType::kGauge, "Web requests waiting for a worker.",
                       [web] { return static_cast<double>(web->QueueDepth()); });
}

void RegisterStoreMetrics(MetricRegistry* registry, const StoreHealth* health) {
    registry->AddValue("quz_store_healthy", MetricType::kGauge,
                       "1 while scores can be stored; 0 while the database refuses them (see /healthz).",
                       [health] { return health->Healthy() ? 1.0 : 0.0; });
    registry->AddValue("quz_store_failures_total", MetricType::kCounter,
                       "Store attempts that failed (each is retried).",
                       [health] { return static_cast<double>(health->Snapshot().failures); });
}
