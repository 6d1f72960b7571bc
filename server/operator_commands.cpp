// The operator's commands (see operator_commands.h).
#include "server/operator_commands.h"

#include <chrono>
#include <cstdlib>

#include "server/leaderboard.h"

namespace {

// The rows of a subject in a table with name and identity columns; a game id names a game alone, so it
// matches no message score.
std::string Match(const Subject& subject, bool gamesTable) {
    switch (subject.kind) {
        case SubjectKind::kName:
            return "name = CAST($1 AS TEXT)";
        case SubjectKind::kIdentity:
            return "identity = CAST($1 AS BIGINT)";
        case SubjectKind::kGame:
            return gamesTable ? "id = CAST($1 AS BIGINT)" : "1 = 0";
    }
    return "1 = 0";
}

constexpr char kRaiseGeneration[] = "UPDATE store_info SET hidden_generation = hidden_generation + 1";

std::string Rows(const SubjectRows& rows) {
    return std::to_string(rows.scores) + (rows.scores == 1 ? " message score, " : " message scores, ") +
           std::to_string(rows.games) + (rows.games == 1 ? " game" : " games");
}

int64_t NowUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool SetHidden(SqlRunner& db, const Subject& subject, bool hide, int64_t nowMs, bool* changed) {
    if (!db.Begin()) {
        return false;
    }
    int64_t count = 0;
    const bool ok =
        (hide ? db.Run("INSERT INTO hidden (kind, value, hidden_at_ms) VALUES (CAST($1 AS TEXT), CAST($2 AS "
                       "TEXT), CAST($3 AS BIGINT)) ON CONFLICT (kind, value) DO NOTHING",
                       {SubjectKindKey(subject.kind), subject.value, std::to_string(nowMs)}, nullptr, &count)
              : db.Run("DELETE FROM hidden WHERE kind = CAST($1 AS TEXT) AND value = CAST($2 AS TEXT)",
                       {SubjectKindKey(subject.kind), subject.value}, nullptr, &count)) &&
        db.Exec(kRaiseGeneration) && db.Commit();
    if (!ok) {
        db.Rollback();
        return false;
    }
    *changed = count > 0;
    return true;
}

bool DeleteSubject(SqlRunner& db, const Subject& subject, SubjectRows* deleted) {
    if (!db.Begin()) {
        return false;
    }
    *deleted = SubjectRows{};
    bool ok = true;
    if (subject.kind != SubjectKind::kGame) {
        // The best table holds the best of each name and machine: every row of a deleted name or machine
        // goes, and no other player's place depends on them.
        ok = db.Exec("DELETE FROM best WHERE " + Match(subject, false), {subject.value}) &&
             db.Run("DELETE FROM scores WHERE " + Match(subject, false), {subject.value}, nullptr,
                    &deleted->scores);
    }
    ok = ok &&
         db.Run("DELETE FROM games WHERE " + Match(subject, true), {subject.value}, nullptr,
                &deleted->games) &&
         db.Exec(kRaiseGeneration) && db.Commit();
    if (!ok) {
        db.Rollback();
    }
    return ok;
}

bool CountSubjectRows(SqlRunner& db, const Subject& subject, SubjectRows* rows) {
    std::vector<SqlRow> read;
    if (!db.Run("SELECT (SELECT COUNT(*) FROM scores WHERE " + Match(subject, false) +
                    "), (SELECT COUNT(*) FROM games WHERE " + Match(subject, true) + ")",
                {subject.value}, &read, nullptr) ||
        read.size() != 1 || read[0].size() != 2) {
        return false;
    }
    rows->scores = std::strtoll(read[0][0].c_str(), nullptr, 10);
    rows->games = std::strtoll(read[0][1].c_str(), nullptr, 10);
    return true;
}

bool ListHidden(SqlRunner& db, std::vector<HiddenEntry>* entries) {
    std::vector<SqlRow> read;
    if (!db.Run("SELECT kind, value, hidden_at_ms FROM hidden ORDER BY hidden_at_ms, kind, value", {}, &read,
                nullptr)) {
        return false;
    }
    entries->clear();
    for (const SqlRow& row : read) {
        HiddenEntry entry;
        if (row.size() == 3 && ParseSubjectKind(row[0], &entry.subject.kind)) {
            entry.subject.value = row[1];
            entry.hiddenAtMs = std::strtoll(row[2].c_str(), nullptr, 10);
            entries->push_back(std::move(entry));
        }
    }
    return true;
}

int RunOperatorCommands(SqlRunner& db, const OperatorRequest& request, FILE* out) {
    auto failed = [&](const char* what, const Subject& subject) {
        fprintf(out, "cannot %s %s: %s\n", what, SubjectText(subject).c_str(), db.LastError().c_str());
        return 1;
    };
    for (int pass = 0; pass < 2; ++pass) {
        const bool hide = pass == 0;
        for (const Subject& subject : hide ? request.hide : request.unhide) {
            bool changed = false;
            SubjectRows rows;
            if (!SetHidden(db, subject, hide, NowUnixMs(), &changed)) {
                return failed(hide ? "hide" : "unhide", subject);
            }
            const bool counted = CountSubjectRows(db, subject, &rows);
            const std::string what = counted ? " (" + Rows(rows) + ")" : "";
            if (hide) {
                fprintf(out, "%s %s%s%s\n",
                        changed ? "hidden:" : "already hidden:", SubjectText(subject).c_str(), what.c_str(),
                        counted && rows.scores + rows.games == 0 ? "; nothing stored matches it yet" : "");
            } else {
                fprintf(out, "%s %s%s\n",
                        changed ? "shown again:" : "was not hidden:", SubjectText(subject).c_str(),
                        what.c_str());
            }
        }
    }
    for (const Subject& subject : request.remove) {
        SubjectRows deleted;
        if (!DeleteSubject(db, subject, &deleted)) {
            return failed("delete", subject);
        }
        fprintf(out, "deleted %s: %s\n", SubjectText(subject).c_str(), Rows(deleted).c_str());
    }
    if (request.list) {
        std::vector<HiddenEntry> entries;
        if (!ListHidden(db, &entries)) {
            fprintf(out, "cannot list the hidden rows: %s\n", db.LastError().c_str());
            return 1;
        }
        for (const HiddenEntry& entry : entries) {
            SubjectRows rows;
            const bool counted = CountSubjectRows(db, entry.subject, &rows);
            fprintf(out, "%s\thidden %s UTC%s\n", SubjectText(entry.subject).c_str(),
                    FormatUtcMinute(entry.hiddenAtMs).c_str(), counted ? ("\t" + Rows(rows)).c_str() : "");
        }
        if (entries.empty()) {
            fprintf(out, "nothing is hidden\n");
        }
    }
    return 0;
}
