// quz-scored itself under the load of many clients on both back ends: exactly the valid scores are kept
// whatever the abuse mixed in, and a SIGKILL in the middle loses no score whose connection was closed.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "server/score_store.h"
#include "server_support.h"

using Clock = std::chrono::steady_clock;

namespace {

nlohmann::json Health(uint16_t webPort) {
    std::string body;
    if (HttpGet(webPort, "/healthz", &body) == 0) {
        return nlohmann::json::object();
    }
    return nlohmann::json::parse(body, nullptr, false);
}

class ServerLoad : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "load", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL load skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }

    TempFolder folder;
    std::string location;
};

}  // namespace

TEST_P(ServerLoad, KeepsExactlyTheValidScoresOfAMixedLoadFromFiftyClients) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(location, kLoadServerOptions)) << server.Log();
    LoadPlan plan;
    LoadResult result = RunLoad(server.ScorePort(), plan);
    int abusive = plan.malformed + plan.badChecksum + plan.truncated + plan.oversized + plan.slow;
    printf("[ load ] %s: %d valid and %d abusive messages from %d clients in %.2f s (%.0f valid/s)\n",
           GetParam(), plan.valid, abusive, plan.clients, result.seconds, plan.valid / result.seconds);
    EXPECT_EQ(result.validClosed, plan.valid);
    EXPECT_EQ(result.validNotClosed, 0);
    EXPECT_EQ(result.abusiveEnded, abusive);
    EXPECT_EQ(result.abusiveHung, 0);

    nlohmann::json health = Health(server.WebPort());
    EXPECT_EQ(health.value("status", ""), "ok") << health.dump();
    EXPECT_EQ(health.value("stored", 0), plan.valid);
    EXPECT_EQ(health.value("refused_total", 0), abusive) << health.dump();
    EXPECT_EQ(health.value("scores_in_database", 0), plan.valid);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();

    std::multiset<std::string> names;
    std::string integrity;
    ASSERT_TRUE(ReadStoredNames(location, &names, &integrity));
    EXPECT_EQ(integrity, "ok");
    EXPECT_EQ(names.size(), static_cast<size_t>(plan.valid));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());  // each once
}

TEST_P(ServerLoad, ACrashMidLoadLosesNoClosedScoreAndTheServerRestartsClean) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(location, kLoadServerOptions)) << server.Log();
    LoadPlan plan;
    plan.valid = 8000;
    plan.malformed = plan.badChecksum = plan.truncated = plan.oversized = 100;
    plan.slow = 10;
    std::atomic<bool> stop{false};
    LoadResult result;
    std::thread load([&] { result = RunLoad(server.ScorePort(), plan, &stop); });
    // Kill it once a good part has been stored, with connections in every state.
    Clock::time_point until = Clock::now() + std::chrono::seconds(60);
    while (Health(server.WebPort()).value("stored", 0) < 2000 && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Clock::time_point killedAt = Clock::now();
    EXPECT_EQ(server.Signal(SIGKILL), 128 + SIGKILL);
    stop = true;
    load.join();

    // Only closes seen before the kill count: the kernel closes the rest for the dead server.
    std::set<std::string> confirmed;
    for (const auto& [id, when] : result.closedAt) {
        if (when < killedAt) {
            confirmed.insert("L" + std::to_string(id));
        }
    }
    printf("[ crash ] %s: %zu scores confirmed closed before the kill\n", GetParam(), confirmed.size());
    EXPECT_GE(confirmed.size(), 1000u);

    ServerProcess restarted;
    ASSERT_TRUE(restarted.Start(location, kLoadServerOptions)) << restarted.Log();
    EXPECT_EQ(Health(restarted.WebPort()).value("status", ""), "ok");
    std::multiset<std::string> names;
    std::string integrity;
    ASSERT_TRUE(ReadStoredNames(location, &names, &integrity));
    EXPECT_EQ(integrity, "ok");
    size_t missing = 0;
    for (const std::string& name : confirmed) {
        missing += names.count(name) == 0 ? 1 : 0;
    }
    EXPECT_EQ(missing, 0u);
    // Nothing stored twice, nothing invented.
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_LE(names.size(), static_cast<size_t>(plan.valid));
    // And it goes on storing.
    EXPECT_EQ(SendToServer(restarted.ScorePort(), Wire(GameText("AFTER", 1))), SendOutcome::kClosed);
    EXPECT_EQ(Health(restarted.WebPort()).value("scores_in_database", 0),
              static_cast<int64_t>(names.size() + 1));
    EXPECT_EQ(restarted.Signal(SIGTERM), 0) << restarted.Log();
}

TEST_P(ServerLoad, AHundredVariedPageRequestsAtOnceAnswerWithinASecondWhileScoresArrive) {
    ServerProcess server;
    std::vector<std::string> options = kLoadServerOptions;
    options.insert(options.end(), {"--http-per-address", "1000"});
    ASSERT_TRUE(server.Start(location, options)) << server.Log();
    LoadPlan plan;
    plan.clients = 10;
    plan.valid = 3000;
    plan.malformed = plan.badChecksum = plan.truncated = plan.oversized = plan.slow = plan.chunked = 0;
    std::atomic<bool> stop{false};
    std::thread load([&] { RunLoad(server.ScorePort(), plan, &stop); });
    Clock::time_point until = Clock::now() + std::chrono::seconds(30);
    while (Health(server.WebPort()).value("stored", 0) < 100 && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Periods, modes, limits and languages all differ, so most answers are read and made anew rather
    // than served from the short cache; the writer stores meanwhile.
    const char* periods[] = {"all", "week", "today"};
    std::vector<int> statuses(100);
    std::vector<double> answeredMs(100);
    std::vector<std::thread> crowd;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < 100; ++i) {
        crowd.emplace_back([&, i] {
            std::string page;
            std::string path = std::string(i % 4 == 3 ? "/api/scores" : "/") + "?period=" + periods[i % 3] +
                               "&limit=" + std::to_string(100 - i % 13) +
                               (i % 2 != 0 ? "&lang=en" : "&lang=fr") + (i % 5 == 4 ? "&mode=HARD" : "");
            statuses[static_cast<size_t>(i)] = HttpGet(server.WebPort(), path, &page);
            answeredMs[static_cast<size_t>(i)] =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        });
    }
    for (std::thread& t : crowd) {
        t.join();
    }
    stop = true;
    load.join();
    double last = *std::max_element(answeredMs.begin(), answeredMs.end());
    printf("[ crowd ] %s: 100 varied page requests during a load, the last answered after %.0f ms\n",
           GetParam(), last);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 200), 100);
    EXPECT_LT(last, 1000.0);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ServerLoad, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });
