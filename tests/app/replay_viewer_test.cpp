// The replay viewer headless: a recorded game shown to its end reaches the recorded outcome whatever the
// speed, its keys pause it and end it, and a replay it cannot show (other rules, a damaged file) is
// refused with the reason.
#include "app/replay_viewer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app_support.h"
#include "core/rules_version.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "platform/input.h"
#include "replay/replay_file.h"

namespace {

const std::filesystem::path kGolden = std::filesystem::path(QUZ_TEST_SOURCE_DIR) / "replays/20-give-up.quzr";

quz::core::Replay Golden() {
    quz::core::Replay replay;
    std::string detail;
    EXPECT_TRUE(quz::replay::ReadReplayFile(kGolden.c_str(), replay, detail)) << detail;
    return replay;
}

// Frames of 16 ms until the viewer ends; how many, or -1 past the limit.
int FramesToEnd(ReplayViewer* viewer, int limit) {
    for (int frame = 1; frame <= limit; ++frame) {
        CollectInput(16);
        Shared.frameClock.deltaMs = 16;
        Shared.frameClock.totalMs += 16;
        if (!ReplayViewerFrame(viewer)) {
            return frame;
        }
    }
    return -1;
}

class ReplayViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenTestScreen());
        ResetInput();
    }
    void TearDown() override { ResetInput(); }
};

TEST_F(ReplayViewerTest, ShowsTheGameToItsEndFaster) {
    const quz::core::Replay replay = Golden();
    // 64 times as fast: about 64 ticks a frame of 16 ms, then the end held for three seconds.
    ReplayViewer* viewer = CreateReplayViewer(replay, 64);
    ASSERT_NE(viewer, nullptr);
    testing::internal::CaptureStdout();
    const int frames = FramesToEnd(viewer, 2000);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_GT(frames, static_cast<int>(replay.outcome.ticks / 64) + 3000 / 16 - 10);
    EXPECT_LT(frames, static_cast<int>(replay.outcome.ticks / 60) + 3000 / 16 + 10);
    EXPECT_NE(out.find("score " + std::to_string(replay.outcome.score) + ","), std::string::npos) << out;
    DestroyReplayViewer(viewer);
}

TEST_F(ReplayViewerTest, SpaceRightAndEscape) {
    ReplayViewer* viewer = CreateReplayViewer(Golden(), 1);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(FramesToEnd(viewer, 30), -1) << "still running";
    InjectKey(InputKey::Space, true);
    InjectKey(InputKey::Space, false);
    EXPECT_EQ(FramesToEnd(viewer, 50), -1) << "paused";
    InjectKey(InputKey::Right, true);
    InjectKey(InputKey::Right, false);
    EXPECT_EQ(FramesToEnd(viewer, 5), -1);
    InjectKey(InputKey::Escape, true);
    InjectKey(InputKey::Escape, false);
    EXPECT_EQ(FramesToEnd(viewer, 5), 1);
    DestroyReplayViewer(viewer);
}

TEST_F(ReplayViewerTest, RefusesOtherRulesAndDamagedFiles) {
    quz::core::Replay replay;
    std::string problem;
    EXPECT_TRUE(LoadReplayToShow(kGolden.string(), replay, problem)) << problem;
    replay.rulesVersion = quz::core::kRulesVersion + 1;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(quz::replay::EncodeReplayFile(replay, bytes));
    const std::string path = (std::filesystem::temp_directory_path() / "quz_other_rules.quzr").string();
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    EXPECT_FALSE(LoadReplayToShow(path, replay, problem));
    EXPECT_EQ(problem, "it was played under rules version " + std::to_string(quz::core::kRulesVersion + 1) +
                           ", and this version of Quz plays rules version " +
                           std::to_string(quz::core::kRulesVersion) + " only");
    std::filesystem::resize_file(path, bytes.size() / 2);
    EXPECT_FALSE(LoadReplayToShow(path, replay, problem));
    EXPECT_EQ(problem, "truncated: the compressed data ends early");
    std::filesystem::remove(path);
}

}  // namespace
