// POST /api/games on a running quz-scored, on both back ends: a verified game is stored and ranked on its
// board, a copy and every forgery are refused with their 4xx and counted by reason, a daily replay is
// downloadable only once its board takes no more games, a game of unknown rules is kept unverified, and the
// old message still goes to its own board.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "core/daily.h"
#include "game_bot.h"
#include "http_test_client.h"
#include "server_support.h"

namespace {

const quz::core::CivilDate kToday{2026, 12, 7};

HttpAnswer Post(uint16_t port, const std::string& body) {
    return RawRequest(port, GamePostRequest(body), std::chrono::seconds(30));
}

nlohmann::json JsonOf(const std::string& text) {
    return nlohmann::json::parse(text, nullptr, false);
}

class GamesEndpointTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "games", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }
    bool Start(ServerProcess& server, const char* today) {
        return server.Start(location, {"--today", today, "--verify-threads", "2"});
    }
    TempFolder folder;
    std::string location;
};

TEST_P(GamesEndpointTest, StoresRanksRefusesAndCountsAsTheApiSays) {
    const quz::core::Replay first =
        PlayRobotGame(quz::core::DailySeed(kToday), quz::core::DailyMode(kToday), "Ann", 12);
    const quz::core::Replay second =
        PlayRobotGame(quz::core::DailySeed(kToday), quz::core::DailyMode(kToday), "Bob", 30);
    const quz::core::Replay normal = PlayRobotGame(0xfeedULL, "NORMAL", "Cyd", 12);
    ServerProcess server;
    ASSERT_TRUE(Start(server, "2026-12-07")) << server.Log();
    const uint16_t web = server.WebPort();

    HttpAnswer answer = Post(web, AsText(SubmissionOf("Ann", first)));
    ASSERT_EQ(answer.status, 201) << answer.body << server.Log();
    nlohmann::json body = JsonOf(answer.body);
    EXPECT_EQ(body["verified"], true);
    EXPECT_EQ(body["board"], "daily");
    EXPECT_EQ(body["date"], "2026-12-07");
    EXPECT_EQ(body["rank"], 1);
    EXPECT_EQ(body["of"], 1);
    const int64_t dailyId = body["id"].get<int64_t>();

    answer = Post(web, AsText(SubmissionOf("Bob", second)));
    ASSERT_EQ(answer.status, 201) << answer.body;
    body = JsonOf(answer.body);
    EXPECT_EQ(body["of"], 2);
    EXPECT_EQ(body["rank"], second.outcome.score > first.outcome.score ? 1 : 2);

    answer = Post(web, AsText(SubmissionOf("Ann", first)));
    EXPECT_EQ(answer.status, 409) << answer.body;
    EXPECT_EQ(JsonOf(answer.body)["error"], "copy");

    quz::core::Replay forged = first;
    forged.outcome.score += 1;
    answer = Post(web, AsText(SubmissionOf("Ann", forged)));
    EXPECT_EQ(answer.status, 422);
    EXPECT_EQ(JsonOf(answer.body)["error"], "score mismatch");
    EXPECT_EQ(Post(web, std::string(300, 'x')).status, 400);
    EXPECT_EQ(Post(web, std::string(10u << 20, 'Q')).status, 413);

    // The same seed and commands under another rules version would be a copy: another game.
    quz::core::Replay otherRules = PlayRobotGame(0xbeefULL, "NORMAL", "Cyd", 12);
    otherRules.rulesVersion += 1;
    answer = Post(web, AsText(SubmissionOf("Cyd", otherRules)));
    ASSERT_EQ(answer.status, 201);
    EXPECT_EQ(JsonOf(answer.body)["verified"], false);
    EXPECT_EQ(JsonOf(answer.body)["reason"], "unknown rules version");

    answer = Post(web, AsText(SubmissionOf("Cyd", normal)));
    ASSERT_EQ(answer.status, 201) << answer.body;
    EXPECT_EQ(JsonOf(answer.body)["board"], "normal");
    const int64_t normalId = JsonOf(answer.body)["id"].get<int64_t>();

    // The day's board, best first, verified games only.
    std::string text;
    ASSERT_EQ(HttpGet(web, "/api/scores?daily=2026-12-07", &text), 200) << text;
    body = JsonOf(text);
    ASSERT_EQ(body["scores"].size(), 2u) << text;
    EXPECT_EQ(body["mode"], "DAILY-20261207");
    EXPECT_GE(body["scores"][0]["score"].get<int>(), body["scores"][1]["score"].get<int>());
    EXPECT_EQ(body["scores"][0]["verified"], true);
    EXPECT_EQ(HttpGet(web, "/api/scores?daily=2026-13-01", &text), 400);

    // A normal game's replay at once; the day's only once it is over.
    ASSERT_EQ(HttpGet(web, "/api/games/" + std::to_string(normalId) + "/replay", &text), 200);
    EXPECT_EQ(text, AsText(ReplayFile(normal)));
    EXPECT_EQ(HttpGet(web, "/api/games/" + std::to_string(dailyId) + "/replay", &text), 403);
    EXPECT_EQ(HttpGet(web, "/api/games/99999/replay", &text), 404);
    EXPECT_EQ(HttpGet(web, "/api/games/x/replay", &text), 404);

    // Each refusal counted under its reason.
    ASSERT_EQ(HttpGet(web, "/metrics", &text), 200);
    for (const char* line :
         {"quz_games_total{verdict=\"verified\"} 3", "quz_games_total{verdict=\"copy\"} 1",
          "quz_games_total{verdict=\"score_mismatch\"} 1", "quz_games_total{verdict=\"bad_format\"} 1",
          "quz_games_total{verdict=\"unknown_rules_version\"} 1"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }

    // The old message is still taken, on its own board.
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("Legacy", 4321))), SendOutcome::kClosed);
    ASSERT_EQ(HttpGet(web, "/api/scores?period=all", &text), 200);
    EXPECT_NE(text.find("Legacy"), std::string::npos) << text;
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();

    // The next day the board of the 7th still takes a game finished late, so its replays stay private.
    ServerProcess dayAfter;
    ASSERT_TRUE(Start(dayAfter, "2026-12-08")) << dayAfter.Log();
    EXPECT_EQ(HttpGet(dayAfter.WebPort(), "/api/games/" + std::to_string(dailyId) + "/replay", &text), 403);
    const quz::core::Replay lateButTaken =
        PlayRobotGame(quz::core::DailySeed(kToday), quz::core::DailyMode(kToday), "Gus", 18);
    EXPECT_EQ(Post(dayAfter.WebPort(), AsText(SubmissionOf("Gus", lateButTaken))).status, 201);
    EXPECT_EQ(dayAfter.Signal(SIGTERM), 0) << dayAfter.Log();

    // The day after that the board of the 7th is over: its replays can be seen, and its games no longer
    // sent.
    ServerProcess nextDay;
    ASSERT_TRUE(Start(nextDay, "2026-12-09")) << nextDay.Log();
    ASSERT_EQ(HttpGet(nextDay.WebPort(), "/api/games/" + std::to_string(dailyId) + "/replay", &text), 200);
    EXPECT_EQ(text, AsText(ReplayFile(first)));
    const quz::core::Replay late =
        PlayRobotGame(quz::core::DailySeed(kToday), quz::core::DailyMode(kToday), "Dee", 20);
    answer = Post(nextDay.WebPort(), AsText(SubmissionOf("Dee", late)));
    EXPECT_EQ(answer.status, 422);
    EXPECT_EQ(JsonOf(answer.body)["error"], "daily date out of range");
    EXPECT_EQ(nextDay.Signal(SIGTERM), 0) << nextDay.Log();
}

TEST_P(GamesEndpointTest, ReverifyReportsWhatNoLongerHolds) {
    ServerProcess server;
    ASSERT_TRUE(Start(server, "2026-12-07")) << server.Log();
    const quz::core::Replay game = PlayRobotGame(0xabcULL, "NORMAL", "Eve", 15);
    ASSERT_EQ(Post(server.WebPort(), AsText(SubmissionOf("Eve", game))).status, 201);
    quz::core::Replay otherRules = PlayRobotGame(0xabdULL, "NORMAL", "Fay", 15);
    otherRules.rulesVersion += 1;
    ASSERT_EQ(Post(server.WebPort(), AsText(SubmissionOf("Fay", otherRules))).status, 201);
    EXPECT_EQ(server.Signal(SIGTERM), 0);

    const std::string command = std::string(QUZ_SCORED) + " --reverify --db '" + location + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[512];
    while (fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("game 2: not verified: unknown rules version"), std::string::npos) << output;
    EXPECT_NE(output.find("2 games: 1 verified, 0 mismatches, 1 of unknown rules"), std::string::npos)
        << output;
}

INSTANTIATE_TEST_SUITE_P(BackEnds, GamesEndpointTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });

}  // namespace
