// Every game's replay kept in the player's folder: the last twenty and the best, written whole, a damaged
// best moved aside rather than lost, and a folder that cannot be written reported without stopping play.
#include "app/replay_keeper.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/replay_check.h"
#include "core/rules_version.h"
#include "game/game.h"
#include "replay/replay_file.h"

namespace {

namespace fs = std::filesystem;

quz::core::Replay GameScoring(int32_t score) {
    quz::core::Replay replay{quz::core::kRulesVersion, static_cast<uint64_t>(score), 0, "NORMAL", {}, {}};
    replay.commands = {{10, quz::core::CommandKind::Remove, 20}};
    replay.outcome = {score, 2, 500, true, 77};
    return replay;
}

class ReplayKeeperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("quz_keeper_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }
    int32_t ScoreIn(const fs::path& path) {
        quz::core::Replay replay;
        std::string detail;
        EXPECT_TRUE(quz::replay::ReadReplayFile(path.c_str(), replay, detail)) << path << detail;
        return replay.outcome.score;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        const fs::path replays =
            fs::exists(folder_ / "replays") ? folder_ / "replays" : folder_ / "quz/replays";
        for (const auto& entry : fs::directory_iterator(replays)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder_;
};

TEST_F(ReplayKeeperTest, KeepsTheLastTwentyAndTheBest) {
    const std::time_t start = 1800000000;
    const int32_t scores[] = {500, 9000, 100, 2000, 9000};
    std::string saved;
    for (int game = 0; game < 25; ++game) {
        // Two games end in each second: the second gets its own name.
        ASSERT_TRUE(
            KeepReplay(folder_.string(), GameScoring(scores[game % 5] + game), start + game / 2, &saved));
        EXPECT_EQ(ScoreIn(saved), scores[game % 5] + game);
    }
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names.back(), "best.quzr");
    EXPECT_EQ(ScoreIn(folder_ / "replays/best.quzr"), 9000 + 24);
    // The five oldest went; every second game of a second has its own name.
    EXPECT_EQ(ScoreIn(folder_ / "replays" / names.front()), scores[0] + 5);
    EXPECT_EQ(
        std::count_if(names.begin(), names.end(),
                      [](const std::string& name) { return name.find("-2.quzr") != std::string::npos; }),
        10);
}

TEST_F(ReplayKeeperTest, ALowerScoreLeavesTheBestAndADamagedBestIsMovedAside) {
    ASSERT_TRUE(KeepReplay(folder_.string(), GameScoring(5000), 1800000000));
    ASSERT_TRUE(KeepReplay(folder_.string(), GameScoring(4000), 1800000001));
    EXPECT_EQ(ScoreIn(folder_ / "replays/best.quzr"), 5000);
    FILE* file = fopen((folder_ / "replays/best.quzr").c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    fseek(file, 12, SEEK_SET);
    fputc('!', file);
    fclose(file);
    ASSERT_TRUE(KeepReplay(folder_.string(), GameScoring(10), 1800000002));
    EXPECT_EQ(ScoreIn(folder_ / "replays/best.quzr"), 10);
    EXPECT_TRUE(fs::exists(folder_ / "replays/best.quzr.bad"));
}

TEST_F(ReplayKeeperTest, AFolderThatCannotBeWrittenIsReported) {
    FILE* blocker = fopen((folder_ / "replays").c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    fclose(blocker);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KeepReplay(folder_.string(), GameScoring(1), 1800000000));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot make the replays folder"),
              std::string::npos);
    fs::remove(folder_ / "replays");

    fs::create_directories(folder_ / "replays");
    fs::permissions(folder_ / "replays", fs::perms::owner_read | fs::perms::owner_exec);
    if (access((folder_ / "replays").c_str(), W_OK) == 0) {
        GTEST_SKIP() << "running as root: permissions do not stop writes";
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KeepReplay(folder_.string(), GameScoring(1), 1800000000));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot write the replay"), std::string::npos);
    fs::permissions(folder_ / "replays", fs::perms::owner_all);
}

TEST_F(ReplayKeeperTest, AReplayThatCannotBeEncodedIsNotWritten) {
    quz::core::Replay broken = GameScoring(1);
    broken.mode = "not a mode";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KeepReplay(folder_.string(), broken, 1800000000));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be written as a replay"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folder_ / "replays/best.quzr"));
}

// The main loop's hook: the game that just ended goes to $XDG_DATA_HOME/quz/replays, and re-plays.
TEST_F(ReplayKeeperTest, AnEndedGameIsKeptUnderTheDataFolder) {
    const std::string saved = getenv("XDG_DATA_HOME") != nullptr ? getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", folder_.c_str(), 1);
    SessionSettings settings;
    settings.seed = 99;
    Game game(settings);
    for (int tick = 0; tick < 200; ++tick) {
        if (tick == 120) {
            const quz::core::Command remove{game.CurrentTick(), quz::core::CommandKind::Remove, 7 * 15 + 7};
            game.recorded.push_back(remove);
            game.Apply(remove);
        }
        game.Step();
    }
    KeepGameReplay(game);
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);  // the game, and the best so far
    quz::core::Replay replay;
    std::string detail;
    ASSERT_TRUE(quz::replay::ReadReplayFile((folder_ / "quz/replays" / names[0]).c_str(), replay, detail))
        << detail;
    EXPECT_EQ(replay.seed, 99u);
    EXPECT_EQ(replay.commands.size(), 1u);
    EXPECT_EQ(replay.outcome.ticks, 200u);
    EXPECT_FALSE(replay.outcome.over);
    EXPECT_EQ(quz::core::FirstDifference(replay.outcome, quz::core::Replayed(replay)), "");
}

}  // namespace
