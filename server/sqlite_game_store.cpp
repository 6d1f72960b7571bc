// The games table in SQLite (see game_store.h).
#include <sqlite3.h>

#include <string>

#include "server/game_store.h"
#include "server/hidden.h"
#include "server/open_or_error.h"
#include "server/score_store.h"

namespace {

// Players ahead of a score on a board, and players on it: best score per name and machine, hidden ones
// left out.
std::string BestOnBoard() {
    return std::string(
               "SELECT name, identity, MAX(score) AS best FROM games WHERE verified = 1 AND "
               "((?1 IS NOT NULL AND daily_date = ?1) OR (?1 IS NULL AND daily_date IS NULL AND "
               "mode = ?2 AND received_at_ms >= ?3))") +
           kVisibleGameSql + " GROUP BY name, identity";
}

class Query {
  public:
    Query(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Query() { sqlite3_finalize(stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    bool Ready() const { return stmt != nullptr; }
    sqlite3_stmt* operator*() const { return stmt; }
    void Text(int index, const std::string& text) {
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void OptionalText(int index, const std::string& text) {
        if (text.empty()) {
            sqlite3_bind_null(stmt, index);
        } else {
            Text(index, text);
        }
    }
    // By name ("$1"): the statements shared with PostgreSQL number their parameters so.
    void Named(int number, const std::string& text) {
        const int index = sqlite3_bind_parameter_index(stmt, ("$" + std::to_string(number)).c_str());
        if (index > 0) {
            sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
    }
    std::string Column(int index) const {
        const unsigned char* text = sqlite3_column_text(stmt, index);
        return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                             static_cast<size_t>(sqlite3_column_bytes(stmt, index)))
                               : std::string();
    }

  private:
    sqlite3_stmt* stmt = nullptr;
};

class SqliteGameStore final : public GameStore {
  public:
    ~SqliteGameStore() override { sqlite3_close_v2(db); }

    bool Open(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
            return Fail("cannot open " + path);
        }
        sqlite3_busy_timeout(db, 5000);
        return Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=FULL");
    }

    GameStoreResult Store(const StoredGame& stored, GamePlace* place) override {
        const CheckedGame& game = stored.game;
        if (!Exec("BEGIN IMMEDIATE")) {
            return GameStoreResult::Failed;
        }
        Query insert(
            db,
            "INSERT INTO games (received_at_ms, peer, identity, name, mode, daily_date, score, level, "
            "ticks, rules_version, seed, state_hash, verified, reason, replay_key, replay) VALUES "
            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16) "
            "ON CONFLICT (replay_key) DO NOTHING");
        if (!insert.Ready()) {
            Rollback("cannot prepare the insert: ");
            return GameStoreResult::Failed;
        }
        sqlite3_bind_int64(*insert, 1, stored.receivedAtMs);
        insert.Text(2, stored.peer);
        sqlite3_bind_int64(*insert, 3, game.identity);
        insert.Text(4, game.name);
        insert.Text(5, game.mode);
        insert.OptionalText(6, game.dailyDate);
        sqlite3_bind_int(*insert, 7, game.score);
        sqlite3_bind_int(*insert, 8, game.level);
        sqlite3_bind_int64(*insert, 9, game.ticks);
        sqlite3_bind_int64(*insert, 10, game.rulesVersion);
        insert.Text(11, Hex64(game.seed));
        insert.Text(12, Hex64(game.stateHash));
        sqlite3_bind_int(*insert, 13, stored.verified ? 1 : 0);
        insert.Text(14, game.reason);
        insert.Text(15, game.replayKey);
        sqlite3_bind_blob(*insert, 16, game.replayFile.data(), static_cast<int>(game.replayFile.size()),
                          SQLITE_TRANSIENT);
        if (sqlite3_step(*insert) != SQLITE_DONE) {
            Rollback("cannot store a game: ");
            return GameStoreResult::Failed;
        }
        if (sqlite3_changes(db) == 0) {
            Exec("ROLLBACK");
            return GameStoreResult::Copy;
        }
        place->id = sqlite3_last_insert_rowid(db);
        if ((stored.verified && (!Place(stored, place) || !PruneBoardOf(stored, *place))) ||
            !Exec("COMMIT")) {
            Rollback("cannot store a game: ");
            return GameStoreResult::Failed;
        }
        return GameStoreResult::Stored;
    }

    bool Board(const GameBoardQuery& query, std::vector<GameRow>* rows) override {
        const std::string sql =
            std::string(
                "SELECT id, name, identity, score, level, received_at_ms, daily_date, kept FROM ("
                " SELECT id, name, identity, score, level, received_at_ms, daily_date, length(replay) > 0 AS "
                "kept, ROW_NUMBER() OVER (PARTITION BY name, identity"
                "  ORDER BY score DESC, received_at_ms, id) AS place FROM games WHERE verified = 1 AND"
                " ((?1 IS NOT NULL AND daily_date = ?1) OR"
                "  (?1 IS NULL AND daily_date IS NULL AND mode = ?2 AND received_at_ms >= ?3))") +
            kVisibleGameSql + ") WHERE place = 1 ORDER BY score DESC, received_at_ms, id LIMIT ?4";
        Query select(db, sql.c_str());
        if (!select.Ready()) {
            return Fail(std::string("cannot read a board: ") + sqlite3_errmsg(db));
        }
        select.OptionalText(1, query.dailyDate);
        select.Text(2, query.mode);
        sqlite3_bind_int64(*select, 3, query.sinceMs);
        sqlite3_bind_int(*select, 4, query.limit);
        rows->clear();
        int step;
        while ((step = sqlite3_step(*select)) == SQLITE_ROW) {
            GameRow row;
            row.id = sqlite3_column_int64(*select, 0);
            row.name = select.Column(1);
            row.identity = static_cast<uint32_t>(sqlite3_column_int64(*select, 2));
            row.score = sqlite3_column_int(*select, 3);
            row.level = sqlite3_column_int(*select, 4);
            row.receivedAtMs = sqlite3_column_int64(*select, 5);
            row.dailyDate = select.Column(6);
            row.replayKept = sqlite3_column_int(*select, 7) != 0;
            rows->push_back(std::move(row));
        }
        return step == SQLITE_DONE || Fail(std::string("cannot read a board: ") + sqlite3_errmsg(db));
    }

    bool Replay(int64_t id, std::vector<uint8_t>* replayFile, std::string* dailyDate, bool* found) override {
        const std::string sql =
            std::string("SELECT replay, daily_date FROM games WHERE id = ?1") + kVisibleGameSql;
        Query select(db, sql.c_str());
        if (!select.Ready()) {
            return Fail(std::string("cannot read a replay: ") + sqlite3_errmsg(db));
        }
        sqlite3_bind_int64(*select, 1, id);
        const int step = sqlite3_step(*select);
        *found = step == SQLITE_ROW;
        if (*found) {
            const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(*select, 0));
            replayFile->assign(bytes, bytes + sqlite3_column_bytes(*select, 0));
            *dailyDate = select.Column(1);
        }
        return step == SQLITE_ROW || step == SQLITE_DONE ||
               Fail(std::string("cannot read a replay: ") + sqlite3_errmsg(db));
    }

    bool ForEach(const std::function<void(const GameRecord&)>& visit) override {
        Query select(db, "SELECT id, verified, reason, replay FROM games ORDER BY id");
        if (!select.Ready()) {
            return Fail(std::string("cannot read the games: ") + sqlite3_errmsg(db));
        }
        int step;
        while ((step = sqlite3_step(*select)) == SQLITE_ROW) {
            GameRecord record;
            record.id = sqlite3_column_int64(*select, 0);
            record.verified = sqlite3_column_int(*select, 1) != 0;
            record.reason = select.Column(2);
            const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(*select, 3));
            record.replayFile.assign(bytes, bytes + sqlite3_column_bytes(*select, 3));
            visit(record);
        }
        return step == SQLITE_DONE || Fail(std::string("cannot read the games: ") + sqlite3_errmsg(db));
    }

    void SetRetention(ReplayRetention kept) override { retention = kept; }

    bool PruneReplays(int64_t* pruned) override {
        *pruned = 0;
        if (retention.bestPerBoard == 0) {
            return true;
        }
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        if (!Prune(PruneScope::kAllBoards, {std::to_string(retention.bestPerBoard)})) {
            Exec("ROLLBACK");
            return false;
        }
        const int64_t changed = sqlite3_changes64(db);
        if (!Exec("COMMIT")) {
            Rollback("cannot prune the replays: ");
            return false;
        }
        *pruned = changed;
        return true;
    }

    std::string LastError() const override { return lastError; }

  private:
    // Inside the game's transaction, after its place: the game itself may be what falls out.
    bool PruneBoardOf(const StoredGame& stored, const GamePlace& place) {
        if (retention.bestPerBoard == 0) {
            return true;
        }
        std::vector<std::string> params;
        const PruneScope scope = PruneScopeOf(place.rank, retention, place.id, stored.game.dailyDate,
                                              stored.game.mode, stored.receivedAtMs, &params);
        return Prune(scope, params);
    }

    bool Prune(PruneScope scope, const std::vector<std::string>& params) {
        Query prune(db, PruneReplaysSql(scope, "zeroblob(0)").c_str());
        if (!prune.Ready()) {
            return Fail(std::string("cannot prune the replays: ") + sqlite3_errmsg(db));
        }
        for (size_t i = 0; i < params.size(); ++i) {
            prune.Named(static_cast<int>(i) + 1, params[i]);
        }
        return sqlite3_step(*prune) == SQLITE_DONE ||
               Fail(std::string("cannot prune the replays: ") + sqlite3_errmsg(db));
    }

    // Inside the game's transaction, so its place counts the game itself and nothing stored after it.
    bool Place(const StoredGame& stored, GamePlace* place) {
        const std::string boards =
            std::string(
                "SELECT COUNT(*), SUM(CASE WHEN best > ?4 AND NOT (name = ?5 AND identity = ?6) "
                "THEN 1 ELSE 0 END) FROM (") +
            BestOnBoard() + ")";
        Query count(db, boards.c_str());
        if (!count.Ready()) {
            return Fail(std::string("cannot rank a game: ") + sqlite3_errmsg(db));
        }
        count.OptionalText(1, stored.game.dailyDate);
        count.Text(2, stored.game.mode);
        sqlite3_bind_int64(*count, 3, DayStartMs(stored.receivedAtMs));
        sqlite3_bind_int(*count, 4, stored.game.score);
        count.Text(5, stored.game.name);
        sqlite3_bind_int64(*count, 6, stored.game.identity);
        if (sqlite3_step(*count) != SQLITE_ROW) {
            return Fail(std::string("cannot rank a game: ") + sqlite3_errmsg(db));
        }
        place->of = sqlite3_column_int(*count, 0);
        place->rank = sqlite3_column_int(*count, 1) + 1;
        return true;
    }

    static int64_t DayStartMs(int64_t ms) { return ms - ms % 86400000; }

    bool Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            lastError = std::string(sql) + ": " + (message != nullptr ? message : sqlite3_errmsg(db));
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    void Rollback(const char* what) {
        const std::string reason = what + std::string(sqlite3_errmsg(db));
        Exec("ROLLBACK");
        lastError = reason;
    }

    bool Fail(const std::string& reason) {
        lastError = reason;
        return false;
    }

    sqlite3* db = nullptr;
    ReplayRetention retention;
    std::string lastError;
};

}  // namespace

std::unique_ptr<GameStore> OpenSqliteGameStore(const std::string& path, std::string* error) {
    return OpenOrError<SqliteGameStore>(error, path);
}

std::unique_ptr<GameStore> OpenGameStore(const std::string& location, std::string* error) {
    return IsPostgresLocation(location) ? OpenPostgresGameStore(location, error)
                                        : OpenSqliteGameStore(location, error);
}
