// Keeps finished games' replays (see replay_keeper.h).
#include "app/replay_keeper.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/replay_check.h"
#include "game/game.h"
#include "platform/user_files.h"
#include "replay/replay_file.h"
#include "replay/replay_folder.h"

namespace {

namespace fs = std::filesystem;
using quz::replay::kBestReplayName;

// A free name for a game that ended at `when`: a second game in the same second gets "-2", and so on.
std::string FreeName(const fs::path& folder, std::time_t when) {
    std::tm local{};
    const std::tm* converted = std::localtime(&when);
    if (converted != nullptr) {
        local = *converted;
    }
    for (int sequence = 1; sequence < 1000; ++sequence) {
        std::string name = quz::replay::ReplayFileName(local, sequence);
        std::error_code error;
        if (!fs::exists(folder / name, error) && !error) {
            return name;
        }
    }
    return {};
}

// The best game so far stays apart; a best file that no longer reads is moved aside, never lost.
void KeepIfBest(const fs::path& folder, const quz::core::Replay& replay, const std::vector<uint8_t>& bytes) {
    const std::string best = (folder / kBestReplayName).string();
    quz::core::Replay held;
    std::string detail;
    std::error_code error;
    if (fs::exists(best, error)) {
        if (quz::replay::ReadReplayFile(best.c_str(), held, detail)) {
            if (held.outcome.score >= replay.outcome.score) {
                return;
            }
        } else {
            char movedTo[4096];
            if (MoveFileAside(best.c_str(), ".bad", movedTo, sizeof movedTo)) {
                fprintf(stderr, "The best replay %s was %s; it is kept as %s\n", best.c_str(), detail.c_str(),
                        movedTo);
            }
        }
    }
    if (!WriteFileAtomically(best.c_str(), bytes.data(), bytes.size())) {
        fprintf(stderr, "Cannot write the best replay %s: %s\n", best.c_str(), strerror(errno));
    }
}

void RemoveOldReplays(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    for (const std::string& name : quz::replay::ReplaysToRemove(names)) {
        fs::remove(folder / name, error);
    }
}

}  // namespace

bool KeepReplay(const std::string& dataFolder, const quz::core::Replay& replay, std::time_t when,
                std::string* savedPath) {
    const fs::path folder = fs::path(dataFolder) / quz::replay::kReplaysFolderName;
    std::vector<uint8_t> bytes;
    if (!quz::replay::EncodeReplayFile(replay, bytes)) {
        fprintf(stderr, "This game cannot be written as a replay (%zu commands, %u ticks); it is not kept\n",
                replay.commands.size(), replay.outcome.ticks);
        return false;
    }
    if (!MakeDirectories(folder.string().c_str())) {
        fprintf(stderr, "Cannot make the replays folder %s: %s\n", folder.string().c_str(), strerror(errno));
        return false;
    }
    const std::string name = FreeName(folder, when);
    const std::string path = (folder / name).string();
    if (name.empty() || !WriteFileAtomically(path.c_str(), bytes.data(), bytes.size())) {
        fprintf(stderr, "Cannot write the replay %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    if (savedPath != nullptr) {
        *savedPath = path;
    }
    KeepIfBest(folder, replay, bytes);
    RemoveOldReplays(folder);
    return true;
}

void KeepGameReplay(const Game& game) {
    char folder[4096];
    if (GetUserDataDirectory(folder, sizeof folder)) {
        KeepReplay(folder, quz::core::ReplayOf(game, game.recorded, "NORMAL"), std::time(nullptr));
    }
}
