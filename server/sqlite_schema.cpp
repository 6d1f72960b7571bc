// The SQLite schema, step by step (see schema.h and SCHEMA.md). A step, once released, never changes:
// databases in the field were made by it.
#include <iterator>

#include "server/schema.h"

namespace {

// The first released schema: every score as received.
constexpr char kVersion1[] =
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
    "CREATE TABLE schema_version (version INTEGER NOT NULL);"
    "INSERT INTO schema_version VALUES (1);";

// The best score of each player per period, kept as scores arrive, so a leaderboard reads only its own
// rows; the ids of stored batches; the counters the health report reads. Filled here from the scores
// already stored: all time, and the weeks and days from the one before the newest score's on (older
// periods are never shown, and the store drops them as time goes on).
constexpr char kVersion2[] =
    "CREATE TABLE best ("
    " period INTEGER NOT NULL,"  // 0 all time, 1 ISO week, 2 UTC day
    " period_start_ms INTEGER NOT NULL,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " identity INTEGER NOT NULL,"
    " score INTEGER NOT NULL,"
    " received_at_ms INTEGER NOT NULL,"
    " score_id INTEGER NOT NULL,"
    " PRIMARY KEY (period, period_start_ms, mode, name, identity)) WITHOUT ROWID;"
    "CREATE INDEX best_ranking ON best (period, period_start_ms, mode, score DESC, received_at_ms, score_id);"
    "CREATE TABLE batches (id TEXT PRIMARY KEY, stored_at_ms INTEGER NOT NULL) WITHOUT ROWID;"
    "CREATE INDEX batches_by_time ON batches (stored_at_ms);"
    "CREATE TABLE store_info (database_id TEXT NOT NULL, scores INTEGER NOT NULL);"
    "INSERT INTO store_info SELECT lower(hex(randomblob(16))), COUNT(*) FROM scores;"
    "INSERT INTO best SELECT 0, 0, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM scores) WHERE place = 1;"
    "INSERT INTO best SELECT 1, start, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY start, mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM ("
    "  SELECT *, (received_at_ms / 86400000 - (received_at_ms / 86400000 + 3) % 7) * 86400000 AS start"
    "  FROM scores WHERE received_at_ms >= (SELECT (MAX(received_at_ms) / 86400000"
    "   - (MAX(received_at_ms) / 86400000 + 3) % 7 - 7) * 86400000 FROM scores)))"
    " WHERE place = 1;"
    "INSERT INTO best SELECT 2, start, mode, name, identity, score, received_at_ms, id FROM ("
    " SELECT *, ROW_NUMBER() OVER (PARTITION BY start, mode, name, identity"
    "  ORDER BY score DESC, received_at_ms, id) AS place FROM ("
    "  SELECT *, received_at_ms / 86400000 * 86400000 AS start"
    "  FROM scores WHERE received_at_ms >= (SELECT (MAX(received_at_ms) / 86400000 - 1) * 86400000"
    "   FROM scores)))"
    " WHERE place = 1;"
    "UPDATE schema_version SET version = 2;";

// Games sent with their replays (POST /api/games): each with what the server found when it re-played it,
// and the replay itself, so that copies are refused, a day's board is read from its own rows, and every
// game can be re-played again after a rules change. Message scores stay in scores.
constexpr char kVersion3[] =
    "CREATE TABLE games ("
    " id INTEGER PRIMARY KEY,"
    " received_at_ms INTEGER NOT NULL,"
    " peer TEXT NOT NULL,"
    " identity INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " mode TEXT NOT NULL,"
    " daily_date TEXT,"  // 'YYYY-MM-DD' for a game of the board of the day
    " score INTEGER NOT NULL,"
    " level INTEGER NOT NULL,"
    " ticks INTEGER NOT NULL,"
    " rules_version INTEGER NOT NULL,"
    " seed TEXT NOT NULL,"        // 16 hex digits
    " state_hash TEXT NOT NULL,"  // 16 hex digits
    " verified INTEGER NOT NULL,"
    " reason TEXT NOT NULL,"      // why it is not verified; '' when it is
    " replay_key TEXT NOT NULL UNIQUE,"
    " replay BLOB NOT NULL);"
    "CREATE INDEX games_daily ON games (daily_date, verified, score DESC, received_at_ms, id)"
    " WHERE daily_date IS NOT NULL;"
    "CREATE INDEX games_by_mode_and_time ON games (mode, verified, received_at_ms);"
    "UPDATE schema_version SET version = 3;";

constexpr SchemaStep kSteps[] = {{1, kVersion1}, {2, kVersion2}, {3, kVersion3}};
static_assert(kSteps[std::size(kSteps) - 1].version == kSchemaVersion);

}  // namespace

SchemaSteps SqliteSchemaSteps() {
    return {kSteps, std::size(kSteps)};
}
