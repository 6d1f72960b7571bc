// Re-playing a replay headless (see replay_check.h).
#include "core/replay_check.h"

#include "core/rules_version.h"

namespace quz::core {

namespace {

std::string Hex(uint64_t value) {
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) {
        text[static_cast<size_t>(i)] = "0123456789abcdef"[value & 15];
    }
    return text;
}

std::string Differs(const char* field, const std::string& recorded, const std::string& replayed) {
    return std::string(field) + ": recorded " + recorded + ", re-played " + replayed;
}

char CellLetter(int32_t value) {
    switch (value) {
        case kEmptyCell:
            return '.';
        case kDoubleBonus:
            return 'D';
        case kAddLineBonus:
            return 'L';
        case kPointsBonus:
            return 'P';
        default:
            return value >= 1 && value <= 9 ? static_cast<char>('0' + value) : '?';
    }
}

}  // namespace

Replay ReplayOf(const Session& session, const std::vector<Command>& commands, std::string mode) {
    Replay replay;
    replay.rulesVersion = kRulesVersion;
    replay.seed = session.Settings().seed;
    replay.tableFloor = session.Settings().tableFloor;
    replay.mode = std::move(mode);
    replay.commands = commands;
    replay.outcome = {session.score, session.level, session.CurrentTick(), session.Over(),
                      session.StateHash()};
    return replay;
}

bool SameRules(const Replay& replay) {
    return replay.rulesVersion == kRulesVersion;
}

SessionSettings SettingsOf(const Replay& replay) {
    SessionSettings settings;
    settings.seed = replay.seed;
    settings.tableFloor = replay.tableFloor;
    return settings;
}

ReplayOutcome ReplayInto(const Replay& replay, Session& session, bool* wellFormed) {
    const RunResult run = RunCommandsOn(session, replay.commands, replay.outcome.ticks);
    if (wellFormed != nullptr) {
        *wellFormed = run.wellFormed;
    }
    return {run.score, run.level, run.ticks, run.over, run.stateHash};
}

ReplayOutcome Replayed(const Replay& replay, bool* wellFormed) {
    Session session(SettingsOf(replay));
    return ReplayInto(replay, session, wellFormed);
}

std::string FirstDifference(const ReplayOutcome& recorded, const ReplayOutcome& replayed) {
    if (recorded.score != replayed.score) {
        return Differs("score", std::to_string(recorded.score), std::to_string(replayed.score));
    }
    if (recorded.level != replayed.level) {
        return Differs("level", std::to_string(recorded.level), std::to_string(replayed.level));
    }
    if (recorded.ticks != replayed.ticks) {
        return Differs("ticks", std::to_string(recorded.ticks), std::to_string(replayed.ticks));
    }
    if (recorded.over != replayed.over) {
        return Differs("ended", recorded.over ? "yes" : "no", replayed.over ? "yes" : "no");
    }
    if (recorded.stateHash != replayed.stateHash) {
        return Differs("state hash", Hex(recorded.stateHash), Hex(replayed.stateHash));
    }
    return {};
}

std::string BoardText(const Board& board) {
    std::string text;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            text += CellLetter(board.cells[CellIndex(column, row)]);
        }
        text += '\n';
    }
    return text;
}

}  // namespace quz::core
