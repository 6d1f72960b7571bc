// The PostgreSQL schema, step by step (see schema.h and SCHEMA.md). A step, once released, never changes:
// databases in the field were made by it.
#include <iterator>

#include "server/schema.h"

namespace {

// The first released schema: every score as received.
constexpr char kVersion1[] =
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
    "CREATE TABLE schema_version (version INTEGER NOT NULL);"
    "INSERT INTO schema_version VALUES (1);";

// The best score of each player per period, kept as scores arrive, so a leaderboard reads only its own
// rows; the ids of stored batches; the counters the health report reads. Filled from the scores already
// stored (kFillBestSql), then indexed for ranking: one sort instead of an index grown row by row. The
// ranking index carries the name and machine, so a page is read from the index alone.
constexpr char kVersion2[] =
    "CREATE TABLE best ("
    " period SMALLINT NOT NULL,"  // 0 all time, 1 ISO week, 2 UTC day
    " period_start_ms BIGINT NOT NULL,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " identity BIGINT NOT NULL,"
    " score INTEGER NOT NULL,"
    " received_at_ms BIGINT NOT NULL,"
    " score_id BIGINT NOT NULL,"
    " PRIMARY KEY (period, period_start_ms, mode, name, identity));"
    "CREATE TABLE batches (id TEXT PRIMARY KEY, stored_at_ms BIGINT NOT NULL);"
    "CREATE INDEX batches_by_time ON batches (stored_at_ms);"
    "CREATE TABLE store_info (database_id TEXT NOT NULL, scores BIGINT NOT NULL);"
    "INSERT INTO store_info SELECT md5(random()::text || clock_timestamp()::text), COUNT(*) FROM scores;";
constexpr char kVersion2End[] =
    "CREATE INDEX best_ranking ON best (period, period_start_ms, mode, score DESC, received_at_ms, score_id)"
    " INCLUDE (name, identity);"
    "ANALYZE best;"
    "UPDATE schema_version SET version = 2;";

// Games sent with their replays (POST /api/games): each with what the server found when it re-played it,
// and the replay itself (so pg_dump keeps it and several servers share it), so that copies are refused, a
// day's board is read from its own rows, and every game can be re-played again after a rules change.
constexpr char kVersion3[] =
    "CREATE TABLE games ("
    " id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    " received_at_ms BIGINT NOT NULL,"
    " peer TEXT NOT NULL,"
    " identity BIGINT NOT NULL,"
    " name TEXT NOT NULL,"
    " mode TEXT NOT NULL,"
    " daily_date TEXT,"
    " score INTEGER NOT NULL,"
    " level INTEGER NOT NULL,"
    " ticks BIGINT NOT NULL,"
    " rules_version BIGINT NOT NULL,"
    " seed TEXT NOT NULL,"
    " state_hash TEXT NOT NULL,"
    " verified BOOLEAN NOT NULL,"
    " reason TEXT NOT NULL,"
    " replay_key TEXT NOT NULL UNIQUE,"
    " replay BYTEA NOT NULL);"
    "CREATE INDEX games_daily ON games (daily_date, verified, score DESC, received_at_ms, id)"
    " WHERE daily_date IS NOT NULL;"
    "CREATE INDEX games_by_mode_and_time ON games (mode, verified, received_at_ms);"
    "UPDATE schema_version SET version = 3;";

constexpr SchemaStep kSteps[] = {{1, {kVersion1, nullptr, nullptr}},
                                 {2, {kVersion2, kFillBestSql, kVersion2End}},
                                 {3, {kVersion3, nullptr, nullptr}},
                                 {4, {kVersion4Sql, nullptr, nullptr}}};
static_assert(kSteps[std::size(kSteps) - 1].version == kSchemaVersion);

}  // namespace

SchemaSteps PostgresSchemaSteps() {
    return {kSteps, std::size(kSteps)};
}
