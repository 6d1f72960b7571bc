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
// rows; the ids of stored batches; the counters the health report reads. Filled from the scores already
// stored (kFillBestSql), then indexed for ranking: one sort instead of an index grown row by row.
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
    "CREATE TABLE batches (id TEXT PRIMARY KEY, stored_at_ms INTEGER NOT NULL) WITHOUT ROWID;"
    "CREATE INDEX batches_by_time ON batches (stored_at_ms);"
    "CREATE TABLE store_info (database_id TEXT NOT NULL, scores INTEGER NOT NULL);"
    "INSERT INTO store_info SELECT lower(hex(randomblob(16))), COUNT(*) FROM scores;";
constexpr char kVersion2End[] =
    "CREATE INDEX best_ranking ON best (period, period_start_ms, mode, score DESC, received_at_ms, score_id);"
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
    " reason TEXT NOT NULL,"  // why it is not verified; '' when it is
    " replay_key TEXT NOT NULL UNIQUE,"
    " replay BLOB NOT NULL);"
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

SchemaSteps SqliteSchemaSteps() {
    return {kSteps, std::size(kSteps)};
}
