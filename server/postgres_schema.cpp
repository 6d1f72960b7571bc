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
// rows; the ids of stored batches; the counters the health report reads. Filled here from the scores
// already stored: all time, and the weeks and days from the one before the newest score's on (older
// periods are never shown, and the store drops them as time goes on). The ranking index carries the
// name and machine, so a page is read from the index alone.
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
    "INSERT INTO store_info SELECT md5(random()::text || clock_timestamp()::text), COUNT(*) FROM scores;"
    "INSERT INTO best SELECT 0, 0, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM scores) AS ranked WHERE place = 1;"
    "INSERT INTO best SELECT 1, start, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY start, mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM ("
    "  SELECT *, (received_at_ms / 86400000 - (received_at_ms / 86400000 + 3) % 7) * 86400000 AS start"
    "  FROM scores WHERE received_at_ms >= (SELECT (MAX(received_at_ms) / 86400000"
    "   - (MAX(received_at_ms) / 86400000 + 3) % 7 - 7) * 86400000 FROM scores)) AS dated) AS ranked"
    " WHERE place = 1;"
    "INSERT INTO best SELECT 2, start, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY start, mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM ("
    "  SELECT *, received_at_ms / 86400000 * 86400000 AS start"
    "  FROM scores WHERE received_at_ms >= (SELECT (MAX(received_at_ms) / 86400000 - 1) * 86400000"
    "   FROM scores)) AS dated) AS ranked"
    " WHERE place = 1;"
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

constexpr SchemaStep kSteps[] = {{1, kVersion1}, {2, kVersion2}, {3, kVersion3}};
static_assert(kSteps[std::size(kSteps) - 1].version == kSchemaVersion);

}  // namespace

SchemaSteps PostgresSchemaSteps() {
    return {kSteps, std::size(kSteps)};
}
