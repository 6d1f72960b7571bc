// POST /api/games: games sent with their replays. The web thread only takes the body and waits; the game
// is re-played on a pool of verification threads of its own, with a bounded queue (a full one answers 503
// with Retry-After, as does a crowd of waiting submissions that would hold every web thread), then stored
// if it holds. Also the replay download (GET /api/games/<id>/replay) and the daily board's JSON.
#pragma once

#include <array>
#include <atomic>
#include <climits>
#include <cstdint>
#include <mutex>
#include <string>

#include "server/game_check.h"
#include "server/game_store.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/server_log.h"
#include "server/worker_pool.h"

struct GameEndpointOptions {
    int verifyThreads = 2;
    size_t verifyQueue = 64;
    int maxWaiting = 4;             // submissions a web thread may wait on at once
    int64_t todayDays = INT64_MIN;  // --today: the UTC day taken as today (INT64_MIN: the clock's)
    int retryAfterSeconds = 2;
};

struct GameCounters {
    std::array<std::atomic<uint64_t>, kGameVerdictCount> verdicts{};
    std::atomic<uint64_t> busy{0};
    std::atomic<uint64_t> storeFailures{0};
    LatencyHistogram verifySeconds;
};

class GameEndpoint {
  public:
    // The writer stores games; the reader serves replays and daily boards. Both are used under their own
    // lock, never at once by two threads.
    GameEndpoint(GameEndpointOptions options, GameStore* writer, GameStore* reader);
    ~GameEndpoint();
    GameEndpoint(const GameEndpoint&) = delete;
    GameEndpoint& operator=(const GameEndpoint&) = delete;

    void Register(HttpServer& http);
    void RegisterMetrics(MetricRegistry& registry);

    // GET /api/scores?daily=YYYY-MM-DD (and ?daily=today).
    HttpResponse DailyScores(const HttpRequest& request);
    HttpResponse Submit(const HttpRequest& request);
    HttpResponse Download(const HttpRequest& request);

    // A verified board, for the page; false when it cannot be read (logged).
    bool ReadBoard(const GameBoardQuery& query, std::vector<GameRow>* rows);

    const GameCounters& Counters() const { return counters; }
    // Days since 1970-01-01 of today (UTC), or the --today day.
    int64_t TodayDays() const;

    // Stops taking games and finishes those taken.
    void Stop();

  private:
    GameEndpointOptions options;
    GameStore* writer;
    GameStore* reader;
    std::mutex writerMutex;
    std::mutex readerMutex;
    std::atomic<int> waiting{0};
    GameCounters counters;
    // A line a second at most, however many refused games come: a flood must not fill the log.
    RefusalLog refusals;
    WorkerPool pool;
};
