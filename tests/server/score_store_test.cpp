// Both back ends against the same expectations: batches stored whole, the ranking (best per name and
// machine, ties to the first), the period and mode filters, names kept as sent, and the schema version.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <string>

#include "server/score_store.h"
#include "server_support.h"

namespace {

StoredScore Score(const std::string& name, int32_t score, int64_t atMs, uint32_t identity = 1,
                  const std::string& mode = "NORMAL") {
    StoredScore s;
    s.submission.name = name;
    s.submission.score = score;
    s.submission.identity = identity;
    s.submission.mode = mode;
    s.receivedAtMs = atMs;
    s.peer = "192.0.2.7";
    return s;
}

bool ExecRaw(const std::string& location, const std::string& sql) {
    if (IsPostgresLocation(location)) {
        PGconn* conn = PQconnectdb(location.c_str());
        PGresult* result = PQexec(conn, sql.c_str());
        bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        PQfinish(conn);
        return ok;
    }
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(location.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

class ScoreStoreTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "store", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }

    std::unique_ptr<ScoreStore> Open() {
        std::string error;
        std::unique_ptr<ScoreStore> store = OpenScoreStore(location, &error);
        EXPECT_NE(store, nullptr) << error;
        return store;
    }

    std::vector<LeaderRow> Board(ScoreStore& store, const std::string& mode = "NORMAL", int64_t since = 0,
                                 int limit = 100) {
        LeaderQuery query;
        query.mode = mode;
        query.sinceMs = since;
        query.limit = limit;
        std::vector<LeaderRow> rows;
        EXPECT_TRUE(store.Leaderboard(query, &rows)) << store.LastError();
        return rows;
    }

    TempFolder folder;
    std::string location;
};

}  // namespace

TEST_P(ScoreStoreTest, RanksTheBestScoreOfEachNameAndMachine) {
    auto store = Open();
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(
        store->StoreScores({Score("ANNA", 500, 1000), Score("ANNA", 900, 2000), Score("ANNA", 900, 3000),
                            Score("ANNA", 700, 2500, 2), Score("BOB", 900, 1500), Score("CLEM", -20, 100),
                            Score("HARD", 99999, 100, 1, "HARD")}))
        << store->LastError();
    int64_t count = 0;
    ASSERT_TRUE(store->CountScores(&count));
    EXPECT_EQ(count, 7);

    std::vector<LeaderRow> rows = Board(*store);
    ASSERT_EQ(rows.size(), 4u);
    // BOB reached 900 first; ANNA's repeated 900 counts from its first arrival; ANNA on machine 2 is apart.
    EXPECT_EQ(rows[0].name, "BOB");
    EXPECT_EQ(rows[1].name, "ANNA");
    EXPECT_EQ(rows[1].score, 900);
    EXPECT_EQ(rows[1].achievedAtMs, 2000);
    EXPECT_EQ(rows[2].name, "ANNA");
    EXPECT_EQ(rows[2].identity, 2u);
    EXPECT_EQ(rows[3].score, -20);

    // The period starts at sinceMs inclusive; best within the period only.
    rows = Board(*store, "NORMAL", 2000);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].achievedAtMs, 2000);
    EXPECT_EQ(rows[1].identity, 2u);
    EXPECT_EQ(Board(*store, "NORMAL", 0, 2).size(), 2u);
    rows = Board(*store, "HARD");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].score, 99999);
    EXPECT_TRUE(Board(*store, "normal").empty());
}

TEST_P(ScoreStoreTest, KeepsNamesAsSentAndTheScoresAcrossReopening) {
    const std::string names[] = {"<script>alert(1)</script>", "'; DROP TABLE scores; --", "\"quoted\" & \\"};
    {
        auto store = Open();
        ASSERT_NE(store, nullptr);
        std::vector<StoredScore> batch;
        for (size_t i = 0; i < std::size(names); ++i) {
            batch.push_back(Score(names[i], static_cast<int32_t>(10 - i), 100));
        }
        ASSERT_TRUE(store->StoreScores(batch)) << store->LastError();
    }
    // A second connection (the web side's) and a reopened one see the same rows.
    auto reader = Open();
    ASSERT_NE(reader, nullptr);
    std::vector<LeaderRow> rows = Board(*reader);
    ASSERT_EQ(rows.size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(rows[i].name, names[i]);
    }
    auto writer = Open();
    ASSERT_TRUE(writer->StoreScores({Score("LATE", 1000, 200)}));
    EXPECT_EQ(Board(*reader)[0].name, "LATE");
}

TEST_P(ScoreStoreTest, RefusesADatabaseOfANewerSchemaAndKeepsItsOwn) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_NE(Open(), nullptr);  // a second start finds the schema and leaves it
    ASSERT_TRUE(
        ExecRaw(location, "UPDATE schema_version SET version = " + std::to_string(kSchemaVersion + 1)));
    std::string error;
    EXPECT_EQ(OpenScoreStore(location, &error), nullptr);
    EXPECT_NE(error.find("newer"), std::string::npos) << error;
}

TEST_P(ScoreStoreTest, AFailedBatchLeavesNothingAndTheNextOneIsStored) {
    auto store = Open();
    ASSERT_NE(store, nullptr);
    // The database itself refuses one row of the batch (as a full disk or a lost link would refuse all).
    std::string refuseNegative =
        IsPostgresLocation(location)
            ? "ALTER TABLE scores ADD CONSTRAINT no_negative CHECK (score >= 0)"
            : "CREATE TRIGGER no_negative BEFORE INSERT ON scores WHEN NEW.score < 0 "
              "BEGIN SELECT RAISE(ABORT, 'no negative scores'); END";
    ASSERT_TRUE(ExecRaw(location, refuseNegative));
    EXPECT_FALSE(store->StoreScores({Score("FIRST", 5, 100), Score("BAD", -5, 100), Score("LAST", 5, 100)}));
    EXPECT_NE(store->LastError().find("negative"), std::string::npos) << store->LastError();
    int64_t count = -1;
    ASSERT_TRUE(store->CountScores(&count)) << store->LastError();
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(store->StoreScores({Score("FIRST", 5, 100), Score("LAST", 6, 100)})) << store->LastError();
    ASSERT_TRUE(store->CountScores(&count));
    EXPECT_EQ(count, 2);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ScoreStoreTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });

TEST(OpenScoreStore, ReportsWhyADatabaseCannotBeOpened) {
    std::string error;
    EXPECT_EQ(OpenScoreStore("/nonexistent-folder/x/scores.sqlite", &error), nullptr);
    EXPECT_NE(error.find("SQLite"), std::string::npos) << error;
    error.clear();
    EXPECT_EQ(OpenScoreStore("postgresql://nobody@/none?host=/nonexistent-folder&connect_timeout=2", &error),
              nullptr);
    EXPECT_NE(error.find("PostgreSQL"), std::string::npos) << error;
    EXPECT_EQ(OpenScoreStore("", &error), nullptr);
}
