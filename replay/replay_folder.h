// The player's replays folder: the names of its files and which of them to keep. The game records every
// game it plays there; the last kKeptReplays games stay, and the best game so far is kept apart as
// kBestReplayName whatever its age. Names only: writing the files is the caller's.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace quz::replay {

inline constexpr const char kReplaysFolderName[] = "replays";
inline constexpr const char kBestReplayName[] = "best.quzr";
inline constexpr size_t kKeptReplays = 20;

// "YYYYMMDD-HHMMSS.quzr" for a game ended at that local time; with sequence n >= 2, "...-n.quzr", for a
// second game ended in the same second.
std::string ReplayFileName(const std::tm& localTime, int sequence = 1);

// True for a name ReplayFileName gives (best.quzr, temporary files and anything else are not).
bool IsGameReplayName(const std::string& name);

// The game replays among names that are beyond the newest `keep`, oldest first.
std::vector<std::string> ReplaysToRemove(std::vector<std::string> names, size_t keep = kKeptReplays);

}  // namespace quz::replay
