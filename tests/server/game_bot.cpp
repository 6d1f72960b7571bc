// The robot player and the submission bodies of the server tests (see game_bot.h).
#include "game_bot.h"

#include "core/rules_version.h"
#include "core/session.h"
#include "net/submission_body.h"
#include "replay/replay_file.h"

using quz::core::Command;
using quz::core::CommandKind;

quz::core::Replay PlayRobotGame(uint64_t seed, const std::string& mode, const std::string& name,
                                int removeEveryTicks) {
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
        const Command command{session.CurrentTick(), kind, arg};
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

std::vector<uint8_t> ReplayFile(const quz::core::Replay& replay) {
    std::vector<uint8_t> file;
    quz::replay::EncodeReplayFile(replay, file);
    return file;
}

std::vector<uint8_t> SubmissionOf(const std::string& name, const quz::core::Replay& replay,
                                  uint32_t identity) {
    std::vector<uint8_t> body;
    EncodeSubmissionBody(SubmissionBody{name, identity, ReplayFile(replay)}, body);
    return body;
}

std::string AsText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string GamePostRequest(const std::string& body) {
    return "POST /api/games HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
           "application/x-quz-game\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}
