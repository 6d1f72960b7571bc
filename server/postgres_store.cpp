// The PostgreSQL back end, through libpq: several server processes on several machines may write to one
// database. A lost connection is re-opened on the next call, so a database restart costs one failed batch,
// and the batch's id, written in its transaction, keeps a batch whose commit happened from being stored
// again when it is retried.
#include <libpq-fe.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "server/hidden.h"
#include "server/open_or_error.h"
#include "server/postgres_result.h"
#include "server/schema.h"
#include "server/score_store.h"

namespace {

constexpr int64_t kDayMs = 86400000;

// One statement per score: the row, and its place in the best table of each period.
constexpr char kStoreScoreSql[] =
    "WITH stored AS (INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7) RETURNING id) "
    "INSERT INTO best (period, period_start_ms, mode, name, identity, score, received_at_ms, score_id) "
    "SELECT p.period, p.start, $6, $5, $3, $7, $1, stored.id FROM stored, "
    "(VALUES (0::smallint, 0::bigint), (1::smallint, $8::bigint), (2::smallint, $9::bigint)) "
    "AS p (period, start)";

// The ranking index gives the rows in order: a page reads `limit` entries of it, and the hidden ones
// (a probe of the small hidden table each), and nothing else.
std::string LeaderboardSql() {
    return std::string(
               "SELECT name, identity, score, received_at_ms FROM best "
               "WHERE period = $1 AND period_start_ms = $2 AND mode = $3") +
           kVisibleBestSql + " ORDER BY score DESC, received_at_ms, score_id LIMIT $4";
}

// The weeks and days no page shows any more, and batch ids no retry will ask for.
constexpr char kPruneSql[] =
    "WITH weeks AS (DELETE FROM best WHERE period = 1 AND period_start_ms < $1), "
    "days AS (DELETE FROM best WHERE period = 2 AND period_start_ms < $2) "
    "DELETE FROM batches WHERE stored_at_ms < $3";

// Any number that is the same for every server of this game: it serialises their schema changes.
constexpr char kSchemaLockSql[] = "SELECT pg_advisory_xact_lock(4242016)";

class PostgresStore final : public ScoreStore {
  public:
    ~PostgresStore() override { PQfinish(conn); }

    bool Open(const std::string& url, bool asWriter) {
        writer = asWriter;
        conn = PQconnectdb(url.c_str());
        if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
            return Fail("cannot connect");
        }
        if (writer && (!Migrate() || !ProveWritable())) {
            return false;
        }
        return ReadOpening() && Prepare();
    }

    // One round trip for the whole batch: BEGIN, the inserts and COMMIT go out in a pipeline, and the
    // answers are read after. The batch counts as stored only when the COMMIT's answer is a success.
    bool StoreScores(const ScoreBatch& batch) override {
        if (!Connected()) {
            return false;
        }
        bool already = false;
        if (!SendAndCommit(batch, &already)) {
            Abandon();
            return already;
        }
        return true;
    }

    bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) override {
        if (!Connected()) {
            return false;
        }
        std::string period = std::to_string(PeriodCode(query.period));
        std::string start = std::to_string(query.period == Period::kAll ? 0 : query.periodStartMs);
        std::string limit = std::to_string(query.limit);
        const char* values[4] = {period.c_str(), start.c_str(), query.mode.c_str(), limit.c_str()};
        PostgresResult r(PQexecPrepared(conn, "leaderboard", 4, values, nullptr, nullptr, 0));
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
        PostgresResult r(PQexecPrepared(conn, "count_scores", 0, nullptr, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK) || PQntuples(r.get()) != 1) {
            return Fail("count");
        }
        *count = std::strtoll(PQgetvalue(r.get(), 0, 0), nullptr, 10);
        return true;
    }

    bool HiddenGeneration(int64_t* generation) override {
        if (!Connected()) {
            return false;
        }
        PostgresResult r(PQexecPrepared(conn, "hidden_generation", 0, nullptr, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK) || PQntuples(r.get()) != 1) {
            return Fail("hidden generation");
        }
        *generation = std::strtoll(PQgetvalue(r.get(), 0, 0), nullptr, 10);
        return true;
    }

    bool CheckStorable() override {
        if (!Connected()) {
            return false;
        }
        PostgresResult r(PQexec(conn, "SELECT 1"));
        return r.Is(PGRES_TUPLES_OK) || Fail("check");
    }

    const StoreOpening& Opening() const override { return opening; }
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

    bool SendQuery(const char* sql) {
        return PQsendQueryParams(conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    }

    bool SendPrepared(const char* name, const std::vector<std::string>& values) {
        std::vector<const char*> pointers;
        pointers.reserve(values.size());
        for (const std::string& value : values) {
            pointers.push_back(value.c_str());
        }
        return PQsendQueryPrepared(conn, name, static_cast<int>(values.size()), pointers.data(), nullptr,
                                   nullptr, 0) == 1;
    }

    // The batch id goes first: when it is already there, an earlier attempt was committed after all, and
    // the whole transaction is refused with nothing stored twice.
    bool SendAndCommit(const ScoreBatch& batch, bool* already) {
        if (PQenterPipelineMode(conn) != 1) {
            return Fail("pipeline");
        }
        // Servers sharing the database take the rows of the best table in one order, so two batches
        // touching the same players wait for each other instead of deadlocking.
        std::vector<size_t> order(batch.scores.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const ScoreSubmission& x = batch.scores[a].submission;
            const ScoreSubmission& y = batch.scores[b].submission;
            return std::tie(x.mode, x.name, x.identity) < std::tie(y.mode, y.name, y.identity);
        });
        int64_t batchTime = 0;
        for (const StoredScore& s : batch.scores) {
            batchTime = std::max(batchTime, s.receivedAtMs);
        }
        size_t queries = 4 + batch.scores.size();
        bool sent = SendQuery("BEGIN") && SendPrepared("insert_batch", {batch.id, std::to_string(batchTime)});
        for (size_t i = 0; sent && i < order.size(); ++i) {
            const StoredScore& s = batch.scores[order[i]];
            sent = SendPrepared(
                "store_score", {std::to_string(s.receivedAtMs), s.peer, std::to_string(s.submission.identity),
                                s.submission.variant ? "true" : "false", s.submission.name, s.submission.mode,
                                std::to_string(s.submission.score),
                                std::to_string(PeriodStartMs(Period::kWeek, s.receivedAtMs)),
                                std::to_string(PeriodStartMs(Period::kToday, s.receivedAtMs))});
        }
        sent = sent && SendPrepared("add_count", {std::to_string(batch.scores.size())});
        int64_t today = PeriodStartMs(Period::kToday, batchTime);
        bool pruning = today > prunedDay;
        if (sent && pruning) {
            ++queries;
            sent =
                SendPrepared("prune", {std::to_string(PeriodStartMs(Period::kWeek, batchTime) - 7 * kDayMs),
                                       std::to_string(today - kDayMs), std::to_string(today - 7 * kDayMs)});
        }
        sent = sent && SendQuery("COMMIT") && PQpipelineSync(conn) == 1;
        bool ok = sent ? ReadPipelineAnswers(queries, already) : Fail("send batch");
        if (PQexitPipelineMode(conn) != 1) {
            ok = ok ? Fail("end of pipeline") : false;
        }
        if (ok && pruning) {
            prunedDay = today;
        }
        return ok;
    }

    // Reads the answers of `queries` pipelined queries up to the sync point. True when all succeeded; a
    // broken connection ends the reading at once. *duplicate tells that the batch id (the second query)
    // was refused as already stored.
    bool ReadPipelineAnswers(size_t queries, bool* duplicate) {
        bool ok = true;
        size_t gaps = 0;
        size_t answered = 0;
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
            ++answered;
            if (answered == 2 && status == PGRES_FATAL_ERROR) {
                const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
                *duplicate = state != nullptr && std::string(state) == "23505";
            }
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && ok) {
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
        PostgresResult r(PQexec(conn, sql));
        return r.Is(PGRES_COMMAND_OK) || Fail(sql);
    }

    // Leaves a failed transaction so the connection can serve the next call; keeps the first reason.
    void Abandon() {
        std::string reason = lastError;
        if (PQstatus(conn) == CONNECTION_OK) {
            PostgresResult r(PQexec(conn, "ROLLBACK"));
        }
        lastError = reason;
    }

    // Re-opens a broken connection; the prepared statements and settings went with the old session.
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
        // A generic plan is made once for any period and mode and may scan where one period's rows would
        // do: each run is planned with its own values.
        if (!Command("SET plan_cache_mode = force_custom_plan")) {
            return false;
        }
        // A page's query is over in a millisecond: compiling it (JIT, when the planner's cost guess is
        // high) would take a hundred.
        if (!writer && (!Command("SET default_transaction_read_only = on") || !Command("SET jit = off"))) {
            return false;
        }
        std::string upsert = std::string(kStoreScoreSql) + kBestConflictSql;
        const std::string leaderboardSql = LeaderboardSql();
        struct {
            const char* name;
            const char* sql;
            int params;
        } const statements[] = {{"leaderboard", leaderboardSql.c_str(), 4},
                                {"count_scores", "SELECT scores FROM store_info", 0},
                                {"hidden_generation", "SELECT hidden_generation FROM store_info", 0},
                                {"store_score", upsert.c_str(), 9},
                                {"insert_batch", "INSERT INTO batches (id, stored_at_ms) VALUES ($1, $2)", 2},
                                {"add_count", "UPDATE store_info SET scores = scores + $1", 1},
                                {"prune", kPruneSql, 3}};
        size_t count = writer ? std::size(statements) : 3;
        for (size_t i = 0; i < count; ++i) {
            PostgresResult r(
                PQprepare(conn, statements[i].name, statements[i].sql, statements[i].params, nullptr));
            if (!r.Is(PGRES_COMMAND_OK)) {
                return Fail(std::string("prepare ") + statements[i].name);
            }
        }
        return true;
    }

    bool ReadVersion(int* version) {
        PostgresResult exists(PQexec(conn, "SELECT to_regclass('schema_version') IS NOT NULL"));
        if (!exists.Is(PGRES_TUPLES_OK) || PQntuples(exists.get()) != 1) {
            return Fail("read schema");
        }
        if (PQgetvalue(exists.get(), 0, 0)[0] != 't') {
            *version = 0;
            return true;
        }
        PostgresResult found(PQexec(conn, "SELECT COALESCE(MAX(version), 0) FROM schema_version"));
        if (!found.Is(PGRES_TUPLES_OK) || PQntuples(found.get()) != 1) {
            return Fail("read schema version");
        }
        *version = std::atoi(PQgetvalue(found.get(), 0, 0));
        return true;
    }

    // Under an advisory lock, so that servers starting together against a database create or upgrade it
    // once; in one transaction, so a failed step leaves it as it was.
    bool Migrate() {
        if (!Command("BEGIN")) {
            return false;
        }
        PostgresResult lock(PQexec(conn, kSchemaLockSql));
        int version = 0;
        bool ok = (lock.Is(PGRES_TUPLES_OK) || Fail("schema lock")) && ReadVersion(&version) &&
                  CanMigrateFrom(version, "PostgreSQL", &lastError);
        opening.foundVersion = version;
        SchemaSteps steps = PostgresSchemaSteps();
        for (size_t i = 0; ok && i < steps.count; ++i) {
            for (const char* sql : steps.steps[i].sql) {
                if (ok && steps.steps[i].version > version && sql != nullptr) {
                    PostgresResult r(PQexec(conn, sql));
                    ok = r.Is(PGRES_COMMAND_OK) ||
                         Fail("schema version " + std::to_string(steps.steps[i].version));
                }
            }
        }
        if (!ok) {
            Abandon();
            return false;
        }
        return Command("COMMIT");
    }

    bool ReadOpening() {
        if (!writer) {
            int version = 0;
            if (!ReadVersion(&version)) {
                return false;
            }
            if (version != kSchemaVersion) {
                lastError = "PostgreSQL: the database has schema version " + std::to_string(version) +
                            ", not this server's " + std::to_string(kSchemaVersion);
                return false;
            }
        }
        PostgresResult r(PQexec(conn, "SELECT database_id FROM store_info"));
        if (!r.Is(PGRES_TUPLES_OK) || PQntuples(r.get()) != 1) {
            return Fail("read the database id");
        }
        opening.databaseId = PQgetvalue(r.get(), 0, 0);
        return true;
    }

    // A role or database that may only read lets the server connect and read: only a write tells.
    bool ProveWritable() {
        if (!Command("BEGIN")) {
            return false;
        }
        if (!Command("UPDATE store_info SET scores = scores")) {
            Abandon();
            return false;
        }
        return Command("COMMIT");
    }

    PGconn* conn = nullptr;
    bool writer = false;
    StoreOpening opening;
    int64_t prunedDay = INT64_MIN;
    std::string lastError;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& url, bool writer, std::string* error) {
    return OpenOrError<PostgresStore>(error, url, writer);
}
