// What the operator hides, deletes and lets go on both back ends, below the web side: hidden rows leave
// every board, rank and replay while staying stored, and come back; a deletion takes a player's rows and
// board places; a database of schema version 3 is upgraded with its rows; the retention keeps the
// replays of each board's best only.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "server/game_store.h"
#include "server/operator_commands.h"
#include "server/schema.h"
#include "server/score_store.h"
#include "server/sql_runner.h"
#include "server_support.h"

namespace {

constexpr int64_t kDay = 86400000;
// Monday 2026-12-07, 12:00 UTC.
constexpr int64_t kMondayNoon = 1796601600000 + 12 * 3600000;

StoredScore Score(const std::string& name, int32_t score, uint32_t identity = 1) {
    StoredScore s;
    s.submission.name = name;
    s.submission.score = score;
    s.submission.identity = identity;
    s.submission.mode = "NORMAL";
    s.receivedAtMs = kMondayNoon;
    s.peer = "192.0.2.7";
    return s;
}

// A game as the store takes it; the store does not re-play it, so its replay is a few distinct bytes.
StoredGame Game(const std::string& name, int32_t score, const std::string& dailyDate = "2026-12-07",
                int64_t atMs = kMondayNoon, bool verified = true) {
    static int made = 0;
    ++made;
    StoredGame g;
    g.game.name = name;
    g.game.identity = 7;
    g.game.mode = dailyDate.empty() ? "NORMAL" : "DAILY-2026-12-07";
    g.game.dailyDate = dailyDate;
    g.game.score = score;
    g.game.level = 1;
    g.game.ticks = 600;
    g.game.rulesVersion = 1;
    g.game.seed = static_cast<uint64_t>(made);
    g.game.replayFile = {0x51, 0x55, 0x5a, static_cast<uint8_t>(made)};
    g.game.replayKey = "key-" + std::to_string(made) + "-" + std::to_string(atMs);
    g.verified = verified;
    g.game.reason = verified ? "" : "rules version 2";
    g.receivedAtMs = atMs + made;  // each a little later than the one before
    g.peer = "192.0.2.8";
    return g;
}

Subject Who(const std::string& text) {
    Subject subject;
    std::string problem;
    EXPECT_TRUE(ParseSubject(text, &subject, &problem)) << problem;
    return subject;
}

std::string Names(const std::vector<LeaderRow>& rows) {
    std::string text;
    for (const LeaderRow& row : rows) {
        text += row.name + ":" + std::to_string(row.score) + " ";
    }
    return text;
}

std::string Names(const std::vector<GameRow>& rows) {
    std::string text;
    for (const GameRow& row : rows) {
        text += row.name + ":" + std::to_string(row.score) + (row.replayKept ? "" : "(no replay)") + " ";
    }
    return text;
}

class HiddenRowsTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string problem;
        location = TestStoreLocation(GetParam(), folder, "hidden", &problem);
        if (!problem.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: cannot start a test server: " << problem;
        }
        ASSERT_FALSE(location.empty());
    }

    // The writer first: it makes the schema the others open.
    void Open() {
        std::string error;
        scores = OpenScoreStore(location, &error);
        ASSERT_NE(scores, nullptr) << error;
        reader = OpenScoreReader(location, &error);
        ASSERT_NE(reader, nullptr) << error;
        games = OpenGameStore(location, &error);
        ASSERT_NE(games, nullptr) << error;
        db = OpenSqlRunner(location, &error);
        ASSERT_NE(db, nullptr) << error;
    }

    std::vector<LeaderRow> Leaders() {
        LeaderQuery query;
        query.period = Period::kAll;
        std::vector<LeaderRow> rows;
        EXPECT_TRUE(reader->Leaderboard(query, &rows)) << reader->LastError();
        return rows;
    }

    std::vector<GameRow> Day(const std::string& date = "2026-12-07") {
        GameBoardQuery query;
        query.dailyDate = date;
        std::vector<GameRow> rows;
        EXPECT_TRUE(games->Board(query, &rows)) << games->LastError();
        return rows;
    }

    int64_t Generation() {
        int64_t generation = -1;
        EXPECT_TRUE(reader->HiddenGeneration(&generation)) << reader->LastError();
        return generation;
    }

    int64_t Put(const StoredGame& game, GamePlace* place = nullptr) {
        GamePlace where;
        EXPECT_EQ(games->Store(game, &where), GameStoreResult::Stored) << games->LastError();
        if (place != nullptr) {
            *place = where;
        }
        return where.id;
    }

    void Hide(const std::string& text, bool hide = true) {
        bool changed = false;
        ASSERT_TRUE(SetHidden(*db, Who(text), hide, kMondayNoon, &changed)) << db->LastError();
        EXPECT_TRUE(changed) << text;
    }

    // Ids of the games whose replay is still stored, hidden ones included.
    std::string KeptReplays() {
        std::vector<SqlRow> rows;
        EXPECT_TRUE(db->Run("SELECT id FROM games WHERE length(replay) > 0 ORDER BY id", {}, &rows, nullptr))
            << db->LastError();
        std::string ids;
        for (const SqlRow& row : rows) {
            ids += row[0] + " ";
        }
        return ids;
    }

    TempFolder folder;
    std::string location;
    std::unique_ptr<ScoreStore> scores;
    std::unique_ptr<ScoreStore> reader;
    std::unique_ptr<GameStore> games;
    std::unique_ptr<SqlRunner> db;
};

}  // namespace

TEST(Subjects, AreReadOneWayAndRefuseWhatNoGameCanSend) {
    Subject subject;
    std::string problem;
    ASSERT_TRUE(ParseSubject("name:Ann:Marie ", &subject, &problem)) << problem;
    EXPECT_EQ(subject.kind, SubjectKind::kName);
    EXPECT_EQ(subject.value, "Ann:Marie ");  // everything after the first colon, spaces included
    EXPECT_EQ(SubjectText(subject), "name:Ann:Marie ");
    ASSERT_TRUE(ParseSubject("name:", &subject, &problem));
    EXPECT_EQ(subject.value, "");  // the players who typed no name
    ASSERT_TRUE(ParseSubject("identity:4294967295", &subject, &problem));
    EXPECT_EQ(subject.kind, SubjectKind::kIdentity);
    ASSERT_TRUE(ParseSubject("game:42", &subject, &problem));
    EXPECT_EQ(subject.kind, SubjectKind::kGame);
    for (const char* bad : {"ANNA", "player:ANNA", "Name:ANNA", "name:\xc3\xa9t\xc3\xa9",
                            "name:ABCDEFGHIJKLMNOPQRSTUVWXYZ01", "identity:4294967296", "identity:-1",
                            "identity:007", "identity:", "game:0", "game:1e3", "game: 5"}) {
        EXPECT_FALSE(ParseSubject(bad, &subject, &problem)) << bad;
        EXPECT_FALSE(problem.empty()) << bad;
    }

    ReplayRetention retention;
    ASSERT_TRUE(ParseReplayRetention("all", &retention, &problem));
    EXPECT_EQ(retention.bestPerBoard, 0);
    ASSERT_TRUE(ParseReplayRetention("10", &retention, &problem));
    EXPECT_EQ(retention.bestPerBoard, 10);
    for (const char* bad : {"0", "-3", "", "best 10", "1000001", "010", "All"}) {
        EXPECT_FALSE(ParseReplayRetention(bad, &retention, &problem)) << bad;
    }
}

TEST_P(HiddenRowsTest, HiddenRowsLeaveEveryBoardRankAndReplayUntilShownAgain) {
    Open();
    ASSERT_TRUE(scores->StoreScores(
        {NewBatchId(),
         {Score("ANNA", 900), Score("ANNA", 800, 2), Score("BOB", 500, 3), Score("CLEM", 100)}}))
        << scores->LastError();
    const int64_t annBest = Put(Game("Ann", 50));
    Put(Game("Ann", 20));
    Put(Game("Bob", 40));
    Put(Game("Cyd", 30));
    EXPECT_EQ(Names(Leaders()), "ANNA:900 ANNA:800 BOB:500 CLEM:100 ");
    EXPECT_EQ(Names(Day()), "Ann:50 Bob:40 Cyd:30 ");
    const int64_t before = Generation();

    // A name on every machine; a machine under every name; one game, after which its player's next best
    // shows.
    Hide("name:ANNA");
    EXPECT_GT(Generation(), before);
    EXPECT_EQ(Names(Leaders()), "BOB:500 CLEM:100 ");
    Hide("identity:3");
    EXPECT_EQ(Names(Leaders()), "CLEM:100 ");
    Hide("game:" + std::to_string(annBest));
    EXPECT_EQ(Names(Day()), "Bob:40 Cyd:30 Ann:20 ");
    std::vector<uint8_t> replay;
    std::string date;
    bool found = true;
    ASSERT_TRUE(games->Replay(annBest, &replay, &date, &found)) << games->LastError();
    EXPECT_FALSE(found) << "a hidden game's replay is not served";
    // A new game's rank counts the visible players only: Ann's hidden 50 is not ahead of it.
    GamePlace place;
    Put(Game("Dan", 35), &place);
    EXPECT_EQ(place.rank, 2);
    EXPECT_EQ(place.of, 4);
    // Hiding twice changes nothing; the rows are all still stored.
    bool changed = true;
    ASSERT_TRUE(SetHidden(*db, Who("name:ANNA"), true, kMondayNoon, &changed));
    EXPECT_FALSE(changed);
    SubjectRows rows;
    ASSERT_TRUE(CountSubjectRows(*db, Who("name:ANNA"), &rows));
    EXPECT_EQ(rows.scores, 2);
    std::vector<HiddenEntry> hidden;
    ASSERT_TRUE(ListHidden(*db, &hidden));
    ASSERT_EQ(hidden.size(), 3u);
    EXPECT_EQ(SubjectText(hidden[0].subject), "game:" + std::to_string(annBest));  // same time: by kind
    EXPECT_EQ(hidden[0].hiddenAtMs, kMondayNoon);

    // A hidden name stays hidden for what it sends later.
    ASSERT_TRUE(scores->StoreScores({NewBatchId(), {Score("ANNA", 9999)}}));
    EXPECT_EQ(Names(Leaders()), "CLEM:100 ");

    Hide("name:ANNA", false);
    Hide("identity:3", false);
    Hide("game:" + std::to_string(annBest), false);
    EXPECT_EQ(Names(Leaders()), "ANNA:9999 ANNA:800 BOB:500 CLEM:100 ");
    EXPECT_EQ(Names(Day()), "Ann:50 Bob:40 Dan:35 Cyd:30 ");
    ASSERT_TRUE(games->Replay(annBest, &replay, &date, &found));
    EXPECT_TRUE(found);
    EXPECT_FALSE(replay.empty());
    ASSERT_TRUE(SetHidden(*db, Who("name:ANNA"), false, kMondayNoon, &changed));
    EXPECT_FALSE(changed) << "no longer hidden";
}

TEST_P(HiddenRowsTest, DeletingAPlayerTakesItsRowsAndPlacesAndNobodyElses) {
    Open();
    ASSERT_TRUE(scores->StoreScores(
        {NewBatchId(), {Score("ANNA", 900), Score("ANNA", 300), Score("ANNA", 800, 2), Score("BOB", 500)}}));
    const int64_t bobGame = Put(Game("Bob", 40));
    Put(Game("ANNA", 50));
    const int64_t before = Generation();

    SubjectRows deleted;
    ASSERT_TRUE(DeleteSubject(*db, Who("name:ANNA"), &deleted)) << db->LastError();
    EXPECT_EQ(deleted.scores, 3);
    EXPECT_EQ(deleted.games, 1);
    EXPECT_GT(Generation(), before) << "the caches drop the deleted rows too";
    EXPECT_EQ(Names(Leaders()), "BOB:500 ");
    EXPECT_EQ(Names(Day()), "Bob:40 ");
    ASSERT_TRUE(DeleteSubject(*db, Who("game:" + std::to_string(bobGame)), &deleted));
    EXPECT_EQ(deleted.scores, 0);
    EXPECT_EQ(deleted.games, 1);
    EXPECT_EQ(Names(Day()), "");
    EXPECT_EQ(Names(Leaders()), "BOB:500 ") << "a game id names no message score";
    // The counter of stored scores counts what was received, deletions or not.
    int64_t count = 0;
    ASSERT_TRUE(scores->CountScores(&count));
    EXPECT_EQ(count, 4);
    // A name that comes back starts afresh.
    ASSERT_TRUE(scores->StoreScores({NewBatchId(), {Score("ANNA", 10)}}));
    EXPECT_EQ(Names(Leaders()), "BOB:500 ANNA:10 ");
}

TEST_P(HiddenRowsTest, UpgradesADatabaseOfVersion3WithItsRowsAndHidesThem) {
    // Versions 1 to 3 exactly as the released steps make them, with a score and a game in them.
    const bool postgres = IsPostgresLocation(location);
    const SchemaSteps steps = postgres ? PostgresSchemaSteps() : SqliteSchemaSteps();
    std::string error;
    if (!postgres) {
        sqlite3* made = nullptr;
        ASSERT_EQ(sqlite3_open(location.c_str(), &made), SQLITE_OK);
        sqlite3_close(made);
    }
    {
        std::unique_ptr<SqlRunner> raw =
            postgres ? OpenPostgresRunner(location, &error) : OpenSqliteRunner(location, &error);
        ASSERT_NE(raw, nullptr) << error;
        for (size_t i = 0; i < steps.count && steps.steps[i].version <= 3; ++i) {
            for (const char* sql : steps.steps[i].sql) {
                ASSERT_TRUE(sql == nullptr || raw->Exec(sql)) << raw->LastError();
            }
        }
        ASSERT_TRUE(raw->Exec(
            "INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) VALUES "
            "(1796601600000, '192.0.2.1', 5, " +
            std::string(postgres ? "false" : "0") +
            ", 'OLDIE', 'NORMAL', 700);"
            "INSERT INTO best VALUES (0, 0, 'NORMAL', 'OLDIE', 5, 700, 1796601600000, 1);"
            "UPDATE store_info SET scores = 1;"))
            << raw->LastError();
        ASSERT_TRUE(raw->Exec(
            "INSERT INTO games (received_at_ms, peer, identity, name, mode, daily_date, score, level, ticks, "
            "rules_version, seed, state_hash, verified, reason, replay_key, replay) VALUES (1796601600000, "
            "'192.0.2.1', 5, 'Oldie', 'DAILY-2026-12-07', '2026-12-07', 60, 2, 900, 1, '0000000000000001', "
            "'0000000000000002', " +
            std::string(postgres ? "true" : "1") + ", '', 'old-key', " +
            (postgres ? "'\\x515a'::bytea" : "X'515A'") + ")"))
            << raw->LastError();
    }
    EXPECT_EQ(OpenScoreReader(location, &error), nullptr) << "a reader never upgrades";
    Open();
    EXPECT_EQ(scores->Opening().foundVersion, 3);
    EXPECT_EQ(Generation(), 0);
    EXPECT_EQ(Names(Leaders()), "OLDIE:700 ");
    EXPECT_EQ(Names(Day()), "Oldie:60 ");
    Hide("identity:5");
    EXPECT_EQ(Names(Leaders()), "");
    EXPECT_EQ(Names(Day()), "");
    Hide("identity:5", false);
    EXPECT_EQ(Names(Day()), "Oldie:60 ");
    // A second start finds version 4 and keeps what the operator did.
    Hide("name:Oldie");
    games.reset();
    scores.reset();
    Open();
    EXPECT_EQ(scores->Opening().foundVersion, kSchemaVersion);
    EXPECT_EQ(Names(Day()), "");
}

TEST_P(HiddenRowsTest, KeepsTheReplaysOfEachBoardsBestOnly) {
    Open();
    // Everything kept until a retention is set; then every board at once.
    const int64_t old1 = Put(Game("Old", 10, ""));
    const int64_t old2 = Put(Game("Older", 5, ""));
    games->SetRetention({1});
    int64_t pruned = 0;
    ASSERT_TRUE(games->PruneReplays(&pruned)) << games->LastError();
    EXPECT_EQ(pruned, 1);
    EXPECT_EQ(KeptReplays(), std::to_string(old1) + " ");
    (void)old2;

    games->SetRetention({2});
    // A day's board: the third player and a player's second game lose their replays as they arrive.
    const int64_t ann = Put(Game("Ann", 50));
    const int64_t bob = Put(Game("Bob", 40));
    const int64_t cyd = Put(Game("Cyd", 30));
    const int64_t annAgain = Put(Game("Ann", 45));
    EXPECT_EQ(Names(Day()), "Ann:50 Bob:40 Cyd:30(no replay) ");
    std::vector<uint8_t> replay;
    std::string date;
    bool found = false;
    ASSERT_TRUE(games->Replay(cyd, &replay, &date, &found));
    EXPECT_TRUE(found) << "the game stays, its replay goes";
    EXPECT_TRUE(replay.empty());
    // A hidden game keeps its replay and takes no place: Dan's 35 is now second and keeps its own.
    Hide("name:Bob");
    const int64_t dan = Put(Game("Dan", 35));
    // Normal games: one board per mode and day; an unverified game always keeps its replay.
    const int64_t eve = Put(Game("Eve", 10, "", kMondayNoon + kDay));
    const int64_t fay = Put(Game("Fay", 20, "", kMondayNoon + kDay));
    const int64_t gus = Put(Game("Gus", 30, "", kMondayNoon + kDay));
    const int64_t hal = Put(Game("Hal", 5, "", kMondayNoon + 2 * kDay));
    const int64_t ivy = Put(Game("Ivy", 1, "", kMondayNoon + kDay, false));
    (void)annAgain;
    (void)eve;
    const auto id = [](int64_t value) { return std::to_string(value) + " "; };
    EXPECT_EQ(KeptReplays(), id(old1) + id(ann) + id(bob) + id(dan) + id(fay) + id(gus) + id(hal) + id(ivy));

    // Every replay a top-2 board of any period links is kept: the week's and all time's best are each
    // among the best of their own day.
    GameBoardQuery allTime;
    allTime.limit = 2;
    std::vector<GameRow> rows;
    ASSERT_TRUE(games->Board(allTime, &rows));
    EXPECT_EQ(Names(rows), "Gus:30 Fay:20 ");

    // A tie at the edge goes to the game that came first, and a smaller number applies to the whole board
    // as soon as a game of it arrives.
    games->SetRetention({1});
    const int64_t tie = Put(Game("Tie", 30, "", kMondayNoon + kDay));
    EXPECT_EQ(KeptReplays(), id(old1) + id(ann) + id(bob) + id(dan) + id(gus) + id(hal) + id(ivy));
    (void)tie;
}

INSTANTIATE_TEST_SUITE_P(BackEnds, HiddenRowsTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& backEnd) { return std::string(backEnd.param); });
