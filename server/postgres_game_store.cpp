// The games table in PostgreSQL (see game_store.h).
#include <libpq-fe.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "server/game_store.h"
#include "server/hidden.h"
#include "server/open_or_error.h"
#include "server/postgres_result.h"

namespace {

// Players ahead of a score on a board, and players on it: best score per name and machine, hidden ones
// left out.
std::string BestOnBoard() {
    return std::string(
               "SELECT name, identity, MAX(score) AS best FROM games WHERE verified AND "
               "(($1::text IS NOT NULL AND daily_date = $1) OR ($1::text IS NULL AND daily_date IS NULL AND "
               "mode = $2 AND received_at_ms >= $3::bigint))") +
           kVisibleGameSql + " GROUP BY name, identity";
}

int64_t Number(PGresult* result, int row, int column) {
    return std::strtoll(PQgetvalue(result, row, column), nullptr, 10);
}

class PostgresGameStore final : public GameStore {
  public:
    ~PostgresGameStore() override { PQfinish(conn); }

    bool Open(const std::string& url) {
        conn = PQconnectdb(url.c_str());
        return (conn != nullptr && PQstatus(conn) == CONNECTION_OK) || Fail("cannot connect");
    }

    GameStoreResult Store(const StoredGame& stored, GamePlace* place) override {
        if (!Connected() || !Exec("BEGIN")) {
            return GameStoreResult::Failed;
        }
        const CheckedGame& game = stored.game;
        const std::string values[] = {std::to_string(stored.receivedAtMs),
                                      stored.peer,
                                      std::to_string(game.identity),
                                      game.name,
                                      game.mode,
                                      game.dailyDate,
                                      std::to_string(game.score),
                                      std::to_string(game.level),
                                      std::to_string(game.ticks),
                                      std::to_string(game.rulesVersion),
                                      Hex64(game.seed),
                                      Hex64(game.stateHash),
                                      stored.verified ? "true" : "false",
                                      game.reason,
                                      game.replayKey};
        const char* params[16];
        int lengths[16] = {};
        int formats[16] = {};
        for (int i = 0; i < 15; ++i) {
            params[i] = values[i].c_str();
        }
        params[5] = game.dailyDate.empty() ? nullptr : params[5];
        params[15] = reinterpret_cast<const char*>(game.replayFile.data());
        lengths[15] = static_cast<int>(game.replayFile.size());
        formats[15] = 1;
        PostgresResult insert(
            PQexecParams(conn,
                         "INSERT INTO games (received_at_ms, peer, identity, name, mode, daily_date, "
                         "score, level, ticks, rules_version, seed, state_hash, verified, reason, "
                         "replay_key, replay) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, "
                         "$12, $13, $14, $15, $16) ON CONFLICT (replay_key) DO NOTHING RETURNING id",
                         16, nullptr, params, lengths, formats, 0));
        if (!insert.Is(PGRES_TUPLES_OK)) {
            Rollback("cannot store a game");
            return GameStoreResult::Failed;
        }
        if (PQntuples(insert.get()) == 0) {
            Exec("ROLLBACK");
            return GameStoreResult::Copy;
        }
        place->id = Number(insert.get(), 0, 0);
        if ((stored.verified && (!Place(stored, place) || !PruneBoardOf(stored, *place))) ||
            !Exec("COMMIT")) {
            Rollback("cannot store a game");
            return GameStoreResult::Failed;
        }
        return GameStoreResult::Stored;
    }

    bool Board(const GameBoardQuery& query, std::vector<GameRow>* rows) override {
        if (!Connected()) {
            return false;
        }
        const std::string since = std::to_string(query.sinceMs);
        const std::string limit = std::to_string(query.limit);
        const char* params[4] = {query.dailyDate.empty() ? nullptr : query.dailyDate.c_str(),
                                 query.mode.c_str(), since.c_str(), limit.c_str()};
        const std::string sql =
            std::string(
                "SELECT id, name, identity, score, level, received_at_ms, COALESCE(daily_date, ''), "
                "kept::int "
                "FROM (SELECT id, name, identity, score, level, received_at_ms, daily_date, length(replay) > "
                "0 "
                "AS kept, ROW_NUMBER() OVER (PARTITION BY name, identity "
                " ORDER BY score DESC, received_at_ms, id) AS place FROM games WHERE verified AND "
                " (($1::text IS NOT NULL AND daily_date = $1) OR ($1::text IS NULL AND daily_date IS "
                "NULL AND mode = $2 AND received_at_ms >= $3::bigint))") +
            kVisibleGameSql +
            ") AS ranked WHERE place = 1 ORDER BY score DESC, received_at_ms, id LIMIT $4::int";
        PostgresResult r(PQexecParams(conn, sql.c_str(), 4, nullptr, params, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK)) {
            return Fail("cannot read a board");
        }
        rows->clear();
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            GameRow row;
            row.id = Number(r.get(), i, 0);
            row.name = PQgetvalue(r.get(), i, 1);
            row.identity = static_cast<uint32_t>(Number(r.get(), i, 2));
            row.score = static_cast<int32_t>(Number(r.get(), i, 3));
            row.level = static_cast<int32_t>(Number(r.get(), i, 4));
            row.receivedAtMs = Number(r.get(), i, 5);
            row.dailyDate = PQgetvalue(r.get(), i, 6);
            row.replayKept = Number(r.get(), i, 7) != 0;
            rows->push_back(std::move(row));
        }
        return true;
    }

    bool Replay(int64_t id, std::vector<uint8_t>* replayFile, std::string* dailyDate, bool* found) override {
        if (!Connected()) {
            return false;
        }
        const std::string key = std::to_string(id);
        const char* params[1] = {key.c_str()};
        // The replay in binary: no escaping either way.
        const std::string sql =
            std::string("SELECT replay, COALESCE(daily_date, '') FROM games WHERE id = $1::bigint") +
            kVisibleGameSql;
        PostgresResult r(PQexecParams(conn, sql.c_str(), 1, nullptr, params, nullptr, nullptr, 1));
        if (!r.Is(PGRES_TUPLES_OK)) {
            return Fail("cannot read a replay");
        }
        *found = PQntuples(r.get()) == 1;
        if (*found) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(PQgetvalue(r.get(), 0, 0));
            replayFile->assign(bytes, bytes + PQgetlength(r.get(), 0, 0));
            dailyDate->assign(PQgetvalue(r.get(), 0, 1), static_cast<size_t>(PQgetlength(r.get(), 0, 1)));
        }
        return true;
    }

    bool ForEach(const std::function<void(const GameRecord&)>& visit) override {
        if (!Connected()) {
            return false;
        }
        // A page at a time, so a large table never sits in memory whole.
        int64_t after = 0;
        for (;;) {
            const std::string from = std::to_string(after);
            const char* params[1] = {from.c_str()};
            PostgresResult r(
                PQexecParams(conn,
                             "SELECT id, verified::int, reason, replay FROM games WHERE id > $1::bigint "
                             "ORDER BY id LIMIT 500",
                             1, nullptr, params, nullptr, nullptr, 1));
            if (!r.Is(PGRES_TUPLES_OK)) {
                return Fail("cannot read the games");
            }
            const int count = PQntuples(r.get());
            for (int i = 0; i < count; ++i) {
                GameRecord record;
                record.id = static_cast<int64_t>(BigEndian(PQgetvalue(r.get(), i, 0), 8));
                record.verified = BigEndian(PQgetvalue(r.get(), i, 1), 4) != 0;
                record.reason.assign(PQgetvalue(r.get(), i, 2),
                                     static_cast<size_t>(PQgetlength(r.get(), i, 2)));
                const auto* bytes = reinterpret_cast<const uint8_t*>(PQgetvalue(r.get(), i, 3));
                record.replayFile.assign(bytes, bytes + PQgetlength(r.get(), i, 3));
                after = record.id;
                visit(record);
            }
            if (count < 500) {
                return true;
            }
        }
    }

    void SetRetention(ReplayRetention kept) override { retention = kept; }

    bool PruneReplays(int64_t* pruned) override {
        *pruned = 0;
        if (retention.bestPerBoard == 0) {
            return true;
        }
        // Autocommit: one statement is its own transaction.
        return Connected() && Prune(PruneScope::kAllBoards, {std::to_string(retention.bestPerBoard)}, pruned);
    }

    std::string LastError() const override { return lastError; }

  private:
    // Inside the game's transaction, after its place: the game itself may be what falls out.
    bool PruneBoardOf(const StoredGame& stored, const GamePlace& place) {
        if (retention.bestPerBoard == 0) {
            return true;
        }
        std::vector<std::string> params;
        const PruneScope scope = PruneScopeOf(place.rank, retention, place.id, stored.game.dailyDate,
                                              stored.game.mode, stored.receivedAtMs, &params);
        int64_t pruned = 0;
        return Prune(scope, params, &pruned);
    }

    bool Prune(PruneScope scope, const std::vector<std::string>& values, int64_t* pruned) {
        std::vector<const char*> params;
        params.reserve(values.size());
        for (const std::string& value : values) {
            params.push_back(value.c_str());
        }
        PostgresResult r(PQexecParams(conn, PruneReplaysSql(scope, "''::bytea").c_str(),
                                      static_cast<int>(params.size()), nullptr, params.data(), nullptr,
                                      nullptr, 0));
        if (!r.Is(PGRES_COMMAND_OK)) {
            return Fail("cannot prune the replays");
        }
        *pruned = std::strtoll(PQcmdTuples(r.get()), nullptr, 10);
        return true;
    }

    static uint64_t BigEndian(const char* bytes, int count) {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = value << 8 | static_cast<uint8_t>(bytes[i]);
        }
        return value;
    }

    bool Place(const StoredGame& stored, GamePlace* place) {
        const std::string since = std::to_string(stored.receivedAtMs - stored.receivedAtMs % 86400000);
        const std::string score = std::to_string(stored.game.score);
        const std::string identity = std::to_string(stored.game.identity);
        const char* params[6] = {stored.game.dailyDate.empty() ? nullptr : stored.game.dailyDate.c_str(),
                                 stored.game.mode.c_str(),
                                 since.c_str(),
                                 score.c_str(),
                                 stored.game.name.c_str(),
                                 identity.c_str()};
        const std::string sql = std::string(
                                    "SELECT COUNT(*), COUNT(*) FILTER (WHERE best > $4::int AND NOT "
                                    "(name = $5 AND identity = $6::bigint)) FROM (") +
                                BestOnBoard() + ") AS players";
        PostgresResult r(PQexecParams(conn, sql.c_str(), 6, nullptr, params, nullptr, nullptr, 0));
        if (!r.Is(PGRES_TUPLES_OK) || PQntuples(r.get()) != 1) {
            return Fail("cannot rank a game");
        }
        place->of = static_cast<int>(Number(r.get(), 0, 0));
        place->rank = static_cast<int>(Number(r.get(), 0, 1)) + 1;
        return true;
    }

    bool Connected() {
        if (PQstatus(conn) == CONNECTION_OK) {
            return true;
        }
        PQreset(conn);
        return PQstatus(conn) == CONNECTION_OK || Fail("the database connection is lost");
    }

    bool Exec(const char* sql) {
        PostgresResult r(PQexec(conn, sql));
        return r.Is(PGRES_COMMAND_OK) || Fail(sql);
    }

    void Rollback(const char* what) {
        Fail(what);
        const std::string reason = lastError;
        Exec("ROLLBACK");
        lastError = reason;
    }

    bool Fail(const std::string& what) {
        lastError = what + ": " + (conn != nullptr ? PQerrorMessage(conn) : "out of memory");
        while (!lastError.empty() && lastError.back() == '\n') {
            lastError.pop_back();
        }
        return false;
    }

    PGconn* conn = nullptr;
    ReplayRetention retention;
    std::string lastError;
};

}  // namespace

std::unique_ptr<GameStore> OpenPostgresGameStore(const std::string& url, std::string* error) {
    return OpenOrError<PostgresGameStore>(error, url);
}
