// The Prometheus text that /metrics serves: families with their help and type, labelled samples, whole
// counters without exponents, and histograms with cumulative buckets, a sum and a count; and quz-scored's
// own families after a score and a refusal.
#include <gtest/gtest.h>

#include "server/metrics.h"
#include "server_support.h"

TEST(Metrics, RendersFamiliesInThePrometheusTextFormat) {
    MetricRegistry registry;
    registry.AddValue("quz_things_total", MetricType::kCounter, "Things seen.", [] { return 12345678901.0; });
    registry.Add("quz_refused_total", MetricType::kCounter, "Refused, by reason.", [] {
        return std::vector<MetricSample>{{"reason=\"a\"", 1}, {"reason=\"b\"", 0}};
    });
    LatencyHistogram latency;
    latency.Observe(0.0001);
    latency.Observe(0.003);
    latency.Observe(0.003);
    latency.Observe(60);
    registry.Add("quz_latency_seconds", MetricType::kHistogram, "Latency.",
                 [&] { return latency.Samples(); });
    std::string text = registry.Render();
    for (const char* line :
         {"# HELP quz_things_total Things seen.\n", "# TYPE quz_things_total counter\n",
          "quz_things_total 12345678901\n", "quz_refused_total{reason=\"a\"} 1\n",
          "quz_refused_total{reason=\"b\"} 0\n", "# TYPE quz_latency_seconds histogram\n",
          "quz_latency_seconds_bucket{le=\"0.0005\"} 1\n", "quz_latency_seconds_bucket{le=\"0.0025\"} 1\n",
          "quz_latency_seconds_bucket{le=\"0.005\"} 3\n", "quz_latency_seconds_bucket{le=\"2.5\"} 3\n",
          "quz_latency_seconds_bucket{le=\"+Inf\"} 4\n", "quz_latency_seconds_count 4\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
    EXPECT_NE(text.find("quz_latency_seconds_sum 60.0061"), std::string::npos) << text;
}

TEST(Metrics, QuzScoredCountsWhatItStoresRefusesAndServes) {
    TempFolder folder;
    ServerProcess server;
    ASSERT_TRUE(server.Start(folder.Path() + "/scores.sqlite")) << server.Log();
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("ANNA", 900))), SendOutcome::kClosed);
    std::vector<uint8_t> bad = Wire(GameText("BAD", 1));
    bad[3] ^= 0x55;
    SendToServer(server.ScorePort(), bad);
    std::string text;
    ASSERT_EQ(HttpGet(server.WebPort(), "/metrics", &text), 200);
    for (const char* line :
         {"quz_scores_stored_total 1\n", "quz_score_messages_refused_total{reason=\"bad_checksum\"} 1\n",
          "quz_score_messages_refused_total{reason=\"too_many_open\"} 0\n", "quz_score_connections_total 2\n",
          "quz_store_queue_depth 0\n", "quz_store_commit_seconds_count 1\n",
          "# TYPE quz_web_connections_open gauge\n", "quz_web_connections_open 1\n",
          "quz_web_requests_busy_total 0\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
}
