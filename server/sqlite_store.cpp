// The SQLite back end: one file in WAL mode, so the web side reads while scores are written.
#include <sqlite3.h>

#include <cstdio>

#include "server/score_store.h"

namespace {

// Both back ends rank with the same query: the best row of each name and machine, then the best of those.
constexpr char kLeaderboardSql[] =
    "SELECT name, identity, score, received_at_ms FROM ("
    " SELECT name, identity, score, received_at_ms, id, ROW_NUMBER() OVER ("
    "  PARTITION BY name, identity ORDER BY score DESC, received_at_ms, id) AS place"
    " FROM scores WHERE mode = ?1 AND received_at_ms >= ?2) AS ranked "
    "WHERE place = 1 ORDER BY score DESC, received_at_ms, id LIMIT ?3";

constexpr char kInsertSql[] =
    "INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";

constexpr char kCreateSchemaSql[] =
    "CREATE TABLE scores ("
    " id INTEGER PRIMARY KEY,"
    " received_at_ms INTEGER NOT NULL,"
    " peer TEXT NOT NULL,"
    " identity INTEGER NOT NULL,"
    " variant INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " mode TEXT NOT NULL,"
    " score INTEGER NOT NULL);"
    "CREATE INDEX scores_by_mode_and_time ON scores (mode, received_at_ms);"
    "CREATE TABLE schema_version (version INTEGER NOT NULL);";

class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Prepare(sqlite3* db, const char* sql) {
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt* get() const { return stmt; }

  private:
    sqlite3_stmt* stmt = nullptr;
};

// Resets a statement when the step that used it is done, whatever the way out.
class Use {
  public:
    explicit Use(const Statement& statement) : stmt(statement.get()) {}
    ~Use() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    sqlite3_stmt* operator*() const { return stmt; }

  private:
    sqlite3_stmt* stmt;
};

class SqliteStore final : public ScoreStore {
  public:
    ~SqliteStore() override { sqlite3_close_v2(db); }

    bool Open(const std::string& path) {
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            return Fail("cannot open " + path);
        }
        // Another process may hold the write lock for a moment (a second server, the sqlite3 tool).
        sqlite3_busy_timeout(db, 5000);
        // FULL syncs the log at each commit: a score is on the disk before its sender's connection closes.
        if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=FULL") || !EnsureSchema()) {
            return false;
        }
        return insert.Prepare(db, kInsertSql) || Fail("prepare insert");
    }

    bool StoreScores(const std::vector<StoredScore>& scores) override {
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        for (const StoredScore& s : scores) {
            Use use(insert);
            sqlite3_bind_int64(*use, 1, s.receivedAtMs);
            sqlite3_bind_text(*use, 2, s.peer.data(), static_cast<int>(s.peer.size()), SQLITE_STATIC);
            sqlite3_bind_int64(*use, 3, s.submission.identity);
            sqlite3_bind_int(*use, 4, s.submission.variant ? 1 : 0);
            sqlite3_bind_text(*use, 5, s.submission.name.data(), static_cast<int>(s.submission.name.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(*use, 6, s.submission.mode.data(), static_cast<int>(s.submission.mode.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int(*use, 7, s.submission.score);
            if (sqlite3_step(*use) != SQLITE_DONE) {
                Fail("insert");
                Exec("ROLLBACK");
                return false;
            }
        }
        if (!Exec("COMMIT")) {
            std::string reason = lastError;
            Exec("ROLLBACK");
            lastError = reason;
            return false;
        }
        return true;
    }

    bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) override {
        if (leaderboard.get() == nullptr && !leaderboard.Prepare(db, kLeaderboardSql)) {
            return Fail("prepare leaderboard");
        }
        Use use(leaderboard);
        sqlite3_bind_text(*use, 1, query.mode.data(), static_cast<int>(query.mode.size()), SQLITE_STATIC);
        sqlite3_bind_int64(*use, 2, query.sinceMs);
        sqlite3_bind_int(*use, 3, query.limit);
        rows->clear();
        int step;
        while ((step = sqlite3_step(*use)) == SQLITE_ROW) {
            LeaderRow row;
            const unsigned char* name = sqlite3_column_text(*use, 0);
            row.name.assign(name != nullptr ? reinterpret_cast<const char*>(name) : "",
                            static_cast<size_t>(sqlite3_column_bytes(*use, 0)));
            row.identity = static_cast<uint32_t>(sqlite3_column_int64(*use, 1));
            row.score = sqlite3_column_int(*use, 2);
            row.achievedAtMs = sqlite3_column_int64(*use, 3);
            rows->push_back(std::move(row));
        }
        return step == SQLITE_DONE || Fail("leaderboard");
    }

    bool CountScores(int64_t* count) override {
        if (countAll.get() == nullptr && !countAll.Prepare(db, "SELECT COUNT(*) FROM scores")) {
            return Fail("prepare count");
        }
        Use use(countAll);
        if (sqlite3_step(*use) != SQLITE_ROW) {
            return Fail("count");
        }
        *count = sqlite3_column_int64(*use, 0);
        return true;
    }

    std::string LastError() const override { return lastError; }
    const char* Kind() const override { return "sqlite"; }

  private:
    bool Fail(const std::string& what) {
        lastError = "SQLite: " + what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
        return false;
    }

    bool Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            lastError = std::string("SQLite: ") + (message != nullptr ? message : sqlite3_errmsg(db));
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    // Created inside a write transaction, so two servers starting on one new file cannot both create it.
    bool EnsureSchema() {
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        int version = -1;
        bool ok = ReadVersion(&version);
        if (ok && version < 0) {
            char sql[64];
            snprintf(sql, sizeof sql, "INSERT INTO schema_version VALUES (%d)", kSchemaVersion);
            ok = Exec(kCreateSchemaSql) && Exec(sql);
        } else if (ok && version > kSchemaVersion) {
            lastError = "SQLite: the database has schema version " + std::to_string(version) +
                        ", newer than this server's " + std::to_string(kSchemaVersion);
            ok = false;
        }
        if (!ok) {
            std::string reason = lastError;
            Exec("ROLLBACK");
            lastError = reason;
            return false;
        }
        return Exec("COMMIT");
    }

    // -1 when the database has no schema yet.
    bool ReadVersion(int* version) {
        Statement probe;
        if (!probe.Prepare(
                db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'")) {
            return Fail("read schema");
        }
        if (sqlite3_step(probe.get()) != SQLITE_ROW) {
            return Fail("read schema");
        }
        if (sqlite3_column_int(probe.get(), 0) == 0) {
            *version = -1;
            return true;
        }
        Statement read;
        if (!read.Prepare(db, "SELECT MAX(version) FROM schema_version") ||
            sqlite3_step(read.get()) != SQLITE_ROW) {
            return Fail("read schema version");
        }
        *version = sqlite3_column_type(read.get(), 0) == SQLITE_NULL ? -1 : sqlite3_column_int(read.get(), 0);
        return true;
    }

    sqlite3* db = nullptr;
    Statement insert;
    Statement leaderboard;
    Statement countAll;
    std::string lastError;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path, std::string* error) {
    auto store = std::make_unique<SqliteStore>();
    if (!store->Open(path)) {
        *error = store->LastError();
        return nullptr;
    }
    return store;
}
