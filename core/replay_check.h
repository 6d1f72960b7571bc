// Re-playing a replay headless: the same seed and commands through a fresh session, and the comparison of
// what it reaches with what the replay recorded. quz-verify and the score server judge a game by this.
#pragma once

#include <string>

#include "core/replay_codec.h"
#include "core/session.h"

namespace quz::core {

// The replay of a game played in `session` with these commands (every command it was given, in order).
Replay ReplayOf(const Session& session, const std::vector<Command>& commands, std::string mode);

// True when the replay was played under this program's rules; no other can be re-played faithfully.
bool SameRules(const Replay& replay);

// The settings the replay's game started from.
SessionSettings SettingsOf(const Replay& replay);

// Runs the replay's commands through `session` (fresh from SettingsOf(replay)) as the game gave them,
// with RunCommands: it stops when the session ends or the recorded ticks run out (a forged tick count
// cannot make it run longer than it says). Returns what it reached; wellFormed (when given) is false
// when the commands are stamped as no game stamps them.
ReplayOutcome ReplayInto(const Replay& replay, Session& session, bool* wellFormed = nullptr);
ReplayOutcome Replayed(const Replay& replay, bool* wellFormed = nullptr);

// The first field where the two differ, as one line ("score: recorded 1200, re-played 1100"); empty when
// they are the same.
std::string FirstDifference(const ReplayOutcome& recorded, const ReplayOutcome& replayed);

// The board as 15 lines of 15 characters, top row first: '.' empty, '1' to '3' the colours, 'D', 'L' and
// 'P' the double, add-line and points bonuses.
std::string BoardText(const Board& board);

}  // namespace quz::core
