// The database schema as a list of steps: step N takes a database from version N - 1 to version N, and a
// new database runs every step from 1, so a new and an upgraded database are the same. The next version
// is one more step in each back end's list (server/SCHEMA.md says what each version holds).
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "server/periods.h"

// The schema this server writes. A database of a newer one is refused rather than misread.
inline constexpr int kSchemaVersion = 4;

struct SchemaStep {
    int version;  // the version the database has after this step
    // Statements run in order in the migration's transaction, the version's update last; unused parts null.
    std::array<const char*, 3> sql;
};

struct SchemaSteps {
    const SchemaStep* steps;
    size_t count;
};

SchemaSteps SqliteSchemaSteps();
SchemaSteps PostgresSchemaSteps();

// Whether a database at version `found` (0: none yet) can be used; the reason when not.
bool CanMigrateFrom(int found, const char* backEnd, std::string* error);

// How the best table numbers its periods.
int PeriodCode(Period period);

// The end of the insert that keeps the best table up to date, the same in both back ends: a row is
// replaced by a higher score, or by the same score reached earlier.
extern const char kBestConflictSql[];

// Version 2's filling of the best table from the stored scores (see SCHEMA.md).
extern const char kFillBestSql[];

// Version 4, the same in both back ends: what the operator hides, and the counter of its changes that the
// web side's cache checks.
extern const char kVersion4Sql[];
