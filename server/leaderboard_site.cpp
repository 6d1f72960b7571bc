// The web side (see leaderboard_site.h).
#include "server/leaderboard_site.h"

#include <httplib.h>

#include <chrono>
#include <cstring>

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

void SendJson(httplib::Response& response, int status, const nlohmann::json& body) {
    response.status = status;
    response.set_content(Dump(body), "application/json");
}

// What a request asks for, checked; false with a reason for a 400.
struct Selection {
    Period period = Period::kAll;
    std::string mode = kDefaultMode;
    int limit = kMaxRows;
};

bool ReadSelection(const httplib::Request& request, Selection* selection, std::string* problem) {
    if (request.has_param("period") && !ParsePeriod(request.get_param_value("period"), &selection->period)) {
        *problem = "period must be today, week or all";
        return false;
    }
    if (request.has_param("mode")) {
        selection->mode = request.get_param_value("mode");
        if (!IsPrintableText(selection->mode, kMaxModeLength)) {
            *problem = "mode must be 1 to 31 printable ASCII characters";
            return false;
        }
    }
    if (request.has_param("limit")) {
        std::string text = request.get_param_value("limit");
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

void SetCommonHeaders(httplib::Response& response) {
    // The page has no script and loads nothing: should a name ever slip through unescaped, the browser
    // still runs nothing.
    response.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_header("Cache-Control", "no-cache");
}

}  // namespace

LeaderboardSite::LeaderboardSite(SiteOptions opts, BoardReader* boardReader, const ServerStats* counters,
                                 const StoreHealth* storeHealth)
    : options(std::move(opts)),
      boards(boardReader),
      stats(counters),
      health(storeHealth),
      server(std::make_unique<httplib::Server>()) {
    int threads = std::max(options.threads, 1);
    server->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    server->set_read_timeout(5, 0);
    server->set_write_timeout(5, 0);
    server->set_keep_alive_max_count(20);
    server->set_keep_alive_timeout(5);
    server->set_payload_max_length(4096);
    Routes();
}

LeaderboardSite::~LeaderboardSite() = default;

bool LeaderboardSite::Listen(std::string* error) {
    int port = options.port == 0
                   ? server->bind_to_any_port(options.bindAddress)
                   : (server->bind_to_port(options.bindAddress, options.port) ? options.port : -1);
    if (port <= 0) {
        *error = "cannot listen for the web on " + options.bindAddress + " port " +
                 std::to_string(options.port) + ": " + strerror(errno);
        return false;
    }
    boundPort = static_cast<uint16_t>(port);
    return true;
}

void LeaderboardSite::Run() {
    server->listen_after_bind();
}

void LeaderboardSite::Stop() {
    server->stop();
}

void LeaderboardSite::Routes() {
    server->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        SetCommonHeaders(response);
        Selection selection;
        std::string problem;
        PageView view;
        view.language = PickLanguage(request.get_header_value("Accept-Language"));
        if (request.has_param("lang")) {
            std::string lang = request.get_param_value("lang");
            if (lang == "en" || lang == "fr") {
                view.language = lang == "en" ? Language::kEnglish : Language::kFrench;
                view.languageChosen = true;
            }
        }
        if (!ReadSelection(request, &selection, &problem)) {
            response.status = 400;
            response.set_content(EscapeHtml(problem) + "\n", "text/plain; charset=utf-8");
            return;
        }
        view.period = selection.period;
        view.mode = selection.mode;
        view.nowMs = NowUnixMs();
        std::string body;
        std::string error;
        std::string key = "page " + std::to_string(static_cast<int>(view.language)) +
                          (view.languageChosen ? "!" : "") + " " + BoardKey(selection);
        if (!boards->Cached(
                key, BoardQuery(selection, view.nowMs),
                [&view](const std::vector<LeaderRow>& rows) {
                    view.rows = rows;
                    return RenderLeaderboardPage(view);
                },
                &body, &error)) {
            response.status = 503;
            response.set_content("The scores cannot be read right now.\n", "text/plain; charset=utf-8");
            LogLine("cannot read the leaderboard: %s", error.c_str());
            return;
        }
        response.set_header("Vary", "Accept-Language");
        response.set_content(body, "text/html; charset=utf-8");
    });

    server->Get("/api/scores", [this](const httplib::Request& request, httplib::Response& response) {
        SetCommonHeaders(response);
        Selection selection;
        std::string problem;
        if (!ReadSelection(request, &selection, &problem)) {
            SendJson(response, 400, {{"error", problem}});
            return;
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
            SendJson(response, 503, {{"error", "the scores cannot be read right now"}});
            return;
        }
        response.status = 200;
        response.set_content(body, "application/json");
    });

    server->Get("/healthz", [this](const httplib::Request&, httplib::Response& response) {
        SetCommonHeaders(response);
        auto [status, body] = HealthReport(*health, boards, *stats);
        SendJson(response, status, body);
    });
}
