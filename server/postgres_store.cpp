// The PostgreSQL back end, through libpq: several server processes on several machines may write to one
// database. A lost connection is re-opened on the next call, so a database restart costs one failed batch.
#include <libpq-fe.h>

#include <cstdlib>
#include <string>

#include "server/score_store.h"

namespace {

constexpr char kInsertSql[] =
    "INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7)";

constexpr char kLeaderboardSql[] =
    "SELECT name, identity, score, received_at_ms FROM ("
    " SELECT name, identity, score, received_at_ms, id, ROW_NUMBER() OVER ("
    "  PARTITION BY name, identity ORDER BY score DESC, received_at_ms, id) AS place"
    " FROM scores WHERE mode = $1 AND received_at_ms >= $2) AS ranked "
    "WHERE place = 1 ORDER BY score DESC, received_at_ms, id LIMIT $3";

constexpr char kCountSql[] = "SELECT COUNT(*) FROM scores";

constexpr char kCreateSchemaSql[] =
    "CREATE TABLE scores ("
    " id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    " received_at_ms BIGINT NOT NULL,"
    " peer TEXT NOT NULL,"
    " identity BIGINT NOT NULL,"
    " variant BOOLEAN NOT NULL,"
    " name TEXT NOT NULL,"
    " mode TEXT NOT NULL,"
    " score INTEGER NOT NULL);"
    "CREATE INDEX scores_by_mode_and_time ON scores (mode, received_at_ms);"
    "CREATE TABLE schema_version (version INTEGER NOT NULL);";

// Any number that is the same for every server of this game: it serialises their schema checks.
constexpr char kSchemaLockSql[] = "SELECT pg_advisory_xact_lock(4242016)";

// Frees a result whatever the way out.
class Result {
  public:
    explicit Result(PGresult* r) : result(r) {}
    ~Result() { PQclear(result); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    PGresult* get() const { return result; }
    bool Is(ExecStatusType status) const { return result != nullptr && PQresultStatus(result) == status; }

  private:
    PGresult* result;
};

class PostgresStore final : public ScoreStore {
  public:
    ~PostgresStore() override { PQfinish(conn); }

    bool Open(const std::string& url) {
        conn = PQconnectdb(url.c_str());
        if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
            return Fail("cannot connect");
        }
        return EnsureSchema() && Prepare();
    }

    // One round trip for the whole batch: BEGIN, the inserts and COMMIT go out in a pipeline, and the
    // answers are read after. The batch counts as stored only when the COMMIT's answer is a success.
    bool StoreScores(const std::vector<StoredScore>& scores) override {
        if (!Connected()) {
            return false;
        }
        if (PQenterPipelineMode(conn) != 1) {
            return Fail("pipeline");
        }
        bool sent = PQsendQueryParams(conn, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        for (size_t i = 0; sent && i < scores.size(); ++i) {
            const StoredScore& s = scores[i];
            std::string receivedAt = std::to_string(s.receivedAtMs);
            std::string identity = std::to_string(s.submission.identity);
            std::string score = std::to_string(s.submission.score);
            const char* values[7] = {receivedAt.c_str(),
                                     s.peer.c_str(),
                                     identity.c_str(),
                                     s.submission.variant ? "true" : "false",
                                     s.submission.name.c_str(),
                                     s.submission.mode.c_str(),
                                     score.c_str()};
            sent = PQsendQueryPrepared(conn, "insert_score", 7, values, nullptr, nullptr, 0) == 1;
        }
        sent = sent && PQsendQueryParams(conn, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        sent = sent && PQpipelineSync(conn) == 1;
        bool ok = sent || Fail("send batch");
        if (sent) {
            ok = ReadPipelineAnswers(scores.size() + 2);
        }
        if (PQexitPipelineMode(conn) != 1) {
            ok = ok ? Fail("end of pipeline") : false;
        }
        if (!ok) {
            // A COMMIT whose answer was lost may have happened: the batch is then stored twice when it
            // is sent again, which the leaderboard absorbs like any retried send.
            Abandon();
        }
        return ok;
    }

    bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) override {
        if (!Connected()) {
            return false;
        }
        std::string since = std::to_string(query.sinceMs);
        std::string limit = std::to_string(query.limit);
        const char* values[3] = {query.mode.c_str(), since.c_str(), limit.c_str()};
        Result r(PQexecPrepared(conn, "leaderboard", 3, values, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK)) {
            return Fail("leaderboard");
        }
        rows->clear();
        int count = PQntuples(r.get());
        for (int i = 0; i < count; ++i) {
            LeaderRow row;
            row.name = PQgetvalue(r.get(), i, 0);
            row.identity = static_cast<uint32_t>(std::strtoll(PQgetvalue(r.get(), i, 1), nullptr, 10));
            row.score = static_cast<int32_t>(std::strtol(PQgetvalue(r.get(), i, 2), nullptr, 10));
            row.achievedAtMs = std::strtoll(PQgetvalue(r.get(), i, 3), nullptr, 10);
            rows->push_back(std::move(row));
        }
        return true;
    }

    bool CountScores(int64_t* count) override {
        if (!Connected()) {
            return false;
        }
        Result r(PQexecPrepared(conn, "count_scores", 0, nullptr, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK) || PQntuples(r.get()) != 1) {
            return Fail("count");
        }
        *count = std::strtoll(PQgetvalue(r.get(), 0, 0), nullptr, 10);
        return true;
    }

    std::string LastError() const override { return lastError; }
    const char* Kind() const override { return "postgresql"; }

  private:
    bool Fail(const std::string& what) {
        std::string message = conn != nullptr ? PQerrorMessage(conn) : "out of memory";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        lastError = "PostgreSQL: " + what + ": " + message;
        return false;
    }

    // Reads the answers of `queries` pipelined queries up to the sync point. True when all succeeded; a
    // broken connection ends the reading at once.
    bool ReadPipelineAnswers(size_t queries) {
        bool ok = true;
        size_t gaps = 0;
        for (;;) {
            PGresult* result = PQgetResult(conn);
            if (result == nullptr) {
                // Each query's answer ends with a null; more nulls than queries means nothing more comes.
                if (PQstatus(conn) != CONNECTION_OK || ++gaps > queries + 1) {
                    return ok ? Fail("batch answers") : false;
                }
                continue;
            }
            ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_PIPELINE_SYNC) {
                PQclear(result);
                return ok;
            }
            if (status != PGRES_COMMAND_OK && ok) {
                const char* reason = PQresultErrorMessage(result);
                lastError = std::string("PostgreSQL: insert: ") + (reason != nullptr ? reason : "");
                while (!lastError.empty() && lastError.back() == '\n') {
                    lastError.pop_back();
                }
                ok = false;
            }
            PQclear(result);
        }
    }

    bool Command(const char* sql) {
        Result r(PQexec(conn, sql));
        return r.Is(PGRES_COMMAND_OK) || Fail(sql);
    }

    // Leaves a failed transaction so the connection can serve the next call; keeps the first reason.
    void Abandon() {
        std::string reason = lastError;
        if (PQstatus(conn) == CONNECTION_OK) {
            Result r(PQexec(conn, "ROLLBACK"));
        }
        lastError = reason;
    }

    // Re-opens a broken connection; the prepared statements went with the old session.
    bool Connected() {
        if (PQstatus(conn) == CONNECTION_OK) {
            return true;
        }
        PQreset(conn);
        if (PQstatus(conn) != CONNECTION_OK) {
            return Fail("reconnect");
        }
        return Prepare();
    }

    bool Prepare() {
        struct {
            const char* name;
            const char* sql;
            int params;
        } const statements[] = {{"insert_score", kInsertSql, 7},
                                {"leaderboard", kLeaderboardSql, 3},
                                {"count_scores", kCountSql, 0}};
        for (const auto& s : statements) {
            Result r(PQprepare(conn, s.name, s.sql, s.params, nullptr));
            if (!r.Is(PGRES_COMMAND_OK)) {
                return Fail(std::string("prepare ") + s.name);
            }
        }
        return true;
    }

    // Under an advisory lock, so that servers starting together against a new database create it once.
    bool EnsureSchema() {
        if (!Command("BEGIN")) {
            return false;
        }
        bool ok = false;
        {
            Result lock(PQexec(conn, kSchemaLockSql));
            Result exists(PQexec(conn, "SELECT to_regclass('schema_version') IS NOT NULL"));
            if (!lock.Is(PGRES_TUPLES_OK) || !exists.Is(PGRES_TUPLES_OK) || PQntuples(exists.get()) != 1) {
                Fail("read schema");
            } else if (PQgetvalue(exists.get(), 0, 0)[0] != 't') {
                std::string insert =
                    "INSERT INTO schema_version VALUES (" + std::to_string(kSchemaVersion) + ")";
                Result create(PQexec(conn, kCreateSchemaSql));
                ok = (create.Is(PGRES_COMMAND_OK) || Fail("create schema")) && Command(insert.c_str());
            } else {
                Result version(PQexec(conn, "SELECT COALESCE(MAX(version), 0) FROM schema_version"));
                if (!version.Is(PGRES_TUPLES_OK) || PQntuples(version.get()) != 1) {
                    Fail("read schema version");
                } else {
                    int found = std::atoi(PQgetvalue(version.get(), 0, 0));
                    ok = found <= kSchemaVersion;
                    if (!ok) {
                        lastError = "PostgreSQL: the database has schema version " + std::to_string(found) +
                                    ", newer than this server's " + std::to_string(kSchemaVersion);
                    }
                }
            }
        }
        if (!ok) {
            Abandon();
            return false;
        }
        return Command("COMMIT");
    }

    PGconn* conn = nullptr;
    std::string lastError;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& url, std::string* error) {
    auto store = std::make_unique<PostgresStore>();
    if (!store->Open(url)) {
        *error = store->LastError();
        return nullptr;
    }
    return store;
}
