// The check shared by both back ends' migrations (see schema.h).
#include "server/schema.h"

bool CanMigrateFrom(int found, const char* backEnd, std::string* error) {
    if (found <= kSchemaVersion) {
        return true;
    }
    *error = std::string(backEnd) + ": the database has schema version " + std::to_string(found) +
             ", newer than this server's " + std::to_string(kSchemaVersion);
    return false;
}

int PeriodCode(Period period) {
    switch (period) {
        case Period::kWeek:
            return 1;
        case Period::kToday:
            return 2;
        case Period::kAll:
            break;
    }
    return 0;
}

const char kBestConflictSql[] =
    " ON CONFLICT (period, period_start_ms, mode, name, identity) DO UPDATE SET score = excluded.score, "
    "received_at_ms = excluded.received_at_ms, score_id = excluded.score_id "
    "WHERE excluded.score > best.score OR (excluded.score = best.score AND "
    "(excluded.received_at_ms < best.received_at_ms OR "
    "(excluded.received_at_ms = best.received_at_ms AND excluded.score_id < best.score_id)))";

// Fills version 2's best table from the scores already stored: all time, and the weeks and days from the
// one before the newest score's on (older periods are never shown, and the store drops them as time goes
// on). The same in both back ends.
const char kFillBestSql[] =
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
    " WHERE place = 1;";

// What the operator keeps out of view (server/hidden.h), one row per hidden name, identity or game, and
// a counter raised by every change of it (and every deletion), which the web side compares with the one
// its cached boards were made at: a hidden row leaves the page at once, cache or not.
const char kVersion4Sql[] =
    "CREATE TABLE hidden ("
    " kind TEXT NOT NULL,"   // 'name', 'identity' or 'game'
    " value TEXT NOT NULL,"  // the name as sent; the identity or the game id in decimal
    " hidden_at_ms BIGINT NOT NULL,"
    " PRIMARY KEY (kind, value));"
    "ALTER TABLE store_info ADD COLUMN hidden_generation BIGINT NOT NULL DEFAULT 0;"
    "UPDATE schema_version SET version = 4;";
