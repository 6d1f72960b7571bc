// The web side (see leaderboard_site.h).
#include "server/leaderboard_site.h"

#include <chrono>

#include "core/daily.h"
#include "server/board_page.h"
#include "server/game_endpoint.h"
#include "server/health_report.h"
#include "server/leaderboard.h"

namespace {

constexpr int kMaxRows = 100;

int64_t NowUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string Dump(const nlohmann::json& value) {
    // Replace rather than throw on bytes that are not UTF-8: a row put in the database by hand may hold them.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

HttpResponse Json(int status, const nlohmann::json& body) {
    HttpResponse response;
    response.status = status;
    response.contentType = "application/json";
    response.body = Dump(body);
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

// Everything an answer depends on besides the language: the cache's key.
std::string BoardKey(const Selection& selection) {
    return std::string(PeriodKey(selection.period)) + " " + std::to_string(selection.limit) + " " +
           selection.mode;
}

LeaderQuery BoardQuery(const Selection& selection, int64_t nowMs) {
    LeaderQuery query;
    query.mode = selection.mode;
    query.period = selection.period;
    query.periodStartMs = PeriodStartMs(selection.period, nowMs);
    query.limit = selection.limit;
    return query;
}

}  // namespace

LeaderboardSite::LeaderboardSite(HttpOptions options, BoardReader* boardReader, const ServerStats* counters,
                                 const StoreHealth* storeHealth, const MetricRegistry* registry)
    : boards(boardReader), stats(counters), health(storeHealth), metrics(registry), http(std::move(options)) {
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
    http.Route("GET", "/healthz", [this](const HttpRequest&) {
        auto [status, body] = HealthReport(*health, boards, *stats);
        return Json(status, body);
    });
    http.Route("GET", "/metrics", [this](const HttpRequest&) {
        HttpResponse response;
        response.contentType = "text/plain; version=0.0.4; charset=utf-8";
        response.body = metrics != nullptr ? metrics->Render() : "";
        return response;
    });
}

// Which board a request asks for: ?date= (a day's board), ?board=daily|verified|unverified, and for the
// links made before the boards of games, a bare ?period= or ?mode=, which were the message scores'.
bool ReadTab(const HttpRequest& request, bool haveGames, BoardPageView* view, std::string* problem) {
    const std::string board = request.Param("board");
    if (request.HasParam("date")) {
        quz::core::CivilDate date;
        if (!quz::core::ParseIsoDate(request.Param("date"), &date)) {
            *problem = "date must be YYYY-MM-DD";
            return false;
        }
        view->tab = BoardTab::kDaily;
        view->dailyDays = quz::core::DaysFromCivil(date);
    } else if (board == "verified") {
        view->tab = BoardTab::kVerified;
    } else if (board == "unverified" ||
               (board.empty() && (request.HasParam("period") || request.HasParam("mode")))) {
        view->tab = BoardTab::kUnverified;
    } else if (board == "daily" || board.empty()) {
        view->tab = BoardTab::kDaily;
    } else {
        *problem = "board must be daily, verified or unverified";
        return false;
    }
    if (!haveGames) {
        view->tab = BoardTab::kUnverified;
    }
    return true;
}

HttpResponse LeaderboardSite::Page(const HttpRequest& request) {
    Selection selection;
    selection.period = Period::kToday;
    std::string problem;
    BoardPageView view;
    view.language = PickLanguage(request.Header("Accept-Language"));
    if (request.HasParam("lang")) {
        std::string lang = request.Param("lang");
        if (lang == "en" || lang == "fr") {
            view.language = lang == "en" ? Language::kEnglish : Language::kFrench;
            view.languageChosen = true;
        }
    }
    view.nowMs = NowUnixMs();
    view.todayDays = games != nullptr ? games->TodayDays() : view.nowMs / 86400000;
    view.dailyDays = view.todayDays;
    if (!ReadSelection(request, &selection, &problem) ||
        !ReadTab(request, games != nullptr, &view, &problem)) {
        return HttpResponse::Text(400, EscapeHtml(problem) + "\n");
    }
    view.period = selection.period;
    std::string body;
    std::string error;
    if (view.tab == BoardTab::kUnverified) {
        const std::string key = "page " + std::to_string(static_cast<int>(view.language)) +
                                (view.languageChosen ? "!" : "") + " " + BoardKey(selection);
        if (!boards->Cached(
                key, BoardQuery(selection, view.nowMs),
                [&view](const std::vector<LeaderRow>& rows) {
                    view.scores = rows;
                    return RenderBoardPage(view);
                },
                &body, &error)) {
            LogLine("cannot read the leaderboard: %s", error.c_str());
            return HttpResponse::Text(503, "The scores cannot be read right now.\n");
        }
    } else {
        GameBoardQuery query;
        if (view.tab == BoardTab::kDaily) {
            query.dailyDate = quz::core::IsoDate(quz::core::CivilFromDays(view.dailyDays));
        } else {
            query.sinceMs = PeriodStartMs(selection.period, view.nowMs);
        }
        query.limit = selection.limit;
        if (!games->ReadBoard(query, &view.games)) {
            return HttpResponse::Text(503, "The scores cannot be read right now.\n");
        }
        body = RenderBoardPage(view);
    }
    HttpResponse response;
    response.contentType = "text/html; charset=utf-8";
    response.headers.emplace_back("Vary", "Accept-Language");
    response.body = std::move(body);
    return response;
}

HttpResponse LeaderboardSite::Scores(const HttpRequest& request) {
    if (request.HasParam("daily") && dailyScores) {
        return dailyScores(request);
    }
    Selection selection;
    std::string problem;
    if (!ReadSelection(request, &selection, &problem)) {
        return Json(400, {{"error", problem}});
    }
    std::string body;
    std::string error;
    if (!boards->Cached(
            "json " + BoardKey(selection), BoardQuery(selection, NowUnixMs()),
            [&selection](const std::vector<LeaderRow>& rows) {
                return Dump(LeaderboardJson(selection.period, selection.mode, rows));
            },
            &body, &error)) {
        LogLine("cannot read the leaderboard: %s", error.c_str());
        return Json(503, {{"error", "the scores cannot be read right now"}});
    }
    HttpResponse response;
    response.contentType = "application/json";
    response.body = std::move(body);
    return response;
}
