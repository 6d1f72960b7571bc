// The operator's commands on a stored database, run by quz-scored instead of serving: --hide and --unhide
// (rows kept, out of every page and answer; see hidden.h), --delete (rows gone for good), --list-hidden.
// Each change is one transaction that also raises the counter the running servers' caches check, so a
// page or JSON answer asked for after the command returns no longer shows the rows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "server/hidden.h"
#include "server/sql_runner.h"

struct OperatorRequest {
    std::vector<Subject> hide;
    std::vector<Subject> unhide;
    std::vector<Subject> remove;
    bool list = false;
    bool Any() const { return !hide.empty() || !unhide.empty() || !remove.empty() || list; }
};

// Rows of a subject: message scores (the scores table) and games sent with their replays.
struct SubjectRows {
    int64_t scores = 0;
    int64_t games = 0;
};

// Hides (or shows again) every row of the subject, now and to come. *changed is false when it already was
// (or was not).
bool SetHidden(SqlRunner& db, const Subject& subject, bool hide, int64_t nowMs, bool* changed);
// Deletes every row of the subject, and its places on the boards; what was deleted in *deleted.
bool DeleteSubject(SqlRunner& db, const Subject& subject, SubjectRows* deleted);
bool CountSubjectRows(SqlRunner& db, const Subject& subject, SubjectRows* rows);

struct HiddenEntry {
    Subject subject;
    int64_t hiddenAtMs = 0;
};
bool ListHidden(SqlRunner& db, std::vector<HiddenEntry>* entries);

// Runs the request in order (hides, unhides, deletions, the list), a line on `out` for each; the exit
// status: 0, or 1 when the database failed (what was done before stays done).
int RunOperatorCommands(SqlRunner& db, const OperatorRequest& request, FILE* out);
