// The backups the README gives, made while the server runs and stores: SQLite's online .backup and
// PostgreSQL's pg_dump, each restored and found whole.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <thread>

#include "server_support.h"

namespace {

int Shell(const std::string& command) {
    int raw = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Scores keep arriving while the backup is made.
class SteadySender {
  public:
    explicit SteadySender(uint16_t port)
        : thread([this, port] {
              for (int i = 0; !stop.load(); ++i) {
                  if (SendToServer(port, Wire(GameText("B" + std::to_string(i), i))) ==
                      SendOutcome::kClosed) {
                      sent.fetch_add(1);
                  }
              }
          }) {}
    ~SteadySender() {
        stop.store(true);
        thread.join();
    }
    std::atomic<int> sent{0};

  private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace

TEST(Backup, SqliteBackupOfARunningServerIsWhole) {
    TempFolder folder;
    ServerProcess server;
    std::string database = folder.Path() + "/scores.sqlite";
    ASSERT_TRUE(server.Start(database, {"--rate-limit", "0"})) << server.Log();
    SteadySender sender(server.ScorePort());
    while (sender.sent.load() < 50) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string copy = folder.Path() + "/copy.sqlite";
    ASSERT_EQ(Shell("sqlite3 " + database + " \".backup " + copy + "\""), 0)
        << "sqlite3 is in tools/install-deps.sh";
    int sentBefore = sender.sent.load();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM scores", -1, &count, nullptr);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_GE(sqlite3_column_int(count, 0), 50);
    EXPECT_LE(sqlite3_column_int(count, 0), sentBefore + 4);
    sqlite3_finalize(count);
    sqlite3_close(db);
}

TEST(Backup, PgDumpOfARunningServerRestoresWhole) {
    TempFolder folder;
    std::string problem;
    std::string location = TestStoreLocation("postgres", folder, "backup", &problem);
    if (!problem.empty()) {
        GTEST_SKIP() << "PostgreSQL backup skipped: cannot start a test server: " << problem;
    }
    ASSERT_FALSE(location.empty());
    ServerProcess server;
    ASSERT_TRUE(server.Start(location, {"--rate-limit", "0"})) << server.Log();
    std::string dump = folder.Path() + "/quz.dump";
    {
        SteadySender sender(server.ScorePort());
        while (sender.sent.load() < 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(Shell("pg_dump --format=custom --file=" + dump + " '" + location + "'"), 0);
    }
    std::string restored = TestStoreLocation("postgres", folder, "restored", &problem);
    ASSERT_FALSE(restored.empty());
    ASSERT_EQ(Shell("pg_restore --no-owner --dbname='" + restored + "' " + dump), 0);
    // The restored copy serves as a database of its own.
    ServerProcess fromCopy;
    ASSERT_TRUE(fromCopy.Start(restored)) << fromCopy.Log();
    std::string body;
    ASSERT_EQ(HttpGet(fromCopy.WebPort(), "/healthz", &body), 200) << body;
    nlohmann::json health = nlohmann::json::parse(body, nullptr, false);
    EXPECT_GE(health.value("scores_in_database", 0), 50) << body;
    ASSERT_EQ(HttpGet(fromCopy.WebPort(), "/api/scores?limit=1", &body), 200);
    EXPECT_NE(body.find("\"name\":\"B"), std::string::npos) << body;
}
