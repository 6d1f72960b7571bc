// A robot that plays whole games through the rules headless: it removes a group every few ticks until the
// game is over, then types its name and confirms it. Its replays are ones the game itself could have
// made, for the tests of what the game sends and of what the server accepts.
#pragma once

#include <climits>
#include <cstdint>
#include <string>

#include "core/board.h"
#include "core/replay_codec.h"
#include "core/rules_version.h"
#include "core/session.h"

// Every game is entered (the table floor is the lowest score), as every game with a submission URL is.
inline quz::core::Replay PlayRobotGame(uint64_t seed, const std::string& mode, const std::string& name,
                                       int removeEveryTicks = 12) {
    using quz::core::CommandKind;
    quz::core::SessionSettings settings;
    settings.seed = seed;
    settings.tableFloor = INT32_MIN;
    quz::core::Session session(settings);
    quz::core::Replay replay;
    replay.rulesVersion = quz::core::kRulesVersion;
    replay.seed = seed;
    replay.tableFloor = settings.tableFloor;
    replay.mode = mode;
    bool typed = false;
    int probe = 0;
    auto give = [&](CommandKind kind, uint16_t arg) {
        const quz::core::Command command{session.CurrentTick(), kind, arg};
        session.Apply(command);
        replay.commands.push_back(command);
    };
    while (!session.Over() && session.CurrentTick() < quz::core::kReplayTickCap) {
        const bool live = session.InputLive() && session.messageDelay <= 0;
        if (session.levelPhase == quz::core::LevelPhase::NameEntry && live && !typed) {
            for (char c : name) {
                give(CommandKind::NameChar, static_cast<uint16_t>(static_cast<unsigned char>(c)));
            }
            give(CommandKind::Confirm, 0);
            typed = true;
        } else if (session.levelPhase == quz::core::LevelPhase::Playing && live &&
                   session.CurrentTick() % static_cast<uint32_t>(removeEveryTicks) == 0) {
            // Marks are part of the rules' state: the search runs on a copy of the board.
            for (int tries = 0; tries < quz::core::kCellCount; ++tries) {
                probe = (probe + 37) % quz::core::kCellCount;
                quz::core::Board board = session;
                const int column = probe % quz::core::kBoardSize;
                const int row = probe / quz::core::kBoardSize;
                if (board.MarkGroupAtCell(column, row) >= 2) {
                    give(CommandKind::Remove, static_cast<uint16_t>(row * quz::core::kBoardSize + column));
                    break;
                }
            }
        }
        session.Step();
    }
    replay.outcome = {session.score, session.level, session.CurrentTick(), session.Over(),
                      session.StateHash()};
    return replay;
}
