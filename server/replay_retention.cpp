// Which replays are kept (see replay_retention.h).
#include "server/replay_retention.h"

#include "server/hidden.h"

bool ParseReplayRetention(std::string_view text, ReplayRetention* retention, std::string* problem) {
    if (text == "all") {
        retention->bestPerBoard = 0;
        return true;
    }
    int value = 0;
    bool digits = !text.empty() && text.size() <= 7 && text[0] != '0';
    for (char c : text) {
        digits = digits && c >= '0' && c <= '9';
        value = digits ? value * 10 + (c - '0') : value;
    }
    if (!digits || value > 1000000) {
        *problem = "--keep-replays must be all, or the number of games kept on each board (1 to 1000000)";
        return false;
    }
    retention->bestPerBoard = value;
    return true;
}

PruneScope PruneScopeOf(int rank, const ReplayRetention& retention, int64_t id, const std::string& dailyDate,
                        const std::string& mode, int64_t receivedAtMs, std::vector<std::string>* params) {
    if (rank > retention.bestPerBoard) {
        *params = {std::to_string(id)};
        return PruneScope::kOneGame;
    }
    if (!dailyDate.empty()) {
        *params = {std::to_string(retention.bestPerBoard), dailyDate};
        return PruneScope::kDailyBoard;
    }
    *params = {std::to_string(retention.bestPerBoard), mode,
               std::to_string(receivedAtMs - receivedAtMs % 86400000)};
    return PruneScope::kModeDay;
}

std::string PruneReplaysSql(PruneScope scope, const char* emptyReplay) {
    const char* board = "";
    switch (scope) {
        case PruneScope::kOneGame:
            return std::string("UPDATE games SET replay = ") + emptyReplay +
                   " WHERE id = CAST($1 AS BIGINT) AND length(replay) > 0 AND NOT " + kHiddenGameSql;
        case PruneScope::kAllBoards:
            break;
        case PruneScope::kDailyBoard:
            board = " AND daily_date = CAST($2 AS TEXT)";
            break;
        case PruneScope::kModeDay:
            board =
                " AND daily_date IS NULL AND mode = CAST($2 AS TEXT) AND received_at_ms >= CAST($3 AS BIGINT)"
                " AND received_at_ms < CAST($3 AS BIGINT) + 86400000";
            break;
    }
    // A normal game's board is its mode and day; a daily game's, its date alone.
    const std::string boardKey =
        "daily_date, CASE WHEN daily_date IS NULL THEN mode END, "
        "CASE WHEN daily_date IS NULL THEN received_at_ms / 86400000 END";
    return std::string("UPDATE games SET replay = ") + emptyReplay +
           " WHERE verified AND length(replay) > 0 AND NOT " + kHiddenGameSql + board +
           " AND id NOT IN (SELECT id FROM ("
           "  SELECT id, ROW_NUMBER() OVER (PARTITION BY " +
           boardKey +
           " ORDER BY score DESC, received_at_ms, id) AS board_rank FROM ("
           "   SELECT id, daily_date, mode, received_at_ms, score, ROW_NUMBER() OVER (PARTITION BY " +
           boardKey +
           ", name, identity ORDER BY score DESC, received_at_ms, id) AS place"
           "   FROM games WHERE verified" +
           kVisibleGameSql + board +
           "  ) AS players WHERE place = 1) AS ranked WHERE board_rank <= CAST($1 AS BIGINT))";
}
