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
