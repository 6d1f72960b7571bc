// quz-scored --hide and --unhide against a running server on both back ends, as an operator uses them: the
// row leaves the page and the JSON as soon as the command returns, although the server keeps its rendered
// boards for a minute here, and comes back as soon as --unhide returns. Also the retention on the page.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <string>

#include "core/daily.h"
#include "game_bot.h"
#include "http_test_client.h"
#include "server_support.h"

namespace {

const quz::core::CivilDate kToday{2026, 12, 7};

class HideCommandTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "hide", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }

    // quz-scored run as a command on the same database; its output, with the status in *status.
    std::string Command(const std::string& arguments, int* status) {
        return CommandOutput(std::string(QUZ_SCORED) + " --db '" + location + "' " + arguments + " 2>&1",
                             status);
    }

    std::string Get(uint16_t port, const std::string& path, int expected = 200) {
        std::string body;
        EXPECT_EQ(HttpGet(port, path, &body, "en"), expected) << path << body;
        return body;
    }

    TempFolder folder;
    std::string location;
};

bool Shows(const std::string& body, const std::string& part) {
    return body.find(part) != std::string::npos;
}

}  // namespace

TEST_P(HideCommandTest, AHiddenRowLeavesThePageAndTheJsonAtOnceAndComesBack) {
    ServerProcess server;
    // A minute of cache: only the server noticing the change can explain a row gone within it.
    ASSERT_TRUE(server.Start(location, {"--today", "2026-12-07", "--cache-ms", "60000"})) << server.Log();
    const uint16_t web = server.WebPort();
    for (auto [name, score] : {std::pair{"ANNA", 900}, {"BOB", 500}}) {
        ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText(name, score))), SendOutcome::kClosed);
    }
    const uint64_t seed = quz::core::DailySeed(kToday);
    const std::string mode = quz::core::DailyMode(kToday);
    for (const char* name : {"Ann", "Bob"}) {
        HttpAnswer answer =
            RawRequest(web, GamePostRequest(AsText(SubmissionOf(name, PlayRobotGame(seed, mode, name, 20)))),
                       std::chrono::seconds(30));
        ASSERT_EQ(answer.status, 201) << answer.body;
    }
    const std::string scores = "/api/scores?period=all";
    const std::string page = "/?board=unverified&period=all";
    const std::string daily = "/api/scores?daily=2026-12-07";
    // Read once, so the server holds them in its cache.
    ASSERT_TRUE(Shows(Get(web, scores), "\"ANNA\""));
    ASSERT_TRUE(Shows(Get(web, page), ">ANNA<"));
    ASSERT_TRUE(Shows(Get(web, daily), "\"Ann\""));
    EXPECT_TRUE(Shows(Get(web, daily), "\"replay\":true"));
    ASSERT_TRUE(Shows(Get(web, "/"), ">Ann<"));

    int status = -1;
    std::string output = Command("--hide name:ANNA --hide name:Ann", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(Shows(output, "hidden: name:ANNA (1 message score, 0 games)")) << output;
    EXPECT_TRUE(Shows(output, "hidden: name:Ann (0 message scores, 1 game)")) << output;
    std::string body = Get(web, scores);
    EXPECT_FALSE(Shows(body, "ANNA")) << body;
    EXPECT_TRUE(Shows(body, "\"BOB\"")) << body;
    body = Get(web, page);
    EXPECT_FALSE(Shows(body, "ANNA")) << body;
    EXPECT_TRUE(Shows(body, ">BOB<")) << body;
    body = Get(web, daily);
    EXPECT_FALSE(Shows(body, "\"Ann\"")) << body;
    EXPECT_TRUE(Shows(body, "\"Bob\"")) << body;
    EXPECT_FALSE(Shows(Get(web, "/"), ">Ann<"));
    // Game 1 is Ann's: hidden, it is no game at all to a visitor (not the 403 of a day still played).
    Get(web, "/api/games/1/replay", 404);
    Get(web, "/api/games/2/replay", 403);

    output = Command("--list-hidden", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(Shows(output, "name:ANNA\thidden ")) << output;
    EXPECT_TRUE(Shows(output, "name:Ann\thidden ")) << output;

    output = Command("--unhide name:ANNA --unhide name:Ann --unhide name:Nobody", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(Shows(output, "shown again: name:ANNA")) << output;
    EXPECT_TRUE(Shows(output, "was not hidden: name:Nobody")) << output;
    EXPECT_TRUE(Shows(Get(web, scores), "\"ANNA\""));
    EXPECT_TRUE(Shows(Get(web, page), ">ANNA<"));
    EXPECT_TRUE(Shows(Get(web, daily), "\"Ann\""));
    Get(web, "/api/games/1/replay", 403);

    // A mistyped subject changes nothing and says why.
    output = Command("--hide ANNA", &status);
    EXPECT_EQ(status, 2) << output;
    EXPECT_TRUE(Shows(output, "is not name:NAME, identity:NUMBER or game:ID")) << output;
    EXPECT_TRUE(Shows(Get(web, scores), "\"ANNA\""));

    // A command on a database that is not there makes none.
    const std::string missing = folder.Path() + "/typo.sqlite";
    output = CommandOutput(std::string(QUZ_SCORED) + " --db " + missing + " --hide name:ANNA 2>&1", &status);
    EXPECT_EQ(status, 1) << output;
    EXPECT_TRUE(Shows(output, "no database at")) << output;
    EXPECT_NE(access(missing.c_str(), F_OK), 0);
    output = CommandOutput(std::string(QUZ_SCORED) + " --db " + missing + " --reverify 2>&1", &status);
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(access(missing.c_str(), F_OK), 0);

    // Deleted rows go at once too, for good.
    output = Command("--delete name:BOB", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(Shows(output, "deleted name:BOB: 1 message score, 0 games")) << output;
    EXPECT_FALSE(Shows(Get(web, scores), "BOB"));
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
}

TEST_P(HideCommandTest, ARetentionSetLaterEmptiesTheReplaysOutsideTheBestAndThePageLinksNone) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(location)) << server.Log();
    // Two normal games of one day, one board: every replay kept while the setting is "all".
    int bestId = 0;
    for (auto [name, seed] : {std::pair{"Lea", 0x10ULL}, {"Max", 0x11ULL}}) {
        HttpAnswer answer =
            RawRequest(server.WebPort(),
                       GamePostRequest(AsText(SubmissionOf(name, PlayRobotGame(seed, "NORMAL", name, 15)))),
                       std::chrono::seconds(30));
        ASSERT_EQ(answer.status, 201) << answer.body;
        const nlohmann::json stored = nlohmann::json::parse(answer.body);
        if (stored["rank"] == 1) {
            bestId = stored["id"];
        }
    }
    ASSERT_NE(bestId, 0);
    const int otherId = 3 - bestId;
    Get(server.WebPort(), "/api/games/" + std::to_string(otherId) + "/replay");
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();

    ASSERT_TRUE(server.Start(location, {"--keep-replays", "1"})) << server.Log();
    EXPECT_TRUE(Shows(server.Log(), "emptied the replays of 1 game")) << server.Log();
    const std::string body = Get(server.WebPort(), "/?board=verified&period=all");
    EXPECT_TRUE(Shows(body, "api/games/" + std::to_string(bestId) + "/replay")) << body;
    EXPECT_FALSE(Shows(body, "api/games/" + std::to_string(otherId) + "/replay")) << body;
    Get(server.WebPort(), "/api/games/" + std::to_string(bestId) + "/replay");
    // The game and its score stay; its replay is gone for good.
    EXPECT_TRUE(Shows(body, std::to_string(otherId) == "1" ? ">Lea<" : ">Max<")) << body;
    Get(server.WebPort(), "/api/games/" + std::to_string(otherId) + "/replay", 410);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
}

INSTANTIATE_TEST_SUITE_P(BackEnds, HideCommandTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });
