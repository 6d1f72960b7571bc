// Both back ends against the same expectations: batches stored whole and once, the ranking (best per name
// and machine, ties to the first) of each period and mode, names kept as sent, the schema version, and the
// upgrade of a database made by the first released schema.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <string>

#include "server/score_store.h"
#include "server_support.h"

namespace {

constexpr int64_t kDay = 86400000;
// Wednesday 2026-12-09, 12:00 UTC: its week began on Monday the 7th.
constexpr int64_t kWednesdayNoon = 1796601600000 + 2 * kDay + 12 * 3600000;

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

ScoreBatch Batch(std::vector<StoredScore> scores) {
    return {NewBatchId(), std::move(scores)};
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

    std::vector<LeaderRow> Board(ScoreStore& store, Period period = Period::kAll,
                                 const std::string& mode = "NORMAL", int limit = 100,
                                 int64_t nowMs = kWednesdayNoon) {
        LeaderQuery query;
        query.mode = mode;
        query.period = period;
        query.periodStartMs = PeriodStartMs(period, nowMs);
        query.limit = limit;
        std::vector<LeaderRow> rows;
        EXPECT_TRUE(store.Leaderboard(query, &rows)) << store.LastError();
        return rows;
    }

    TempFolder folder;
    std::string location;
};

}  // namespace

TEST_P(ScoreStoreTest, RanksTheBestScoreOfEachNameAndMachinePerPeriod) {
    auto store = Open();
    ASSERT_NE(store, nullptr);
    const int64_t today = kWednesdayNoon - 3600000;
    const int64_t monday = kWednesdayNoon - 2 * kDay;
    const int64_t lastWeek = kWednesdayNoon - 4 * kDay;  // Saturday before
    ASSERT_TRUE(store->StoreScores(
        Batch({Score("ANNA", 500, today), Score("ANNA", 900, monday), Score("ANNA", 900, today),
               Score("ANNA", 700, today + 5, 2), Score("BOB", 900, monday - 10), Score("CLEM", -20, today),
               Score("OLD", 5000, lastWeek), Score("HARD", 99999, today, 1, "HARD")})))
        << store->LastError();
    // A later batch neither beats nor ties to the first arrival; a tie with an earlier time wins.
    ASSERT_TRUE(store->StoreScores(Batch({Score("ANNA", 900, today + 10), Score("CLEM", 10, today + 20)})));
    int64_t count = 0;
    ASSERT_TRUE(store->CountScores(&count));
    EXPECT_EQ(count, 10);

    auto names = [](const std::vector<LeaderRow>& rows) {
        std::string text;
        for (const LeaderRow& row : rows) {
            text += row.name + ":" + std::to_string(row.score) + " ";
        }
        return text;
    };
    std::vector<LeaderRow> rows = Board(*store);
    EXPECT_EQ(names(rows), "OLD:5000 BOB:900 ANNA:900 ANNA:700 CLEM:10 ");
    // ANNA's 900 counts from its first arrival, on Monday; ANNA on machine 2 is apart.
    EXPECT_EQ(rows[2].achievedAtMs, monday);
    EXPECT_EQ(rows[3].identity, 2u);
    EXPECT_EQ(names(Board(*store, Period::kWeek)), "BOB:900 ANNA:900 ANNA:700 CLEM:10 ");
    rows = Board(*store, Period::kToday);
    EXPECT_EQ(names(rows), "ANNA:900 ANNA:700 CLEM:10 ");
    EXPECT_EQ(rows[0].achievedAtMs, today);  // Monday's 900 is not today's
    EXPECT_EQ(names(Board(*store, Period::kAll, "NORMAL", 2)), "OLD:5000 BOB:900 ");
    EXPECT_EQ(names(Board(*store, Period::kAll, "HARD")), "HARD:99999 ");
    EXPECT_TRUE(Board(*store, Period::kAll, "normal").empty());
    // Next week's and tomorrow's boards start empty.
    EXPECT_TRUE(Board(*store, Period::kWeek, "NORMAL", 100, kWednesdayNoon + 7 * kDay).empty());
    EXPECT_TRUE(Board(*store, Period::kToday, "NORMAL", 100, kWednesdayNoon + kDay).empty());
}

TEST_P(ScoreStoreTest, StoresARetriedBatchOnceAndDropsPeriodsNoPageShows) {
    auto store = Open();
    ASSERT_NE(store, nullptr);
    ScoreBatch batch = Batch({Score("ONCE", 10, kWednesdayNoon), Score("TWICE", 20, kWednesdayNoon)});
    ASSERT_TRUE(store->StoreScores(batch)) << store->LastError();
    // A retry of a batch whose commit was reported failed: accepted, and nothing stored again.
    EXPECT_TRUE(store->StoreScores(batch)) << store->LastError();
    auto reopened = Open();
    EXPECT_TRUE(reopened->StoreScores(batch)) << reopened->LastError();
    int64_t count = 0;
    ASSERT_TRUE(store->CountScores(&count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Board(*store).size(), 2u);

    // Yesterday's board is kept a day; the one before goes, this week's stays.
    ASSERT_TRUE(store->StoreScores(Batch({Score("NEXT", 1, kWednesdayNoon + kDay)})));
    EXPECT_EQ(Board(*store, Period::kWeek).size(), 3u);
    EXPECT_EQ(Board(*store, Period::kToday).size(), 2u);
    ASSERT_TRUE(store->StoreScores(Batch({Score("LATER", 1, kWednesdayNoon + 2 * kDay)})));
    EXPECT_EQ(Board(*store, Period::kWeek).size(), 4u);
    EXPECT_TRUE(Board(*store, Period::kToday).empty());
    EXPECT_EQ(Board(*store).size(), 4u);
}

TEST_P(ScoreStoreTest, UpgradesADatabaseOfTheFirstSchemaOnceWithItsScoresRanked) {
    // The tables and rows exactly as the first released server made them.
    bool postgres = IsPostgresLocation(location);
    std::string firstSchema =
        postgres ? "CREATE TABLE scores (id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY, received_at_ms "
                   "BIGINT NOT NULL, peer TEXT NOT NULL, identity BIGINT NOT NULL, variant BOOLEAN NOT NULL, "
                   "name TEXT NOT NULL, mode TEXT NOT NULL, score INTEGER NOT NULL);"
                 : "CREATE TABLE scores (id INTEGER PRIMARY KEY, received_at_ms INTEGER NOT NULL, peer TEXT "
                   "NOT NULL, identity INTEGER NOT NULL, variant INTEGER NOT NULL, name TEXT NOT NULL, mode "
                   "TEXT NOT NULL, score INTEGER NOT NULL);";
    firstSchema +=
        "CREATE INDEX scores_by_mode_and_time ON scores (mode, received_at_ms);"
        "CREATE TABLE schema_version (version INTEGER NOT NULL); INSERT INTO schema_version VALUES (1);";
    const char* yes = postgres ? "true" : "1";
    const char* no = postgres ? "false" : "0";
    auto row = [&](const char* name, int score, int64_t at, int identity = 1, const char* mode = "NORMAL") {
        return "INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) VALUES (" +
               std::to_string(at) + ", '192.0.2.1', " + std::to_string(identity) + ", " +
               (identity == 2 ? yes : no) + ", '" + name + "', '" + mode + "', " + std::to_string(score) +
               ");";
    };
    const int64_t monday = kWednesdayNoon - 2 * kDay;
    ASSERT_TRUE(ExecRaw(location, firstSchema + row("ANNA", 900, monday) +
                                      row("ANNA", 900, kWednesdayNoon - 9) +
                                      row("ANNA", 300, kWednesdayNoon - 5) + row("BOB", 400, kWednesdayNoon) +
                                      row("OLD", 5000, kWednesdayNoon - 10 * kDay) + row("", 50, monday, 2) +
                                      row("HARD", 7, monday, 1, "HARD")));
    std::string error;
    EXPECT_EQ(OpenScoreReader(location, &error), nullptr);  // a reader never upgrades
    EXPECT_NE(error.find("version 1"), std::string::npos) << error;

    auto store = Open();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->Opening().foundVersion, 1);
    std::string id = store->Opening().databaseId;
    EXPECT_EQ(id.size(), 32u);
    int64_t count = 0;
    ASSERT_TRUE(store->CountScores(&count));
    EXPECT_EQ(count, 7);
    std::vector<LeaderRow> rows = Board(*store);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, "OLD");
    EXPECT_EQ(rows[1].name, "ANNA");
    EXPECT_EQ(rows[1].achievedAtMs, monday);
    EXPECT_EQ(rows[3].name, "");
    EXPECT_EQ(Board(*store, Period::kWeek).size(), 3u);
    rows = Board(*store, Period::kToday);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "ANNA");
    EXPECT_EQ(rows[0].achievedAtMs, kWednesdayNoon - 9);
    EXPECT_EQ(Board(*store, Period::kToday, "HARD").size(), 0u);
    // Upgraded rows and new ones rank together.
    ASSERT_TRUE(store->StoreScores(Batch({Score("BOB", 950, kWednesdayNoon + 1)}))) << store->LastError();
    EXPECT_EQ(Board(*store, Period::kToday)[0].name, "BOB");
    store.reset();

    auto again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Opening().foundVersion, kSchemaVersion);
    EXPECT_EQ(again->Opening().databaseId, id);
    ASSERT_TRUE(again->CountScores(&count));
    EXPECT_EQ(count, 8);
    EXPECT_NE(OpenScoreReader(location, &error), nullptr) << error;
}

TEST_P(ScoreStoreTest, KeepsNamesAsSentAndTheScoresAcrossReopening) {
    const std::string names[] = {"<script>alert(1)</script>", "'; DROP TABLE scores; --", "\"quoted\" & \\",
                                 ""};
    {
        auto store = Open();
        ASSERT_NE(store, nullptr);
        std::vector<StoredScore> batch;
        for (size_t i = 0; i < std::size(names); ++i) {
            batch.push_back(Score(names[i], static_cast<int32_t>(10 - i), kWednesdayNoon));
        }
        ASSERT_TRUE(store->StoreScores(Batch(batch))) << store->LastError();
    }
    // A reader (the web side's) and a reopened writer see the same rows.
    std::string error;
    auto reader = OpenScoreReader(location, &error);
    ASSERT_NE(reader, nullptr) << error;
    ASSERT_NE(reader, nullptr);
    std::vector<LeaderRow> rows = Board(*reader);
    ASSERT_EQ(rows.size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(rows[i].name, names[i]);
    }
    auto writer = Open();
    ASSERT_TRUE(writer->StoreScores(Batch({Score("LATE", 1000, kWednesdayNoon)})));
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
    EXPECT_FALSE(
        store->StoreScores(Batch({Score("FIRST", 5, kWednesdayNoon), Score("BAD", -5, kWednesdayNoon),
                                  Score("LAST", 5, kWednesdayNoon)})));
    EXPECT_NE(store->LastError().find("negative"), std::string::npos) << store->LastError();
    int64_t count = -1;
    ASSERT_TRUE(store->CountScores(&count)) << store->LastError();
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(
        store->StoreScores(Batch({Score("FIRST", 5, kWednesdayNoon), Score("LAST", 6, kWednesdayNoon)})))
        << store->LastError();
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
