// The SQLite back end: one file in WAL mode, so the web side's connections read while scores are written.
// The writer watches its file: a file deleted or replaced under it would take every later score into a
// file nobody can open again.
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>

#include "server/hidden.h"
#include "server/open_or_error.h"
#include "server/schema.h"
#include "server/score_store.h"

namespace {

constexpr int64_t kDayMs = 86400000;
// Below this the file system is taken as full: SQLite needs a few pages for the log of any commit.
constexpr unsigned long long kMinFreeBytes = 64 * 1024;

constexpr char kInsertSql[] =
    "INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";

// The ranking index gives the rows in order: a page reads `limit` entries of it, and the hidden ones
// (a probe of the small hidden table each), and nothing else.
std::string LeaderboardSql() {
    return std::string(
               "SELECT name, identity, score, received_at_ms FROM best INDEXED BY best_ranking "
               "WHERE period = ?1 AND period_start_ms = ?2 AND mode = ?3") +
           kVisibleBestSql + " ORDER BY score DESC, received_at_ms, score_id LIMIT ?4";
}

class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Prepare(sqlite3* db, const std::string& sql) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
        return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) ==
               SQLITE_OK;
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

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Why a file SQLite cannot write to cannot be written, in words an operator acts on: SQLite itself only
// says "unable to open database file" when it cannot make its log beside a read-only file.
std::string WriteProblem(const std::string& path) {
    std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/') + 1);
    struct statvfs system = {};
    if (statvfs(folder.c_str(), &system) == 0 && (system.f_flag & ST_RDONLY) != 0) {
        return " (" + folder + " is on a read-only file system)";
    }
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0) {
        return " (" + path + " is read-only for this user)";
    }
    if (access(folder.c_str(), W_OK) != 0) {
        return " (the folder " + folder + " is read-only for this user)";
    }
    return "";
}

class SqliteStore final : public ScoreStore {
  public:
    ~SqliteStore() override { sqlite3_close_v2(db); }

    bool Open(const std::string& where, bool asWriter) {
        if (OpenAndCheck(where, asWriter)) {
            return true;
        }
        if (asWriter) {
            lastError += WriteProblem(where);
        }
        return false;
    }

    bool StoreScores(const ScoreBatch& batch) override {
        if (!CheckFile() || !Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        int64_t batchTime = 0;
        for (const StoredScore& score : batch.scores) {
            batchTime = std::max(batchTime, score.receivedAtMs);
        }
        // The id goes first: when it is already there, an earlier attempt was committed after all.
        bool already = false;
        bool ok = InsertBatchId(batch.id, batchTime, &already);
        for (size_t i = 0; ok && !already && i < batch.scores.size(); ++i) {
            ok = Insert(batch.scores[i]);
        }
        ok = ok && (already || (Finish(batch, batchTime) && Exec("COMMIT")));
        if (!ok || already) {
            std::string reason = lastError;
            Exec("ROLLBACK");
            lastError = reason;
            return already;
        }
        // Committed, but into a file that may have gone meanwhile: the batch is tried again, and its id
        // keeps it from being stored twice should the file come back.
        return CheckFile();
    }

    bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) override {
        Use use(leaderboard);
        sqlite3_bind_int(*use, 1, PeriodCode(query.period));
        sqlite3_bind_int64(*use, 2, query.period == Period::kAll ? 0 : query.periodStartMs);
        BindText(*use, 3, query.mode);
        sqlite3_bind_int(*use, 4, query.limit);
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
        Use use(countScores);
        if (sqlite3_step(*use) != SQLITE_ROW) {
            return Fail("count");
        }
        *count = sqlite3_column_int64(*use, 0);
        return true;
    }

    bool HiddenGeneration(int64_t* generation) override {
        Use use(hiddenGeneration);
        if (sqlite3_step(*use) != SQLITE_ROW) {
            return Fail("hidden generation");
        }
        *generation = sqlite3_column_int64(*use, 0);
        return true;
    }

    bool CheckStorable() override {
        if (!CheckFile()) {
            return false;
        }
        std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/') + 1);
        struct statvfs space = {};
        if (statvfs(folder.c_str(), &space) == 0 &&
            static_cast<unsigned long long>(space.f_bavail) * space.f_frsize < kMinFreeBytes) {
            lastError = "SQLite: no space left on the file system of " + path;
            return false;
        }
        return true;
    }

    const StoreOpening& Opening() const override { return opening; }
    std::string LastError() const override { return lastError; }
    const char* Kind() const override { return "sqlite"; }

  private:
    bool OpenAndCheck(const std::string& where, bool asWriter) {
        path = where;
        writer = asWriter;
        // Only the writer makes a missing file: a reader opens what the writer made.
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (writer ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            return Fail("cannot open " + path);
        }
        if (!RememberFile()) {
            return false;
        }
        // Another process may hold the write lock for a moment (a second server, the sqlite3 tool).
        sqlite3_busy_timeout(db, 5000);
        // FULL syncs the log at each commit: a score is on the disk before its sender's connection closes.
        if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=FULL")) {
            return false;
        }
        if (!writer) {
            return Exec("PRAGMA query_only=1") && ReadOpening(false) && Prepare();
        }
        return Migrate() && ReadOpening(true) && ProveWritable() && Prepare();
    }

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

    bool RememberFile() {
        struct stat info = {};
        if (stat(path.c_str(), &info) != 0) {
            lastError = "SQLite: cannot find " + path + " after opening it";
            return false;
        }
        device = info.st_dev;
        inode = info.st_ino;
        return true;
    }

    // The path still names the file this connection writes to.
    bool CheckFile() {
        struct stat info = {};
        if (stat(path.c_str(), &info) != 0) {
            lastError = "SQLite: the database file " + path + " was deleted";
            return false;
        }
        if (info.st_dev != device || info.st_ino != inode) {
            lastError = "SQLite: the database file " + path + " was replaced by another file";
            return false;
        }
        return true;
    }

    bool Insert(const StoredScore& s) {
        {
            Use use(insert);
            sqlite3_bind_int64(*use, 1, s.receivedAtMs);
            BindText(*use, 2, s.peer);
            sqlite3_bind_int64(*use, 3, s.submission.identity);
            sqlite3_bind_int(*use, 4, s.submission.variant ? 1 : 0);
            BindText(*use, 5, s.submission.name);
            BindText(*use, 6, s.submission.mode);
            sqlite3_bind_int(*use, 7, s.submission.score);
            if (sqlite3_step(*use) != SQLITE_DONE) {
                return Fail("insert");
            }
        }
        int64_t id = sqlite3_last_insert_rowid(db);
        for (Period period : {Period::kAll, Period::kWeek, Period::kToday}) {
            Use use(upsertBest);
            sqlite3_bind_int(*use, 1, PeriodCode(period));
            sqlite3_bind_int64(*use, 2, PeriodStartMs(period, s.receivedAtMs));
            BindText(*use, 3, s.submission.mode);
            BindText(*use, 4, s.submission.name);
            sqlite3_bind_int64(*use, 5, s.submission.identity);
            sqlite3_bind_int(*use, 6, s.submission.score);
            sqlite3_bind_int64(*use, 7, s.receivedAtMs);
            sqlite3_bind_int64(*use, 8, id);
            if (sqlite3_step(*use) != SQLITE_DONE) {
                return Fail("keep the best score");
            }
        }
        return true;
    }

    bool InsertBatchId(const std::string& id, int64_t batchTime, bool* already) {
        Use use(insertBatch);
        BindText(*use, 1, id);
        sqlite3_bind_int64(*use, 2, batchTime);
        if (sqlite3_step(*use) == SQLITE_DONE) {
            return true;
        }
        *already = sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_PRIMARYKEY;
        return *already || Fail("batch id");
    }

    // The counter, and once a day the weeks and days no page shows any more.
    bool Finish(const ScoreBatch& batch, int64_t batchTime) {
        {
            Use use(addCount);
            sqlite3_bind_int64(*use, 1, static_cast<int64_t>(batch.scores.size()));
            if (sqlite3_step(*use) != SQLITE_DONE) {
                return Fail("count");
            }
        }
        int64_t today = PeriodStartMs(Period::kToday, batchTime);
        if (today <= prunedDay) {
            return true;
        }
        Use use(prune);
        sqlite3_bind_int64(*use, 1, PeriodStartMs(Period::kWeek, batchTime) - 7 * kDayMs);
        sqlite3_bind_int64(*use, 2, today - kDayMs);
        if (sqlite3_step(*use) != SQLITE_DONE) {
            return Fail("drop old periods");
        }
        Use batches(pruneBatches);
        sqlite3_bind_int64(*batches, 1, today - 7 * kDayMs);
        if (sqlite3_step(*batches) != SQLITE_DONE) {
            return Fail("drop old batch ids");
        }
        prunedDay = today;
        return true;
    }

    // Created, or brought up to date, inside one write transaction: two servers starting on one file
    // cannot both do it, and a failed step leaves the file as it was.
    bool Migrate() {
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        int version = 0;
        bool ok = ReadVersion(&version) && CanMigrateFrom(version, "SQLite", &lastError);
        opening.foundVersion = version;
        SchemaSteps steps = SqliteSchemaSteps();
        for (size_t i = 0; ok && i < steps.count; ++i) {
            for (const char* sql : steps.steps[i].sql) {
                ok = ok && (steps.steps[i].version <= version || sql == nullptr || Exec(sql));
            }
        }
        if (!ok || !Exec("COMMIT")) {
            std::string reason = lastError;
            Exec("ROLLBACK");
            lastError = reason;
            return false;
        }
        return true;
    }

    // 0 when the database has no schema yet.
    bool ReadVersion(int* version) {
        Statement probe;
        if (!probe.Prepare(db,
                           "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = "
                           "'schema_version'") ||
            sqlite3_step(probe.get()) != SQLITE_ROW) {
            return Fail("read schema");
        }
        if (sqlite3_column_int(probe.get(), 0) == 0) {
            *version = 0;
            return true;
        }
        Statement read;
        if (!read.Prepare(db, "SELECT MAX(version) FROM schema_version") ||
            sqlite3_step(read.get()) != SQLITE_ROW) {
            return Fail("read schema version");
        }
        *version = sqlite3_column_type(read.get(), 0) == SQLITE_NULL ? 0 : sqlite3_column_int(read.get(), 0);
        return true;
    }

    bool ReadOpening(bool migrated) {
        if (!migrated) {
            int version = 0;
            if (!ReadVersion(&version)) {
                return false;
            }
            if (version != kSchemaVersion) {
                lastError = "SQLite: the database has schema version " + std::to_string(version) +
                            ", not this server's " + std::to_string(kSchemaVersion);
                return false;
            }
        }
        Statement read;
        if (!read.Prepare(db, "SELECT database_id FROM store_info") ||
            sqlite3_step(read.get()) != SQLITE_ROW) {
            return Fail("read the database id");
        }
        opening.databaseId = reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 0));
        return true;
    }

    // A read-only file or folder lets SQLite open and read: only a write tells.
    bool ProveWritable() {
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        if (!Exec("UPDATE store_info SET scores = scores") || !Exec("COMMIT")) {
            std::string reason = lastError;
            Exec("ROLLBACK");
            lastError = reason;
            return false;
        }
        return true;
    }

    bool Prepare() {
        struct {
            Statement* statement;
            std::string sql;
        } const statements[] = {
            {&leaderboard, LeaderboardSql()},
            {&countScores, "SELECT scores FROM store_info"},
            {&hiddenGeneration, "SELECT hidden_generation FROM store_info"},
            {&insert, kInsertSql},
            {&upsertBest,
             std::string("INSERT INTO best (period, period_start_ms, mode, name, identity, score, "
                         "received_at_ms, score_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)") +
                 kBestConflictSql},
            {&insertBatch, "INSERT INTO batches (id, stored_at_ms) VALUES (?1, ?2)"},
            {&addCount, "UPDATE store_info SET scores = scores + ?1"},
            {&prune,
             "DELETE FROM best WHERE (period = 1 AND period_start_ms < ?1) OR "
             "(period = 2 AND period_start_ms < ?2)"},
            {&pruneBatches, "DELETE FROM batches WHERE stored_at_ms < ?1"},
        };
        // A reader prepares only what it runs.
        size_t count = writer ? std::size(statements) : 3;
        for (size_t i = 0; i < count; ++i) {
            if (!statements[i].statement->Prepare(db, statements[i].sql)) {
                return Fail("prepare");
            }
        }
        return true;
    }

    sqlite3* db = nullptr;
    std::string path;
    bool writer = false;
    dev_t device = 0;
    ino_t inode = 0;
    StoreOpening opening;
    int64_t prunedDay = INT64_MIN;
    Statement leaderboard, countScores, hiddenGeneration, insert, upsertBest, insertBatch, addCount, prune,
        pruneBatches;
    std::string lastError;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path, bool writer, std::string* error) {
    return OpenOrError<SqliteStore>(error, path, writer);
}
