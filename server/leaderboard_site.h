// The web side: the leaderboard page, the same rows as JSON, a health report and the metrics, as routes
// of the HTTP server. It reads through its own database connections (BoardReader), so a slow page never
// holds up the scores being stored.
#pragma once

#include <memory>
#include <string>

#include "server/board_reader.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/server_log.h"
#include "server/store_health.h"

class LeaderboardSite {
  public:
    // The registry (may be null) is what /metrics shows.
    LeaderboardSite(HttpOptions options, BoardReader* boards, const ServerStats* stats,
                    const StoreHealth* health, const MetricRegistry* metrics);
    LeaderboardSite(const LeaderboardSite&) = delete;
    LeaderboardSite& operator=(const LeaderboardSite&) = delete;

    // Binds and serves on threads of its own until Stop.
    bool Listen(std::string* error);
    uint16_t Port() const { return http.Port(); }
    void Stop();

    HttpServer& Http() { return http; }
    // Who answers /api/scores?daily=...: the board of the day is kept with the games (set before Listen).
    void SetDailyScores(HttpHandler handler) { dailyScores = std::move(handler); }
    // Where the page reads the verified boards and today's date (set before Listen; without it the page
    // shows the message scores only).
    void SetGames(class GameEndpoint* endpoint) { games = endpoint; }

  private:
    void Routes();
    HttpResponse Page(const HttpRequest& request);
    HttpResponse Scores(const HttpRequest& request);

    BoardReader* boards;
    const ServerStats* stats;
    const StoreHealth* health;
    const MetricRegistry* metrics;
    HttpHandler dailyScores;
    class GameEndpoint* games = nullptr;
    HttpServer http;
};
