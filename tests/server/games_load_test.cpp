// quz-scored under a load of games sent with their replays, on both back ends: 2,000 different games of
// two to five minutes each from 20 clients, which retry when told the server is busy, while a reader
// keeps asking for the page. Exactly the 2,000 are stored, and under --keep-replays 10 exactly the day's
// best ten keep their replays; the time to verify a game and the server's CPU share are reported, with the
// page's answer times.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game_bot.h"
#include "http_test_client.h"
#include "server/score_store.h"
#include "server/sql_runner.h"
#include "server_support.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kGames = 2000;
constexpr int kClients = 20;

// The bodies, made once for both back ends: each a different robot game (its own seed and pace).
const std::vector<std::string>& Bodies() {
    static const std::vector<std::string> bodies = [] {
        std::vector<std::string> made(kGames);
        std::vector<std::thread> makers;
        for (int part = 0; part < 2; ++part) {
            makers.emplace_back([&made, part] {
                for (int i = part; i < kGames; i += 2) {
                    const std::string name = "G" + std::to_string(i);
                    made[static_cast<size_t>(i)] =
                        AsText(SubmissionOf(name, PlayRobotGame(0x5eed0000ULL + static_cast<uint64_t>(i),
                                                                "NORMAL", name, 30 + i % 31)));
                }
            });
        }
        for (std::thread& maker : makers) {
            maker.join();
        }
        return made;
    }();
    return bodies;
}

// A count read past the server, the same SQL on both back ends.
int64_t CountGames(const std::string& location, const char* where) {
    const std::string sql = std::string("SELECT COUNT(*) FROM games WHERE ") + where;
    std::string error;
    std::unique_ptr<SqlRunner> db = OpenSqlRunner(location, &error);
    std::vector<SqlRow> rows;
    if (db == nullptr || !db->Run(sql, {}, &rows, nullptr) || rows.size() != 1) {
        return -1;
    }
    return std::strtoll(rows[0][0].c_str(), nullptr, 10);
}

// The process's CPU time (user and system) in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::vector<std::string> fields;
    size_t start = close + 2;
    while (start < text.size()) {
        const size_t space = text.find(' ', start);
        fields.push_back(text.substr(start, space - start));
        if (space == std::string::npos) {
            break;
        }
        start = space + 1;
    }
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the command's parenthesis.
    return fields.size() > 13
               ? (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK))
               : 0;
}

double MetricValue(const std::string& metrics, const std::string& name) {
    const size_t at = metrics.find("\n" + name + " ");
    return at == std::string::npos ? -1 : std::stod(metrics.substr(at + name.size() + 2));
}

class GamesServerLoadTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "gameload", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }
    TempFolder folder;
    std::string location;
};

TEST_P(GamesServerLoadTest, TwoThousandVerifiedGamesFromTwentyClientsAreAllStored) {
    const std::vector<std::string>& bodies = Bodies();
    ServerProcess server;
    // The replays of the day's best ten are kept: every stored game goes through the retention too.
    ASSERT_TRUE(
        server.Start(location, {"--verify-threads", "2", "--http-per-address", "64", "--keep-replays", "10"}))
        << server.Log();
    const uint16_t web = server.WebPort();
    std::atomic<int> stored{0};
    std::atomic<int> busy{0};
    std::atomic<int> other{0};
    std::atomic<bool> done{false};
    std::vector<double> pageMs;
    std::atomic<int> pageFailures{0};
    const double cpuBefore = CpuSeconds(server.Pid());
    const Clock::time_point start = Clock::now();

    std::thread reader([&] {
        while (!done.load()) {
            std::string page;
            const Clock::time_point asked = Clock::now();
            if (HttpGet(web, "/?period=today", &page) != 200) {
                pageFailures.fetch_add(1);
            }
            pageMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            for (int i = c; i < kGames; i += kClients) {
                const std::string& body = bodies[static_cast<size_t>(i)];
                const std::string request = GamePostRequest(body);
                // Told it is busy, a client comes back later, as the game's sender does.
                for (int attempt = 0; attempt < 200; ++attempt) {
                    const HttpAnswer answer = RawRequest(web, request, std::chrono::seconds(30));
                    if (answer.status == 201) {
                        stored.fetch_add(1);
                        break;
                    }
                    if (answer.status != 503) {
                        other.fetch_add(1);
                        break;
                    }
                    busy.fetch_add(1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(50 + 10 * (attempt % 10)));
                }
            }
        });
    }
    for (std::thread& client : clients) {
        client.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds(server.Pid()) - cpuBefore;
    done = true;
    reader.join();
    std::string metrics;
    ASSERT_EQ(HttpGet(web, "/metrics", &metrics), 200);
    EXPECT_EQ(server.Signal(SIGTERM), 0) << server.Log();

    EXPECT_EQ(stored.load(), kGames);
    EXPECT_EQ(other.load(), 0);
    EXPECT_EQ(CountGames(location, "verified"), kGames) << "exactly the games sent, none lost, none twice";
    // Every game has a player of its own: ten replays are left, twenty if the run crossed midnight (UTC).
    const int64_t kept = CountGames(location, "length(replay) > 0");
    EXPECT_TRUE(kept == 10 || kept == 20) << kept;
    EXPECT_EQ(pageFailures.load(), 0);
    std::sort(pageMs.begin(), pageMs.end());
    ASSERT_FALSE(pageMs.empty());
    const double verifyCount = MetricValue(metrics, "quz_game_verify_seconds_count");
    const double verifySum = MetricValue(metrics, "quz_game_verify_seconds_sum");
    printf(
        "%s: %d games in %.1f s (%.0f a second), %d busy answers retried; verification %.2f ms a game "
        "(%0.f games); server CPU %.1f s = %.0f%% of the 2 cores; page: median %.1f ms, 95th %.1f ms, "
        "worst %.1f ms over %zu reads\n",
        GetParam(), stored.load(), seconds, stored.load() / seconds, busy.load(),
        verifyCount > 0 ? 1000 * verifySum / verifyCount : -1.0, verifyCount, cpu, 100 * cpu / seconds / 2,
        pageMs[pageMs.size() / 2], pageMs[pageMs.size() * 95 / 100], pageMs.back(), pageMs.size());
}

INSTANTIATE_TEST_SUITE_P(BackEnds, GamesServerLoadTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });

}  // namespace
