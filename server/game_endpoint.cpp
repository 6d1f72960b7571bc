// POST /api/games and its companions (see game_endpoint.h).
#include "server/game_endpoint.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <future>
#include <span>

#include "core/daily.h"
#include "net/submission_body.h"
#include "server/leaderboard.h"
#include "server/server_log.h"

namespace {

int64_t NowUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

HttpResponse Json(int status, const nlohmann::json& body) {
    HttpResponse response;
    response.status = status;
    response.contentType = "application/json";
    response.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    return response;
}

// What the verification thread hands back to the waiting web thread.
struct Outcome {
    GameVerdict verdict = GameVerdict::BadFormat;
    GameStoreResult stored = GameStoreResult::Failed;
    GamePlace place;
    CheckedGame game;
};

}  // namespace

GameEndpoint::GameEndpoint(GameEndpointOptions opts, GameStore* gameWriter, GameStore* gameReader)
    : options(opts), writer(gameWriter), reader(gameReader), pool(opts.verifyThreads, opts.verifyQueue) {}

GameEndpoint::~GameEndpoint() {
    Stop();
}

void GameEndpoint::Stop() {
    pool.Stop();
}

int64_t GameEndpoint::TodayDays() const {
    if (options.todayDays != INT64_MIN) {
        return options.todayDays;
    }
    const int64_t ms = NowUnixMs();
    return ms / 86400000;
}

void GameEndpoint::Register(HttpServer& http) {
    http.Route(
        "POST", "/api/games", [this](const HttpRequest& request) { return Submit(request); },
        kSubmissionBodyLimit);
    http.Route("GET", "/api/games/*", [this](const HttpRequest& request) { return Download(request); });
}

void GameEndpoint::RegisterMetrics(MetricRegistry& registry) {
    registry.Add("quz_games_total", MetricType::kCounter,
                 "Games sent with their replays, by what became of them", [this] {
                     std::vector<MetricSample> samples;
                     for (size_t i = 0; i < kGameVerdictCount; ++i) {
                         samples.push_back(
                             {std::string("verdict=\"") + GameVerdictKey(static_cast<GameVerdict>(i)) + "\"",
                              static_cast<double>(counters.verdicts[i].load())});
                     }
                     return samples;
                 });
    registry.AddValue("quz_games_busy_total", MetricType::kCounter,
                      "Games answered 503 (verification queue full)",
                      [this] { return static_cast<double>(counters.busy.load()); });
    registry.AddValue("quz_games_store_failures_total", MetricType::kCounter,
                      "Games that could not be stored",
                      [this] { return static_cast<double>(counters.storeFailures.load()); });
    registry.Add("quz_game_verify_seconds", MetricType::kHistogram, "Time to re-play one game",
                 [this] { return counters.verifySeconds.Samples(); });
}

HttpResponse GameEndpoint::Submit(const HttpRequest& request) {
    // A web thread waits for its game; too many waiting would leave none for the page.
    if (waiting.fetch_add(1) >= options.maxWaiting) {
        waiting.fetch_sub(1);
        counters.busy.fetch_add(1);
        return HttpResponse::Busy(options.retryAfterSeconds, "{\"error\":\"busy\"}\n");
    }
    auto promise = std::make_shared<std::promise<Outcome>>();
    std::future<Outcome> future = promise->get_future();
    const int64_t today = TodayDays();
    const int64_t receivedAtMs = NowUnixMs();
    auto body = std::make_shared<std::string>(request.body);
    const std::string peer = request.clientAddress;
    const bool posted = pool.TryPost([this, promise, body, today, receivedAtMs, peer] {
        Outcome outcome;
        std::string detail;
        const auto start = std::chrono::steady_clock::now();
        outcome.verdict = CheckGame(std::span(reinterpret_cast<const uint8_t*>(body->data()), body->size()),
                                    today, &outcome.game, &detail);
        counters.verifySeconds.Observe(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (outcome.verdict == GameVerdict::Verified || outcome.verdict == GameVerdict::Unverified) {
            StoredGame stored{outcome.game, outcome.verdict == GameVerdict::Verified, receivedAtMs, peer};
            std::lock_guard lock(writerMutex);
            outcome.stored = writer->Store(stored, &outcome.place);
            if (outcome.stored == GameStoreResult::Failed) {
                LogLine("cannot store a game: %s", writer->LastError().c_str());
            }
        } else {
            const std::string reason =
                std::string("a game, ") + GameVerdictText(outcome.verdict) + " (" + detail + ")";
            refusals.Note(peer, reason.c_str());
        }
        promise->set_value(std::move(outcome));
    });
    if (!posted) {
        waiting.fetch_sub(1);
        counters.busy.fetch_add(1);
        return HttpResponse::Busy(options.retryAfterSeconds, "{\"error\":\"busy\"}\n");
    }
    Outcome outcome = future.get();
    waiting.fetch_sub(1);
    if (outcome.verdict != GameVerdict::Verified && outcome.verdict != GameVerdict::Unverified) {
        counters.verdicts[static_cast<size_t>(outcome.verdict)].fetch_add(1);
        return Json(GameVerdictStatus(outcome.verdict), {{"error", GameVerdictText(outcome.verdict)}});
    }
    if (outcome.stored == GameStoreResult::Copy) {
        counters.verdicts[static_cast<size_t>(GameVerdict::Copy)].fetch_add(1);
        return Json(GameVerdictStatus(GameVerdict::Copy), {{"error", GameVerdictText(GameVerdict::Copy)}});
    }
    if (outcome.stored == GameStoreResult::Failed) {
        counters.storeFailures.fetch_add(1);
        return HttpResponse::Busy(options.retryAfterSeconds * 5, "{\"error\":\"cannot store now\"}\n");
    }
    counters.verdicts[static_cast<size_t>(outcome.verdict)].fetch_add(1);
    const bool verified = outcome.verdict == GameVerdict::Verified;
    nlohmann::json answer = {{"id", outcome.place.id}, {"verified", verified}};
    if (!verified) {
        answer["reason"] = outcome.game.reason;
    } else {
        const bool daily = !outcome.game.dailyDate.empty();
        answer["board"] = daily ? "daily" : "normal";
        answer["date"] = daily ? outcome.game.dailyDate
                               : quz::core::IsoDate(quz::core::CivilFromDays(receivedAtMs / 86400000));
        answer["rank"] = outcome.place.rank;
        answer["of"] = outcome.place.of;
    }
    return Json(201, answer);
}

HttpResponse GameEndpoint::Download(const HttpRequest& request) {
    // /api/games/<id>/replay, the id in decimal.
    constexpr std::string_view prefix = "/api/games/";
    constexpr std::string_view suffix = "/replay";
    std::string_view path = request.path;
    if (path.size() <= prefix.size() + suffix.size() || path.substr(path.size() - suffix.size()) != suffix) {
        return Json(404, {{"error", "no such game"}});
    }
    const std::string_view digits = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    int64_t id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || digits.size() > 15) {
            return Json(404, {{"error", "no such game"}});
        }
        id = id * 10 + (c - '0');
    }
    std::vector<uint8_t> replay;
    std::string dailyDate;
    bool found = false;
    bool read = false;
    {
        std::lock_guard lock(readerMutex);
        read = reader->Replay(id, &replay, &dailyDate, &found);
        if (!read) {
            LogLine("cannot read a replay: %s", reader->LastError().c_str());
        }
    }
    if (!read) {
        return Json(503, {{"error", "the games cannot be read right now"}});
    }
    if (!found) {
        return Json(404, {{"error", "no such game"}});
    }
    if (replay.empty()) {
        return Json(410, {{"error", "the replay of this game is no longer kept"}});
    }
    // A day's board is a contest: its games are shown only once it takes no more games.
    quz::core::CivilDate date;
    if (quz::core::ParseIsoDate(dailyDate, &date) &&
        !DailyBoardOver(quz::core::DaysFromCivil(date), TodayDays())) {
        return Json(
            403, {{"error", "the replays of a day's board can be downloaded once it takes no more games"}});
    }
    HttpResponse response;
    response.contentType = "application/octet-stream";
    response.headers.emplace_back("Content-Disposition",
                                  "attachment; filename=\"quz-game-" + std::to_string(id) + ".quzr\"");
    response.body.assign(replay.begin(), replay.end());
    return response;
}

bool GameEndpoint::ReadBoard(const GameBoardQuery& query, std::vector<GameRow>* rows) {
    std::lock_guard lock(readerMutex);
    if (!reader->Board(query, rows)) {
        LogLine("cannot read a board of games: %s", reader->LastError().c_str());
        return false;
    }
    return true;
}

HttpResponse GameEndpoint::DailyScores(const HttpRequest& request) {
    std::string day = request.Param("daily");
    quz::core::CivilDate date = quz::core::CivilFromDays(TodayDays());
    if (day != "today" && !day.empty() && !quz::core::ParseIsoDate(day, &date)) {
        return Json(400, {{"error", "daily must be a date, YYYY-MM-DD"}});
    }
    GameBoardQuery query;
    query.dailyDate = quz::core::IsoDate(date);
    std::vector<GameRow> rows;
    if (!ReadBoard(query, &rows)) {
        return Json(503, {{"error", "the scores cannot be read right now"}});
    }
    nlohmann::json scores = nlohmann::json::array();
    for (size_t i = 0; i < rows.size(); ++i) {
        scores.push_back({{"rank", i + 1},
                          {"id", rows[i].id},
                          {"name", rows[i].name},
                          {"score", rows[i].score},
                          {"level", rows[i].level},
                          {"identity", rows[i].identity},
                          {"verified", true},
                          {"replay", rows[i].replayKept},
                          {"time", FormatUtcIso(rows[i].receivedAtMs)}});
    }
    return Json(
        200,
        {{"daily", query.dailyDate}, {"mode", quz::core::DailyMode(date)}, {"scores", std::move(scores)}});
}
