// Where games sent with their replays are kept (the games table of schema version 3), beside the message
// scores: one small interface, the same two back ends. An instance is used by one thread at a time; the
// database's schema is made and migrated by the score store's writer, opened first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/game_check.h"

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
    std::vector<uint8_t> replayFile;
};

class GameStore {
  public:
    virtual ~GameStore() = default;
    virtual GameStoreResult Store(const StoredGame& game, GamePlace* place) = 0;
    // Best first; ties go to whoever reached the score first.
    virtual bool Board(const GameBoardQuery& query, std::vector<GameRow>* rows) = 0;
    // The replay file of a game and its daily date ("" for none); found false when there is no such game.
    virtual bool Replay(int64_t id, std::vector<uint8_t>* replayFile, std::string* dailyDate,
                        bool* found) = 0;
    // Every stored game, oldest first.
    virtual bool ForEach(const std::function<void(const GameRecord&)>& visit) = 0;
    virtual std::string LastError() const = 0;
};

// The same locations as OpenScoreStore.
std::unique_ptr<GameStore> OpenGameStore(const std::string& location, std::string* error);
std::unique_ptr<GameStore> OpenSqliteGameStore(const std::string& path, std::string* error);
std::unique_ptr<GameStore> OpenPostgresGameStore(const std::string& url, std::string* error);
