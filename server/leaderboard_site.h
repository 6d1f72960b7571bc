// The web side: the leaderboard page, the same rows as JSON, a health report and the metrics, as routes
// of the HTTP server. It reads through its own database connection, so a slow page never holds up the
// scores being stored.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "server/http_server.h"
#include "server/metrics.h"
#include "server/score_store.h"
#include "server/server_log.h"

class LeaderboardSite {
  public:
    // The registry (may be null) is what /metrics shows.
    LeaderboardSite(HttpOptions options, ScoreStore* reader, const ServerStats* stats,
                    const MetricRegistry* metrics);
    LeaderboardSite(const LeaderboardSite&) = delete;
    LeaderboardSite& operator=(const LeaderboardSite&) = delete;

    // Binds and serves on threads of its own until Stop.
    bool Listen(std::string* error);
    uint16_t Port() const { return http.Port(); }
    void Stop();

    HttpServer& Http() { return http; }

  private:
    void Routes();
    HttpResponse Page(const HttpRequest& request);
    HttpResponse Scores(const HttpRequest& request);
    HttpResponse Health(const HttpRequest& request);

    ScoreStore* reader;
    std::mutex readerMutex;
    const ServerStats* stats;
    const MetricRegistry* metrics;
    HttpServer http;
};
