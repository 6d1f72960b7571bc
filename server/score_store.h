// Where scores are kept: one small interface, two back ends. SQLite (one file, nothing to set up) is the
// default; PostgreSQL lets several server processes on several machines share one database.
// An instance is used by one thread at a time; the server opens one for writing and one for the web side.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/score_parser.h"

// A valid score as it is stored: what the game sent, when it arrived and from where.
struct StoredScore {
    ScoreSubmission submission;
    int64_t receivedAtMs = 0;  // Unix time in milliseconds (UTC)
    std::string peer;          // the sender's address, dotted
};

// One line of the leaderboard: the best score of one name on one machine.
struct LeaderRow {
    std::string name;
    uint32_t identity = 0;
    int32_t score = 0;
    int64_t achievedAtMs = 0;  // when that best score first arrived
};

struct LeaderQuery {
    std::string mode = kDefaultMode;
    int64_t sinceMs = 0;  // scores received at or after this time
    int limit = 100;
};

// The schema this server writes. A database created by a newer server is refused rather than misread.
inline constexpr int kSchemaVersion = 1;

class ScoreStore {
  public:
    virtual ~ScoreStore() = default;

    // Stores all of them in one transaction: true only when every one is committed.
    virtual bool StoreScores(const std::vector<StoredScore>& scores) = 0;

    // Best first; ties go to whoever reached the score first.
    virtual bool Leaderboard(const LeaderQuery& query, std::vector<LeaderRow>* rows) = 0;

    // Every stored score, the duplicates of retried sends included.
    virtual bool CountScores(int64_t* count) = 0;

    // The reason of the last failure, for the log.
    virtual std::string LastError() const = 0;

    // "sqlite" or "postgresql".
    virtual const char* Kind() const = 0;
};

// A "postgresql://..." or "postgres://..." URL opens PostgreSQL; anything else is the path of a SQLite file,
// created when missing. The schema is created on first use. Null on failure, with the reason in *error.
std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location, std::string* error);

bool IsPostgresLocation(const std::string& location);

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path, std::string* error);
std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& url, std::string* error);
