// Recorded games re-played: the files of tests/replays reach exactly the outcome they recorded, the same
// games played again by the scripted player give the same bytes, and a game's outcome does not depend on
// whether it was played step by step or re-played from its commands in one run.
//
// When a change to the rules is meant to change games, raise kRulesVersion and record the files anew:
//   QUZ_WRITE_REPLAYS=1 build/tests/replay_tests --gtest_filter='GoldenReplays.*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/replay_check.h"
#include "core/rules_version.h"
#include "replay/replay_file.h"
#include "replay_bot_support.h"

namespace quz::testing {
namespace {

const std::filesystem::path kGoldenFolder = std::filesystem::path(QUZ_TEST_SOURCE_DIR) / "replays";

std::string GoldenName(size_t index, const GoldenGame& game) {
    char name[80];
    snprintf(name, sizeof name, "%02zu-%s.quzr", index + 1, game.name);
    return name;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

TEST(GoldenReplays, TheScriptedGamesAreTheRecordedOnes) {
    const bool write = getenv("QUZ_WRITE_REPLAYS") != nullptr;
    const std::vector<GoldenGame> games = GoldenGames();
    ASSERT_GE(games.size(), 20u);
    int nameEntries = 0;
    int wonLevels = 0;
    int lostGames = 0;
    for (size_t i = 0; i < games.size(); ++i) {
        const GoldenGame& game = games[i];
        const core::Replay played = PlayBotGame(game.seed, game.tableFloor, game.style);
        const std::filesystem::path path = kGoldenFolder / GoldenName(i, game);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(replay::EncodeReplayFile(played, bytes)) << path;
        if (write) {
            ASSERT_TRUE(WriteBytes(path, bytes)) << path;
        }
        core::Replay recorded;
        std::string detail;
        ASSERT_TRUE(replay::ReadReplayFile(path.c_str(), recorded, detail)) << path << ": " << detail;
        EXPECT_EQ(recorded, played) << path << ": the scripted game no longer plays as recorded";
        // Stepped play and the headless run of its commands reach the same end.
        EXPECT_EQ(core::FirstDifference(played.outcome, core::Replayed(played)), "") << path;
        nameEntries += game.style.name.empty() ? 0 : 1;
        wonLevels += played.outcome.level > 1 ? 1 : 0;
        lostGames += played.outcome.over && game.style.stopAt == 0 ? 1 : 0;
    }
    // The set covers what the rules do: levels won, games lost to the end, names typed.
    EXPECT_GE(wonLevels, 3);
    EXPECT_GE(lostGames, 10);
    EXPECT_GE(nameEntries, 10);
}

TEST(GoldenReplays, EveryFileMatchesItsRecordedOutcome) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kGoldenFolder)) {
        core::Replay replay;
        std::string detail;
        ASSERT_TRUE(replay::ReadReplayFile(entry.path().c_str(), replay, detail)) << entry.path() << detail;
        ASSERT_EQ(replay.rulesVersion, core::kRulesVersion) << entry.path();
        EXPECT_EQ(core::FirstDifference(replay.outcome, core::Replayed(replay)), "") << entry.path();
        ++files;
    }
    EXPECT_GE(files, 20);
}

// Any single command changed, anywhere in a game, shows in the outcome: the hash covers the whole state.
TEST(GoldenReplays, OneChangedCommandChangesTheOutcome) {
    const std::vector<GoldenGame> games = GoldenGames();
    const core::Replay original = PlayBotGame(games[0].seed, games[0].tableFloor, games[0].style);
    int changed = 0;
    for (size_t i = 0; i < original.commands.size(); i += original.commands.size() / 25 + 1) {
        if (original.commands[i].kind != core::CommandKind::Remove ||
            original.commands[i].arg == core::kNoCell) {
            continue;
        }
        core::Replay forged = original;
        forged.commands[i].arg = core::kNoCell;
        EXPECT_NE(core::FirstDifference(original.outcome, core::Replayed(forged)), "") << "command " << i;
        ++changed;
    }
    EXPECT_GE(changed, 5);
}

}  // namespace
}  // namespace quz::testing
