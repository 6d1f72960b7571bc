// Where scores are kept: one small interface, two back ends. SQLite (one file, nothing to set up) is the
// default; PostgreSQL lets several server processes on several machines share one database.
// An instance is used by one thread at a time: the server opens one writer, and a few readers for the web.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/periods.h"
#include "server/schema.h"
#include "server/score_parser.h"

// A valid score as it is stored: what the game sent, when it arrived and from where.
struct StoredScore {
    ScoreSubmission submission;
    int64_t receivedAtMs = 0;  // Unix time in milliseconds (UTC)
    std::string peer;          // the sender's address, dotted
};

// Scores stored together. The id is written in the same transaction, so a retry of a batch whose commit
// happened but was reported failed (a lost connection, a file deleted under the server) stores nothing
// twice.
struct ScoreBatch {
    std::string id;
    std::vector<StoredScore> scores;
};

// A new batch id: 128 random bits in hex.
std::string NewBatchId();

// One line of the leaderboard: the best score of one name on one machine.
struct LeaderRow {
    std::string name;
    uint32_t identity = 0;
    int32_t score = 0;
    int64_t achievedAtMs = 0;  // when that best score first arrived
};

struct LeaderQuery {
    std::string mode = kDefaultMode;
    Period period = Period::kAll;
    int64_t periodStartMs = 0;  // PeriodStartMs(period, now): which week or day
    int limit = 100;
};

// What the opening of a writer found.
struct StoreOpening {
    std::string databaseId;  // random, made with the schema: tells one database from its replacement
    int foundVersion = 0;    // 0: the schema was created by this opening
};

class ScoreStore {
  public:
    virtual ~ScoreStore() = default;

    // Stores all of them in one transaction: true only when every one is committed, now or by an earlier
    // attempt of the same batch id.
    virtual bool StoreScores(const ScoreBatch& batch) = 0;

    // Best first; ties go to whoever reached the score first; hidden names and identities left out. Reads
    // at most `limit` ranked rows.
    virtual bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) = 0;

    // Every stored score, the duplicates of retried sends included (a counter, not a count).
    virtual bool CountScores(int64_t* count) = 0;

    // The counter of the operator's hides, unhides and deletions: an answer made from rows read at
    // another value may show what is now hidden or gone.
    virtual bool HiddenGeneration(int64_t* generation) = 0;

    // Whether a store could succeed now, without writing: the file is still the one opened and its file
    // system has room (SQLite), the server answers (PostgreSQL). False with the reason in LastError.
    virtual bool CheckStorable() = 0;

    virtual const StoreOpening& Opening() const = 0;

    // The reason of the last failure, for the log.
    virtual std::string LastError() const = 0;

    // "sqlite" or "postgresql".
    virtual const char* Kind() const = 0;
};

// A "postgresql://..." or "postgres://..." URL opens PostgreSQL; anything else is the path of a SQLite file,
// created when missing. The writer creates the schema or brings it up to date, and proves that it can
// write; a reader only reads a database already at this server's version. Null on failure, with the
// reason in *error.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location, std::string* error);
std::unique_ptr<ScoreStore> OpenScoreReader(const std::string& location, std::string* error);

bool IsPostgresLocation(const std::string& location);

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path, bool writer, std::string* error);
std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& url, bool writer, std::string* error);
