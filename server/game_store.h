// Where games sent with their replays are kept (the games table of schema version 3), beside the message
// scores: one small interface, the same two back ends. Games the operator hid (hidden.h) are in no
// board, rank or replay download. An instance is used by one thread at a time; the
// database's schema is made and migrated by the score store's writer, opened first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/game_check.h"
#include "server/replay_retention.h"

struct StoredGame {
    CheckedGame game;
    bool verified = false;
    int64_t receivedAtMs = 0;
    std::string peer;
};

// Where a stored game stands: on its day's board for a daily game, else among today's verified games.
struct GamePlace {
    int64_t id = 0;
    int rank = 0;  // 1 for the best; 0 for an unverified game
    int of = 0;    // players on that board
};

enum class GameStoreResult { Stored, Copy, Failed };

// One line of a verified board: the best game of one name on one machine.
struct GameRow {
    int64_t id = 0;
    std::string name;
    uint32_t identity = 0;
    int32_t score = 0;
    int32_t level = 0;
    int64_t receivedAtMs = 0;
    std::string dailyDate;
    bool verified = true;
    bool replayKept = true;  // false once the retention emptied it
};

struct GameBoardQuery {
    std::string dailyDate;  // "YYYY-MM-DD": that day's board; "" for the mode's verified games
    std::string mode = "NORMAL";
    int64_t sinceMs = 0;  // with no daily date: games received from then on
    int limit = 100;
};

// A stored game for --reverify.
struct GameRecord {
    int64_t id = 0;
    bool verified = false;
    std::string reason;
    std::vector<uint8_t> replayFile;  // empty once the retention emptied it
};

class GameStore {
  public:
    virtual ~GameStore() = default;
    // A verified game's place counts only the players not hidden. With a retention set, the replays of
    // the game's board outside its best are emptied in the same transaction.
    virtual GameStoreResult Store(const StoredGame& game, GamePlace* place) = 0;
    // Best first; ties go to whoever reached the score first; hidden games left out.
    virtual bool Board(const GameBoardQuery& query, std::vector<GameRow>* rows) = 0;
    // The replay file of a game (empty once the retention emptied it) and its daily date ("" for none);
    // found false when there is no such game, or it is hidden.
    virtual bool Replay(int64_t id, std::vector<uint8_t>* replayFile, std::string* dailyDate,
                        bool* found) = 0;
    virtual void SetRetention(ReplayRetention retention) = 0;
    // Empties the replays outside the retention on every board (at start: the setting may have changed);
    // how many in *pruned.
    virtual bool PruneReplays(int64_t* pruned) = 0;
    // Every stored game, oldest first.
    virtual bool ForEach(const std::function<void(const GameRecord&)>& visit) = 0;
    virtual std::string LastError() const = 0;
};

// The same locations as OpenScoreStore.
std::unique_ptr<GameStore> OpenGameStore(const std::string& location, std::string* error);
std::unique_ptr<GameStore> OpenSqliteGameStore(const std::string& path, std::string* error);
std::unique_ptr<GameStore> OpenPostgresGameStore(const std::string& url, std::string* error);
