// The web side (see leaderboard_site.h).
#include "server/leaderboard_site.h"

#include <chrono>

#include "server/leaderboard.h"

namespace {

constexpr int kMaxRows = 100;

int64_t NowUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

HttpResponse Json(int status, const nlohmann::json& body) {
    HttpResponse response;
    response.status = status;
    response.contentType = "application/json";
    // Replace rather than throw on bytes that are not UTF-8: a row put in the database by hand may hold them.
    response.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    return response;
}

// What a request asks for, checked; false with a reason for a 400.
struct Selection {
    Period period = Period::kAll;
    std::string mode = kDefaultMode;
    int limit = kMaxRows;
};

bool ReadSelection(const HttpRequest& request, Selection* selection, std::string* problem) {
    if (request.HasParam("period") && !ParsePeriod(request.Param("period"), &selection->period)) {
        *problem = "period must be today, week or all";
        return false;
    }
    if (request.HasParam("mode")) {
        selection->mode = request.Param("mode");
        if (!IsPrintableText(selection->mode, kMaxModeLength)) {
            *problem = "mode must be 1 to 31 printable ASCII characters";
            return false;
        }
    }
    if (request.HasParam("limit")) {
        std::string text = request.Param("limit");
        int value = 0;
        bool digits = !text.empty() && text.size() <= 3;
        for (char c : text) {
            digits = digits && c >= '0' && c <= '9';
            value = value * 10 + (c - '0');
        }
        if (!digits || value < 1 || value > kMaxRows) {
            *problem = "limit must be a number from 1 to 100";
            return false;
        }
        selection->limit = value;
    }
    return true;
}

}  // namespace

LeaderboardSite::LeaderboardSite(HttpOptions options, ScoreStore* store, const ServerStats* counters,
                                 const MetricRegistry* registry)
    : reader(store), stats(counters), metrics(registry), http(std::move(options)) {
    Routes();
}

bool LeaderboardSite::Listen(std::string* error) {
    return http.Start(error);
}

void LeaderboardSite::Stop() {
    http.Stop();
}

void LeaderboardSite::Routes() {
    http.Route("GET", "/", [this](const HttpRequest& request) { return Page(request); });
    http.Route("GET", "/api/scores", [this](const HttpRequest& request) { return Scores(request); });
    http.Route("GET", "/healthz", [this](const HttpRequest& request) { return Health(request); });
    http.Route("GET", "/metrics", [this](const HttpRequest&) {
        HttpResponse response;
        response.contentType = "text/plain; version=0.0.4; charset=utf-8";
        response.body = metrics != nullptr ? metrics->Render() : "";
        return response;
    });
}

HttpResponse LeaderboardSite::Page(const HttpRequest& request) {
    Selection selection;
    std::string problem;
    PageView view;
    view.language = PickLanguage(request.Header("Accept-Language"));
    if (request.HasParam("lang")) {
        std::string lang = request.Param("lang");
        if (lang == "en" || lang == "fr") {
            view.language = lang == "en" ? Language::kEnglish : Language::kFrench;
            view.languageChosen = true;
        }
    }
    if (!ReadSelection(request, &selection, &problem)) {
        return HttpResponse::Text(400, EscapeHtml(problem) + "\n");
    }
    view.period = selection.period;
    view.mode = selection.mode;
    view.nowMs = NowUnixMs();
    LeaderQuery query;
    query.mode = selection.mode;
    query.sinceMs = PeriodStartMs(selection.period, view.nowMs);
    query.limit = selection.limit;
    bool read;
    {
        std::lock_guard lock(readerMutex);
        read = reader->Leaderboard(query, &view.rows);
        if (!read) {
            LogLine("cannot read the leaderboard: %s", reader->LastError().c_str());
        }
    }
    if (!read) {
        return HttpResponse::Text(503, "The scores cannot be read right now.\n");
    }
    HttpResponse response;
    response.contentType = "text/html; charset=utf-8";
    response.headers.emplace_back("Vary", "Accept-Language");
    response.body = RenderLeaderboardPage(view);
    return response;
}

HttpResponse LeaderboardSite::Scores(const HttpRequest& request) {
    Selection selection;
    std::string problem;
    if (!ReadSelection(request, &selection, &problem)) {
        return Json(400, {{"error", problem}});
    }
    LeaderQuery query;
    query.mode = selection.mode;
    query.sinceMs = PeriodStartMs(selection.period, NowUnixMs());
    query.limit = selection.limit;
    std::vector<LeaderRow> rows;
    bool read;
    {
        std::lock_guard lock(readerMutex);
        read = reader->Leaderboard(query, &rows);
        if (!read) {
            LogLine("cannot read the leaderboard: %s", reader->LastError().c_str());
        }
    }
    if (!read) {
        return Json(503, {{"error", "the scores cannot be read right now"}});
    }
    return Json(200, LeaderboardJson(selection.period, selection.mode, rows));
}

HttpResponse LeaderboardSite::Health(const HttpRequest&) {
    int64_t count = 0;
    bool ok;
    {
        std::lock_guard lock(readerMutex);
        ok = reader->CountScores(&count);
    }
    nlohmann::json refused = nlohmann::json::object();
    for (size_t i = 1; i < kVerdictCount; ++i) {
        refused[VerdictKey(static_cast<Verdict>(i))] = stats->refused[i].load();
    }
    refused["timed_out"] = stats->timedOut.load();
    refused["rate_limited"] = stats->rateLimited.load();
    refused["reset"] = stats->broken.load();
    nlohmann::json body = {{"status", ok ? "ok" : "database unavailable"},
                           {"database", reader->Kind()},
                           {"connections", stats->connections.load()},
                           {"stored", stats->stored.load()},
                           {"refused_total", stats->RefusedTotal()},
                           {"refused", refused},
                           {"lost", stats->lost.load()}};
    if (ok) {
        body["scores_in_database"] = count;
    }
    return Json(ok ? 200 : 503, body);
}
